#include "seven_segment.h"

#include <algorithm>
#include <cstring>

namespace platform::vcam {

namespace {

constexpr int kDigits = 6;
constexpr std::uint8_t kInk = 240;

// Segments a..g as bits 0..6, for the digits 0..9.
constexpr std::uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void FillRect(const SevenSegmentCanvas& c, int x0, int y0, int w, int h) {
  // Whole chroma pairs, so the ink stays white whatever the picture's colour beside it.
  int x1 = std::min(c.width, x0 + w);
  int y1 = std::min(c.height, y0 + h);
  x0 = std::max(0, x0 & ~1);
  y0 = std::max(0, y0);
  x1 = std::min(c.width, (x1 + 1) & ~1);
  if (x0 >= x1 || y0 >= y1) return;
  const int cw = c.width / 2;
  for (int y = y0; y < y1; ++y) {
    std::memset(c.y + static_cast<std::size_t>(y) * c.width + x0, kInk, x1 - x0);
    std::memset(c.u + static_cast<std::size_t>(y) * cw + x0 / 2, 128, (x1 - x0) / 2);
    std::memset(c.v + static_cast<std::size_t>(y) * cw + x0 / 2, 128, (x1 - x0) / 2);
  }
}

void DrawDigit(const SevenSegmentCanvas& c, int x, int y, int w, int h, int t, int digit) {
  const std::uint8_t s = kSegments[digit];
  const int mid = y + (h - t) / 2;
  if (s & 0x01) FillRect(c, x, y, w, t);                   // a: top
  if (s & 0x02) FillRect(c, x + w - t, y, t, h / 2);       // b: upper right
  if (s & 0x04) FillRect(c, x + w - t, mid, t, h - (mid - y));  // c: lower right
  if (s & 0x08) FillRect(c, x, y + h - t, w, t);           // d: bottom
  if (s & 0x10) FillRect(c, x, mid, t, h - (mid - y));     // e: lower left
  if (s & 0x20) FillRect(c, x, y, t, h / 2);               // f: upper left
  if (s & 0x40) FillRect(c, x, mid, w, t);                 // g: middle
}

}  // namespace

void DrawCounter(const SevenSegmentCanvas& canvas, std::uint64_t frameNumber) {
  const int h = std::max(7, canvas.height / 14);
  const int w = std::max(4, h * 11 / 20);
  const int t = std::max(1, h / 8);
  const int gap = std::max(2, w / 3);
  const int margin = std::max(1, canvas.height / 40);
  std::uint64_t n = frameNumber % 1000000;
  for (int i = kDigits - 1; i >= 0; --i) {
    DrawDigit(canvas, margin + i * (w + gap), margin, w, h, t, static_cast<int>(n % 10));
    n /= 10;
  }
}

}  // namespace platform::vcam
