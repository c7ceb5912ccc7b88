#include "mainwnd/overlay_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
bool Covered(const std::uint8_t* p) { return !(p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF); }
}  // namespace

OverlayPicture::OverlayPicture(int width, int height, const OverlaySettings& s)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_image(static_cast<std::uint32_t>(m_width), static_cast<std::uint32_t>(m_height), 24) {
  if (!m_image.IsValid()) return;
  m_image.Clear(0xFF);
  const int cx = static_cast<int>(m_width * 0.5);
  const int cy = static_cast<int>(m_height * 0.5);

  if (s.m_bMaskOn) {
    // Everything at or beyond the radius takes the mask colour: a transparent disc in a
    // coloured field.
    const int r = static_cast<int>(s.m_fMaskSize * static_cast<float>(m_height));
    const long long r2 = static_cast<long long>(r) * r;
    for (int y = 0; y < m_height; ++y) {
      const long long dy = cy - y;
      for (int x = 0; x < m_width; ++x) {
        const long long dx = cx - x;
        // d >= R compared on squares: exact for whole numbers, and no root per pixel.
        if (dx * dx + dy * dy >= r2) Plot(x, y, s.m_clrMask);
      }
    }
  }

  if (s.m_bCrossOn) {
    const int l = static_cast<int>(s.m_fCrossSize * static_cast<float>(m_height));
    const int q = l / 4;
    const COLORREF c = s.m_clrCross;
    for (int x = cx - l; x < cx + l; ++x) Plot(x, cy, c);  // horizontal bar
    if (cy - l > 0) {                                      // end marks of the vertical bar
      for (int x = cx - q; x < cx + q; ++x) {
        Plot(x, cy - l, c);
        Plot(x, cy + l, c);
      }
    }
    for (int y = cy - q; y < cy + q; ++y) {  // end marks of the horizontal bar
      Plot(cx - l, y, c);
      Plot(cx + l, y, c);
    }
    for (int y = std::max(cy - l, 0); y < std::min(cy + l, m_height); ++y) Plot(cx, y, c);  // vertical bar
    // Two rings, radius L/2 and L/4, one pixel wide.
    const double rings[] = {static_cast<double>(l / 2), static_cast<double>(q)};
    for (double ring : rings) {
      const int reach = static_cast<int>(ring) + 2;
      for (int y = std::max(cy - reach, 0); y <= std::min(cy + reach, m_height - 1); ++y) {
        for (int x = std::max(cx - reach, 0); x <= std::min(cx + reach, m_width - 1); ++x) {
          const double d = std::sqrt(static_cast<double>(cx - x) * (cx - x) + static_cast<double>(cy - y) * (cy - y));
          if (std::fabs(ring - d) < 1.0) Plot(x, y, c);
        }
      }
    }
  }
  CollectRuns();
}

void OverlayPicture::Plot(int x, int y, COLORREF colour) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  std::uint8_t* p = m_image.GetBits(static_cast<std::uint32_t>(y)) + 3 * x;
  p[0] = static_cast<std::uint8_t>(colour >> 16);  // blue
  p[1] = static_cast<std::uint8_t>(colour >> 8);   // green
  p[2] = static_cast<std::uint8_t>(colour);        // red
}

void OverlayPicture::CollectRuns() {
  for (int y = 0; y < m_height; ++y) {
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
      m_runs.push_back(Run{y, x, end, p[0], p[1], p[2]});
      x = end;
    }
  }
}

void OverlayPicture::LayOver(std::uint8_t* bits, int width, int height, int stride) const {
  for (const Run& run : m_runs) {
    if (run.row >= height || run.x0 >= width) continue;
    std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(run.row) * stride + 3 * run.x0;
    const int end = std::min(run.x1, width);
    for (int x = run.x0; x < end; ++x, p += 3) {
      p[0] = run.b;
      p[1] = run.g;
      p[2] = run.r;
    }
  }
}
