// The circle fit and the field finder of the pan window: synthetic pictures whose
// field is known exactly, and the virtual camera's own picture through the program's
// converter and view transform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "adjust/circle_fit.h"
#include "outside/ximage.h"
#include "platform/graph/frame_converter.h"
#include "platform/virtualcam/virtual_camera.h"
#include "view/view_transform.h"

namespace {

// A 24-bit picture stored bottom row first; pixel (x, y) counted from the top-left.
struct Picture {
  CxImage image;
  Picture(int w, int h, std::uint8_t level) : image(w, h, 24) { image.Clear(level); }
  void Set(int x, int y, std::uint8_t level) {
    std::uint8_t* p = image.GetBits(image.GetHeight() - 1 - y) + x * 3;
    p[0] = p[1] = p[2] = level;
  }
  int Width() const { return static_cast<int>(image.GetWidth()); }
  int Height() const { return static_cast<int>(image.GetHeight()); }
};

// A bright disc of radius r centred at (cx, cy) from the top-left on a dark ground.
Picture Disc(int w, int h, double cx, double cy, double r) {
  Picture p(w, h, 16);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) < r) p.Set(x, y, 220);
  return p;
}

std::vector<CirclePoint> OnCircle(double cx, double cy, double r, int count) {
  std::vector<CirclePoint> points;
  for (int i = 0; i < count; ++i) {
    const double t = 2 * M_PI * i / count;
    points.push_back({static_cast<int>(std::lround(cx + r * std::cos(t))), static_cast<int>(std::lround(cy + r * std::sin(t)))});
  }
  return points;
}

}  // namespace

TEST(FitCircle, FindsCentreAndRadiusOfPointsOnACircle) {
  const auto fit = FitCircle(OnCircle(300.0, 200.0, 150.0, 24));
  ASSERT_TRUE(fit);
  EXPECT_NEAR(fit->cx, 300, 1);
  EXPECT_NEAR(fit->cy, 200, 1);
  EXPECT_NEAR(fit->radius, 150.0, 0.5);

  // Three points fix a circle; an arc of one side is enough.
  const auto three = FitCircle({{0, 100}, {100, 0}, {200, 100}});
  ASSERT_TRUE(three);
  EXPECT_EQ(three->cx, 100);
  EXPECT_EQ(three->cy, 100);
  EXPECT_NEAR(three->radius, 100.0, 1e-9);
}

TEST(FitCircle, RaisesANegativeCentreToZero) {
  const auto fit = FitCircle(OnCircle(-40.0, -30.0, 100.0, 16));
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->cx, 0);
  EXPECT_EQ(fit->cy, 0);
  EXPECT_NEAR(fit->radius, 100.0, 0.5);
}

TEST(FitCircle, GivesUpOnTooFewPointsAndOnPointsThatFixNoCircle) {
  EXPECT_FALSE(FitCircle({}));
  EXPECT_FALSE(FitCircle({{1, 2}, {3, 4}}));
  // On one line, upright, level or slanted: the normal equations are singular.
  EXPECT_FALSE(FitCircle({{300, 10}, {300, 40}, {300, 70}, {300, 100}}));
  EXPECT_FALSE(FitCircle({{10, 5}, {20, 5}, {30, 5}}));
  EXPECT_FALSE(FitCircle({{0, 0}, {1, 2}, {2, 4}, {3, 6}}));
  // All in one place.
  EXPECT_FALSE(FitCircle({{7, 7}, {7, 7}, {7, 7}}));
}

TEST(FitToCircle, AUniformFrameHasNoEdgesAndGivesUp) {
  const Picture grey(640, 480, 128);
  EXPECT_TRUE(FieldEdgePoints(grey.image, 640, 480).empty());
  EXPECT_EQ(FitToCircle(grey.image, 640, 480, 640, 480).result, FieldFit::Result::GaveUp);
}

TEST(FitToCircle, GivesUpOnAPictureTooLowOrNotOfTheFrameSize) {
  const Picture low = Disc(640, 19, 320, 10, 8);
  EXPECT_EQ(FitToCircle(low.image, 640, 19, 640, 19).result, FieldFit::Result::GaveUp);
  const Picture disc = Disc(640, 480, 320, 240, 200);
  EXPECT_EQ(FitToCircle(disc.image, 1280, 720, 1280, 720).result, FieldFit::Result::GaveUp);
}

TEST(FitToCircle, GivesUpOnABrightLineInsteadOfDividingByZero) {
  // One bright column: every edge point lies on it, no circle passes through them.
  Picture line(640, 480, 16);
  for (int y = 0; y < 480; ++y) line.Set(300, y, 240);
  EXPECT_GE(FieldEdgePoints(line.image, 640, 480).size(), 3u);
  EXPECT_EQ(FitToCircle(line.image, 640, 480, 640, 480).result, FieldFit::Result::GaveUp);
}

TEST(FitToCircle, FramesADiscInsideThePicture) {
  const Picture disc = Disc(640, 480, 300, 250, 200);
  const FieldFit fit = FitToCircle(disc.image, 640, 480, 640, 480);
  ASSERT_EQ(fit.result, FieldFit::Result::Framed);
  EXPECT_NEAR(fit.x, 300, 2);
  EXPECT_NEAR(fit.y, 250, 2);
  EXPECT_NEAR(fit.magnification, 480.0 / 400.0, 0.01);
}

TEST(FitToCircle, RecentresForADiscTooSmallToFill) {
  // Diameter 80, under a quarter of 480: F = 6 > 4.
  const Picture disc = Disc(640, 480, 200, 150, 40);
  EXPECT_EQ(FitToCircle(disc.image, 640, 480, 640, 480).result, FieldFit::Result::Recentred);
}

TEST(FitToCircle, GivesUpOnAFieldLargerThanTheVideo) {
  // A radius over half the video height.
  const Picture disc = Disc(640, 480, 320, 240, 300);
  EXPECT_EQ(FitToCircle(disc.image, 640, 480, 640, 480).result, FieldFit::Result::GaveUp);
}

TEST(FitToCircle, MovesTheSquareRightOfADiscCutByTheLeftEdge) {
  const Picture disc = Disc(640, 480, 60, 240, 150);
  const FieldFit fit = FitToCircle(disc.image, 640, 480, 640, 480);
  ASSERT_EQ(fit.result, FieldFit::Result::Framed);
  // x = trunc(ρ) with ρ = H / (2F): the square's left side on the picture's left edge.
  const double rho = 480.0 / (2.0 * fit.magnification);
  EXPECT_GT(rho, 60.0);
  EXPECT_LE(fit.x, rho + 0.01);
  EXPECT_GT(fit.x, rho - 1.01);
  EXPECT_NEAR(fit.y, 240, 3);
}

namespace {

// The virtual camera's picture as the program's frame picture: converted from the
// wire as the frame grabber does and passed through the view transform with the pan
// centred at magnification 1.
CxImage CameraFramePicture(platform::VirtualCamera& camera, int w, int h) {
  std::vector<std::uint8_t> wire;
  EXPECT_TRUE(camera.RenderFrame({platform::WireFormat::YUY2, w, h, false, 30.0}, 11, wire));
  platform::FrameConverter converter;
  platform::ConvertedFrame bgr;
  EXPECT_TRUE(converter.Convert(wire.data(), wire.size(), platform::WireFormat::YUY2, w, h, bgr));
  CxImage picture(w, h, 24);
  ViewTransformParams p;
  p.videoWidth = w;
  p.videoHeight = h;
  p.panX = w / 2;
  p.panY = h / 2;
  ViewTransform transform;
  EXPECT_TRUE(transform.Apply(bgr.pixels, w, h, p, picture.GetBits(0), picture.GetEffWidth()));
  return picture;
}

struct CameraCase {
  int w, h;
  double shiftX, shiftY;  // the camera's knob, in frame heights
};

}  // namespace

class FitOnVirtualCamera : public ::testing::TestWithParam<CameraCase> {};

TEST_P(FitOnVirtualCamera, FramesTheCamerasFieldWithinTwoPixelsAndOnePercent) {
  const CameraCase c = GetParam();
  platform::VirtualCameraOptions options;
  options.fieldShiftX = c.shiftX;
  options.fieldShiftY = c.shiftY;
  options.frameCounter = false;  // a bright number beside the field would be an edge too
  platform::VirtualCamera camera(options);
  const CxImage picture = CameraFramePicture(camera, c.w, c.h);

  // The camera's field: a disc of 0.9 frame heights around the shifted centre.
  const double cx = c.w / 2.0 + c.shiftX * c.h;
  const double cy = c.h / 2.0 + c.shiftY * c.h;
  const double rho = 0.45 * c.h;
  const FieldFit fit = FitToCircle(picture, c.w, c.h, c.w, c.h);
  ASSERT_EQ(fit.result, FieldFit::Result::Framed);
  EXPECT_NEAR(fit.x, cx, 2.0);
  EXPECT_NEAR(fit.y, cy, 2.0);
  const double implied = c.h / (2.0 * rho);
  EXPECT_NEAR(fit.magnification / implied, 1.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FitOnVirtualCamera,
                         ::testing::Values(CameraCase{640, 480, 0.0, 0.0}, CameraCase{1920, 1080, 0.0, 0.0},
                                           CameraCase{640, 480, 0.04, -0.03}, CameraCase{1920, 1080, -0.04, 0.03}),
                         [](const ::testing::TestParamInfo<CameraCase>& info) {
                           const CameraCase& c = info.param;
                           return std::to_string(c.w) + "x" + std::to_string(c.h) +
                                  (c.shiftX == 0.0 && c.shiftY == 0.0 ? "_Centred" : "_OffCentre");
                         });
