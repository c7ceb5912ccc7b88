// The virtual camera's controls: ranges, defaults, automatic modes and refusals.
#include <gtest/gtest.h>

#include "platform/graph/interfaces.h"
#include "platform/virtualcam/virtual_camera.h"

using platform::PropertyRange;
using platform::PropertySet;
using platform::VirtualCamera;

namespace {

struct Expected {
  PropertySet set;
  long property;
  PropertyRange range;
  long flags;  // at start
};

const Expected kControls[] = {
    {PropertySet::VideoProcAmp, VideoProcAmp_Brightness, {-64, 64, 1, 0, 2}, 2},
    {PropertySet::VideoProcAmp, VideoProcAmp_Contrast, {0, 95, 1, 32, 2}, 2},
    {PropertySet::VideoProcAmp, VideoProcAmp_Hue, {-2000, 2000, 1, 0, 2}, 2},
    {PropertySet::VideoProcAmp, VideoProcAmp_Saturation, {0, 100, 1, 64, 2}, 2},
    {PropertySet::VideoProcAmp, VideoProcAmp_Sharpness, {0, 7, 1, 2, 2}, 2},
    {PropertySet::VideoProcAmp, VideoProcAmp_Gamma, {100, 300, 1, 100, 2}, 2},
    {PropertySet::VideoProcAmp, VideoProcAmp_WhiteBalance, {2800, 6500, 10, 4600, 3}, 1},
    {PropertySet::VideoProcAmp, VideoProcAmp_Gain, {0, 100, 1, 0, 3}, 2},
    {PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, {0, 2, 1, 1, 2}, 2},
    {PropertySet::CameraControl, CameraControl_Exposure, {-13, -1, 1, -6, 3}, 1},
};

}  // namespace

TEST(VirtualCameraControls, RangesDefaultsAndRoundTrips) {
  VirtualCamera camera;
  for (const Expected& e : kControls) {
    SCOPED_TRACE(testing::Message() << "property " << e.property);
    PropertyRange r;
    ASSERT_EQ(camera.GetRange(e.set, e.property, r), S_OK);
    EXPECT_EQ(r.min, e.range.min);
    EXPECT_EQ(r.max, e.range.max);
    EXPECT_EQ(r.step, e.range.step);
    EXPECT_EQ(r.def, e.range.def);
    EXPECT_EQ(r.caps, e.range.caps);
    long value = 12345, flags = 0;
    ASSERT_EQ(camera.Get(e.set, e.property, value, flags), S_OK);
    EXPECT_EQ(value, e.range.def);
    EXPECT_EQ(flags, e.flags);

    // Both ends are accepted and read back; one beyond either end fails and changes nothing.
    for (long v : {r.min, r.max}) {
      ASSERT_EQ(camera.Set(e.set, e.property, v, 2), S_OK);
      ASSERT_EQ(camera.Get(e.set, e.property, value, flags), S_OK);
      EXPECT_EQ(value, v);
      EXPECT_EQ(flags, 2);
    }
    EXPECT_EQ(camera.Set(e.set, e.property, r.max + 1, 2), E_INVALIDARG);
    EXPECT_EQ(camera.Set(e.set, e.property, r.min - 1, 2), E_INVALIDARG);
    ASSERT_EQ(camera.Get(e.set, e.property, value, flags), S_OK);
    EXPECT_EQ(value, r.max);
    // A flag the property does not take.
    EXPECT_EQ(camera.Set(e.set, e.property, r.def, 0), E_INVALIDARG);
    if (!(r.caps & 1)) {
      EXPECT_EQ(camera.Set(e.set, e.property, r.def, 1), E_INVALIDARG);
    }
  }
}

TEST(VirtualCameraControls, UnknownPropertiesAreUnsupported) {
  VirtualCamera camera;
  PropertyRange r;
  long value = 0, flags = 0;
  for (auto [set, property] : {std::pair{PropertySet::VideoProcAmp, long{VideoProcAmp_ColorEnable}},
                               {PropertySet::VideoProcAmp, long{VideoProcAmp_BacklightCompensation}},
                               {PropertySet::VideoProcAmp, 99L},
                               {PropertySet::CameraControl, long{CameraControl_Zoom}},
                               {PropertySet::CameraControl, long{CameraControl_Focus}}}) {
    EXPECT_EQ(camera.GetRange(set, property, r), E_PROP_ID_UNSUPPORTED) << property;
    EXPECT_EQ(camera.Get(set, property, value, flags), E_PROP_ID_UNSUPPORTED) << property;
    EXPECT_EQ(camera.Set(set, property, 0, 2), E_PROP_ID_UNSUPPORTED) << property;
  }
}

TEST(VirtualCameraControls, AutomaticModes) {
  VirtualCamera camera;
  const auto vpa = PropertySet::VideoProcAmp;
  long value = 0, flags = 0;
  // A manual white balance is kept through automatic and back.
  ASSERT_EQ(camera.Set(vpa, VideoProcAmp_WhiteBalance, 3000, 2), S_OK);
  ASSERT_EQ(camera.Set(vpa, VideoProcAmp_WhiteBalance, 3000, 1), S_OK);
  ASSERT_EQ(camera.Get(vpa, VideoProcAmp_WhiteBalance, value, flags), S_OK);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(value, 4600);  // what the automatic found

  // Switching to automatic does not fail over a value the camera does not use.
  ASSERT_EQ(camera.Set(PropertySet::CameraControl, CameraControl_Exposure, 0, 1), S_OK);
  ASSERT_EQ(camera.Set(vpa, VideoProcAmp_Gain, 500, 1), S_OK);
  ASSERT_EQ(camera.Get(vpa, VideoProcAmp_Gain, value, flags), S_OK);
  EXPECT_EQ(flags, 1);
  ASSERT_EQ(camera.Set(vpa, VideoProcAmp_Gain, 40, 2), S_OK);
  ASSERT_EQ(camera.Get(vpa, VideoProcAmp_Gain, value, flags), S_OK);
  EXPECT_EQ(value, 40);
  EXPECT_EQ(flags, 2);
}

TEST(VirtualCameraControls, RefusedGetAndUnpluggedCamera) {
  VirtualCamera camera;
  long value = 7, flags = 7;
  camera.SetRefuseGet(true);
  EXPECT_TRUE(camera.Options().refuseGet);
  EXPECT_EQ(camera.Get(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, value, flags), E_FAIL);
  EXPECT_EQ(camera.Get(PropertySet::CameraControl, CameraControl_Exposure, value, flags), E_FAIL);
  EXPECT_EQ(value, 7);
  // Set and GetRange still answer.
  EXPECT_EQ(camera.Set(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, 10, 2), S_OK);
  camera.SetRefuseGet(false);
  ASSERT_EQ(camera.Get(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, value, flags), S_OK);
  EXPECT_EQ(value, 10);

  camera.Unplug();
  EXPECT_EQ(camera.Get(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, value, flags), E_DEVICE_GONE);
  EXPECT_EQ(camera.Set(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, 0, 2), E_DEVICE_GONE);
  camera.Plug();
  ASSERT_EQ(camera.Get(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, value, flags), S_OK);
  EXPECT_EQ(value, 0);  // powered up again: back at the default
}
