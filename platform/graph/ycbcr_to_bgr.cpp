#include "platform/graph/ycbcr_to_bgr.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "platform/graph/cpu_target.h"

namespace platform {
namespace {

// The colour factors less their whole part, scaled by 2^15: R = Y + Cr + 0.402 Cr,
// B = Y + Cb + 0.772 Cb, G = Y - 0.34414 Cb - 0.71414 Cr.
constexpr int kCrToRed = 13173;
constexpr int kCbToBlue = 25297;
constexpr int kCbToGreen = -11277;
constexpr int kCrToGreen = -23401;
constexpr int kHalf = 1 << 14;

std::uint8_t Clamp(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

// One pixel, exactly as the vector code computes it.
void Pixel(int y, int cb, int cr, std::uint8_t* out) {
  cb -= 128;
  cr -= 128;
  out[0] = Clamp(y + cb + ((cb * kCbToBlue + kHalf) >> 15));
  out[1] = Clamp(y + ((cb * kCbToGreen + cr * kCrToGreen + kHalf) >> 15));
  out[2] = Clamp(y + cr + ((cr * kCrToRed + kHalf) >> 15));
}

void RowFrom(int x, const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, int width,
             bool halfChroma, std::uint8_t* out) {
  for (; x < width; ++x) {
    const int c = halfChroma ? x / 2 : x;
    Pixel(luma[x], cb[c], cr[c], out + 3 * x);
  }
}

void RowPlain(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, int width, bool halfChroma,
              std::uint8_t* out) {
  RowFrom(0, luma, cb, cr, width, halfChroma, out);
}

#if defined(__SSE2__) && defined(__GNUC__)

// Byte selections that interleave 16 blue, 16 green and 16 red bytes into 48 bytes
// of BGR: part k of the output takes, for channel c, the byte of pixel n / 3 where
// output byte n = 16 k + j is channel c, and nothing (0x80) elsewhere.
constexpr std::array<std::array<std::array<std::uint8_t, 16>, 3>, 3> MakeInterleave() {
  std::array<std::array<std::array<std::uint8_t, 16>, 3>, 3> masks{};
  for (int part = 0; part < 3; ++part) {
    for (int channel = 0; channel < 3; ++channel) {
      for (int j = 0; j < 16; ++j) {
        const int n = 16 * part + j;
        masks[part][channel][j] = static_cast<std::uint8_t>(n % 3 == channel ? n / 3 : 0x80);
      }
    }
  }
  return masks;
}
constexpr auto kInterleave = MakeInterleave();

VISTREL_TARGET_BEGIN("ssse3")

__m128i Mask(int part, int channel) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kInterleave[part][channel].data()));
}

// Eight pixels' colour terms in 16 bits; cb and cr already less 128.
void Terms(__m128i cb, __m128i cr, __m128i& blue, __m128i& green, __m128i& red) {
  blue = _mm_add_epi16(cb, _mm_mulhrs_epi16(cb, _mm_set1_epi16(kCbToBlue)));
  red = _mm_add_epi16(cr, _mm_mulhrs_epi16(cr, _mm_set1_epi16(kCrToRed)));
  const __m128i factors = _mm_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(kCbToGreen) |
                                                          static_cast<std::uint32_t>(kCrToGreen) << 16));
  const __m128i half = _mm_set1_epi32(kHalf);
  const __m128i low = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), factors), half), 15);
  const __m128i high = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), factors), half), 15);
  green = _mm_packs_epi32(low, high);
}

void RowSsse3(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, int width, bool halfChroma,
              std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i offset = _mm_set1_epi16(128);
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    __m128i cb8;
    __m128i cr8;
    if (halfChroma) {
      const __m128i cbHalf = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x / 2));
      const __m128i crHalf = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x / 2));
      cb8 = _mm_unpacklo_epi8(cbHalf, cbHalf);
      cr8 = _mm_unpacklo_epi8(crHalf, crHalf);
    } else {
      cb8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
      cr8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
    }
    const __m128i y8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
    __m128i channels[3][2];  // blue, green, red; pixels 0-7 and 8-15
    for (int half = 0; half < 2; ++half) {
      const __m128i y = half == 0 ? _mm_unpacklo_epi8(y8, zero) : _mm_unpackhi_epi8(y8, zero);
      const __m128i cbWide =
          _mm_sub_epi16(half == 0 ? _mm_unpacklo_epi8(cb8, zero) : _mm_unpackhi_epi8(cb8, zero), offset);
      const __m128i crWide =
          _mm_sub_epi16(half == 0 ? _mm_unpacklo_epi8(cr8, zero) : _mm_unpackhi_epi8(cr8, zero), offset);
      __m128i blue;
      __m128i green;
      __m128i red;
      Terms(cbWide, crWide, blue, green, red);
      channels[0][half] = _mm_add_epi16(y, blue);
      channels[1][half] = _mm_add_epi16(y, green);
      channels[2][half] = _mm_add_epi16(y, red);
    }
    __m128i bytes[3];
    for (int channel = 0; channel < 3; ++channel) {
      bytes[channel] = _mm_packus_epi16(channels[channel][0], channels[channel][1]);
    }
    for (int part = 0; part < 3; ++part) {
      const __m128i value = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(bytes[0], Mask(part, 0)),
                                                      _mm_shuffle_epi8(bytes[1], Mask(part, 1))),
                                         _mm_shuffle_epi8(bytes[2], Mask(part, 2)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x + 16 * part), value);
    }
  }
  RowFrom(x, luma, cb, cr, width, halfChroma, out);
}

VISTREL_TARGET_END

#endif

}  // namespace

YcbcrRowToBgr SelectYcbcrRowToBgr() {
#if defined(__SSE2__) && defined(__GNUC__)
  if (__builtin_cpu_supports("ssse3")) return RowSsse3;
#endif
  return RowPlain;
}

}  // namespace platform
