// A frame counter drawn as seven-segment digits, straight into 4:2:2 planes.
#pragma once

#include <cstdint>

namespace platform::vcam {

struct SevenSegmentCanvas {
  std::uint8_t* y;  // stride width
  std::uint8_t* u;  // stride width / 2
  std::uint8_t* v;
  int width;
  int height;
};

// Six digits of frameNumber (modulo one million), white on the picture, in the top left
// corner; the digit height is a fourteenth of the frame height.
void DrawCounter(const SevenSegmentCanvas& canvas, std::uint64_t frameNumber);

}  // namespace platform::vcam
