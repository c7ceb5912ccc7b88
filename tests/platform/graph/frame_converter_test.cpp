#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "platform/graph/frame_converter.h"
#include "test_pictures.h"

using namespace platform;
using namespace graphtest;

namespace {

void ExpectNear(const Bgr& actual, const Bgr& expected, int tolerance, const char* where) {
  EXPECT_LE(std::abs(actual.b - expected.b), tolerance) << where << " blue " << actual.b << " vs " << expected.b;
  EXPECT_LE(std::abs(actual.g - expected.g), tolerance) << where << " green " << actual.g << " vs " << expected.g;
  EXPECT_LE(std::abs(actual.r - expected.r), tolerance) << where << " red " << actual.r << " vs " << expected.r;
}

// Four vertical bars over the top three quarters; the bottom quarter is white.
const Yuv kBars[4] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {16, 128, 128}};  // red, green, blue, black
const Yuv kWhite{235, 128, 128};

Yuv BarsAt(int x, int y, int width, int height) {
  if (y >= height * 3 / 4) return kWhite;
  return kBars[x * 4 / width];
}

void CheckYuyvBars(int width, int height) {
  SCOPED_TRACE(testing::Message() << width << "x" << height);
  const auto yuyv = MakeYuyv(width, height, [&](int x, int y) { return BarsAt(x, y, width, height); });
  FrameConverter converter;
  ConvertedFrame out;
  ASSERT_TRUE(converter.Convert(yuyv.data(), yuyv.size(), WireFormat::YUY2, width, height, out));
  ASSERT_EQ(out.width, width);
  ASSERT_EQ(out.height, height);
  // The first stored row is the picture's bottom row: white.
  ExpectNear(Bgr{out.pixels[0], out.pixels[1], out.pixels[2]}, BgrOfVideoYuv(kWhite), 3, "first stored row");
  for (int bar = 0; bar < 4; ++bar) {
    const int left = bar * width / 4 + 2;
    const int right = bar == 3 ? width - 1 : (bar + 1) * width / 4 - 3;
    for (int x : {left, right}) {
      ExpectNear(PixelOfBottomUp(out.pixels, width, height, x, 0), BgrOfVideoYuv(kBars[bar]), 3, "top row");
      ExpectNear(PixelOfBottomUp(out.pixels, width, height, x, height / 2), BgrOfVideoYuv(kBars[bar]), 3, "middle");
    }
  }
  ExpectNear(PixelOfBottomUp(out.pixels, width, height, width - 1, height - 1), BgrOfVideoYuv(kWhite), 3,
             "bottom right");
}

}  // namespace

TEST(FrameConverter, YuyvBarsBecomeBgrRowsBottomRowFirst) {
  CheckYuyvBars(64, 48);
  // Widths that are no multiple of 8 and an odd height take other conversion paths.
  CheckYuyvBars(44, 30);
  CheckYuyvBars(36, 20);
  CheckYuyvBars(36, 21);
}

TEST(FrameConverter, MjpegConvertsToItsColoursBottomRowFirst) {
  const Bgr top{40, 200, 60};      // green-ish
  const Bgr bottom{220, 30, 180};  // purple-ish
  FrameConverter converter;
  for (const auto& [width, height] : {std::pair{64, 48}, std::pair{36, 20}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    const auto jpeg = MakeJpeg(width, height, [&](int, int y) { return y < height / 2 ? top : bottom; });
    ASSERT_FALSE(jpeg.empty());
    ConvertedFrame out;
    // The size given with the frame does not matter: the picture has its own.
    ASSERT_TRUE(converter.Convert(jpeg.data(), jpeg.size(), WireFormat::MJPG, 1, 1, out));
    ASSERT_EQ(out.width, width);
    ASSERT_EQ(out.height, height);
    ExpectNear(Bgr{out.pixels[0], out.pixels[1], out.pixels[2]}, bottom, 8, "first stored row");
    ExpectNear(PixelOfBottomUp(out.pixels, width, height, width / 2, 4), top, 8, "top");
    ExpectNear(PixelOfBottomUp(out.pixels, width, height, width - 1, 0), top, 8, "top right");
    ExpectNear(PixelOfBottomUp(out.pixels, width, height, width - 1, height - 1), bottom, 8, "bottom right");

    // Zero padding after the end-of-image marker is accepted.
    auto padded = jpeg;
    padded.resize(jpeg.size() + 100, 0);
    EXPECT_TRUE(converter.Convert(padded.data(), padded.size(), WireFormat::MJPG, width, height, out));
  }
}

TEST(FrameConverter, DamagedFramesAreDroppedAndTheNextGoodOneConverts) {
  const auto jpeg = MakeJpeg(64, 48, [](int x, int y) { return Bgr{x * 4, y * 5, 128}; });
  ASSERT_FALSE(jpeg.empty());
  FrameConverter converter;
  ConvertedFrame out;

  for (std::size_t cut : {jpeg.size() - 2, jpeg.size() / 2, std::size_t{300}, std::size_t{3}}) {
    EXPECT_FALSE(converter.Convert(jpeg.data(), cut, WireFormat::MJPG, 64, 48, out)) << "cut at " << cut;
    EXPECT_EQ(out.pixels, nullptr);
  }
  // A frame cut short whose tail was patched to end like a complete one: the
  // decoder itself must refuse it.
  auto patched = std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2));
  patched.push_back(0xFF);
  patched.push_back(0xD9);
  EXPECT_FALSE(converter.Convert(patched.data(), patched.size(), WireFormat::MJPG, 64, 48, out));

  std::mt19937 random(7);
  std::vector<std::uint8_t> noise(5000);
  for (int round = 0; round < 20; ++round) {
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    if (round % 2) {  // noise dressed as a JPEG
      noise[0] = 0xFF, noise[1] = 0xD8, noise[noise.size() - 2] = 0xFF, noise[noise.size() - 1] = 0xD9;
    }
    EXPECT_FALSE(converter.Convert(noise.data(), noise.size(), WireFormat::MJPG, 64, 48, out));
  }

  const auto yuyv = MakeYuyv(64, 48, [](int, int) { return kWhite; });
  EXPECT_FALSE(converter.Convert(yuyv.data(), yuyv.size() - 2, WireFormat::YUY2, 64, 48, out));
  EXPECT_FALSE(converter.Convert(yuyv.data(), yuyv.size(), WireFormat::YUY2, 64, 47, out));
  EXPECT_FALSE(converter.Convert(yuyv.data(), yuyv.size(), WireFormat::YUY2, 0, 48, out));

  EXPECT_TRUE(converter.Convert(jpeg.data(), jpeg.size(), WireFormat::MJPG, 64, 48, out)) << converter.LastError();
  EXPECT_TRUE(converter.Convert(yuyv.data(), yuyv.size(), WireFormat::YUY2, 64, 48, out));
}

TEST(FrameConverter, OutputBufferIsKeptAcrossFramesOfOneSize) {
  FrameConverter converter;
  ConvertedFrame out;
  const auto a = MakeYuyv(64, 48, [](int, int) { return kWhite; });
  const auto b = MakeYuyv(64, 48, [](int x, int) { return kBars[x % 4]; });
  ASSERT_TRUE(converter.Convert(a.data(), a.size(), WireFormat::YUY2, 64, 48, out));
  const std::uint8_t* first = out.pixels;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(converter.Convert((i % 2 ? a : b).data(), a.size(), WireFormat::YUY2, 64, 48, out));
    EXPECT_EQ(out.pixels, first);
  }
  // MJPEG frames of the same size share it too; a new size gets a new buffer.
  const auto jpeg = MakeJpeg(64, 48, [](int, int) { return Bgr{10, 20, 30}; });
  ASSERT_TRUE(converter.Convert(jpeg.data(), jpeg.size(), WireFormat::MJPG, 64, 48, out));
  EXPECT_EQ(out.pixels, first);
  const auto larger = MakeYuyv(128, 96, [](int, int) { return kWhite; });
  ASSERT_TRUE(converter.Convert(larger.data(), larger.size(), WireFormat::YUY2, 128, 96, out));
  EXPECT_EQ(out.width, 128);
  ExpectNear(PixelOfBottomUp(out.pixels, 128, 96, 127, 0), BgrOfVideoYuv(kWhite), 3, "after resize");
}
