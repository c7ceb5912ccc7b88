#include "frame_pattern.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace testcam {
namespace {

constexpr int kCounterBits = 16;

bool InCounterBand(int y, int height) { return y >= height * 3 / 4; }

Rgb PixelAt(int x, int y, int width, int height, std::uint16_t counter) {
  if (InCounterBand(y, height)) {
    const int bit = x * kCounterBits / width;
    const bool one = (counter >> bit) & 1u;
    return one ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
  }
  return BarColours()[static_cast<std::size_t>(x * 8 / width)];
}

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

const std::vector<Rgb>& BarColours() {
  static const std::vector<Rgb> bars = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                        {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
  return bars;
}

std::vector<std::uint8_t> PaintRgb(int width, int height, std::uint16_t counter) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* p = rgb.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = PixelAt(x, y, width, height, counter);
      *p++ = c.r;
      *p++ = c.g;
      *p++ = c.b;
    }
  }
  return rgb;
}

std::vector<std::uint8_t> PaintYuyv(int width, int height, std::uint16_t counter) {
  std::vector<std::uint8_t> yuyv(static_cast<std::size_t>(width) * height * 2);
  std::uint8_t* p = yuyv.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; x += 2) {
      // Bars and blocks start on even pixels, so both pixels of a pair share a colour.
      const Rgb c = PixelAt(x, y, width, height, counter);
      const double luma = 16 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 255.0;
      const double cb = 128 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 255.0;
      const double cr = 128 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 255.0;
      *p++ = Clamp(luma);
      *p++ = Clamp(cb);
      *p++ = Clamp(luma);
      *p++ = Clamp(cr);
    }
  }
  return yuyv;
}

std::vector<std::uint8_t> PaintJpeg(int width, int height, std::uint16_t counter) {
  const std::vector<std::uint8_t> rgb = PaintRgb(width, height, counter);
  tjhandle handle = tjInitCompress();
  if (!handle) return {};
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_422, 85, 0);
  std::vector<std::uint8_t> bytes;
  if (result == 0) bytes.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  tjDestroy(handle);
  return bytes;
}

std::optional<std::uint16_t> ReadBgrBottomUp(const std::uint8_t* pixels, int width, int height, int tolerance) {
  auto at = [&](int x, int y) {
    const std::uint8_t* p = pixels + (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
    return Rgb{p[2], p[1], p[0]};
  };
  auto near = [&](std::uint8_t a, std::uint8_t b) { return std::abs(int(a) - int(b)) <= tolerance; };
  const int barY = height * 3 / 8;
  for (int i = 0; i < 8; ++i) {
    const Rgb want = BarColours()[static_cast<std::size_t>(i)];
    const Rgb got = at((2 * i + 1) * width / 16, barY);
    if (!near(got.r, want.r) || !near(got.g, want.g) || !near(got.b, want.b)) return std::nullopt;
  }
  const int blockY = height * 7 / 8;
  std::uint16_t counter = 0;
  for (int bit = 0; bit < kCounterBits; ++bit) {
    const Rgb got = at((2 * bit + 1) * width / (2 * kCounterBits), blockY);
    const int luma = (got.r + got.g + got.b) / 3;
    if (luma >= 255 - tolerance) {
      counter = static_cast<std::uint16_t>(counter | (1u << bit));
    } else if (luma > tolerance) {
      return std::nullopt;
    }
  }
  return counter;
}

}  // namespace testcam
