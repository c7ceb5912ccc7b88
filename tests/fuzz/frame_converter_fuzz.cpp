// The frame converter on any MJPEG or YUYV bytes, at the camera's three sizes and odd
// ones: a frame either comes out whole (every byte of its rows readable) or is dropped.
// One converter serves every input, as one serves every frame of a stream.
#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/graph/frame_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static platform::FrameConverter converter;
  fuzz::Input input(data, size);
  const std::uint8_t choice = input.Byte();
  const platform::WireFormat format = (choice & 1) ? platform::WireFormat::MJPG : platform::WireFormat::YUY2;
  static const int kSizes[][2] = {{640, 480}, {1280, 720}, {1920, 1080}};
  int width = 0;
  int height = 0;
  if ((choice >> 1) % 4 < 3) {
    width = kSizes[(choice >> 1) % 4][0];
    height = kSizes[(choice >> 1) % 4][1];
  } else {
    width = input.Byte() + 1;  // odd sizes, small enough to keep runs fast
    height = input.Byte() + 1;
  }
  std::string bytes = input.Rest();
  // Most YUYV inputs are given the byte count of their size, so the conversion runs
  // rather than the size check alone.
  if (format == platform::WireFormat::YUY2 && (choice & 0x80) == 0) {
    bytes.resize(static_cast<std::size_t>(width) * height * 2, '\x80');
  }

  platform::ConvertedFrame out;
  if (!converter.Convert(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), format, width, height,
                         out)) {
    return 0;
  }
  FUZZ_CHECK(out.pixels != nullptr && out.width > 0 && out.height > 0);
  if (format == platform::WireFormat::YUY2) FUZZ_CHECK(out.width == width && out.height == height);
  unsigned sum = 0;
  const std::size_t total = static_cast<std::size_t>(out.width) * 3 * out.height;
  for (std::size_t i = 0; i < total; ++i) sum += out.pixels[i];
  volatile unsigned keep = sum;
  (void)keep;
  return 0;
}
