#include "view/view_transform_scaler.h"

#include <algorithm>
#include <climits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VIEW_SCALER_X86 1
#endif

namespace {

constexpr int kBytesPerPixel = 3;
constexpr int kBlockValues = 8;  // results of one horizontal block
constexpr int kOne = 32768;      // weight of a whole pixel
constexpr std::uint8_t kZeroByte = 0x80;

// The exact operation of the processor's rounding high multiply: (a × b + 2^14) >> 15.
inline std::int16_t MulRound(int a, int b) { return static_cast<std::int16_t>((a * b + 0x4000) >> 15); }

// Left neighbour, right neighbour and the right one's weight (of 32768) of destination
// position `at` when `src` source positions are spread over `dst`, centres aligned:
// source position = (at + ½) × src / dst − ½, clamped to the edges.
struct Tap {
  int left;
  int right;
  int weight;
};

Tap TapOf(int at, int src, int dst) {
  const long long num = (2LL * at + 1) * src - dst;  // position × 2·dst
  const long long den = 2LL * dst;
  Tap tap{0, 0, 0};
  if (num > 0) {
    tap.left = static_cast<int>(num / den);
    tap.weight = static_cast<int>(((num % den) * 2 * kOne + den) / (2 * den));
    if (tap.weight == kOne) {
      ++tap.left;
      tap.weight = 0;
    }
  }
  if (tap.left >= src - 1) {
    tap.left = src - 1;
    tap.weight = 0;
  }
  tap.right = tap.weight ? tap.left + 1 : tap.left;
  return tap;
}

inline std::uint8_t ToByte(int v) { return static_cast<std::uint8_t>(std::clamp((v + 64) >> 7, 0, 255)); }

#ifdef VIEW_SCALER_X86
__attribute__((target("ssse3"))) inline __m128i Across128(__m128i window, __m128i left, __m128i right,
                                                         __m128i weight) {
  const __m128i l = _mm_shuffle_epi8(window, left);
  const __m128i r = _mm_shuffle_epi8(window, right);
  const __m128i d = _mm_slli_epi16(_mm_sub_epi16(r, l), 7);
  return _mm_add_epi16(_mm_slli_epi16(l, 7), _mm_mulhrs_epi16(d, weight));
}

__attribute__((target("ssse3"))) void AcrossSsse3(const std::uint8_t* src, std::size_t blocks,
                                                  const std::int32_t* window, const std::uint8_t* left,
                                                  const std::uint8_t* right, const std::int16_t* weight,
                                                  std::int16_t* out) {
  for (std::size_t b = 0; b < blocks; ++b) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + window[b]));
    const __m128i v = Across128(w, _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + 16 * b)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(right + 16 * b)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(weight + 8 * b)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * b), v);
  }
}

__attribute__((target("avx2"))) void AcrossAvx2(const std::uint8_t* src, std::size_t blocks,
                                                const std::int32_t* window, const std::uint8_t* left,
                                                const std::uint8_t* right, const std::int16_t* weight,
                                                std::int16_t* out) {
  // Two blocks per step: each 128-bit lane shuffles its own window.
  for (std::size_t b = 0; b < blocks; b += 2) {
    const __m256i w = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + window[b]))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + window[b + 1])), 1);
    const __m256i l = _mm256_shuffle_epi8(w, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(left + 16 * b)));
    const __m256i r = _mm256_shuffle_epi8(w, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(right + 16 * b)));
    const __m256i d = _mm256_slli_epi16(_mm256_sub_epi16(r, l), 7);
    const __m256i v = _mm256_add_epi16(
        _mm256_slli_epi16(l, 7),
        _mm256_mulhrs_epi16(d, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weight + 8 * b))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * b), v);
  }
}

// Sixteen output bytes per step; returns where the plain loop takes over.
__attribute__((target("ssse3"))) std::size_t BlendSsse3(const std::int16_t* top, const std::int16_t* bottom,
                                                        std::int16_t weight, std::uint8_t* out, std::size_t n) {
  const __m128i wv = _mm_set1_epi16(weight);
  const __m128i half = _mm_set1_epi16(64);
  std::size_t j = 0;
  for (; j + 16 <= n; j += 16) {
    __m128i v[2];
    for (int k = 0; k < 2; ++k) {
      const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + j + 8 * k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + j + 8 * k));
      const __m128i m = _mm_add_epi16(t, _mm_mulhrs_epi16(_mm_sub_epi16(b, t), wv));
      v[k] = _mm_srai_epi16(_mm_add_epi16(m, half), 7);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(v[0], v[1]));
  }
  return j;
}

__attribute__((target("avx2"))) std::size_t BlendAvx2(const std::int16_t* top, const std::int16_t* bottom,
                                                      std::int16_t weight, std::uint8_t* out, std::size_t n) {
  const __m256i wv = _mm256_set1_epi16(weight);
  const __m256i half = _mm256_set1_epi16(64);
  std::size_t j = 0;
  for (; j + 32 <= n; j += 32) {
    __m256i v[2];
    for (int k = 0; k < 2; ++k) {
      const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + j + 16 * k));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + j + 16 * k));
      const __m256i m = _mm256_add_epi16(t, _mm256_mulhrs_epi16(_mm256_sub_epi16(b, t), wv));
      v[k] = _mm256_srai_epi16(_mm256_add_epi16(m, half), 7);
    }
    // The pack works per 128-bit lane; the permute puts the quarters back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v[0], v[1]), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), packed);
  }
  return j;
}
#endif

}  // namespace

BgrUpscaler::BgrUpscaler() {
#ifdef VIEW_SCALER_X86
  if (__builtin_cpu_supports("avx2")) {
    m_best = Kernel::Avx2;
  } else if (__builtin_cpu_supports("ssse3")) {
    m_best = Kernel::Ssse3;
  }
#endif
  m_kernel = m_best;
}

bool BgrUpscaler::ForceKernel(Kernel kernel) {
  if (static_cast<int>(kernel) > static_cast<int>(m_best)) return false;
  m_kernel = kernel;
  return true;
}

bool BgrUpscaler::Configure(int srcWidth, int srcHeight, int dstWidth, int dstHeight, bool hMirror) {
  if (m_configured && srcWidth == m_srcWidth && srcHeight == m_srcHeight && dstWidth == m_dstWidth &&
      dstHeight == m_dstHeight && hMirror == m_hMirror) {
    return true;
  }
  m_configured = false;
  if (srcWidth <= 0 || srcHeight <= 0 || dstWidth < srcWidth || dstHeight < srcHeight ||
      dstWidth > INT_MAX / 4 / kBytesPerPixel) {
    return false;
  }
  m_values = static_cast<std::size_t>(dstWidth) * kBytesPerPixel;
  m_blockCount = (m_values + 2 * kBlockValues - 1) / (2 * kBlockValues) * 2;
  m_window.assign(m_blockCount, 0);
  m_left.assign(m_blockCount * 16, kZeroByte);
  m_right.assign(m_blockCount * 16, kZeroByte);
  m_weight.assign(m_blockCount * kBlockValues, 0);

  std::vector<Tap> across(static_cast<std::size_t>(dstWidth));
  m_columns.resize(static_cast<std::size_t>(dstWidth));
  for (int x = 0; x < dstWidth; ++x) {
    across[x] = TapOf(hMirror ? dstWidth - 1 - x : x, srcWidth, dstWidth);
    m_columns[x] = ColumnTap{across[x].left, across[x].right};
  }
  for (std::size_t b = 0; b < m_blockCount; ++b) {
    const std::size_t first = b * kBlockValues;
    if (first >= m_values) break;  // blocks past the row read byte 0 with weight 0
    const std::size_t end = std::min(first + kBlockValues, m_values);
    int window = INT_MAX;
    for (std::size_t j = first; j < end; ++j) window = std::min(window, across[j / kBytesPerPixel].left);
    window *= kBytesPerPixel;
    m_window[b] = window;
    for (std::size_t j = first; j < end; ++j) {
      const Tap& tap = across[j / kBytesPerPixel];
      const int channel = static_cast<int>(j % kBytesPerPixel);
      const int l = tap.left * kBytesPerPixel + channel - window;
      const int r = tap.right * kBytesPerPixel + channel - window;
      // Never more than a pixel between neighbouring results when enlarging, so a block's
      // neighbours always lie within its 16-byte window.
      if (l < 0 || r > 15) return false;
      const std::size_t lane = j - first;
      m_left[16 * b + 2 * lane] = static_cast<std::uint8_t>(l);
      m_right[16 * b + 2 * lane] = static_cast<std::uint8_t>(r);
      m_weight[kBlockValues * b + lane] = static_cast<std::int16_t>(tap.weight);
    }
  }

  m_rows.resize(static_cast<std::size_t>(dstHeight));
  for (int y = 0; y < dstHeight; ++y) {
    const Tap tap = TapOf(y, srcHeight, dstHeight);
    m_rows[y] = RowTap{tap.left, tap.right, static_cast<std::int16_t>(tap.weight)};
  }
  m_srcRow.assign(static_cast<std::size_t>(srcWidth) * kBytesPerPixel + kRowSlack, 0);
  for (auto& scaled : m_scaled) scaled.assign(m_blockCount * kBlockValues, 0);
  m_srcWidth = srcWidth;
  m_srcHeight = srcHeight;
  m_dstWidth = dstWidth;
  m_dstHeight = dstHeight;
  m_hMirror = hMirror;
  m_configured = true;
  return true;
}

void BgrUpscaler::ScaleAcross(const std::uint8_t* src, std::size_t first, std::size_t last, std::int16_t* out) const {
#ifdef VIEW_SCALER_X86
  if (m_kernel == Kernel::Avx2 || m_kernel == Kernel::Ssse3) {
    const auto across = m_kernel == Kernel::Avx2 ? AcrossAvx2 : AcrossSsse3;
    across(src, last - first, m_window.data() + first, m_left.data() + 16 * first, m_right.data() + 16 * first,
           m_weight.data() + kBlockValues * first, out + kBlockValues * first);
    return;
  }
#endif
  for (std::size_t b = first; b < last; ++b) {
    const std::uint8_t* window = src + m_window[b];
    for (int lane = 0; lane < kBlockValues; ++lane) {
      // A shuffle index with its top bit set gives zero.
      const std::uint8_t li = m_left[16 * b + 2 * lane];
      const std::uint8_t ri = m_right[16 * b + 2 * lane];
      const int l = li & kZeroByte ? 0 : window[li];
      const int r = ri & kZeroByte ? 0 : window[ri];
      out[kBlockValues * b + lane] =
          static_cast<std::int16_t>((l << 7) + MulRound((r - l) << 7, m_weight[kBlockValues * b + lane]));
    }
  }
}

void BgrUpscaler::Blend(const std::int16_t* top, const std::int16_t* bottom, std::int16_t weight, std::size_t from,
                        std::size_t to, std::uint8_t* out) const {
  // Each value depends on its own position only, so any part of a row gives the bytes
  // the whole row would.
  top += from;
  bottom += from;
  out += from;
  const std::size_t n = to - from;
  std::size_t j = 0;
#ifdef VIEW_SCALER_X86
  if (m_kernel == Kernel::Avx2) {
    j = BlendAvx2(top, bottom, weight, out, n);
  } else if (m_kernel == Kernel::Ssse3) {
    j = BlendSsse3(top, bottom, weight, out, n);
  }
#endif
  for (; j < n; ++j) out[j] = ToByte(top[j] + MulRound(bottom[j] - top[j], weight));
}

int BgrUpscaler::ScaledSlot(RowSource& source, int row, int keep, std::size_t first, std::size_t last) {
  for (int slot = 0; slot < 2; ++slot) {
    if (m_scaledRow[slot] == row) return slot;
  }
  // Rows are asked for in increasing order: the slot with the older row goes.
  int slot = m_scaledRow[0] <= m_scaledRow[1] ? 0 : 1;
  if (slot == keep) slot = 1 - slot;
  source.Fill(row, m_srcRow.data());
  ScaleAcross(m_srcRow.data(), first, last, m_scaled[slot].data());
  m_scaledRow[slot] = row;
  return slot;
}

BgrUpscaler::Region BgrUpscaler::Reach(int x0, int x1, int y0, int y1, bool vMirror) const {
  Region region;
  if (!m_configured || x0 >= x1 || y0 >= y1) return region;
  // A destination pixel is reached when one of its taps across and one of its taps
  // down lie inside. The taps only grow (or, mirrored, only shrink) along a row or a
  // column, so the pixels reached form one rectangle.
  const auto reached = [](int a, int b, int from, int to) { return std::max(a, b) >= from && std::min(a, b) < to; };
  int first = -1, last = -1;
  for (int x = 0; x < m_dstWidth; ++x) {
    const ColumnTap& tap = m_columns[static_cast<std::size_t>(x)];
    if (!reached(tap.left, tap.right, x0, x1)) continue;
    if (first < 0) first = x;
    last = x;
  }
  if (first < 0) return region;
  region.x0 = first;
  region.x1 = last + 1;
  first = last = -1;
  for (int y = 0; y < m_dstHeight; ++y) {
    const RowTap& tap = m_rows[static_cast<std::size_t>(y)];
    if (!reached(tap.top, tap.bottom, y0, y1)) continue;
    if (first < 0) first = y;
    last = y;
  }
  if (first < 0) return Region{};
  region.y0 = vMirror ? m_dstHeight - 1 - last : first;
  region.y1 = vMirror ? m_dstHeight - first : last + 1;
  return region;
}

void BgrUpscaler::Run(RowSource& source, std::uint8_t* dst, std::ptrdiff_t dstStride, bool vMirror,
                      const Region& region) {
  if (!m_configured) return;
  const int x0 = std::max(region.x0, 0), x1 = std::min(region.x1, m_dstWidth);
  const int y0 = std::max(region.y0, 0), y1 = std::min(region.y1, m_dstHeight);
  if (x0 >= x1 || y0 >= y1) return;
  m_scaledRow[0] = m_scaledRow[1] = -1;  // a new frame
  // The values of the region's columns, and the horizontal blocks that make them (in
  // pairs, as the widest kernel takes them; the block count is even).
  const std::size_t from = static_cast<std::size_t>(x0) * kBytesPerPixel;
  const std::size_t to = static_cast<std::size_t>(x1) * kBytesPerPixel;
  const std::size_t firstBlock = from / kBlockValues / 2 * 2;
  const std::size_t lastBlock = std::min((to + 2 * kBlockValues - 1) / (2 * kBlockValues) * 2, m_blockCount);
  // Result rows in increasing order, so that the source rows are asked for in order.
  const int first = vMirror ? m_dstHeight - y1 : y0;
  const int last = vMirror ? m_dstHeight - y0 : y1;
  for (int y = first; y < last; ++y) {
    const RowTap& tap = m_rows[static_cast<std::size_t>(y)];
    const int top = ScaledSlot(source, tap.top, -1, firstBlock, lastBlock);
    const int bottom = tap.weight ? ScaledSlot(source, tap.bottom, top, firstBlock, lastBlock) : top;
    std::uint8_t* out = dst + (vMirror ? m_dstHeight - 1 - y : y) * dstStride;
    Blend(m_scaled[top].data(), m_scaled[bottom].data(), tap.weight, from, to, out);
  }
}
