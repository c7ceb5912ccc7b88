// Test pictures in the cameras' wire formats, with the colours they should convert to.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace graphtest {

struct Bgr {
  int b, g, r;
};
struct Yuv {
  int y, u, v;
};

// Video-range BT.601, as a YUYV camera sends it.
Bgr BgrOfVideoYuv(const Yuv& yuv);

// YUYV bytes of a picture whose pixel (x, y) (y = 0 at the top) is colour(x, y);
// each pixel pair shares the chroma of its left pixel.
std::vector<std::uint8_t> MakeYuyv(int width, int height, const std::function<Yuv(int x, int y)>& colour);

// A baseline JPEG (4:2:2, full range) of the picture colour(x, y), by libavcodec's encoder.
std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::function<Bgr(int x, int y)>& colour);

// The stored BGR pixel at picture position (x, y) of a bottom-up frame.
Bgr PixelOfBottomUp(const std::uint8_t* pixels, int width, int height, int x, int y);

}  // namespace graphtest
