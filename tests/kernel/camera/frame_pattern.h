// The picture the emulated camera sends: eight colour bars over the top three quarters
// and, in the bottom quarter, a frame counter of 16 bits as black and white blocks
// (lowest bit on the left). It survives 4:2:2 subsampling and JPEG, so it can be read
// back from what the frame grabber delivers.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace testcam {

struct Rgb {
  std::uint8_t r, g, b;
};

// White, yellow, cyan, green, magenta, red, blue, black.
const std::vector<Rgb>& BarColours();

// Width × height RGB, top row first.
std::vector<std::uint8_t> PaintRgb(int width, int height, std::uint16_t counter);
// The same picture as YUYV (BT.601, limited range), the width even.
std::vector<std::uint8_t> PaintYuyv(int width, int height, std::uint16_t counter);
// The same picture as a JPEG (4:2:2); empty when the encoder fails.
std::vector<std::uint8_t> PaintJpeg(int width, int height, std::uint16_t counter);

// Reads the picture back from 24-bit BGR rows of width × 3 bytes, bottom row first.
// The counter, or nullopt when a bar has the wrong colour (beyond `tolerance` in a
// channel) or a counter block is neither dark nor bright.
std::optional<std::uint16_t> ReadBgrBottomUp(const std::uint8_t* pixels, int width, int height, int tolerance = 48);

}  // namespace testcam
