#include "view/overlay_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool Covered(const std::uint8_t* p) { return !(p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF); }

// trunc(size × height), held to ±limit: a length beyond the picture's reach draws the
// same as any other beyond it.
int LengthOf(float size, int height, int limit) {
  const double length = static_cast<double>(size * static_cast<float>(height));
  return static_cast<int>(std::clamp(length, -static_cast<double>(limit), static_cast<double>(limit)));
}

// The largest k ≥ 0 with k² < n, for n ≥ 1.
long long RootBelow(long long n) {
  auto k = static_cast<long long>(std::sqrt(static_cast<double>(n)));
  while (k > 0 && k * k >= n) --k;
  while ((k + 1) * (k + 1) < n) ++k;
  return k;
}

}  // namespace

OverlayPicture::OverlayPicture(int width, int height, const OverlaySettings& s)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_image(static_cast<std::uint32_t>(m_width), static_cast<std::uint32_t>(m_height), 24) {
  if (!m_image.IsValid()) return;
  m_image.Clear(0xFF);
  const int cx = static_cast<int>(m_width * 0.5);
  const int cy = static_cast<int>(m_height * 0.5);
  // No distance inside the picture reaches this.
  const int reach = m_width + m_height + 1;

  // A size that is not a number draws nothing.
  if (s.m_bMaskOn && !std::isnan(s.m_fMaskSize)) {
    // Every pixel at or beyond the radius takes the mask colour: a transparent disc in
    // a coloured field. Row by row, the disc's span is found from the squares, which is
    // exact for whole numbers: d >= R  <=>  dx² + dy² >= R² (for R > 0).
    const int r = LengthOf(s.m_fMaskSize, m_height, reach);
    const long long r2 = static_cast<long long>(r) * r;
    for (int y = 0; y < m_height; ++y) {
      const long long dy = cy - y;
      const long long inside = r > 0 ? r2 - dy * dy : 0;  // the disc holds dx² < inside
      if (inside <= 0) {
        Fill(y, 0, m_width, s.m_clrMask);
        continue;
      }
      const long long k = RootBelow(inside);
      const long long left = std::clamp<long long>(cx - k, 0, m_width);
      const long long right = std::clamp<long long>(cx + k + 1, 0, m_width);
      Fill(y, 0, static_cast<int>(left), s.m_clrMask);
      Fill(y, static_cast<int>(right), m_width, s.m_clrMask);
    }
  }

  if (s.m_bCrossOn && !std::isnan(s.m_fCrossSize)) {
    const int l = LengthOf(s.m_fCrossSize, m_height, 4 * reach);
    const int q = l / 4;
    const COLORREF c = s.m_clrCross;
    Fill(cy, cx - l, cx + l, c);  // horizontal bar
    if (cy - l > 0) {             // end marks of the vertical bar
      Fill(cy - l, cx - q, cx + q, c);
      Fill(cy + l, cx - q, cx + q, c);
    }
    for (int y = std::max(cy - q, 0); y < std::min(cy + q, m_height); ++y) {  // end marks of the horizontal bar
      Plot(cx - l, y, c);
      Plot(cx + l, y, c);
    }
    for (int y = std::max(cy - l, 0); y < std::min(cy + l, m_height); ++y) Plot(cx, y, c);  // vertical bar
    // Two rings, radius L/2 and L/4, one pixel wide.
    const double rings[] = {static_cast<double>(l / 2), static_cast<double>(q)};
    for (double ring : rings) {
      if (ring <= -1.0 || ring >= reach + 1.0) continue;  // no pixel is that far from the ring
      const int span = static_cast<int>(ring) + 2;
      for (int y = std::max(cy - span, 0); y <= std::min(cy + span, m_height - 1); ++y) {
        for (int x = std::max(cx - span, 0); x <= std::min(cx + span, m_width - 1); ++x) {
          const double d = std::sqrt(static_cast<double>(cx - x) * (cx - x) + static_cast<double>(cy - y) * (cy - y));
          if (std::fabs(ring - d) < 1.0) Plot(x, y, c);
        }
      }
    }
  }
  CollectRuns();
}

void OverlayPicture::Plot(int x, int y, COLORREF colour) { Fill(y, x, x + 1, colour); }

// Pixels [x0, x1) of stored row y, clipped to the picture.
void OverlayPicture::Fill(int y, int x0, int x1, COLORREF colour) {
  if (y < 0 || y >= m_height) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, m_width);
  std::uint8_t* p = m_image.GetBits(static_cast<std::uint32_t>(y)) + 3 * static_cast<std::ptrdiff_t>(x0);
  for (int x = x0; x < x1; ++x, p += 3) {
    p[0] = static_cast<std::uint8_t>(colour >> 16);  // blue
    p[1] = static_cast<std::uint8_t>(colour >> 8);   // green
    p[2] = static_cast<std::uint8_t>(colour);        // red
  }
}

int OverlayPicture::PatternOf(const std::uint8_t* pixel) {
  for (std::size_t i = 0; i < m_patterns.size(); ++i) {
    if (std::equal(pixel, pixel + 3, m_patterns[i].bytes)) return static_cast<int>(i);
  }
  Pattern pattern;
  for (int i = 0; i < 48; i += 3) std::memcpy(pattern.bytes + i, pixel, 3);
  m_patterns.push_back(pattern);
  return static_cast<int>(m_patterns.size() - 1);
}

void OverlayPicture::CollectRuns() {
  m_rowRuns.reserve(static_cast<std::size_t>(m_height) + 1);
  for (int y = 0; y < m_height; ++y) {
    m_rowRuns.push_back(m_runs.size());
    const std::uint8_t* row = m_image.GetBits(static_cast<std::uint32_t>(y));
    int x = 0;
    while (x < m_width) {
      const std::uint8_t* p = row + 3 * x;
      if (!Covered(p)) {
        ++x;
        continue;
      }
      int end = x + 1;
      while (end < m_width && std::equal(p, p + 3, row + 3 * end)) ++end;
      m_runs.push_back(Run{y, x, end, PatternOf(p)});
      x = end;
    }
  }
  m_rowRuns.push_back(m_runs.size());
}

namespace {
void FillPattern(std::uint8_t* p, int n, const std::uint8_t* pattern) {
  // Sixteen pixels at a time from the pattern, then the rest pixel by pixel.
  for (; n >= 16; n -= 16, p += 48) std::memcpy(p, pattern, 48);
  for (; n > 0; --n, p += 3) std::memcpy(p, pattern, 3);
}
}  // namespace

void OverlayPicture::LayOver(std::uint8_t* bits, int width, int height, int stride) const {
  if (!bits || width <= 0 || height <= 0 || m_rowRuns.empty()) return;
  const std::size_t last = m_rowRuns[static_cast<std::size_t>(std::min(height, m_height))];
  for (std::size_t i = 0; i < last; ++i) {
    const Run& run = m_runs[i];
    if (run.x0 >= width) continue;
    FillPattern(bits + static_cast<std::ptrdiff_t>(run.row) * stride + 3 * static_cast<std::ptrdiff_t>(run.x0),
                std::min(run.x1, width) - run.x0, m_patterns[static_cast<std::size_t>(run.colour)].bytes);
  }
}

void OverlayPicture::CopyOver(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride, int width,
                              int height) const {
  CopyRows(src, srcStride, dst, dstStride, width, height, true);
}

void OverlayPicture::CopyUncovered(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride,
                                   int width, int height) const {
  CopyRows(src, srcStride, dst, dstStride, width, height, false);
}

void OverlayPicture::CopyRows(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride, int width,
                              int height, bool layRuns) const {
  if (!src || !dst || width <= 0 || height <= 0) return;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* from = src + static_cast<std::ptrdiff_t>(y) * srcStride;
    std::uint8_t* to = dst + static_cast<std::ptrdiff_t>(y) * dstStride;
    // Each destination byte is written once: the pixels between the row's runs come
    // from the source, the runs' from their pattern; covered source pixels are not read.
    int x = 0;
    if (y < m_height && !m_rowRuns.empty()) {
      for (std::size_t i = m_rowRuns[static_cast<std::size_t>(y)]; i < m_rowRuns[static_cast<std::size_t>(y) + 1]; ++i) {
        const Run& run = m_runs[i];
        if (run.x0 >= width) break;
        std::memcpy(to + 3 * x, from + 3 * x, 3 * static_cast<std::size_t>(run.x0 - x));
        x = std::min(run.x1, width);
        if (layRuns) FillPattern(to + 3 * run.x0, x - run.x0, m_patterns[static_cast<std::size_t>(run.colour)].bytes);
      }
    }
    std::memcpy(to + 3 * x, from + 3 * x, 3 * static_cast<std::size_t>(width - x));
  }
}
