// MJPEG frames as cameras send them, decoded by the frame converter and compared with
// what FFmpeg's own decoder and converter make of the same frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/graph/frame_converter.h"
#include "test_pictures.h"

using namespace platform;
using namespace graphtest;

namespace {

struct Case {
  int width;
  int height;
  Subsampling subsampling;
  int quality;
  bool huffmanTables;
};

std::string Describe(const Case& c) {
  return std::to_string(c.width) + "x" + std::to_string(c.height) +
         (c.subsampling == Subsampling::S422 ? " 4:2:2" : " 4:2:0") + " q" + std::to_string(c.quality) +
         (c.huffmanTables ? "" : " without Huffman tables");
}

}  // namespace

// Two correct decoders may round a sample a level apart. Where the brightness and a
// colour sample both do, blue (brightness + 1.772 × blue difference) or red can end up
// three levels apart; that is rare, and never more.
TEST(MjpegDecoding, CameraFramesMatchFfmpegWithinTwoLevels) {
  const Case cases[] = {
      {640, 480, Subsampling::S422, 85, true},   {640, 480, Subsampling::S422, 85, false},
      {640, 480, Subsampling::S420, 90, true},   {640, 480, Subsampling::S420, 90, false},
      {1280, 720, Subsampling::S422, 95, false}, {333, 207, Subsampling::S422, 80, true},
      {333, 207, Subsampling::S420, 80, false},  {17, 9, Subsampling::S420, 75, true},
      {162, 98, Subsampling::S422, 92, false},
  };
  FrameConverter converter;  // one converter for all: sizes and subsampling change between frames
  unsigned seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c));
    std::vector<std::uint8_t> jpeg = MakeCameraJpeg(c.width, c.height, CameraScene(c.width, c.height, seed++),
                                                    c.subsampling, c.quality);
    ASSERT_FALSE(jpeg.empty());
    if (!c.huffmanTables) {
      jpeg = WithoutHuffmanTables(jpeg);
      ASSERT_FALSE(jpeg.empty());
    }
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> reference = FfmpegBgrBottomUp(jpeg, width, height);
    ASSERT_FALSE(reference.empty());
    ASSERT_EQ(width, c.width);
    ASSERT_EQ(height, c.height);

    ConvertedFrame out;
    ASSERT_TRUE(converter.Convert(jpeg.data(), jpeg.size(), WireFormat::MJPG, c.width, c.height, out))
        << converter.LastError();
    ASSERT_EQ(out.width, c.width);
    ASSERT_EQ(out.height, c.height);
    int worst = 0;
    std::size_t worstAt = 0;
    std::size_t beyondTwo = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
      const int difference = std::abs(out.pixels[i] - reference[i]);
      beyondTwo += difference > 2;
      if (difference > worst) {
        worst = difference;
        worstAt = i;
      }
    }
    const std::size_t pixel = worstAt / 3;
    EXPECT_LE(worst, 3) << "at stored row " << pixel / c.width << ", column " << pixel % c.width << ", channel "
                        << worstAt % 3;
    EXPECT_LE(beyondTwo * 10000, reference.size()) << beyondTwo << " of " << reference.size() << " beyond 2";
  }
}

TEST(MjpegDecoding, AFewStrayBytesBeforeTheEndMarkerPassALongUnreadTailDoesNot) {
  FrameConverter converter;
  for (Subsampling subsampling : {Subsampling::S422, Subsampling::S420}) {
    const auto jpeg = MakeCameraJpeg(320, 240, CameraScene(320, 240, 5), subsampling, 85);
    ConvertedFrame out;
    ASSERT_TRUE(converter.Convert(jpeg.data(), jpeg.size(), WireFormat::MJPG, 320, 240, out));
    const std::vector<std::uint8_t> clean(out.pixels, out.pixels + 320 * 240 * 3);
    auto withStray = [&](std::size_t count, std::uint8_t value) {
      auto frame = jpeg;
      frame.insert(frame.end() - 2, count, value);
      return frame;
    };
    for (const auto& frame : {withStray(3, 0x00), withStray(8, 0x5A)}) {
      ASSERT_TRUE(converter.Convert(frame.data(), frame.size(), WireFormat::MJPG, 320, 240, out))
          << converter.LastError();
      EXPECT_TRUE(std::equal(clean.begin(), clean.end(), out.pixels));
    }
    const auto tail = withStray(400, 0x5A);
    EXPECT_FALSE(converter.Convert(tail.data(), tail.size(), WireFormat::MJPG, 320, 240, out));
    // Whatever state those left the decoder in, the next frame decodes whole.
    for (const auto& frame : {withStray(8, 0x5A), jpeg}) {
      ASSERT_TRUE(converter.Convert(frame.data(), frame.size(), WireFormat::MJPG, 320, 240, out));
      EXPECT_TRUE(std::equal(clean.begin(), clean.end(), out.pixels));
    }
  }
}
