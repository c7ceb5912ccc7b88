// A frame counter drawn as seven-segment digits, straight into a YUV 4:2:2 picture.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::vcam {

// A 4:2:2 picture in planes or packed: sample (x, y) of luma is at y + row * lumaStride +
// x * lumaStep, chroma sample j (pixels 2j and 2j + 1) at u / v + row * chromaStride +
// j * chromaStep.
struct YuvTarget {
  std::uint8_t* y = nullptr;
  std::uint8_t* u = nullptr;
  std::uint8_t* v = nullptr;
  int lumaStep = 1;
  int chromaStep = 1;
  std::size_t lumaStride = 0;
  std::size_t chromaStride = 0;
  int width = 0;
  int height = 0;
  int range = 0;  // ToneTables::Range of the values
};

// Six digits of frameNumber (modulo one million), white on the picture, in the top left
// corner; the digit height is a fourteenth of the frame height.
void DrawCounter(const YuvTarget& target, std::uint64_t frameNumber);

}  // namespace platform::vcam
