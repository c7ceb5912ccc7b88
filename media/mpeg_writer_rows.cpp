// Bitmap rows to packed RGB: the copy the recorder makes of every picture it writes.
#include <cstddef>

#include "media/mpeg_writer.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MPEG_WRITER_ROWS_SSSE3 1
#endif

namespace {

// Pixels [from, width) of one row, one at a time: blue, green, red -> red, green, blue.
template <int BytesPerPixel>
void SwapPixels(const std::uint8_t* __restrict source, std::uint8_t* __restrict out, int from, int width) {
  source += static_cast<std::ptrdiff_t>(from) * BytesPerPixel;
  out += static_cast<std::ptrdiff_t>(from) * 3;
  for (int k = from; k < width; ++k, source += BytesPerPixel, out += 3) {
    out[0] = source[2];
    out[1] = source[1];
    out[2] = source[0];
  }
}

#ifdef MPEG_WRITER_ROWS_SSSE3
// Five 24-bit or four 32-bit pixels per step with one byte shuffle. Loads and stores
// stay inside the row: of the 16 bytes stored, those past the step's pixels are written
// again by the next step or the tail. Returns the first pixel left for the tail.
template <int BytesPerPixel>
__attribute__((target("ssse3"))) int SwapPixelsSsse3(const std::uint8_t* source, std::uint8_t* out, int width) {
  constexpr int step = BytesPerPixel == 3 ? 5 : 4;
  const __m128i order = BytesPerPixel == 3
                            ? _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15)
                            : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  int k = 0;
  // 16 bytes from pixel k stay inside a row of width pixels while k + 6 <= width.
  for (; k + 6 <= width; k += step) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k * BytesPerPixel));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * k), _mm_shuffle_epi8(pixels, order));
  }
  return k;
}
#endif

template <int BytesPerPixel>
void SwapRow(const std::uint8_t* source, std::uint8_t* out, int width, [[maybe_unused]] bool vector) {
  int from = 0;
#ifdef MPEG_WRITER_ROWS_SSSE3
  if (vector) from = SwapPixelsSsse3<BytesPerPixel>(source, out, width);
#endif
  SwapPixels<BytesPerPixel>(source, out, from, width);
}

}  // namespace

bool DibRowsToRgb24(const std::uint8_t* bits, int width, int height, int bitsPerPixel, std::uint8_t* out,
                    std::ptrdiff_t outStride) {
  if (!bits || !out || width <= 0 || height <= 0) return false;
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return false;
#ifdef MPEG_WRITER_ROWS_SSSE3
  const bool vector = __builtin_cpu_supports("ssse3");
#else
  const bool vector = false;
#endif
  // Rows of the bitmap are padded to 4 bytes and stored bottom row first.
  const std::size_t sourceStride =
      (static_cast<std::size_t>(bitsPerPixel) * static_cast<std::size_t>(width) + 31) / 32 * 4;
  for (int i = 0; i < height; ++i) {
    const std::uint8_t* source = bits + static_cast<std::size_t>(height - 1 - i) * sourceStride;
    std::uint8_t* row = out + i * outStride;
    if (bitsPerPixel == 24) {
      SwapRow<3>(source, row, width, vector);
    } else {
      SwapRow<4>(source, row, width, vector);
    }
  }
  return true;
}
