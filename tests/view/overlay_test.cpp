// The overlay picture: the edge mask and the crosshair as drawn from their settings,
// and how it is laid over a frame (white is transparent).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "view/overlay_picture.h"

namespace {

constexpr COLORREF kMask = 0x123456;   // red 0x56, green 0x34, blue 0x12
constexpr COLORREF kCross = 0x0000FF;  // red

OverlaySettings Settings(bool mask, float maskSize, bool cross, float crossSize) {
  OverlaySettings s;
  s.m_bMaskOn = mask;
  s.m_fMaskSize = maskSize;
  s.m_clrMask = kMask;
  s.m_bCrossOn = cross;
  s.m_fCrossSize = crossSize;
  s.m_clrCross = kCross;
  return s;
}

// The colour of overlay pixel (x, y) as a COLORREF.
COLORREF ColourAt(const OverlayPicture& o, int x, int y) {
  const std::uint8_t* p = o.Image().GetBits(static_cast<std::uint32_t>(y)) + 3 * x;
  return COLORREF{p[0]} << 16 | COLORREF{p[1]} << 8 | p[2];
}

// The drawing rules, literally and slowly: every pixel tested against each element.
std::vector<COLORREF> Rules(int w, int h, const OverlaySettings& s) {
  std::vector<COLORREF> out(std::size_t(w) * h, 0xFFFFFF);
  const int cx = int(w * 0.5), cy = int(h * 0.5);
  const auto plot = [&](int x, int y, COLORREF c) {
    if (x >= 0 && y >= 0 && x < w && y < h) out[std::size_t(y) * w + x] = c;
  };
  const auto dist = [&](int x, int y) { return std::sqrt(double(cx - x) * (cx - x) + double(cy - y) * (cy - y)); };
  if (s.m_bMaskOn) {
    const int r = int(s.m_fMaskSize * float(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (dist(x, y) >= r) plot(x, y, s.m_clrMask);
  }
  if (s.m_bCrossOn) {
    const int l = int(s.m_fCrossSize * float(h)), q = l / 4;
    const COLORREF c = s.m_clrCross;
    for (int x = cx - l; x < cx + l; ++x) plot(x, cy, c);
    if (cy - l > 0)
      for (int x = cx - q; x < cx + q; ++x) plot(x, cy - l, c), plot(x, cy + l, c);
    for (int y = cy - q; y < cy + q; ++y) plot(cx - l, y, c), plot(cx + l, y, c);
    for (int y = std::max(cy - l, 0); y < std::min(cy + l, h); ++y) plot(cx, y, c);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (std::fabs(l / 2 - dist(x, y)) < 1.0 || std::fabs(q - dist(x, y)) < 1.0) plot(x, y, c);
  }
  return out;
}

void ExpectFollowsTheRules(int w, int h, const OverlaySettings& s) {
  const OverlayPicture o(w, h, s);
  ASSERT_TRUE(o.Image().IsValid());
  const std::vector<COLORREF> want = Rules(w, h, s);
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (ColourAt(o, x, y) != want[std::size_t(y) * w + x] && ++wrong < 5)
        ADD_FAILURE() << w << "x" << h << " mask " << s.m_fMaskSize << " cross " << s.m_fCrossSize << " at " << x
                      << "," << y;
  EXPECT_EQ(wrong, 0);
}

// A frame of distinct grey-ish pixels, none of them white.
std::vector<std::uint8_t> Frame(int stride, int h) {
  std::vector<std::uint8_t> f(std::size_t(stride) * h);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(i * 7 % 251);
  return f;
}

TEST(OverlayPicture, MaskLeavesADiscOfTheGivenRadius) {
  const OverlayPicture o(640, 480, Settings(true, 0.4f, false, 0));
  // R = 192 around (320, 240).
  EXPECT_EQ(ColourAt(o, 320, 48), kMask);       // d = 192
  EXPECT_EQ(ColourAt(o, 320, 49), 0xFFFFFFu);   // d = 191
  EXPECT_EQ(ColourAt(o, 320 + 192, 240), kMask);
  EXPECT_EQ(ColourAt(o, 320 + 191, 240), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(o, 0, 0), kMask);
  EXPECT_EQ(ColourAt(o, 320, 240), 0xFFFFFFu);
}

TEST(OverlayPicture, CrosshairAtAQuarterOfTheHeight) {
  const OverlayPicture o(640, 480, Settings(false, 0, true, 0.25f));
  // L = 120, q = 30.
  for (int x = 200; x < 440; ++x) ASSERT_EQ(ColourAt(o, x, 240), kCross) << x;  // horizontal bar
  EXPECT_EQ(ColourAt(o, 199, 240), 0xFFFFFFu);
  for (int y = 120; y < 360; ++y) ASSERT_EQ(ColourAt(o, 320, y), kCross) << y;  // vertical bar
  EXPECT_EQ(ColourAt(o, 320, 119), 0xFFFFFFu);
  for (int x = 290; x < 350; ++x) {  // end marks of the vertical bar
    ASSERT_EQ(ColourAt(o, x, 120), kCross) << x;
    ASSERT_EQ(ColourAt(o, x, 360), kCross) << x;
  }
  EXPECT_EQ(ColourAt(o, 350, 120), 0xFFFFFFu);
  for (int y = 210; y < 270; ++y) {  // end marks of the horizontal bar
    ASSERT_EQ(ColourAt(o, 200, y), kCross) << y;
    ASSERT_EQ(ColourAt(o, 440, y), kCross) << y;
  }
  EXPECT_EQ(ColourAt(o, 440, 270), 0xFFFFFFu);
  // Rings of radius 60 and 30 (|r - d| < 1): d = 60.1, 59.4 and 29.7 are on them,
  // 58.0, 62.2 and 31.1 are not.
  EXPECT_EQ(ColourAt(o, 320 + 42, 240 + 43), kCross);
  EXPECT_EQ(ColourAt(o, 320 + 42, 240 + 42), kCross);
  EXPECT_EQ(ColourAt(o, 320 - 21, 240 - 21), kCross);
  EXPECT_EQ(ColourAt(o, 320 + 41, 240 + 41), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(o, 320 + 44, 240 + 44), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(o, 320 - 22, 240 - 22), 0xFFFFFFu);
}

TEST(OverlayPicture, EveryPixelFollowsTheDrawingRules) {
  ExpectFollowsTheRules(640, 480, Settings(true, 0.5f, true, 0.15f));  // an erased flash's sizes
  ExpectFollowsTheRules(641, 359, Settings(true, 0.37f, true, 0.33f));
  ExpectFollowsTheRules(1280, 720, Settings(true, 0.45f, true, 0.2f));
  // A crosshair reaching past the top and bottom (no vertical end marks), on the mask.
  ExpectFollowsTheRules(320, 240, Settings(true, 0.3f, true, 0.6f));
  // Sizes at and past the limits: no disc at all, a disc larger than the picture, a
  // negative crosshair.
  ExpectFollowsTheRules(160, 120, Settings(true, 0.0f, true, -0.1f));
  ExpectFollowsTheRules(160, 120, Settings(true, -0.5f, false, 0));
  ExpectFollowsTheRules(160, 120, Settings(true, 3.0f, true, 10.0f));
}

TEST(OverlayPicture, LayOverReplacesCoveredPixelsAndKeepsTheRest) {
  const OverlayPicture o(640, 480, Settings(true, 0.5f, true, 0.15f));
  const int stride = 640 * 3;
  const std::vector<std::uint8_t> before = Frame(stride, 480);
  std::vector<std::uint8_t> frame = before;
  o.LayOver(frame.data(), 640, 480, stride);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const std::uint8_t* over = o.Image().GetBits(static_cast<std::uint32_t>(y)) + 3 * x;
      const bool white = over[0] == 0xFF && over[1] == 0xFF && over[2] == 0xFF;
      const std::uint8_t* want = white ? &before[std::size_t(y) * stride + 3 * x] : over;
      ASSERT_TRUE(std::equal(want, want + 3, &frame[std::size_t(y) * stride + 3 * x])) << x << "," << y;
    }
}

TEST(OverlayPicture, WhiteOrOffOverlaysLeaveTheFrameUnchanged) {
  OverlaySettings white = Settings(true, 0.4f, true, 0.25f);
  white.m_clrMask = 0xFFFFFF;
  white.m_clrCross = 0xFFFFFF;
  for (const OverlaySettings& s : {white, Settings(false, 0.4f, false, 0.25f)}) {
    const OverlayPicture o(640, 480, s);
    EXPECT_TRUE(o.IsEmpty());
    const std::vector<std::uint8_t> before = Frame(640 * 3, 480);
    std::vector<std::uint8_t> frame = before;
    o.LayOver(frame.data(), 640, 480, 640 * 3);
    EXPECT_EQ(frame, before);
  }
  // One white element, one coloured: only the coloured one shows.
  OverlaySettings half = Settings(true, 0.4f, true, 0.25f);
  half.m_clrCross = 0xFFFFFF;
  const OverlayPicture o(640, 480, half);
  EXPECT_EQ(ColourAt(o, 0, 0), kMask);
  EXPECT_EQ(ColourAt(o, 300, 240), 0xFFFFFFu);  // the bar would be here
}

TEST(OverlayPicture, LayOverOnAnotherSizeStaysInsideBoth) {
  const OverlayPicture o(64, 48, Settings(true, 0.3f, true, 0.3f));
  const auto overlayAt = [&](int x, int y) { return o.Image().GetBits(static_cast<std::uint32_t>(y)) + 3 * x; };
  const auto isWhite = [](const std::uint8_t* p) { return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF; };
  {
    // Larger, with padded rows: the overlay covers its own corner only.
    const int w = 100, h = 80, stride = w * 3 + 4;
    const std::vector<std::uint8_t> before = Frame(stride, h);
    std::vector<std::uint8_t> frame = before;
    o.LayOver(frame.data(), w, h, stride);
    for (int y = 0; y < h; ++y)
      for (int i = 0; i < stride; ++i) {
        const int x = i / 3;
        const bool covered = x < 64 && y < 48 && i < w * 3 && !isWhite(overlayAt(x, y));
        const std::uint8_t want = covered ? overlayAt(x, y)[i % 3] : before[std::size_t(y) * stride + i];
        ASSERT_EQ(frame[std::size_t(y) * stride + i], want) << i << "," << y;
      }
  }
  {
    // Smaller, exactly sized: nothing is written outside it.
    const int w = 40, h = 30, stride = w * 3;
    const std::vector<std::uint8_t> before = Frame(stride, h);
    std::vector<std::uint8_t> frame = before;
    o.LayOver(frame.data(), w, h, stride);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* want = isWhite(overlayAt(x, y)) ? &before[std::size_t(y) * stride + 3 * x] : overlayAt(x, y);
        ASSERT_TRUE(std::equal(want, want + 3, &frame[std::size_t(y) * stride + 3 * x])) << x << "," << y;
      }
  }
}

TEST(OverlayPicture, CopyOverEqualsACopyWithTheOverlayLaidOn) {
  const OverlayPicture o(64, 48, Settings(true, 0.3f, true, 0.3f));
  struct Case {
    int w, h, srcStride, dstStride;
  };
  for (const Case c : {Case{64, 48, 192, 192}, Case{100, 80, 300, 304}, Case{40, 30, 124, 120}}) {
    const std::vector<std::uint8_t> src = Frame(c.srcStride, c.h);
    std::vector<std::uint8_t> want(std::size_t(c.dstStride) * c.h, 0xEE);
    for (int y = 0; y < c.h; ++y) std::copy_n(&src[std::size_t(y) * c.srcStride], c.w * 3, &want[std::size_t(y) * c.dstStride]);
    o.LayOver(want.data(), c.w, c.h, c.dstStride);
    std::vector<std::uint8_t> got(std::size_t(c.dstStride) * c.h, 0xEE);
    o.CopyOver(src.data(), c.srcStride, got.data(), c.dstStride, c.w, c.h);
    EXPECT_EQ(got, want) << c.w << "x" << c.h;
  }
}

TEST(OverlayPicture, CopyUncoveredTakesWhatCopyOverTakesFromTheSourceAndNothingElse) {
  const OverlayPicture o(64, 48, Settings(true, 0.3f, true, 0.3f));
  const auto covered = [&](int x, int y) {
    if (x >= 64 || y >= 48) return false;
    const std::uint8_t* p = o.Image().GetBits(static_cast<std::uint32_t>(y)) + 3 * x;
    return !(p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF);
  };
  struct Case {
    int w, h, srcStride, dstStride;
  };
  for (const Case c : {Case{64, 48, 192, 196}, Case{100, 80, 300, 304}, Case{40, 30, 124, 120}}) {
    std::vector<std::uint8_t> src = Frame(c.srcStride, c.h);
    // A picture that carries the overlay from an earlier frame, then the next frame.
    std::vector<std::uint8_t> got(std::size_t(c.dstStride) * c.h, 0xEE);
    o.CopyOver(src.data(), c.srcStride, got.data(), c.dstStride, c.w, c.h);
    for (auto& b : src) b = static_cast<std::uint8_t>(b + 101);
    std::vector<std::uint8_t> want(got.size(), 0xEE);
    o.CopyOver(src.data(), c.srcStride, want.data(), c.dstStride, c.w, c.h);
    o.CopyUncovered(src.data(), c.srcStride, got.data(), c.dstStride, c.w, c.h);
    EXPECT_EQ(got, want) << c.w << "x" << c.h;

    // On its own it leaves the covered pixels and the padding alone.
    std::vector<std::uint8_t> bare(got.size(), 0xEE);
    o.CopyUncovered(src.data(), c.srcStride, bare.data(), c.dstStride, c.w, c.h);
    for (int y = 0; y < c.h; ++y)
      for (int i = 0; i < c.dstStride; ++i) {
        const int x = i / 3;
        const bool fromSource = i < c.w * 3 && !covered(x, y);
        const std::uint8_t expected = fromSource ? src[std::size_t(y) * c.srcStride + i] : 0xEE;
        ASSERT_EQ(bare[std::size_t(y) * c.dstStride + i], expected) << c.w << "x" << c.h << " " << i << "," << y;
      }
  }
}

}  // namespace
