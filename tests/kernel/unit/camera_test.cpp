// The emulated camera of the kernel test, on the host: its picture must read back
// through the frame grabber's conversion, and its descriptors must hold together, or
// the guest's checks would fail for the camera's fault rather than the driver's.
#include <gtest/gtest.h>

#include "camera_model.h"
#include "frame_pattern.h"
#include "platform/graph/frame_converter.h"

using namespace testcam;

TEST(TestCameraPicture, ReadsBackThroughTheGrabbersConversionInBothWireFormats) {
  platform::FrameConverter converter;
  for (const FormatDesc& format : Formats()) {
    for (const Frame& f : format.frames) {
      for (std::uint16_t counter : {0x0000, 0xA5C3, 0xFFFF}) {
        const bool yuyv = format.format == Format::Yuyv;
        const auto bytes = yuyv ? PaintYuyv(f.width, f.height, counter) : PaintJpeg(f.width, f.height, counter);
        platform::ConvertedFrame out;
        ASSERT_TRUE(converter.Convert(bytes.data(), bytes.size(), yuyv ? platform::WireFormat::YUY2
                                                                        : platform::WireFormat::MJPG,
                                      f.width, f.height, out));
        ASSERT_EQ(out.width, f.width);
        EXPECT_EQ(ReadBgrBottomUp(out.pixels, out.width, out.height), counter) << f.width << "x" << f.height;
      }
    }
  }
}

TEST(TestCameraPicture, AFlippedOrWrongColouredPictureIsNotRead) {
  const int w = 320, h = 240;
  const std::vector<std::uint8_t> rgb = PaintRgb(w, h, 7);
  std::vector<std::uint8_t> bgrBottomUp(rgb.size()), bgrTopDown(rgb.size()), rgbBottomUp(rgb.size());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &rgb[(y * w + x) * 3];
      std::uint8_t* up = &bgrBottomUp[((h - 1 - y) * w + x) * 3];
      std::uint8_t* down = &bgrTopDown[(y * w + x) * 3];
      std::uint8_t* swapped = &rgbBottomUp[((h - 1 - y) * w + x) * 3];
      up[0] = down[0] = p[2];
      up[1] = down[1] = p[1];
      up[2] = down[2] = p[0];
      std::copy(p, p + 3, swapped);
    }
  }
  EXPECT_EQ(ReadBgrBottomUp(bgrBottomUp.data(), w, h), 7);
  EXPECT_FALSE(ReadBgrBottomUp(bgrTopDown.data(), w, h));
  EXPECT_FALSE(ReadBgrBottomUp(rgbBottomUp.data(), w, h));
}

TEST(TestCameraDescriptors, LengthsAddUpAtBothSpeeds) {
  for (bool hs : {false, true}) {
    const std::vector<std::uint8_t> config = ConfigurationDescriptor(hs);
    ASSERT_GE(config.size(), 9u);
    EXPECT_EQ(config[2] | (config[3] << 8), static_cast<int>(config.size()));
    EXPECT_LE(config.size(), 256u) << "gadgetfs answers no more of a configuration";
    // Every descriptor's length leads to the next, and the chain ends exactly.
    std::size_t at = 0;
    int interfaces = 0;
    while (at < config.size()) {
      ASSERT_GE(config[at], 2);
      if (config[at + 1] == 0x04) ++interfaces;
      // The class-specific headers count their own descriptors.
      if (config[at + 1] == 0x24 && config[at + 2] == 0x01) {
        const std::size_t total = config[at + (interfaces == 1 ? 5 : 4)] | (config[at + (interfaces == 1 ? 6 : 5)] << 8);
        std::size_t end = at;
        while (end < config.size() && (config[end + 1] == 0x24)) end += config[end];
        EXPECT_EQ(total, end - at) << "interface " << interfaces;
      }
      at += config[at];
    }
    EXPECT_EQ(at, config.size());
    EXPECT_EQ(interfaces, 2);
  }
  EXPECT_EQ(StringDescriptor(2).size(), 2 + 2 * kProduct.size());
  EXPECT_GT(kProduct.size(), 31u) << "the driver must have to cut the product name";
}
