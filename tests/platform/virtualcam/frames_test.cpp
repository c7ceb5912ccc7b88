// The virtual camera's pictures: wire formats, sizes, content, and the controls' effect.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cmath>
#include <memory>

#include "frame_probe.h"
#include "platform/graph/interfaces.h"
#include "platform/virtualcam/virtual_camera.h"

using platform::Capability;
using platform::PropertyRange;
using platform::PropertySet;
using platform::VirtualCamera;
using platform::WireFormat;
using vcamtest::Box;
using vcamtest::Yuyv;

namespace {

const Capability kVga{WireFormat::YUY2, 640, 480, false, 30.0};

std::vector<std::uint8_t> Render(VirtualCamera& camera, std::uint64_t frameNumber = 7,
                                 const Capability& format = kVga) {
  std::vector<std::uint8_t> out;
  EXPECT_TRUE(camera.RenderFrame(format, frameNumber, out));
  return out;
}

void SetManual(VirtualCamera& camera, PropertySet set, long property, long value) {
  ASSERT_EQ(camera.Set(set, property, value, 2), S_OK) << "property " << property << " value " << value;
}

}  // namespace

TEST(VirtualCameraFrames, DefaultCapabilitiesAreYuy2ThenMjpgEachSizeTwice) {
  const auto caps = platform::VirtualCameraOptions::DefaultCapabilities();
  ASSERT_EQ(caps.size(), 16u);
  const int sizes[4][2] = {{640, 480}, {1280, 720}, {1920, 1080}, {3840, 2160}};
  for (std::size_t i = 0; i < caps.size(); ++i) {
    const auto& c = caps[i];
    EXPECT_EQ(c.format, i < 8 ? WireFormat::YUY2 : WireFormat::MJPG) << i;
    EXPECT_EQ(c.width, sizes[(i % 8) / 2][0]) << i;
    EXPECT_EQ(c.height, sizes[(i % 8) / 2][1]) << i;
    EXPECT_EQ(c.videoInfo2, i % 2 == 1) << i;
    EXPECT_DOUBLE_EQ(c.framesPerSecond, 30.0) << i;
  }
  VirtualCamera camera;
  EXPECT_EQ(camera.CurrentFormat(), caps.front());
}

TEST(VirtualCameraFrames, EveryDefaultCapabilityDecodesToItsSize) {
  VirtualCamera camera;
  tjhandle decoder = tjInitDecompress();
  ASSERT_NE(decoder, nullptr);
  for (const Capability& cap : camera.Options().capabilities) {
    SCOPED_TRACE(testing::Message() << cap.width << "x" << cap.height << (cap.format == WireFormat::MJPG ? " MJPG" : " YUY2"));
    const std::vector<std::uint8_t> frame = Render(camera, 3, cap);
    if (cap.format == WireFormat::YUY2) {
      ASSERT_EQ(frame.size(), static_cast<std::size_t>(cap.width) * cap.height * 2);
      const Yuyv picture(frame, cap.width, cap.height);
      EXPECT_GT(picture.MeanY(picture.Centre()), 150);
      EXPECT_LT(picture.MeanY(picture.Corner()), 50);
      continue;
    }
    int width = 0, height = 0, subsampling = -1, colourspace = -1;
    ASSERT_EQ(tjDecompressHeader3(decoder, frame.data(), frame.size(), &width, &height, &subsampling, &colourspace), 0);
    EXPECT_EQ(width, cap.width);
    EXPECT_EQ(height, cap.height);
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * height);
    ASSERT_EQ(tjDecompress2(decoder, frame.data(), frame.size(), grey.data(), width, 0, height, TJPF_GRAY, 0), 0)
        << tjGetErrorStr2(decoder);
    EXPECT_GT(grey[static_cast<std::size_t>(height / 2) * width + width / 2], 150);
    EXPECT_LT(grey[static_cast<std::size_t>(height - 2) * width + width - 2], 50);
    // As large as a real camera's at that size, for benchmarks and the program to meet
    // the decoding load a real camera makes.
    if (cap.width == 3840) {
      EXPECT_GT(frame.size(), 1'000'000u);
      EXPECT_LT(frame.size(), 2'000'000u);
    }
  }
  tjDestroy(decoder);
}

TEST(VirtualCameraFrames, FieldIsCircularAndCentred) {
  VirtualCamera camera;
  const auto frame = Render(camera);
  const Yuyv p(frame, 640, 480);
  // Diameter 90 % of the height: 216 pixels of radius. Inside just within, outside just beyond.
  for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
    EXPECT_GT(p.Y(320 + dx * 205, 240 + dy * 205), 120) << dx << "," << dy;
    EXPECT_LT(p.Y(320 + dx * 226, 240 + dy * 226), 50) << dx << "," << dy;
  }
}

TEST(VirtualCameraFrames, DetailMovesAndCounterIsDrawn) {
  VirtualCamera camera;
  const auto a = Render(camera, 10);
  const auto b = Render(camera, 11);
  const auto again = Render(camera, 10);
  EXPECT_EQ(a, again);  // a frame is a function of its number and the controls
  const Yuyv pa(a, 640, 480), pb(b, 640, 480);
  // The spokes turn: some pixels in the field change between consecutive frames.
  int changedInField = 0;
  for (int x = 200; x < 440; ++x) changedInField += pa.Y(x, 200) != pb.Y(x, 200);
  EXPECT_GT(changedInField, 5);
  // The counter: white ink in the dark top left corner, none in the other dark corner.
  EXPECT_GT(pa.MaxY({0, 0, 200, 60}), 200);
  EXPECT_LT(pa.MaxY({0, 420, 100, 480}), 60);
  int changedInCounter = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) changedInCounter += pa.Y(x, y) != pb.Y(x, y);
  EXPECT_GT(changedInCounter, 0);
}

TEST(VirtualCameraFrames, UnsupportedSizesAreRefused) {
  VirtualCamera camera;
  std::vector<std::uint8_t> out;
  EXPECT_FALSE(camera.RenderFrame({WireFormat::YUY2, 641, 480, false, 30}, 0, out));
  EXPECT_FALSE(camera.RenderFrame({WireFormat::MJPG, 0, 480, false, 30}, 0, out));
  EXPECT_TRUE(camera.RenderFrame({WireFormat::MJPG, 162, 98, false, 30}, 0, out));  // sizes off the JPEG block grid
}

TEST(VirtualCameraFrames, LumaControlsChangeThePicture) {
  VirtualCamera camera;
  const auto base = Render(camera);
  const Yuyv p0(base, 640, 480);
  const double centre = p0.MeanY(p0.Centre());
  const double corner = p0.MeanY(p0.Corner());
  auto measure = [&](PropertySet set, long property, long value) {
    SetManual(camera, set, property, value);
    const auto frame = Render(camera);
    const Yuyv p(frame, 640, 480);
    std::pair<double, double> result{p.MeanY(p.Centre()), p.MeanY(p.Corner())};
    PropertyRange range;
    EXPECT_EQ(camera.GetRange(set, property, range), S_OK);
    SetManual(camera, set, property, range.def);
    return result;
  };
  const auto vpa = PropertySet::VideoProcAmp;
  EXPECT_GT(measure(vpa, VideoProcAmp_Brightness, 64).first, centre + 30);
  EXPECT_LT(measure(vpa, VideoProcAmp_Brightness, -64).first, centre - 30);
  const auto flat = measure(vpa, VideoProcAmp_Contrast, 0);
  EXPECT_NEAR(flat.first, flat.second, 3);
  EXPECT_GT(measure(vpa, VideoProcAmp_Gamma, 300).second, corner + 30);  // dark surround lifted
  EXPECT_GT(measure(vpa, VideoProcAmp_Gain, 100).first, centre + 20);
  EXPECT_LT(measure(PropertySet::CameraControl, CameraControl_Exposure, -13).first, 30);
  EXPECT_GT(measure(PropertySet::CameraControl, CameraControl_Exposure, -5).first, centre + 20);
  EXPECT_NEAR(measure(PropertySet::CameraControl, CameraControl_Exposure, -6).first, centre, 1);

  // Sharpness: the spokes' detail contrast along a circle in the field.
  auto detail = [&](long sharpness) {
    SetManual(camera, vpa, VideoProcAmp_Sharpness, sharpness);
    const auto frame = Render(camera);
    const Yuyv p(frame, 640, 480);
    int lo = 255, hi = 0;
    for (int a = 0; a < 360; a += 3) {
      const int v = p.Y(320 + static_cast<int>(100 * std::cos(a * M_PI / 180)), 240 + static_cast<int>(100 * std::sin(a * M_PI / 180)));
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    return hi - lo;
  };
  EXPECT_GT(detail(7), detail(0) + 20);
}

TEST(VirtualCameraFrames, ChromaControlsChangeThePicture) {
  VirtualCamera camera;
  const auto vpa = PropertySet::VideoProcAmp;
  const auto base = Render(camera);
  const Yuyv p0(base, 640, 480);
  EXPECT_GT(p0.ChromaSpread(), 10);

  SetManual(camera, vpa, VideoProcAmp_Saturation, 0);
  const auto grey = Render(camera);
  EXPECT_LE(Yuyv(grey, 640, 480).ChromaSpread(), 1);
  SetManual(camera, vpa, VideoProcAmp_Saturation, 64);

  SetManual(camera, vpa, VideoProcAmp_Hue, 2000);
  const auto turned = Render(camera);
  const Yuyv pt(turned, 640, 480);
  EXPECT_GT(std::abs(pt.MeanU(pt.Centre()) - p0.MeanU(p0.Centre())), 3);
  SetManual(camera, vpa, VideoProcAmp_Hue, 0);

  SetManual(camera, vpa, VideoProcAmp_WhiteBalance, 2800);
  const auto cold = Render(camera);
  SetManual(camera, vpa, VideoProcAmp_WhiteBalance, 6500);
  const auto warm = Render(camera);
  const Yuyv pc(cold, 640, 480), pw(warm, 640, 480);
  EXPECT_GT(pw.MeanV(pw.Centre()), pc.MeanV(pc.Centre()) + 20);  // redder when the camera corrects for bluer light
  EXPECT_LT(pw.MeanU(pw.Centre()), pc.MeanU(pc.Centre()) - 20);

  // Back to automatic white balance: the neutral picture again.
  ASSERT_EQ(camera.Set(vpa, VideoProcAmp_WhiteBalance, 6500, 1), S_OK);
  EXPECT_EQ(Render(camera), base);
}

TEST(VirtualCameraFrames, PowerLineOffShowsRollingBands) {
  VirtualCamera camera;
  const auto vpa = PropertySet::VideoProcAmp;
  const auto fifty = Render(camera);
  SetManual(camera, vpa, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, 2);
  EXPECT_EQ(Render(camera), fifty);
  SetManual(camera, vpa, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, 0);
  const auto off = Render(camera);
  const Yuyv pf(fifty, 640, 480), po(off, 640, 480);
  int darkest = 0;
  for (int y = 60; y < 420; ++y) darkest = std::max(darkest, pf.Y(320, y) - po.Y(320, y));
  EXPECT_GT(darkest, 15);
}

TEST(VirtualCameraFrames, EachOfTheNineImagePropertiesChangesThePictureAtEitherEnd) {
  const std::pair<PropertySet, long> properties[] = {
      {PropertySet::VideoProcAmp, VideoProcAmp_Brightness}, {PropertySet::VideoProcAmp, VideoProcAmp_Contrast},
      {PropertySet::VideoProcAmp, VideoProcAmp_Hue},        {PropertySet::VideoProcAmp, VideoProcAmp_Saturation},
      {PropertySet::VideoProcAmp, VideoProcAmp_Sharpness},  {PropertySet::VideoProcAmp, VideoProcAmp_Gamma},
      {PropertySet::VideoProcAmp, VideoProcAmp_WhiteBalance}, {PropertySet::VideoProcAmp, VideoProcAmp_Gain},
      {PropertySet::CameraControl, CameraControl_Exposure}};
  for (const auto& [set, property] : properties) {
    SCOPED_TRACE(testing::Message() << "property " << property);
    VirtualCamera camera;
    PropertyRange range;
    ASSERT_EQ(camera.GetRange(set, property, range), S_OK);
    SetManual(camera, set, property, range.def);
    const auto atDefault = Render(camera);
    for (const long end : {range.min, range.max}) {
      if (end == range.def) continue;
      SetManual(camera, set, property, end);
      // Visibly: at least one sample in a hundred moves by more than a few levels.
      const auto frame = Render(camera);
      ASSERT_EQ(frame.size(), atDefault.size());
      std::size_t moved = 0;
      for (std::size_t i = 0; i < frame.size(); ++i) moved += std::abs(frame[i] - atDefault[i]) > 3;
      EXPECT_GT(moved, frame.size() / 100) << "at " << end;
    }
  }
}
