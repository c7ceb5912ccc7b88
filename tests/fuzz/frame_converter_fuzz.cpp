// The frame converter on any MJPEG or YUYV bytes, at the camera's three sizes and odd
// ones: a frame either comes out whole (every byte of its rows readable) or is dropped.
// Each format and size has its converter, kept from input to input.
#include <cstdint>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define VISTREL_FUZZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VISTREL_FUZZ_ASAN 1
#endif
#endif
#ifdef VISTREL_FUZZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/graph/frame_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t choice = input.Byte();
  const platform::WireFormat format = (choice & 1) ? platform::WireFormat::MJPG : platform::WireFormat::YUY2;
  static const int kSizes[][2] = {{640, 480}, {1280, 720}, {1920, 1080}};
  int width = 0;
  int height = 0;
  // The camera's sizes for three inputs in eight; the rest odd sizes, whose
  // conversions are quicker and whose row ends are where faults hide.
  const int pick = (choice >> 1) % 8;
  if (pick < 3) {
    width = kSizes[pick][0];
    height = kSizes[pick][1];
  } else {
    width = input.Byte() + 1;  // odd sizes, small enough to keep runs fast
    height = input.Byte() + 1;
  }
  // Kept between inputs, as a stream's buffers are, so each input costs its conversion
  // rather than fresh pages for a 1080p frame.
  static std::string bytes;
  bytes.assign(input.RestView());
  // Most YUYV inputs are given the byte count of their size, so the conversion runs
  // rather than the size check alone.
  if (format == platform::WireFormat::YUY2 && (choice & 0x80) == 0) {
    bytes.resize(static_cast<std::size_t>(width) * height * 2, '\x80');
  }

  // One converter for each format and size, as one serves every frame of a stream:
  // inputs of changing sizes would otherwise make every input pay for new buffers and
  // conversion contexts, which a camera does only when its format changes.
  static platform::FrameConverter converters[2][4];
  platform::FrameConverter& converter = converters[choice & 1][pick < 3 ? pick : 3];
  platform::ConvertedFrame out;
  if (!converter.Convert(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), format, width, height,
                         out)) {
    return 0;
  }
  FUZZ_CHECK(out.pixels != nullptr && out.width > 0 && out.height > 0);
  if (format == platform::WireFormat::YUY2) FUZZ_CHECK(out.width == width && out.height == height);
  // Every byte of the rows must be readable: asked of the sanitizer in one call where
  // there is one, read byte by byte otherwise.
  const std::size_t total = static_cast<std::size_t>(out.width) * 3 * out.height;
#ifdef VISTREL_FUZZ_ASAN
  FUZZ_CHECK(__asan_region_is_poisoned(out.pixels, total) == nullptr);
#else
  unsigned sum = 0;
  for (std::size_t i = 0; i < total; ++i) sum += out.pixels[i];
  volatile unsigned keep = sum;
  (void)keep;
#endif
  return 0;
}
