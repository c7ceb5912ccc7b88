#include "view/view_transform_rows.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VIEW_ROWS_SSSE3 1
#endif

namespace {

#ifdef VIEW_ROWS_SSSE3
// Five pixels per step with one byte shuffle. The 16 bytes loaded start one byte before
// the five source pixels and the 16 stored end one byte after the five destination
// ones, so both stay inside the rows while a pixel is left on either side; that byte is
// written again by the next step or the tail. Returns the pixels done.
__attribute__((target("ssse3"))) int ReverseSsse3(const std::uint8_t* src, int n, std::uint8_t* dst) {
  // Destination pixel p of the step takes window pixel 4 − p, which starts at byte 1.
  const __m128i order = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, 0);
  int k = 0;
  for (; k + 6 <= n; k += 5) {
    const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * (n - 5 - k) - 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * k), _mm_shuffle_epi8(window, order));
  }
  return k;
}
#endif

}  // namespace

void ReversePixels(const std::uint8_t* src, int n, std::uint8_t* dst) {
  int k = 0;
#ifdef VIEW_ROWS_SSSE3
  static const bool vector = __builtin_cpu_supports("ssse3");
  if (vector) k = ReverseSsse3(src, n, dst);
#endif
  for (; k < n; ++k) std::memcpy(dst + 3 * k, src + 3 * (n - 1 - k), 3);
}
