#include "platform/graph/jpeg_idct.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "platform/graph/cpu_target.h"

namespace platform {
namespace {

// The factorisation's constants, scaled by 2^13, combined in pairs so that each
// product pair is one multiply-add.
constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;
constexpr int kFix0_298 = 2446;
constexpr int kFix0_390 = 3196;
constexpr int kFix0_541 = 4433;
constexpr int kFix0_765 = 6270;
constexpr int kFix0_899 = 7373;
constexpr int kFix1_175 = 9633;
constexpr int kFix1_501 = 12299;
constexpr int kFix1_847 = 15137;
constexpr int kFix1_961 = 16069;
constexpr int kFix2_053 = 16819;
constexpr int kFix2_562 = 20995;
constexpr int kFix3_072 = 25172;

// After the columns, the values keep kPass1Bits of fraction; after the rows, the
// three more bits of the transform's scale go too.
constexpr int kShift1 = kConstBits - kPass1Bits;
constexpr int kShift2 = kConstBits + kPass1Bits + 3;

// The DC term alone: every sample of the block is this value (before clamping).
int DcOnlySample(std::int16_t dc) {
  const int afterColumns = std::clamp(dc * 4, -32768, 32767);  // exact, kept in 16 bits
  return (afterColumns * (1 << kConstBits) + (1 << (kShift2 - 1)) + (128 << kShift2)) >> kShift2;
}

}  // namespace

namespace {

long Rounded(long value, int shift) { return (value + (1L << (shift - 1))) >> shift; }

// One dimension of the transform on one line of eight values, `step` apart.
template <class In, class Out>
void TransformLine(const In* in, int step, Out* out, int shift, long bias) {
  const long z2 = in[2 * step];
  const long z3 = in[6 * step];
  const long z1 = (z2 + z3) * kFix0_541;
  const long tmp2 = z1 - z3 * kFix1_847;
  const long tmp3 = z1 + z2 * kFix0_765;
  const long tmp0 = (static_cast<long>(in[0]) + in[4 * step]) * (1L << kConstBits) + bias;
  const long tmp1 = (static_cast<long>(in[0]) - in[4 * step]) * (1L << kConstBits) + bias;
  const long tmp10 = tmp0 + tmp3;
  const long tmp13 = tmp0 - tmp3;
  const long tmp11 = tmp1 + tmp2;
  const long tmp12 = tmp1 - tmp2;

  long o0 = in[7 * step];
  long o1 = in[5 * step];
  long o2 = in[3 * step];
  long o3 = in[1 * step];
  // The vector code adds these two pairs in 16 bits.
  const long sum02 = static_cast<std::int16_t>(o0 + o2);
  const long sum13 = static_cast<std::int16_t>(o1 + o3);
  const long z5 = (sum02 + sum13) * kFix1_175;
  const long y1 = (o0 + o3) * -kFix0_899;
  const long y2 = (o1 + o2) * -kFix2_562;
  const long y3 = sum02 * -kFix1_961 + z5;
  const long y4 = sum13 * -kFix0_390 + z5;
  o0 = o0 * kFix0_298 + y1 + y3;
  o1 = o1 * kFix2_053 + y2 + y4;
  o2 = o2 * kFix3_072 + y2 + y3;
  o3 = o3 * kFix1_501 + y1 + y4;

  out[0] = static_cast<Out>(Rounded(tmp10 + o3, shift));
  out[7] = static_cast<Out>(Rounded(tmp10 - o3, shift));
  out[1] = static_cast<Out>(Rounded(tmp11 + o2, shift));
  out[6] = static_cast<Out>(Rounded(tmp11 - o2, shift));
  out[2] = static_cast<Out>(Rounded(tmp12 + o1, shift));
  out[5] = static_cast<Out>(Rounded(tmp12 - o1, shift));
  out[3] = static_cast<Out>(Rounded(tmp13 + o0, shift));
  out[4] = static_cast<Out>(Rounded(tmp13 - o0, shift));
}

}  // namespace

void InverseDct8x8Plain(const std::int16_t* coefficients, std::uint8_t* out, std::ptrdiff_t stride) {
  int workspace[64];
  int samples[64];
  for (int column = 0; column < 8; ++column) {
    int line[8];
    TransformLine(coefficients + column, 8, line, kShift1, 0);
    // Kept in 16 bits between the passes, as the vector code does.
    for (int row = 0; row < 8; ++row) workspace[row * 8 + column] = std::clamp(line[row], -32768, 32767);
  }
  for (int row = 0; row < 8; ++row) {
    TransformLine(workspace + row * 8, 1, samples + row * 8, kShift2, 128L << kShift2);
  }
  for (int row = 0; row < 8; ++row, out += stride) {
    for (int column = 0; column < 8; ++column) {
      out[column] = static_cast<std::uint8_t>(std::clamp(samples[row * 8 + column], 0, 255));
    }
  }
}

#if defined(__SSE2__)

namespace idct_sse2 {
namespace {

using Vec = __m128i;
inline Vec Add16(Vec a, Vec b) { return _mm_add_epi16(a, b); }
inline Vec Add32(Vec a, Vec b) { return _mm_add_epi32(a, b); }
inline Vec Sub32(Vec a, Vec b) { return _mm_sub_epi32(a, b); }
inline Vec MultiplyAdd16(Vec a, Vec b) { return _mm_madd_epi16(a, b); }
inline Vec UnpackLo16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
inline Vec UnpackHi16(Vec a, Vec b) { return _mm_unpackhi_epi16(a, b); }
inline Vec UnpackLo32(Vec a, Vec b) { return _mm_unpacklo_epi32(a, b); }
inline Vec UnpackHi32(Vec a, Vec b) { return _mm_unpackhi_epi32(a, b); }
inline Vec UnpackLo64(Vec a, Vec b) { return _mm_unpacklo_epi64(a, b); }
inline Vec UnpackHi64(Vec a, Vec b) { return _mm_unpackhi_epi64(a, b); }
template <int kShift>
inline Vec ShiftRight32(Vec a) {
  return _mm_srai_epi32(a, kShift);
}
inline Vec Pack32(Vec a, Vec b) { return _mm_packs_epi32(a, b); }
inline Vec Broadcast32(int value) { return _mm_set1_epi32(value); }

#include "platform/graph/jpeg_idct_body.inc"

}  // namespace
}  // namespace idct_sse2

// The same code for two blocks at once, one in each 128-bit half, compiled for AVX2
// and used only when the processor has it.
VISTREL_TARGET_BEGIN("avx2")
namespace idct_avx2 {
namespace {

using Vec = __m256i;
inline Vec Add16(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
inline Vec Add32(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
inline Vec Sub32(Vec a, Vec b) { return _mm256_sub_epi32(a, b); }
inline Vec MultiplyAdd16(Vec a, Vec b) { return _mm256_madd_epi16(a, b); }
inline Vec UnpackLo16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
inline Vec UnpackHi16(Vec a, Vec b) { return _mm256_unpackhi_epi16(a, b); }
inline Vec UnpackLo32(Vec a, Vec b) { return _mm256_unpacklo_epi32(a, b); }
inline Vec UnpackHi32(Vec a, Vec b) { return _mm256_unpackhi_epi32(a, b); }
inline Vec UnpackLo64(Vec a, Vec b) { return _mm256_unpacklo_epi64(a, b); }
inline Vec UnpackHi64(Vec a, Vec b) { return _mm256_unpackhi_epi64(a, b); }
template <int kShift>
inline Vec ShiftRight32(Vec a) {
  return _mm256_srai_epi32(a, kShift);
}
inline Vec Pack32(Vec a, Vec b) { return _mm256_packs_epi32(a, b); }
inline Vec Broadcast32(int value) { return _mm256_set1_epi32(value); }

#include "platform/graph/jpeg_idct_body.inc"

void InverseDctPairAvx2(const std::int16_t* first, std::uint8_t* firstOut, std::ptrdiff_t firstStride,
                        const std::int16_t* second, std::uint8_t* secondOut, std::ptrdiff_t secondStride) {
  Vec v[8];
  for (int i = 0; i < 8; ++i) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 8 * i));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + 8 * i));
    v[i] = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
  }
  InverseDctRows(v);
  for (int i = 0; i < 8; ++i, firstOut += firstStride, secondOut += secondStride) {
    const Vec bytes = _mm256_packus_epi16(v[i], v[i]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(firstOut), _mm256_castsi256_si128(bytes));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(secondOut), _mm256_extracti128_si256(bytes, 1));
  }
}

}  // namespace
}  // namespace idct_avx2
VISTREL_TARGET_END

void InverseDct8x8(const std::int16_t* coefficients, std::uint8_t* out, std::ptrdiff_t stride) {
  using namespace idct_sse2;
  Vec v[8];
  for (int i = 0; i < 8; ++i) v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * i));
  InverseDctRows(v);
  for (int i = 0; i < 8; ++i, out += stride) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v[i], v[i]));
  }
}

#else

void InverseDct8x8(const std::int16_t* coefficients, std::uint8_t* out, std::ptrdiff_t stride) {
  InverseDct8x8Plain(coefficients, out, stride);
}

#endif

namespace {

void InverseDctPairOneByOne(const std::int16_t* first, std::uint8_t* firstOut, std::ptrdiff_t firstStride,
                            const std::int16_t* second, std::uint8_t* secondOut, std::ptrdiff_t secondStride) {
  InverseDct8x8(first, firstOut, firstStride);
  InverseDct8x8(second, secondOut, secondStride);
}

}  // namespace

InverseDctPair SelectInverseDctPair() {
#if defined(__SSE2__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx2")) return idct_avx2::InverseDctPairAvx2;
#endif
  return InverseDctPairOneByOne;
}

void InverseDctDcOnly(std::int16_t dc, std::uint8_t* out, std::ptrdiff_t stride) {
  const auto sample = static_cast<std::uint8_t>(std::clamp(DcOnlySample(dc), 0, 255));
  for (int row = 0; row < 8; ++row, out += stride) std::memset(out, sample, 8);
}

}  // namespace platform
