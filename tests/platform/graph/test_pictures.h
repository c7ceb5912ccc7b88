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

// The picture colour(x, y) as packed 24-bit BGR rows, top row first.
std::vector<std::uint8_t> PackedBgr(int width, int height, const std::function<Bgr(int x, int y)>& colour);

// Chroma subsampling of a camera's JPEG.
enum class Subsampling { S444, S422, S420 };

// A baseline JPEG of the picture colour(x, y) by TurboJPEG's encoder, with the
// standard Huffman tables, as a camera's hardware makes it.
std::vector<std::uint8_t> MakeCameraJpeg(int width, int height, const std::function<Bgr(int x, int y)>& colour,
                                         Subsampling subsampling, int quality);

// The same through libjpeg's own interface, with a restart marker every
// `restartInterval` MCUs, as some cameras send their frames.
std::vector<std::uint8_t> MakeCameraJpegWithRestarts(int width, int height,
                                                     const std::function<Bgr(int x, int y)>& colour,
                                                     Subsampling subsampling, int quality, int restartInterval);

// The same JPEG without its Huffman table segments, as many UVC cameras send their
// frames (the decoder must supply the standard tables).
std::vector<std::uint8_t> WithoutHuffmanTables(const std::vector<std::uint8_t>& jpeg);

// A picture like a camera's: lighting that falls off to the corners, coloured objects
// with soft edges, fine detail and sensor noise in the brightness. seed varies it.
std::function<Bgr(int x, int y)> CameraScene(int width, int height, unsigned seed);

// An MJPEG frame as FFmpeg decodes it: libavcodec's decoder, its planes turned into
// BGR exactly (chroma replicated over the pixels it covers, as libswscale's unscaled
// route does), rows stored bottom row first. Empty when it fails.
std::vector<std::uint8_t> FfmpegBgrBottomUp(const std::vector<std::uint8_t>& jpeg, int& width, int& height);

// The stored BGR pixel at picture position (x, y) of a bottom-up frame.
Bgr PixelOfBottomUp(const std::uint8_t* pixels, int width, int height, int x, int y);

}  // namespace graphtest
