#include "seven_segment.h"

#include <algorithm>

#include "tone_tables.h"

namespace platform::vcam {

namespace {

constexpr int kDigits = 6;
constexpr std::uint8_t kInk = 240;  // full range

// Segments a..g as bits 0..6, for the digits 0..9.
constexpr std::uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void FillRect(const YuvTarget& t, int x0, int y0, int w, int h) {
  // Whole chroma pairs, so the ink stays white whatever the picture's colour beside it.
  const int x1 = std::min(t.width, (x0 + w + 1) & ~1);
  const int y1 = std::min(t.height, y0 + h);
  x0 = std::max(0, x0 & ~1);
  y0 = std::max(0, y0);
  if (x0 >= x1 || y0 >= y1) return;
  const std::uint8_t ink = t.range == ToneTables::kVideo ? VideoRangeLuma(kInk) : kInk;
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* luma = t.y + y * t.lumaStride;
    for (int x = x0; x < x1; ++x) luma[x * t.lumaStep] = ink;
    std::uint8_t* u = t.u + y * t.chromaStride;
    std::uint8_t* v = t.v + y * t.chromaStride;
    for (int j = x0 / 2; j < x1 / 2; ++j) u[j * t.chromaStep] = v[j * t.chromaStep] = 128;
  }
}

void DrawDigit(const YuvTarget& c, int x, int y, int w, int h, int t, int digit) {
  const std::uint8_t s = kSegments[digit];
  const int mid = y + (h - t) / 2;
  const int lower = h - (mid - y);
  if (s & 0x01) FillRect(c, x, y, w, t);              // a: top
  if (s & 0x02) FillRect(c, x + w - t, y, t, h / 2);  // b: upper right
  if (s & 0x04) FillRect(c, x + w - t, mid, t, lower);  // c: lower right
  if (s & 0x08) FillRect(c, x, y + h - t, w, t);      // d: bottom
  if (s & 0x10) FillRect(c, x, mid, t, lower);        // e: lower left
  if (s & 0x20) FillRect(c, x, y, t, h / 2);          // f: upper left
  if (s & 0x40) FillRect(c, x, mid, w, t);            // g: middle
}

}  // namespace

void DrawCounter(const YuvTarget& target, std::uint64_t frameNumber) {
  const int h = std::max(7, target.height / 14);
  const int w = std::max(4, h * 11 / 20);
  const int t = std::max(2, h / 8);
  const int gap = std::max(2, w / 3);
  const int margin = std::max(1, target.height / 40);
  std::uint64_t n = frameNumber % 1000000;
  for (int i = kDigits - 1; i >= 0; --i) {
    DrawDigit(target, margin + i * (w + gap), margin, w, h, t, static_cast<int>(n % 10));
    n /= 10;
  }
}

}  // namespace platform::vcam
