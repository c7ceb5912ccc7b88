#include "media/mpeg_writer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "support/mpeg_readback.h"

namespace {

int DibStride(int width, int bitsPerPixel) { return (bitsPerPixel * width + 31) / 32 * 4; }

// A bottom-up 24-bit bitmap as the view hands it over: the upper half red on the left
// and blue on the right, the lower half dark grey with a white square moving along it.
std::vector<std::uint8_t> PatternDib(int width, int height, int frame) {
  const int stride = DibStride(width, 24);
  const int side = height / 8;
  const int squareX = frame * 4 % (width - side);
  std::vector<std::uint8_t> dib(static_cast<std::size_t>(stride) * height);
  for (int y = 0; y < height; ++y) {  // y counts rows as shown, top first
    std::uint8_t* row = dib.data() + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      std::array<std::uint8_t, 3> bgr{40, 40, 40};
      if (y < height / 2) {
        bgr = x < width / 2 ? std::array<std::uint8_t, 3>{20, 20, 220} : std::array<std::uint8_t, 3>{220, 20, 20};
      } else if (y >= height * 3 / 4 && y < height * 3 / 4 + side && x >= squareX && x < squareX + side) {
        bgr = {255, 255, 255};
      }
      std::copy(bgr.begin(), bgr.end(), row + 3 * x);
    }
  }
  return dib;
}

bool OpenSized(MpegWriter& w, const std::string& path, int width, int height) {
  w.nTarget = kMpegTargetFromFileName;
  w.nWidth = width;
  w.nHeight = height;
  w.fFrameRate = 24.0f;
  w.fBitRate = 6000000.0f;
  return OpenVideoFile(w, path.c_str());
}

int WritePattern(MpegWriter& w, int frames) {
  int written = 0;
  for (int i = 0; i < frames; ++i) {
    const std::vector<std::uint8_t> dib = PatternDib(w.nWidth, w.nHeight, i);
    if (DibToRgb24(w, dib.data(), w.nWidth, w.nHeight, 24) && WriteVideoFrame(w.pFormatCtx, w.pVideoStream, w)) {
      ++written;
    }
  }
  return written;
}

void ExpectClosed(const MpegWriter& w) {
  EXPECT_FALSE(IsVideoFileOpen(w));
  EXPECT_EQ(w.pFormatCtx, nullptr);
  EXPECT_EQ(w.pVideoStream, nullptr);
  EXPECT_EQ(w.pCodecCtx, nullptr);
  EXPECT_EQ(w.pRgbPicture, nullptr);
  EXPECT_EQ(w.pYuvPicture, nullptr);
  EXPECT_EQ(w.pSwsCtx, nullptr);
  EXPECT_EQ(w.pPacket, nullptr);
}

TEST(MpegWriter, RecordingReadsBackAsUprightMpeg1ProgramStreamAt24Fps) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("20160314-090507- 42.mpeg").toStdString();
  MpegWriter w;
  ASSERT_TRUE(OpenSized(w, path, 640, 480));
  EXPECT_STREQ(w.pFormat->name, "mpeg");
  EXPECT_EQ(w.pCodecCtx->bit_rate, 6000000);
  EXPECT_EQ(w.pVideoStream->codecpar->bit_rate, 6000000);
  EXPECT_EQ(w.pCodecCtx->gop_size, 18);
  EXPECT_EQ(w.pCodecCtx->mb_decision, FF_MB_DECISION_RD);
  EXPECT_EQ(WritePattern(w, 48), 48);
  EXPECT_TRUE(CloseVideoFile(w));
  ExpectClosed(w);

  const mpegtest::DecodedVideo v = mpegtest::DecodeVideoFile(path, 30);
  ASSERT_TRUE(v.ok);
  EXPECT_EQ(v.container, "mpeg");
  EXPECT_EQ(v.streams, 1);
  EXPECT_EQ(v.videoStreams, 1);
  EXPECT_EQ(v.codec, AV_CODEC_ID_MPEG1VIDEO);
  EXPECT_EQ(av_cmp_q(v.frameRate, AVRational{24, 1}), 0);
  EXPECT_EQ(v.width, 640);
  EXPECT_EQ(v.height, 480);
  EXPECT_EQ(v.frames, 48);
  EXPECT_EQ(v.bFrames, 0);
  // Every picture lasts 1/24 s, whatever the time between the writes.
  const std::int64_t step = av_rescale_q(1, AVRational{1, 24}, v.timeBase);
  ASSERT_EQ(v.packetTimes.size(), 48u);
  for (std::size_t i = 1; i < 48; ++i) EXPECT_EQ(v.packetTimes[i] - v.packetTimes[i - 1], step) << i;

  // Upright and in the right colours: red (high Cr) top left, blue (high Cb) top
  // right, the dark half at the bottom.
  ASSERT_EQ(v.y.size(), 640u * 480u);
  EXPECT_GT(mpegtest::PlaneMean(v.v, 320, 40, 40, 120, 80), 190.0);
  EXPECT_LT(mpegtest::PlaneMean(v.u, 320, 40, 40, 120, 80), 115.0);
  EXPECT_GT(mpegtest::PlaneMean(v.u, 320, 200, 40, 280, 80), 190.0);
  EXPECT_LT(mpegtest::PlaneMean(v.v, 320, 200, 40, 280, 80), 128.0);
  EXPECT_LT(mpegtest::PlaneMean(v.y, 640, 0, 270, 640, 330), mpegtest::PlaneMean(v.y, 640, 40, 40, 280, 200) - 20.0);
}

TEST(MpegWriter, ContainerFollowsTheNameAndFramesHeldBackReachTheFile) {
  struct Case {
    const char* name;
    const char* muxer;
    AVCodecID codec;
    bool globalHeader;
  };
  // The MPEG-2 stream and the MP4 encoder hold frames back for B-frames; only the
  // flush at close gets the last ones into the file.
  const Case cases[] = {{"clip.xyz", "mpeg", AV_CODEC_ID_MPEG1VIDEO, false},
                        {"clip.m2v", "mpeg2video", AV_CODEC_ID_MPEG2VIDEO, false},
                        {"clip.mp4", "mp4", AV_CODEC_ID_NONE, true}};
  QTemporaryDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.filePath(c.name).toStdString();
    MpegWriter w;
    ASSERT_TRUE(OpenSized(w, path, 64, 48));
    EXPECT_STREQ(w.pFormat->name, c.muxer);
    EXPECT_EQ((w.pCodecCtx->flags & AV_CODEC_FLAG_GLOBAL_HEADER) != 0, c.globalHeader);
    if (c.codec == AV_CODEC_ID_MPEG2VIDEO) {
      EXPECT_EQ(w.pCodecCtx->max_b_frames, 2);
    }
    const AVCodecID codec = w.pCodecCtx->codec_id;
    EXPECT_EQ(WritePattern(w, 30), 30);
    EXPECT_TRUE(CloseVideoFile(w));

    const mpegtest::DecodedVideo v = mpegtest::DecodeVideoFile(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.codec, c.codec == AV_CODEC_ID_NONE ? codec : c.codec);
    EXPECT_EQ(v.frames, 30);
    if (c.codec == AV_CODEC_ID_MPEG2VIDEO) {
      EXPECT_GT(v.bFrames, 0);
    }
  }
}

TEST(MpegWriter, BitmapRowsAreTurnedUprightAndSwappedToRgb) {
  // Width 3: 24-bit rows of 9 bytes padded to 12, 32-bit rows of exactly 12; the
  // padding and the fourth byte must never reach the output.
  for (const int bpp : {24, 32}) {
    SCOPED_TRACE(bpp);
    const int stride = DibStride(3, bpp);
    ASSERT_EQ(stride, 12);
    std::vector<std::uint8_t> dib(2 * stride, 0xEE);
    const int bytes = bpp / 8;
    for (int k = 0; k < 3; ++k) {
      std::uint8_t* bottom = dib.data() + k * bytes;  // stored first, shown last
      std::uint8_t* top = dib.data() + stride + k * bytes;
      bottom[0] = 1, bottom[1] = 2, bottom[2] = 3;
      top[0] = static_cast<std::uint8_t>(10 + k), top[1] = 20, top[2] = 30;
    }
    std::vector<std::uint8_t> out(2 * 10, 0);
    ASSERT_TRUE(DibRowsToRgb24(dib.data(), 3, 2, bpp, out.data(), 10));
    const std::vector<std::uint8_t> expected{30, 20, 10, 30, 20, 11, 30, 20, 12, 0,
                                             3,  2,  1,  3,  2,  1,  3,  2,  1,  0};
    EXPECT_EQ(out, expected);
  }
  std::vector<std::uint8_t> out(12, 7);
  const std::vector<std::uint8_t> untouched(12, 7);
  const std::uint8_t pixel[4] = {1, 2, 3, 4};
  EXPECT_FALSE(DibRowsToRgb24(nullptr, 1, 1, 24, out.data(), 12));
  EXPECT_FALSE(DibRowsToRgb24(pixel, 1, 1, 16, out.data(), 12));
  EXPECT_FALSE(DibRowsToRgb24(pixel, 0, 1, 24, out.data(), 12));
  EXPECT_EQ(out, untouched);
}

TEST(MpegWriter, EveryRowWidthConvertsLikeThePixelByPixelDefinition) {
  // Widths around the conversion's 4- and 5-pixel steps and its tail; the output rows
  // are packed with no slack, so a store past a row's end would show in the next row
  // or past the buffer (caught by the sentinel).
  for (const int bpp : {24, 32}) {
    for (int width = 1; width <= 40; ++width) {
      SCOPED_TRACE(testing::Message() << bpp << " bits, width " << width);
      const int height = 3;
      const int stride = DibStride(width, bpp);
      std::vector<std::uint8_t> dib(static_cast<std::size_t>(stride) * height);
      for (std::size_t i = 0; i < dib.size(); ++i) dib[i] = static_cast<std::uint8_t>(i * 37 + width);
      std::vector<std::uint8_t> out(static_cast<std::size_t>(3 * width * height) + 1, 0x5A);
      ASSERT_TRUE(DibRowsToRgb24(dib.data(), width, height, bpp, out.data(), 3 * width));
      std::vector<std::uint8_t> expected(out.size(), 0x5A);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const std::uint8_t* p = dib.data() + (height - 1 - y) * stride + x * bpp / 8;
          std::uint8_t* e = expected.data() + (y * width + x) * 3;
          e[0] = p[2], e[1] = p[1], e[2] = p[0];
        }
      }
      ASSERT_EQ(out, expected);
    }
  }
}

TEST(MpegWriter, BitmapCopyNeedsAnOpenWriterOfTheSameSize) {
  QTemporaryDir dir;
  MpegWriter w;
  const std::vector<std::uint8_t> dib = PatternDib(64, 48, 0);
  EXPECT_FALSE(DibToRgb24(w, dib.data(), 64, 48, 24));  // not open
  ASSERT_TRUE(OpenSized(w, dir.filePath("a.mpeg").toStdString(), 64, 48));
  EXPECT_FALSE(DibToRgb24(w, nullptr, 64, 48, 24));
  EXPECT_FALSE(DibToRgb24(w, dib.data(), 64, 24, 24));  // a smaller picture must not be read past its end
  EXPECT_FALSE(DibToRgb24(w, dib.data(), 128, 48, 24));
  ASSERT_TRUE(DibToRgb24(w, dib.data(), 64, 48, 24));
  const std::uint8_t* first = w.pRgbPicture->data[0];
  EXPECT_EQ(first[0], 220);  // red, top left
  EXPECT_EQ(first[2], 20);

  EXPECT_FALSE(WriteVideoFrame(nullptr, w.pVideoStream, w));
  EXPECT_FALSE(WriteVideoFrame(w.pFormatCtx, nullptr, w));
  EXPECT_EQ(w.nFrameCount, 0);
  MpegWriter closed;
  EXPECT_FALSE(WriteVideoFrame(w.pFormatCtx, w.pVideoStream, closed));
  EXPECT_TRUE(CloseVideoFile(w));
}

TEST(MpegWriter, RefusedOpensLeaveNothingBehind) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile(dir.filePath("plain-file")).open(QIODevice::WriteOnly));
  struct Case {
    const char* what;
    std::string name;
    int width, height, target;
    float frameRate;
  };
  const std::string ok = dir.filePath("clip.mpeg").toStdString();
  const Case cases[] = {
      {"odd width", ok, 641, 480, 7, 24.0f},
      {"odd height", ok, 640, 479, 7, 24.0f},
      {"no size", ok, 0, 480, 7, 24.0f},
      {"other target", ok, 64, 48, 3, 24.0f},
      {"rate below one", ok, 64, 48, 7, 0.5f},
      {"rate not a number", ok, 64, 48, 7, std::nanf("")},
      {"missing folder", dir.filePath("missing/clip.mpeg").toStdString(), 64, 48, 7, 24.0f},
      {"file as folder", dir.filePath("plain-file/clip.mpeg").toStdString(), 64, 48, 7, 24.0f},
      {"name too long", dir.path().toStdString() + "/" + std::string(1100, 'a') + ".mpeg", 64, 48, 7, 24.0f},
      {"empty name", "", 64, 48, 7, 24.0f},
      // The codec opens and the file is made, but this container refuses the size in
      // its header: the useless file is removed again.
      {"header refused", dir.filePath("clip.gxf").toStdString(), 64, 64, 7, 24.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MpegWriter w;
    w.nTarget = c.target;
    w.nWidth = c.width;
    w.nHeight = c.height;
    w.fFrameRate = c.frameRate;
    EXPECT_FALSE(OpenVideoFile(w, c.name.c_str()));
    ExpectClosed(w);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("plain-file")});
  }
  MpegWriter w;
  w.nWidth = 64;
  w.nHeight = 48;
  EXPECT_FALSE(OpenVideoFile(w, nullptr));
  ExpectClosed(w);
}

TEST(MpegWriter, NamesOfUpTo1023BytesFit) {
  QTemporaryDir dir;
  std::string path = dir.path().toStdString();
  // Folders of at most 200 bytes each until the full name is exactly 1023 bytes.
  while (1023 - path.size() > 220) {
    path += "/" + std::string(200, 'd');
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(path)));
  }
  path += "/" + std::string(1023 - path.size() - 6, 'f') + ".mpeg";
  ASSERT_EQ(path.size(), 1023u);
  MpegWriter w;
  ASSERT_TRUE(OpenSized(w, path, 64, 48));
  EXPECT_EQ(WritePattern(w, 2), 2);
  EXPECT_TRUE(CloseVideoFile(w));
  EXPECT_EQ(mpegtest::DecodeVideoFile(path).frames, 2);
  EXPECT_FALSE(OpenSized(w, path + "x", 64, 48));
}

TEST(MpegWriter, ClosingTwiceIsHarmlessAndTheWriterStartsAfreshAfterwards) {
  QTemporaryDir dir;
  MpegWriter w;
  EXPECT_TRUE(CloseVideoFile(w));  // never opened
  ASSERT_TRUE(OpenSized(w, dir.filePath("first.mpeg").toStdString(), 64, 48));
  EXPECT_FALSE(OpenVideoFile(w, dir.filePath("second.mpeg").toStdString().c_str()));  // keeps its file
  EXPECT_EQ(WritePattern(w, 3), 3);
  EXPECT_TRUE(CloseVideoFile(w));
  EXPECT_TRUE(CloseVideoFile(w));
  ExpectClosed(w);

  ASSERT_TRUE(OpenSized(w, dir.filePath("second.mpeg").toStdString(), 64, 48));
  EXPECT_EQ(w.nFrameCount, 0);
  EXPECT_EQ(WritePattern(w, 5), 5);
  EXPECT_TRUE(CloseVideoFile(w));
  const mpegtest::DecodedVideo first = mpegtest::DecodeVideoFile(dir.filePath("first.mpeg").toStdString());
  const mpegtest::DecodedVideo second = mpegtest::DecodeVideoFile(dir.filePath("second.mpeg").toStdString());
  EXPECT_EQ(first.frames, 3);
  EXPECT_EQ(second.frames, 5);
  // The second file's frames are numbered from the start again.
  ASSERT_FALSE(first.packetTimes.empty());
  ASSERT_FALSE(second.packetTimes.empty());
  EXPECT_EQ(second.packetTimes.front(), first.packetTimes.front());
}

TEST(MpegWriter, AWriterLeftOpenFinishesItsFileWhenDestroyed) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("left-open.m2v").toStdString();
  {
    MpegWriter w;
    ASSERT_TRUE(OpenSized(w, path, 64, 48));
    EXPECT_EQ(WritePattern(w, 10), 10);
  }
  EXPECT_EQ(mpegtest::DecodeVideoFile(path).frames, 10);
}

}  // namespace
