// The view transform against its rules: pan square, zoom crop with a bilinear enlarge,
// mirrors. Frames are synthetic; in the "position" frames each pixel encodes its own
// column and row, so a wrong source pixel shows as a wrong position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "view/view_transform.h"
#include "view/view_transform_rows.h"
#include "outside/image_scale.h"

namespace {

struct Frame {
  int w = 0, h = 0;
  std::vector<std::uint8_t> bytes;  // exactly w × h × 3: a read past the end is out of bounds
  Frame(int width, int height) : w(width), h(height), bytes(std::size_t(width) * height * 3, 0) {}
  std::uint8_t* at(int x, int y) { return &bytes[(std::size_t(y) * w + x) * 3]; }
  const std::uint8_t* at(int x, int y) const { return &bytes[(std::size_t(y) * w + x) * 3]; }
  bool IsBlack(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
};

// Blue: the column's low byte, green: the row's low byte, red: the high bits of both
// with its top bit set, so that no pixel is black.
Frame PositionFrame(int w, int h) {
  Frame f(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = f.at(x, y);
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(0x80 | (x >> 8) | ((y >> 8) << 3));
    }
  return f;
}

Frame NoiseFrame(int w, int h, unsigned seed) {
  Frame f(w, h);
  std::mt19937 random(seed);
  for (auto& b : f.bytes) b = static_cast<std::uint8_t>(random());
  return f;
}

// Position of a pixel of a position frame; (-1, -1) for black.
std::pair<int, int> PositionOf(const Frame& f, int x, int y) {
  if (f.IsBlack(x, y)) return {-1, -1};
  const std::uint8_t* p = f.at(x, y);
  return {p[0] | ((p[2] & 7) << 8), p[1] | (((p[2] >> 3) & 7) << 8)};
}

ViewTransformParams Params(int videoW, int videoH, int panX, int panY, float zoom = 1.0f, float panZoom = 1.0f) {
  ViewTransformParams p;
  p.videoWidth = videoW;
  p.videoHeight = videoH;
  p.panX = panX;
  p.panY = panY;
  p.zoom = zoom;
  p.panZoom = panZoom;
  return p;
}

Frame Transform(ViewTransform& t, const Frame& src, const ViewTransformParams& p) {
  Frame out(src.w, src.h);
  std::fill(out.bytes.begin(), out.bytes.end(), std::uint8_t{0x5A});  // every byte must be written
  EXPECT_TRUE(t.Apply(src.bytes.data(), src.w, src.h, p, out.bytes.data()));
  return out;
}

// The rules step by step, the slow and obvious way, in floating point: the pan square
// into a black frame, the crop, a textbook bilinear enlarge (pixel centres aligned,
// edges clamped), then the mirrors.
std::vector<double> Reference(const Frame& src, const ViewTransformParams& p) {
  const int w = src.w, h = src.h;
  Frame pan(w, h);
  const int side = static_cast<int>(static_cast<float>(h) / p.panZoom);
  const int x0 = std::max(p.panX - side / 2, 0), y0 = std::max(p.panY - side / 2, 0);
  for (int i = 0; i < side && y0 + i < h; ++i)
    for (int j = 0; j < side && x0 + j < w; ++j) {
      const int px = (w - side) / 2 + j, py = (h - side) / 2 + i;
      if (px >= 0 && px < w && py >= 0 && py < h) std::copy_n(src.at(x0 + j, y0 + i), 3, pan.at(px, py));
    }
  const int cw = std::min(static_cast<int>(static_cast<float>(p.videoWidth) / p.zoom), w);
  const int ch = std::min(static_cast<int>(static_cast<float>(p.videoHeight) / p.zoom), h);
  const int ox = (w - cw) / 2, oy = (h - ch) / 2;
  const auto crop = [&](int x, int y, int c) {
    return double(pan.at(ox + std::clamp(x, 0, cw - 1), oy + std::clamp(y, 0, ch - 1))[c]);
  };
  std::vector<double> out(std::size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double fx = std::max((x + 0.5) * cw / w - 0.5, 0.0), fy = std::max((y + 0.5) * ch / h - 0.5, 0.0);
      const int ix = int(fx), iy = int(fy);
      const double ax = fx - ix, ay = fy - iy;
      const int tx = p.hMirror ? w - 1 - x : x, ty = p.vMirror ? h - 1 - y : y;
      for (int c = 0; c < 3; ++c) {
        out[(std::size_t(ty) * w + tx) * 3 + c] =
            (1 - ay) * ((1 - ax) * crop(ix, iy, c) + ax * crop(ix + 1, iy, c)) +
            ay * ((1 - ax) * crop(ix, iy + 1, c) + ax * crop(ix + 1, iy + 1, c));
      }
    }
  return out;
}

double MaxError(const Frame& got, const std::vector<double>& want) {
  double worst = 0;
  for (std::size_t i = 0; i < want.size(); ++i) worst = std::max(worst, std::abs(want[i] - got.bytes[i]));
  return worst;
}

TEST(ViewTransform, NoZoomShowsThePanSquareInPlaceWithBlackBesideIt) {
  ViewTransform t;
  const Frame src = PositionFrame(640, 480);
  const Frame out = Transform(t, src, Params(640, 480, 320, 240));
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const auto want = x >= 80 && x < 560 ? std::make_pair(x, y) : std::make_pair(-1, -1);
      ASSERT_EQ(PositionOf(out, x, y), want) << x << "," << y;
    }
}

TEST(ViewTransform, PanSquareSmallerThanTheFrameAndReachingTheLastRow) {
  ViewTransform t;
  const Frame src = PositionFrame(640, 480);
  // Side 240 around (300, 200): source corner (180, 80) lands at (200, 120).
  Frame out = Transform(t, src, Params(640, 480, 300, 200, 1.0f, 2.0f));
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const bool in = x >= 200 && x < 440 && y >= 120 && y < 360;
      ASSERT_EQ(PositionOf(out, x, y), in ? std::make_pair(x - 20, y - 40) : std::make_pair(-1, -1)) << x << "," << y;
    }
  // Around row 479 the square runs off the bottom: the source rows 359 … 479, the last
  // one included, fill the frame rows 120 … 240; below them it stays black.
  out = Transform(t, src, Params(640, 480, 320, 479, 1.0f, 2.0f));
  for (int y = 0; y < 480; ++y) {
    const auto want = y >= 120 && y <= 240 ? std::make_pair(250, y + 239) : std::make_pair(-1, -1);
    ASSERT_EQ(PositionOf(out, 250, y), want) << y;
  }
}

TEST(ViewTransform, PanSquarePastTheRightEdgeCopiesOnlyTheColumnsInsideTheFrame) {
  ViewTransform t;
  const Frame src = PositionFrame(640, 480);
  // Source columns 360 … 639 land at 80 … 359; the square's remaining columns would lie
  // past the frame's edge and stay black (the next row's pixels must not show there).
  for (int panX : {600, 639, 5000}) {
    const Frame out = Transform(t, src, Params(640, 480, panX, 240));
    const int x0 = std::max(panX - 240, 0);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const int from = x - 80 + x0;
        const bool in = x >= 80 && x < 560 && from < 640;
        ASSERT_EQ(PositionOf(out, x, y), in ? std::make_pair(from, y) : std::make_pair(-1, -1)) << panX << ":" << x;
      }
  }
  // A square wider than the frame (pan magnification below 1) keeps to the frame too:
  // side 960 from the source's corner, placed at (-160, -240).
  const Frame wide = Transform(t, src, Params(640, 480, 320, 240, 1.0f, 0.5f));
  EXPECT_EQ(PositionOf(wide, 0, 0), std::make_pair(160, 240));
  EXPECT_EQ(PositionOf(wide, 479, 239), std::make_pair(639, 479));
  EXPECT_EQ(PositionOf(wide, 480, 0), std::make_pair(-1, -1));
  EXPECT_EQ(PositionOf(wide, 0, 240), std::make_pair(-1, -1));
}

TEST(ViewTransform, ZoomTwoEnlargesTheCentralHalf) {
  ViewTransform t;
  const Frame src = PositionFrame(640, 480);
  const Frame out = Transform(t, src, Params(640, 480, 320, 240, 2.0f));
  // The 320 × 240 crop from (160, 120): its corners land on the frame's corners.
  EXPECT_EQ(PositionOf(out, 0, 0), std::make_pair(160, 120));
  EXPECT_EQ(PositionOf(out, 639, 0), std::make_pair(479, 120));
  EXPECT_EQ(PositionOf(out, 0, 479), std::make_pair(160, 359));
  EXPECT_EQ(PositionOf(out, 639, 479), std::make_pair(479, 359));
  // The centre lies three quarters of the way from (319, 239) to (320, 240).
  EXPECT_NEAR(out.at(320, 240)[0], 63.75, 0.51);   // columns 319 and 320: low bytes 63, 64
  EXPECT_NEAR(out.at(320, 240)[1], 239.75, 0.51);  // rows 239 and 240
  EXPECT_LE(MaxError(out, Reference(src, Params(640, 480, 320, 240, 2.0f))), 1.0);
}

TEST(ViewTransform, MirrorsReverseRowsAndColumnsExactly) {
  ViewTransform t;
  const Frame src = NoiseFrame(640, 480, 7);
  for (float zoom : {1.0f, 1.5f}) {
    const ViewTransformParams plain = Params(640, 480, 300, 250, zoom);
    const Frame base = Transform(t, src, plain);
    for (int mirrors = 1; mirrors < 4; ++mirrors) {
      ViewTransformParams p = plain;
      p.hMirror = mirrors & 1;
      p.vMirror = mirrors & 2;
      const Frame out = Transform(t, src, p);
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
          const int fx = p.hMirror ? 639 - x : x, fy = p.vMirror ? 479 - y : y;
          ASSERT_TRUE(std::equal(out.at(x, y), out.at(x, y) + 3, base.at(fx, fy)))
              << "zoom " << zoom << " mirrors " << mirrors << " at " << x << "," << y;
        }
    }
  }
}

TEST(ViewTransform, EveryZoomIsABilinearEnlargeOfTheCropAtOtherSizes) {
  ViewTransform t;
  struct Case {
    int w, h;
  };
  // Odd crops (1280 / 1.1 = 1163 wide), a width off a multiple of four, a tiny frame.
  for (const Case c : {Case{1280, 720}, Case{642, 362}, Case{7, 5}}) {
    const Frame src = NoiseFrame(c.w, c.h, static_cast<unsigned>(c.w));
    for (int z = 11; z <= 20; ++z) {
      ViewTransformParams p = Params(c.w, c.h, c.w / 2 + 3, c.h / 2 - 2, z / 10.0f);
      p.hMirror = z % 2;
      p.vMirror = z % 3 == 0;
      const Frame out = Transform(t, src, p);
      ASSERT_LE(MaxError(out, Reference(src, p)), 1.0) << c.w << "x" << c.h << " zoom " << z;
    }
  }
  // A frame larger than the selected resolution is cropped and enlarged even at zoom 1.
  const Frame src = NoiseFrame(800, 600, 3);
  const ViewTransformParams p = Params(640, 480, 400, 300, 1.0f, 1.3f);
  EXPECT_LE(MaxError(Transform(t, src, p), Reference(src, p)), 1.0);
}

TEST(ViewTransform, StaysCloseToTheLibraryScalerOnTheSameCrop) {
  // On a square frame the pan square centred in it is the whole frame, so the library
  // scaler gets exactly the crop.
  const Frame src = NoiseFrame(240, 240, 11);
  ViewTransform t;
  const Frame out = Transform(t, src, Params(240, 240, 120, 120, 1.5f));
  const int side = 160, at = 40;
  Frame crop(side, side);
  for (int y = 0; y < side; ++y) std::copy_n(src.at(at, at + y), side * 3, crop.at(0, y));
  Frame library(240, 240);
  ImageScaler scaler;
  ASSERT_TRUE(scaler.Scale(crop.bytes.data(), side, side, side * 3, 24, library.bytes.data(), 240, 240, 240 * 3, 24, 1));
  int worst = 0;
  for (std::size_t i = 0; i < out.bytes.size(); ++i) worst = std::max(worst, std::abs(out.bytes[i] - library.bytes[i]));
  EXPECT_LE(worst, 2);
}

TEST(ViewTransform, EveryKernelGivesTheSameBytes) {
  const Frame src = NoiseFrame(1283, 721, 5);
  for (float zoom : {1.1f, 1.37f, 2.0f}) {
    ViewTransformParams p = Params(1283, 721, 600, 380, zoom);
    p.hMirror = zoom > 1.2f;
    ViewTransform plain;
    ASSERT_TRUE(plain.Scaler().ForceKernel(BgrUpscaler::Kernel::Plain));
    const Frame want = Transform(plain, src, p);
    for (auto kernel : {BgrUpscaler::Kernel::Ssse3, BgrUpscaler::Kernel::Avx2}) {
      ViewTransform t;
      if (!t.Scaler().ForceKernel(kernel)) continue;  // this processor lacks it
      EXPECT_EQ(Transform(t, src, p).bytes, want.bytes) << "kernel " << static_cast<int>(kernel) << " zoom " << zoom;
    }
  }
}

TEST(ViewTransform, PaddedOutputRowsKeepTheirPadding) {
  ViewTransform t;
  const Frame src = NoiseFrame(101, 40, 9);
  for (float zoom : {1.0f, 1.8f}) {
    ViewTransformParams p = Params(101, 40, 50, 20, zoom, 0.5f);
    p.hMirror = true;
    const Frame want = Transform(t, src, p);
    const std::size_t stride = 101 * 3 + 5;
    std::vector<std::uint8_t> padded(stride * 40, 0xEE);
    ASSERT_TRUE(t.Apply(src.bytes.data(), 101, 40, p, padded.data(), static_cast<std::ptrdiff_t>(stride)));
    for (int y = 0; y < 40; ++y) {
      ASSERT_TRUE(std::equal(want.at(0, y), want.at(0, y) + 303, &padded[y * stride])) << y;
      ASSERT_TRUE(std::all_of(&padded[y * stride + 303], &padded[y * stride + stride],
                              [](std::uint8_t b) { return b == 0xEE; }));
    }
  }
}

TEST(ViewTransform, RefusesBadInputAndLeavesTheOutputAlone) {
  ViewTransform t;
  const Frame src = PositionFrame(16, 8);
  std::vector<std::uint8_t> out(16 * 8 * 3, 0x77);
  const ViewTransformParams good = Params(16, 8, 8, 4);
  EXPECT_FALSE(t.Apply(nullptr, 16, 8, good, out.data()));
  EXPECT_FALSE(t.Apply(src.bytes.data(), 16, 8, good, nullptr));
  EXPECT_FALSE(t.Apply(src.bytes.data(), 0, 8, good, out.data()));
  EXPECT_FALSE(t.Apply(src.bytes.data(), 16, 8, good, out.data(), 16 * 3 - 1));
  for (float bad : {0.0f, -1.0f, NAN, INFINITY}) {
    ViewTransformParams p = good;
    p.zoom = bad;
    EXPECT_FALSE(t.Apply(src.bytes.data(), 16, 8, p, out.data())) << bad;
    p = good;
    p.panZoom = bad;
    EXPECT_FALSE(t.Apply(src.bytes.data(), 16, 8, p, out.data())) << bad;
  }
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0x77; }));
  // A square far too large for the frame, or a crop far too small, still gives a frame.
  ViewTransformParams p = good;
  p.panZoom = 1e-30f;
  const Frame black = Transform(t, src, p);
  EXPECT_TRUE(std::all_of(black.bytes.begin(), black.bytes.end(), [](std::uint8_t b) { return b == 0; }));
  p = good;
  p.zoom = 1e30f;  // a one-pixel crop: the pixel at (7, 3) fills the frame
  const Frame one = Transform(t, src, p);
  EXPECT_EQ(PositionOf(one, 0, 0), std::make_pair(7, 3));
  EXPECT_EQ(PositionOf(one, 15, 7), std::make_pair(7, 3));
}

// A destination kept from call to call, with padded rows: every result must equal the
// transform of the same frame into a buffer of junk, whatever changed in between.
struct KeptBuffer {
  static constexpr std::uint8_t kJunk = 0x5A;
  int w, h;
  std::ptrdiff_t stride;
  std::vector<std::uint8_t> bytes;
  KeptBuffer(int width, int height)
      : w(width), h(height), stride(width * 3 + 7), bytes(static_cast<std::size_t>(stride) * height, kJunk) {}
  std::uint8_t* at(int x, int y) { return &bytes[static_cast<std::size_t>(y * stride + 3 * x)]; }
  // The pixels only, without the padding.
  std::vector<std::uint8_t> Pixels() const {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < h; ++y) out.insert(out.end(), &bytes[y * stride], &bytes[y * stride + 3 * w]);
    return out;
  }
};

TEST(ViewTransform, KeptDestinationAlwaysEqualsAFreshOne) {
  const int w = 203, h = 120;
  // Each step changes something that moves the black, or nothing at all.
  std::vector<ViewTransformParams> steps;
  const ViewTransformParams base = Params(w, h, 100, 60, 1.0f, 1.0f);
  const auto step = [&](auto change) {
    ViewTransformParams p = steps.empty() ? base : steps.back();
    change(p);
    steps.push_back(p);
  };
  step([](ViewTransformParams&) {});
  step([](ViewTransformParams&) {});                        // unchanged: the black is kept
  step([](ViewTransformParams& p) { p.panZoom = 2.0f; });   // a smaller square
  step([](ViewTransformParams& p) { p.panX = 190; });        // smaller right, cut by the edge
  step([](ViewTransformParams& p) { p.hMirror = true; });
  step([](ViewTransformParams& p) { p.vMirror = true; });
  step([](ViewTransformParams& p) { p.panY = 119; });        // cut by the last row
  step([](ViewTransformParams& p) { p.zoom = 1.5f; });       // black enlarged with the crop
  step([](ViewTransformParams&) {});
  step([](ViewTransformParams& p) { p.hMirror = false; });
  step([](ViewTransformParams& p) { p.panZoom = 0.7f; });   // larger than the frame
  step([](ViewTransformParams& p) { p.zoom = 2.0f; p.panX = 100; p.panY = 60; p.panZoom = 1.0f; });  // no black
  step([](ViewTransformParams& p) { p.panZoom = 1e-30f; });  // nothing but black
  step([](ViewTransformParams& p) { p.panZoom = 3.0f; });
  step([](ViewTransformParams& p) { p.zoom = 1.0f; p.vMirror = false; });
  step([](ViewTransformParams&) {});
  step([](ViewTransformParams& p) { p.panZoom = 1.0f; });   // back where it began
  ViewTransform kept, fresh;
  KeptBuffer out(w, h);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    // A new frame every time, none of it black, so that a pixel left from an earlier
    // frame or black where the source should show cannot pass.
    Frame src = NoiseFrame(w, h, static_cast<unsigned>(100 + i));
    for (auto& b : src.bytes) b |= 1;
    ASSERT_TRUE(kept.Apply(src.bytes.data(), w, h, steps[i], out.bytes.data(), out.stride,
                           ViewTransform::Destination::Kept));
    ASSERT_EQ(out.Pixels(), Transform(fresh, src, steps[i]).bytes) << "step " << i;
  }
  // The padding was never written.
  for (int y = 0; y < h; ++y)
    ASSERT_TRUE(std::all_of(out.at(w, y), out.at(0, y) + out.stride, [](std::uint8_t b) { return b == 0x5A; }));
}

// A writer that alternates between pictures (the frame intake, while readers hold the
// others): each buffer keeps its own black, and every result still equals a fresh one.
TEST(ViewTransform, BuffersUsedInTurnEachKeepTheirOwnBlack) {
  const int w = 160, h = 90;
  const ViewTransformParams square = Params(w, h, 80, 45, 1.0f, 1.5f);
  ViewTransformParams smaller = square;
  smaller.panZoom = 2.0f;  // a smaller square: the black lies elsewhere
  ViewTransform t, fresh;
  std::vector<KeptBuffer> buffers(3, KeptBuffer(w, h));
  for (int round = 0; round < 4; ++round) {
    for (std::size_t k = 0; k < buffers.size(); ++k) {
      const ViewTransformParams& p = round == 2 ? smaller : square;
      Frame src = NoiseFrame(w, h, static_cast<unsigned>(10 * round + k));
      for (auto& b : src.bytes) b |= 1;
      KeptBuffer& out = buffers[k];
      // A byte of black scribbled over: only a call that keeps this buffer's black (the
      // same layout as its own last call, whatever the other buffers had) leaves it.
      out.at(0, 0)[0] = 0xAB;
      ASSERT_TRUE(t.Apply(src.bytes.data(), w, h, p, out.bytes.data(), out.stride, ViewTransform::Destination::Kept));
      if (round == 1) {
        EXPECT_EQ(out.at(0, 0)[0], 0xAB) << "buffer " << k << " lost its black record to the others";
      } else {
        EXPECT_EQ(out.at(0, 0)[0], 0) << "round " << round << " buffer " << k;
      }
      out.at(0, 0)[0] = 0;  // back to the black it stands for
      ASSERT_EQ(out.Pixels(), Transform(fresh, src, p).bytes) << "round " << round << " buffer " << k;
    }
  }
}

// Between calls a kept destination belongs to the transform: with nothing changed the
// black is not written again, so bytes written into it by someone else stay (what is
// shown is written every time). Anything that makes the record differ, or a caller
// that says the buffer is fresh (a picture made anew, perhaps at the old address),
// writes the whole frame.
TEST(ViewTransform, KeptBlackIsWrittenAgainOnlyWhenTheBufferOrItsLayoutChanges) {
  const int w = 160, h = 90;
  const Frame src = PositionFrame(w, h);
  const ViewTransformParams p = Params(w, h, 80, 45, 1.0f, 1.5f);  // side 60 at (50, 15)
  ViewTransform t;
  KeptBuffer out(w, h);
  const auto apply = [&](ViewTransform::Destination d, std::ptrdiff_t stride = 0, int height = 0) {
    return t.Apply(src.bytes.data(), w, height ? height : h, p, out.bytes.data(), stride ? stride : out.stride, d);
  };
  const auto scribble = [&] {
    out.at(0, 0)[0] = 0xAB;   // black border
    out.at(60, 40)[1] = 0xAB;  // shown
  };
  const auto scribbleStays = [&] { return out.at(0, 0)[0] == 0xAB; };
  const auto expectWhole = [&](const char* what) {
    EXPECT_EQ(out.at(0, 0)[0], 0) << what;
    EXPECT_NE(out.at(60, 40)[1], 0xAB) << what;
  };
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept));  // no record yet: written whole
  EXPECT_EQ(out.at(0, 0)[0], 0);

  scribble();
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept));
  EXPECT_TRUE(scribbleStays());
  EXPECT_EQ(out.at(60, 40)[1], 40);  // green: the row

  scribble();
  ASSERT_TRUE(apply(ViewTransform::Destination::Fresh));
  expectWhole("fresh");

  // Another stride (the same first byte), another height: a different buffer.
  scribble();
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept, out.stride - 4));
  expectWhole("stride");
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept));  // back to the old stride
  scribble();
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept, 0, h - 1));
  expectWhole("height");

  // A failed call forgets the record, so the next one writes everything.
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept));
  ViewTransformParams bad = p;
  bad.zoom = NAN;
  EXPECT_FALSE(t.Apply(src.bytes.data(), w, h, bad, out.bytes.data(), out.stride, ViewTransform::Destination::Kept));
  scribble();
  ASSERT_TRUE(apply(ViewTransform::Destination::Kept));
  expectWhole("after a failure");

  // Another transform's record says nothing about this one's buffer.
  ViewTransform other;
  scribble();
  ASSERT_TRUE(other.Apply(src.bytes.data(), w, h, p, out.bytes.data(), out.stride, ViewTransform::Destination::Kept));
  expectWhole("other transform");
}

// The zoom's resample writes only the pixels the source rectangle reaches; every pixel
// outside comes out black from a source that is black outside it.
TEST(ViewTransformScaler, ReachHoldsEveryPixelTheRectangleTouches) {
  struct Case {
    int sw, sh, dw, dh, x0, x1, y0, y1;
  };
  const Case cases[] = {
      {120, 60, 203, 101, 30, 90, 10, 50},   // inside
      {120, 60, 203, 101, -5, 7, 55, 80},    // past the edges
      {97, 41, 130, 77, 1, 2, 20, 21},       // one pixel
      {97, 41, 130, 77, 96, 97, 0, 41},      // the last column
      {64, 48, 64, 48, 10, 20, 10, 20},      // no enlarge
      {64, 48, 128, 96, 40, 30, 10, 20},     // empty
  };
  for (const Case& c : cases) {
    for (int mirrors = 0; mirrors < 4; ++mirrors) {
      const bool hMirror = mirrors & 1, vMirror = mirrors & 2;
      // Source rows: noise inside the rectangle, black outside.
      Frame src = NoiseFrame(c.sw, c.sh, static_cast<unsigned>(c.dw + mirrors));
      for (int y = 0; y < c.sh; ++y)
        for (int x = 0; x < c.sw; ++x)
          if (x < c.x0 || x >= c.x1 || y < c.y0 || y >= c.y1) std::fill_n(src.at(x, y), 3, 0);
      struct Rows final : BgrUpscaler::RowSource {
        const Frame* f;
        void Fill(int row, std::uint8_t* dst) override { std::copy_n(f->at(0, row), f->w * 3, dst); }
      } rows;
      rows.f = &src;
      BgrUpscaler scaler;
      ASSERT_TRUE(scaler.Configure(c.sw, c.sh, c.dw, c.dh, hMirror));
      Frame whole(c.dw, c.dh), part(c.dw, c.dh);
      scaler.Run(rows, whole.bytes.data(), c.dw * 3, vMirror, BgrUpscaler::Region{0, c.dw, 0, c.dh});
      const BgrUpscaler::Region reach = scaler.Reach(c.x0, c.x1, c.y0, c.y1, vMirror);
      std::fill(part.bytes.begin(), part.bytes.end(), std::uint8_t{0x5A});
      scaler.Run(rows, part.bytes.data(), c.dw * 3, vMirror, reach);
      for (int y = 0; y < c.dh; ++y)
        for (int x = 0; x < c.dw; ++x) {
          const bool in = x >= reach.x0 && x < reach.x1 && y >= reach.y0 && y < reach.y1;
          const std::uint8_t* want = whole.at(x, y);
          if (in) {
            ASSERT_TRUE(std::equal(want, want + 3, part.at(x, y))) << c.dw << " mirrors " << mirrors << " at " << x << "," << y;
          } else {
            ASSERT_TRUE(whole.IsBlack(x, y)) << c.dw << " mirrors " << mirrors << " at " << x << "," << y;
            ASSERT_EQ(part.at(x, y)[0], 0x5A) << "written outside the region at " << x << "," << y;
          }
        }
    }
  }
}

TEST(ViewTransformRows, ReversePixelsAtEveryLength) {
  for (int n = 0; n < 40; ++n) {
    std::vector<std::uint8_t> src(3 * n), dst(3 * n + 3, 0xCC);
    for (int i = 0; i < 3 * n; ++i) src[i] = static_cast<std::uint8_t>(i + 1);
    ReversePixels(src.data(), n, dst.data());
    for (int k = 0; k < n; ++k) ASSERT_TRUE(std::equal(&dst[3 * k], &dst[3 * k + 3], &src[3 * (n - 1 - k)])) << n;
    EXPECT_EQ(dst[3 * n], 0xCC) << n;  // nothing written past the last pixel
  }
}

}  // namespace
