#include <gtest/gtest.h>

#include "platform/graph/media_format.h"

using namespace platform;

namespace {

std::int64_t ReadInt64(const std::vector<std::uint8_t>& block, std::size_t offset) {
  return static_cast<std::int64_t>(static_cast<std::uint32_t>(ReadInt32(block, offset))) |
         static_cast<std::int64_t>(ReadInt32(block, offset + 4)) << 32;
}

}  // namespace

TEST(MediaFormat, VideoInfoHeaderHasTheBitmapHeaderAtByte48) {
  const AM_MEDIA_TYPE mt = MediaTypeOf(Capability{WireFormat::YUY2, 1280, 720, false, 30.0});
  EXPECT_EQ(mt.majortype, MEDIATYPE_Video);
  EXPECT_EQ(mt.subtype, MEDIASUBTYPE_YUY2);
  EXPECT_EQ(mt.formattype, FORMAT_VideoInfo);
  ASSERT_EQ(mt.pbFormat.size(), 88u);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 0), 0);                  // rcSource
  EXPECT_EQ(ReadInt32(mt.pbFormat, 32), 1280 * 720 * 16 * 30);  // bit rate
  EXPECT_EQ(ReadInt64(mt.pbFormat, 40), 333333);            // 100 ns per frame
  EXPECT_EQ(ReadInt32(mt.pbFormat, 48), 40);                // biSize
  EXPECT_EQ(ReadInt32(mt.pbFormat, 52), 1280);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 56), 720);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 60), 1 | 16 << 16);      // biPlanes, biBitCount
  EXPECT_EQ(ReadInt32(mt.pbFormat, 64), 0x32595559);        // 'YUY2'
  EXPECT_EQ(ReadInt32(mt.pbFormat, 68), 1280 * 720 * 2);

  const AM_MEDIA_TYPE mjpg = MediaTypeOf(Capability{WireFormat::MJPG, 640, 480, false, 15.0});
  EXPECT_EQ(mjpg.subtype, MEDIASUBTYPE_MJPG);
  EXPECT_EQ(ReadInt32(mjpg.pbFormat, 60), 1 | 24 << 16);
  EXPECT_EQ(ReadInt32(mjpg.pbFormat, 64), 0x47504A4D);  // 'MJPG'
  EXPECT_EQ(ReadInt64(mjpg.pbFormat, 40), 666667);

  int width = 0;
  int height = 0;
  ASSERT_TRUE(FrameSizeOf(mjpg, width, height));
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  // Fields outside a block read 0; a block too short is no known format.
  EXPECT_EQ(ReadInt32(mjpg.pbFormat, 86), 0);
  EXPECT_EQ(ReadInt32(mjpg.pbFormat, std::size_t(-2)), 0);
  AM_MEDIA_TYPE cut = mjpg;
  cut.pbFormat.resize(60);
  EXPECT_FALSE(FrameSizeOf(cut, width, height));
}

TEST(MediaFormat, VideoInfoHeader2HasCopyProtectionFlagsAtByte52) {
  const AM_MEDIA_TYPE mt = MediaTypeOf(Capability{WireFormat::MJPG, 1920, 1080, true, 30.0});
  EXPECT_EQ(mt.formattype, FORMAT_VideoInfo2);
  ASSERT_EQ(mt.pbFormat.size(), 112u);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 48), 0);  // interlace flags
  EXPECT_EQ(ReadInt32(mt.pbFormat, 52), 0);  // copy protection: where the other block has its width
  EXPECT_EQ(ReadInt32(mt.pbFormat, 56), 1920);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 60), 1080);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 72), 40);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 76), 1920);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 80), 1080);
  EXPECT_EQ(ReadInt32(mt.pbFormat, 88), 0x47504A4D);
  int width = 0;
  int height = 0;
  ASSERT_TRUE(FrameSizeOf(mt, width, height));
  EXPECT_EQ(width, 1920);
  EXPECT_EQ(height, 1080);
}

TEST(MediaFormat, StreamCapsRecordIs128BytesInItsRealLayout) {
  const Capability capability{WireFormat::YUY2, 640, 480, true, 30.0};
  const std::vector<std::uint8_t> caps = StreamCapsOf(capability);
  ASSERT_EQ(caps.size(), 128u);
  EXPECT_EQ(static_cast<std::uint32_t>(ReadInt32(caps, 0)), FORMAT_VideoInfo2.Data1);
  EXPECT_EQ(ReadInt32(caps, 4), static_cast<std::int32_t>(FORMAT_VideoInfo2.Data2 | FORMAT_VideoInfo2.Data3 << 16));
  for (std::size_t at : {20u, 60u, 68u}) {  // InputSize, MinOutputSize, MaxOutputSize
    EXPECT_EQ(ReadInt32(caps, at), 640) << at;
    EXPECT_EQ(ReadInt32(caps, at + 4), 480) << at;
  }
  EXPECT_EQ(ReadInt32(caps, 100), 0);  // padding before the 8-byte aligned intervals
  EXPECT_EQ(ReadInt64(caps, 104), 333333);
  EXPECT_EQ(ReadInt64(caps, 112), 333333);
  EXPECT_EQ(ReadInt32(caps, 120), 640 * 480 * 16 * 30);
  EXPECT_EQ(ReadInt32(caps, 124), 640 * 480 * 16 * 30);

  WireFormat format;
  EXPECT_TRUE(WireFormatOf(MEDIASUBTYPE_MJPG, format));
  EXPECT_EQ(format, WireFormat::MJPG);
  EXPECT_FALSE(WireFormatOf(MEDIASUBTYPE_RGB24, format));
}
