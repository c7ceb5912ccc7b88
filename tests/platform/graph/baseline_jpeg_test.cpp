// The baseline MJPEG decoder beside TurboJPEG (libjpeg's arithmetic, which it
// follows), its refusals, and its vector code beside the plain arithmetic.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "platform/graph/baseline_jpeg.h"
#include "platform/graph/jpeg_decoder.h"
#include "platform/graph/jpeg_idct.h"
#include "platform/graph/ycbcr_to_bgr.h"
#include "test_pictures.h"

using namespace platform;
using namespace graphtest;
using Result = BaselineJpeg::Result;

namespace {

constexpr unsigned kStray = JpegDecoder::kToleratedStrayBytes;

const char* Name(Subsampling s) {
  return s == Subsampling::S444 ? "4:4:4" : s == Subsampling::S422 ? "4:2:2" : "4:2:0";
}

struct Decoded {
  Result headers = Result::Irregular;
  Result scan = Result::Irregular;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;
};

Decoded Decode(BaselineJpeg& decoder, const std::vector<std::uint8_t>& jpeg) {
  Decoded d;
  d.headers = decoder.ReadHeaders(jpeg.data(), jpeg.size(), d.width, d.height);
  if (d.headers != Result::Decoded) return d;
  d.bgr.assign(static_cast<std::size_t>(d.width) * d.height * 3, 0);
  d.scan = decoder.Decode(d.bgr.data());
  return d;
}

std::vector<std::uint8_t> TurboJpeg(const std::vector<std::uint8_t>& jpeg, int& width, int& height) {
  JpegDecoder decoder;
  if (!decoder.ReadSize(jpeg.data(), jpeg.size(), width, height)) return {};
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3);
  if (!decoder.Decode(jpeg.data(), jpeg.size(), bgr.data(), width, height)) return {};
  return bgr;
}

// A marker segment: where its bytes after the length start, and how many there are.
struct Segment {
  std::size_t at;
  std::size_t length;
};

// The segments with marker `code`, up to and including the first scan header.
std::vector<Segment> Segments(const std::vector<std::uint8_t>& jpeg, std::uint8_t code) {
  std::vector<Segment> found;
  for (std::size_t i = 2; i + 4 <= jpeg.size() && jpeg[i] == 0xFF;) {
    const std::size_t length = static_cast<std::size_t>(jpeg[i + 2]) << 8 | jpeg[i + 3];
    if (jpeg[i + 1] == code) found.push_back({i + 4, length - 2});
    if (jpeg[i + 1] == 0xDA) break;
    i += 2 + length;
  }
  return found;
}

// Where the coded data of the first scan starts.
std::size_t ScanData(const std::vector<std::uint8_t>& jpeg) {
  const auto scan = Segments(jpeg, 0xDA);
  return scan.empty() ? 0 : scan.front().at + scan.front().length;
}

}  // namespace

// Every kind of frame this decoder takes, decoded as libjpeg decodes it: the same
// transform and the same chroma, so the only differences are the colour terms'
// rounding, which is at most a level and rare.
TEST(BaselineJpeg, DecodesCameraFramesAsTurboJpegDoes) {
  struct Case {
    int width, height;
    Subsampling subsampling;
    int quality;
    int restartInterval;  // 0: no restart markers (TurboJPEG's encoder)
    bool huffmanTables;
  };
  const Case cases[] = {
      {640, 480, Subsampling::S422, 85, 0, true},  {640, 480, Subsampling::S420, 90, 0, false},
      {320, 240, Subsampling::S444, 95, 0, true},  {333, 207, Subsampling::S422, 80, 0, false},
      {333, 207, Subsampling::S420, 80, 0, true},  {17, 9, Subsampling::S420, 75, 0, true},
      {1, 1, Subsampling::S422, 75, 0, true},      {162, 98, Subsampling::S444, 92, 0, false},
      {320, 240, Subsampling::S422, 85, 1, true},  {331, 203, Subsampling::S420, 85, 7, true},
      {160, 120, Subsampling::S444, 85, 40, true}, {96, 64, Subsampling::S422, 85, 3, false},
  };
  BaselineJpeg decoder(kStray);  // one decoder for all: the frames change size and kind
  unsigned seed = 11;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + Name(c.subsampling) + " q" +
                 std::to_string(c.quality) + " restarts " + std::to_string(c.restartInterval) +
                 (c.huffmanTables ? "" : " without Huffman tables"));
    const auto scene = CameraScene(c.width, c.height, seed++);
    std::vector<std::uint8_t> jpeg =
        c.restartInterval > 0
            ? MakeCameraJpegWithRestarts(c.width, c.height, scene, c.subsampling, c.quality, c.restartInterval)
            : MakeCameraJpeg(c.width, c.height, scene, c.subsampling, c.quality);
    ASSERT_FALSE(jpeg.empty());
    if (c.restartInterval > 0) {
      ASSERT_EQ(Segments(jpeg, 0xDD).size(), 1u);
    }
    if (!c.huffmanTables) jpeg = WithoutHuffmanTables(jpeg);

    const Decoded ours = Decode(decoder, jpeg);
    ASSERT_EQ(ours.headers, Result::Decoded);
    ASSERT_EQ(ours.scan, Result::Decoded);
    int width = 0;
    int height = 0;
    const auto reference = TurboJpeg(jpeg, width, height);
    ASSERT_EQ(reference.size(), ours.bgr.size());
    ASSERT_EQ(ours.width, width);
    ASSERT_EQ(ours.height, height);
    std::size_t differing = 0;
    int worst = 0;
    for (std::size_t i = 0; i < reference.size(); ++i) {
      const int difference = std::abs(ours.bgr[i] - reference[i]);
      differing += difference != 0;
      worst = std::max(worst, difference);
    }
    EXPECT_LE(worst, 1);
    EXPECT_LE(differing * 100, reference.size()) << differing << " of " << reference.size() << " differ";
  }
}

// Frames without their own tables use the standard ones: the tables TurboJPEG's
// encoder writes by default.
TEST(BaselineJpeg, StandardHuffmanTablesAreTheOnesEncodersWrite) {
  const auto jpeg = MakeCameraJpeg(64, 48, CameraScene(64, 48, 1), Subsampling::S422, 85);
  const auto segments = Segments(jpeg, 0xC4);
  ASSERT_FALSE(segments.empty());
  int seen = 0;
  for (const Segment& found : segments) {
    const std::vector<std::uint8_t> segment(jpeg.begin() + static_cast<long>(found.at),
                                            jpeg.begin() + static_cast<long>(found.at + found.length));
    std::size_t at = 0;
    while (at + 17 <= segment.size()) {
      const int tableClass = segment[at] >> 4;
      const int index = segment[at] & 15;
      ASSERT_LE(index, 1);
      const BaselineJpeg::TableSpec& standard = BaselineJpeg::StandardTable(index * 2 + tableClass);
      int count = 0;
      for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(segment[at + 1 + static_cast<std::size_t>(i)], standard.counts[static_cast<std::size_t>(i)]);
        count += segment[at + 1 + static_cast<std::size_t>(i)];
      }
      ASSERT_EQ(count, standard.symbolCount);
      EXPECT_TRUE(std::equal(standard.symbols, standard.symbols + count, segment.begin() + static_cast<long>(at + 17)));
      at += 17 + static_cast<std::size_t>(count);
      ++seen;
    }
  }
  EXPECT_EQ(seen, 4);
}

// Anything not clean is left to the general decoder, which decides; a frame taken
// here is whole. After any refusal the next frame decodes.
TEST(BaselineJpeg, ShortOrIrregularDataIsRefused) {
  BaselineJpeg decoder(kStray);
  const auto jpeg = MakeCameraJpeg(128, 96, CameraScene(128, 96, 3), Subsampling::S422, 85);
  const auto clean = Decode(decoder, jpeg);
  ASSERT_EQ(clean.scan, Result::Decoded);
  const std::size_t scan = ScanData(jpeg);
  ASSERT_GT(scan, 0u);

  auto withEnd = [](std::vector<std::uint8_t> frame) {
    frame.push_back(0xFF);
    frame.push_back(0xD9);
    return frame;
  };
  // Coded data cut short: the picture would run on into zeros.
  for (std::size_t keep : {scan + 10, scan + (jpeg.size() - scan) / 2, jpeg.size() - 40}) {
    const auto cut = withEnd(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<long>(keep)));
    const auto result = Decode(decoder, cut);
    EXPECT_NE(result.headers == Result::Decoded ? result.scan : result.headers, Result::Decoded) << "kept " << keep;
  }
  // Stray bytes after the coded data: a few are taken (as the general decoder takes
  // them), more are not.
  auto withStray = [&](std::size_t count) {
    auto frame = jpeg;
    frame.insert(frame.end() - 2, count, 0x5A);
    return frame;
  };
  const auto few = Decode(decoder, withStray(kStray));
  ASSERT_EQ(few.scan, Result::Decoded);
  EXPECT_EQ(few.bgr, clean.bgr);
  EXPECT_EQ(Decode(decoder, withStray(kStray + 1)).scan, Result::Irregular);
  // Counted as sent: a stuffed 0xFF is two bytes.
  auto withStuffedStray = [&](std::size_t pairs) {
    auto frame = jpeg;
    for (std::size_t i = 0; i < pairs; ++i) frame.insert(frame.end() - 2, {0xFF, 0x00});
    return frame;
  };
  EXPECT_EQ(Decode(decoder, withStuffedStray(kStray / 2)).scan, Result::Decoded);
  EXPECT_EQ(Decode(decoder, withStuffedStray(kStray / 2 + 1)).scan, Result::Irregular);
  // Headers that do not hold together.
  auto edited = [&](std::size_t at, std::uint8_t value) {
    auto frame = jpeg;
    frame[at] = value;
    return frame;
  };
  // The scan header: count, 3 × (component, tables), spectral selection.
  const std::size_t sos = Segments(jpeg, 0xDA).front().at;
  EXPECT_EQ(Decode(decoder, edited(sos + 4, 0x22)).headers, Result::Irregular);  // Huffman table 2: never defined
  EXPECT_EQ(Decode(decoder, edited(sos + 8, 0x30)).headers, Result::Irregular);  // spectral end 48
  EXPECT_EQ(Decode(decoder, edited(2, 0x00)).headers, Result::Irregular);         // no marker after the start
  // A Huffman table with more codes of a length than there are: two one-bit codes
  // (one of them all ones) in the luminance DC table, the symbol count unchanged.
  const std::size_t dht = Segments(jpeg, 0xC4).front().at;
  ASSERT_EQ(jpeg[dht], 0x00);  // class DC, table 0
  auto overfull = jpeg;
  ASSERT_GE(overfull[dht + 3], 2);
  overfull[dht + 1] += 2;  // one-bit codes
  overfull[dht + 3] -= 2;  // three-bit codes
  EXPECT_EQ(Decode(decoder, overfull).headers, Result::Irregular);
  const auto noEnd = std::vector<std::uint8_t>(jpeg.begin(), jpeg.end() - 2);
  EXPECT_EQ(Decode(decoder, noEnd).headers, Result::Irregular);

  // Restart markers out of order.
  auto restarts = MakeCameraJpegWithRestarts(128, 96, CameraScene(128, 96, 3), Subsampling::S422, 85, 2);
  ASSERT_EQ(Decode(decoder, restarts).scan, Result::Decoded);
  const std::size_t restartScan = ScanData(restarts);
  for (std::size_t i = restartScan; i + 1 < restarts.size(); ++i) {
    if (restarts[i] == 0xFF && restarts[i + 1] == 0xD0) {
      restarts[i + 1] = 0xD3;
      break;
    }
  }
  EXPECT_EQ(Decode(decoder, restarts).headers, Result::Irregular);

  const auto again = Decode(decoder, jpeg);
  ASSERT_EQ(again.scan, Result::Decoded);
  EXPECT_EQ(again.bgr, clean.bgr);
}

// Other kinds of JPEG go to the general decoder untouched.
TEST(BaselineJpeg, OtherKindsOfJpegAreLeftToTheGeneralDecoder) {
  BaselineJpeg decoder(kStray);
  const std::vector<std::uint8_t> bgr = PackedBgr(64, 48, CameraScene(64, 48, 2));
  struct Kind {
    const char* name;
    int subsampling;
    int flags;
  };
  for (const Kind& kind : {Kind{"grey", TJSAMP_GRAY, 0}, Kind{"4:1:1", TJSAMP_411, 0}, Kind{"4:4:0", TJSAMP_440, 0},
                           Kind{"progressive", TJSAMP_422, TJFLAG_PROGRESSIVE}}) {
    SCOPED_TRACE(kind.name);
    tjhandle handle = tjInitCompress();
    ASSERT_NE(handle, nullptr);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const int status =
        tjCompress2(handle, bgr.data(), 64, 0, 48, TJPF_BGR, &data, &size, kind.subsampling, 85, kind.flags);
    std::vector<std::uint8_t> jpeg;
    if (status == 0) jpeg.assign(data, data + size);
    tjFree(data);
    tjDestroy(handle);
    ASSERT_FALSE(jpeg.empty());
    int width = 0;
    int height = 0;
    EXPECT_EQ(decoder.ReadHeaders(jpeg.data(), jpeg.size(), width, height), Result::Unsupported);
    EXPECT_FALSE(TurboJpeg(jpeg, width, height).empty());
  }
}

// The vector transforms compute what the plain arithmetic does, to the bit: two
// blocks at once as one at a time, the plain code as the vector code, and a lone DC
// term as the full transform.
TEST(BaselineJpeg, VectorTransformsMatchTheOneBlockTransform) {
  std::mt19937 random(5);
  alignas(32) std::int16_t first[64];
  alignas(32) std::int16_t second[64];
  std::uint8_t pair[2][64];
  std::uint8_t single[2][64];
  const InverseDctPair transformPair = SelectInverseDctPair();
  for (int round = 0; round < 2000; ++round) {
    // From a few low terms to every term, up to the extremes damaged data may hold.
    const int terms = 1 + round % 64;
    const int range = round % 5 == 4 ? 32768 : 1024;
    std::fill(first, first + 64, 0);
    std::fill(second, second + 64, 0);
    for (int i = 0; i < terms; ++i) {
      first[i] = static_cast<std::int16_t>(static_cast<int>(random() % (2 * range)) - range);
      second[63 - i] = static_cast<std::int16_t>(static_cast<int>(random() % (2 * range)) - range);
    }
    transformPair(first, pair[0], 8, second, pair[1], 8);
    InverseDct8x8(first, single[0], 8);
    InverseDct8x8(second, single[1], 8);
    ASSERT_TRUE(std::equal(pair[0], pair[0] + 64, single[0])) << "round " << round;
    ASSERT_TRUE(std::equal(pair[1], pair[1] + 64, single[1])) << "round " << round;
  }
  // The plain code (for processors without SSE2) computes the same, on coefficients
  // of real pictures: large at low frequencies, small at high ones.
  for (int round = 0; round < 2000; ++round) {
    for (int i = 0; i < 64; ++i) {
      const int limit = 2048 >> ((i / 8 + i % 8) / 2);
      first[i] = static_cast<std::int16_t>(static_cast<int>(random() % (2 * limit + 1)) - limit);
    }
    InverseDct8x8(first, single[0], 8);
    InverseDct8x8Plain(first, single[1], 8);
    ASSERT_TRUE(std::equal(single[0], single[0] + 64, single[1])) << "round " << round;
  }
  for (int dc = -32768; dc <= 32767; dc += 7) {
    std::fill(first, first + 64, 0);
    first[0] = static_cast<std::int16_t>(dc);
    InverseDct8x8(first, single[0], 8);
    InverseDctDcOnly(static_cast<std::int16_t>(dc), single[1], 8);
    ASSERT_TRUE(std::equal(single[0], single[0] + 64, single[1])) << "DC " << dc;
  }
}

// The colour conversion is within a level of the exact formula for every colour, in
// both chroma layouts, at widths that leave a tail for the plain code.
TEST(BaselineJpeg, ColourConversionIsWithinALevelOfTheExactFormula) {
  const YcbcrRowToBgr convert = SelectYcbcrRowToBgr();
  constexpr int kWidth = 256 + 7;
  std::uint8_t luma[kWidth + 16];
  std::uint8_t cb[kWidth + 16];
  std::uint8_t cr[kWidth + 16];
  std::uint8_t out[kWidth * 3];
  auto exact = [](int y, int u, int v, int channel) {
    const double value = channel == 0   ? y + 1.772 * (u - 128)
                         : channel == 1 ? y - 0.344136 * (u - 128) - 0.714136 * (v - 128)
                                        : y + 1.402 * (v - 128);
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
  };
  int worst = 0;
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < 256; ++v) {
      for (int x = 0; x < kWidth + 16; ++x) {
        luma[x] = static_cast<std::uint8_t>(x);
        cb[x] = static_cast<std::uint8_t>(u);
        cr[x] = static_cast<std::uint8_t>(v);
      }
      convert(luma, cb, cr, kWidth, false, out);
      for (int x = 0; x < kWidth; ++x) {
        for (int channel = 0; channel < 3; ++channel) {
          worst = std::max(worst, std::abs(out[3 * x + channel] - exact(luma[x], u, v, channel)));
        }
      }
    }
  }
  EXPECT_LE(worst, 1);

  // Half chroma: pixels 2i and 2i + 1 take chroma sample i.
  for (int x = 0; x < kWidth + 16; ++x) {
    luma[x] = static_cast<std::uint8_t>(100 + x % 50);
    cb[x] = static_cast<std::uint8_t>(x * 5);
    cr[x] = static_cast<std::uint8_t>(255 - x * 3);
  }
  convert(luma, cb, cr, kWidth, true, out);
  for (int x = 0; x < kWidth; ++x) {
    for (int channel = 0; channel < 3; ++channel) {
      ASSERT_LE(std::abs(out[3 * x + channel] - exact(luma[x], cb[x / 2], cr[x / 2], channel)), 1) << "pixel " << x;
    }
  }
}
