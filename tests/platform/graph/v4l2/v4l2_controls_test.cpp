// Camera properties in the graph's units over V4L2 controls.
#include <gtest/gtest.h>

#include "fake_v4l2_io.h"
#include "platform/graph/interfaces.h"
#include "platform/graph/v4l2/exposure_units.h"
#include "platform/graph/v4l2/v4l2_source.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;

namespace {

const std::string kNode = "/dev/video0";
constexpr PropertySet kAmp = PropertySet::VideoProcAmp;
constexpr PropertySet kCam = PropertySet::CameraControl;
constexpr long kPowerLine = 13;

class V4l2Properties : public ::testing::Test {
 protected:
  void Open() {
    io->AddNode(kNode, node);
    V4l2Source::Options options;
    options.findStillButton = [](const QString&) { return StillButtonOpener(); };
    source = V4l2Source::Open(io, QString::fromStdString(kNode), options);
    ASSERT_TRUE(source);
  }
  std::int32_t Control(std::uint32_t id) {
    return io->With(kNode, [id](FakeNode& n) { return n.controls.at(id).value; });
  }

  FakeNode node = TypicalCamera();
  std::shared_ptr<FakeV4l2Io> io = std::make_shared<FakeV4l2Io>();
  std::shared_ptr<V4l2Source> source;
};

}  // namespace

TEST(ExposureUnits, ConvertBetweenLog2SecondsAndHundredMicroseconds) {
  EXPECT_EQ(ExposureLog2FromUnits(156), -6);
  EXPECT_EQ(ExposureUnitsFromLog2(-6), 156);
  EXPECT_EQ(ExposureLog2FromUnits(10000), 0);
  EXPECT_EQ(ExposureUnitsFromLog2(0), 10000);
  EXPECT_EQ(ExposureLog2FromUnits(3), -12);
  EXPECT_EQ(ExposureLog2FromUnits(2047), -2);
  EXPECT_EQ(ExposureUnitsFromLog2(-2), 2500);
  // Every exponent a camera reports survives the round trip (the flash stores it).
  for (long e = -13; e <= 3; ++e) EXPECT_EQ(ExposureLog2FromUnits(ExposureUnitsFromLog2(e)), e) << e;
  // No unit count is too small to convert, and no exponent overflows a 32-bit control.
  EXPECT_EQ(ExposureLog2FromUnits(0), ExposureLog2FromUnits(1));
  EXPECT_LE(ExposureUnitsFromLog2(127), 0x7FFFFFFF);
  EXPECT_GE(ExposureUnitsFromLog2(-128), 0);
}

TEST_F(V4l2Properties, RangesComeInTheGraphsUnitsWithAutoWhereAPartnerExists) {
  Open();
  EXPECT_TRUE(source->OffersPropertySet(kAmp));
  EXPECT_TRUE(source->OffersPropertySet(kCam));
  PropertyRange r;
  ASSERT_EQ(source->GetRange(kAmp, VideoProcAmp_Brightness, r), S_OK);
  EXPECT_EQ(r.min, -64);
  EXPECT_EQ(r.max, 64);
  EXPECT_EQ(r.step, 1);
  EXPECT_EQ(r.def, 0);
  EXPECT_EQ(r.caps, 2);
  ASSERT_EQ(source->GetRange(kAmp, VideoProcAmp_WhiteBalance, r), S_OK);
  EXPECT_EQ(r.min, 2800);
  EXPECT_EQ(r.step, 10);
  EXPECT_EQ(r.caps, 3);
  ASSERT_EQ(source->GetRange(kAmp, VideoProcAmp_Gain, r), S_OK);
  EXPECT_EQ(r.caps, 2);  // this camera has no automatic gain
  ASSERT_EQ(source->GetRange(kAmp, kPowerLine, r), S_OK);
  EXPECT_EQ(r.max, 2);
  ASSERT_EQ(source->GetRange(kCam, CameraControl_Exposure, r), S_OK);
  EXPECT_EQ(r.min, -12);
  EXPECT_EQ(r.max, -2);
  EXPECT_EQ(r.def, -6);
  EXPECT_EQ(r.step, 1);
  EXPECT_EQ(r.caps, 3);

  EXPECT_EQ(source->GetRange(kAmp, VideoProcAmp_BacklightCompensation, r), E_PROP_ID_UNSUPPORTED);
  EXPECT_EQ(source->GetRange(kCam, CameraControl_Focus, r), E_PROP_ID_UNSUPPORTED);
}

TEST_F(V4l2Properties, WhiteBalanceAutoGoesThroughItsOwnControl) {
  Open();
  long value = 0, flags = 0;
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_WhiteBalance, value, flags), S_OK);
  EXPECT_EQ(value, 4600);
  EXPECT_EQ(flags, 1);

  // Manual: automatic off first, or the driver refuses the inactive temperature.
  ASSERT_EQ(source->Set(kAmp, VideoProcAmp_WhiteBalance, 5000, 2), S_OK);
  EXPECT_EQ(Control(V4L2_CID_AUTO_WHITE_BALANCE), 0);
  EXPECT_EQ(Control(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_WhiteBalance, value, flags), S_OK);
  EXPECT_EQ(value, 5000);
  EXPECT_EQ(flags, 2);

  // Automatic: the temperature is inactive then and is not written.
  ASSERT_EQ(source->Set(kAmp, VideoProcAmp_WhiteBalance, 3000, 1), S_OK);
  EXPECT_EQ(Control(V4L2_CID_AUTO_WHITE_BALANCE), 1);
  EXPECT_EQ(Control(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 5000);

  // Values outside the range are clamped as a camera would; other flags are refused.
  ASSERT_EQ(source->Set(kAmp, VideoProcAmp_WhiteBalance, 99999, 2), S_OK);
  EXPECT_EQ(Control(V4L2_CID_WHITE_BALANCE_TEMPERATURE), 6500);
  EXPECT_EQ(source->Set(kAmp, VideoProcAmp_WhiteBalance, 5000, 0), E_INVALIDARG);
}

TEST_F(V4l2Properties, ExposureAutoGoesThroughTheMenuInLog2Seconds) {
  Open();
  long value = 0, flags = 0;
  ASSERT_EQ(source->Get(kCam, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(value, -6);
  EXPECT_EQ(flags, 1);  // aperture priority counts as automatic

  ASSERT_EQ(source->Set(kCam, CameraControl_Exposure, -4, 2), S_OK);
  EXPECT_EQ(Control(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);
  EXPECT_EQ(Control(V4L2_CID_EXPOSURE_ABSOLUTE), 625);
  ASSERT_EQ(source->Get(kCam, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(value, -4);
  EXPECT_EQ(flags, 2);
  ASSERT_EQ(source->Set(kCam, CameraControl_Exposure, 5, 2), S_OK);  // 32 s: as long as the camera goes
  EXPECT_EQ(Control(V4L2_CID_EXPOSURE_ABSOLUTE), 2047);

  // The menu offers aperture priority, not full auto: that is the mode to switch to.
  ASSERT_EQ(source->Set(kCam, CameraControl_Exposure, -6, 1), S_OK);
  EXPECT_EQ(Control(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
}

TEST_F(V4l2Properties, ExposureMenuWithFullAutoOnly) {
  node.controls[V4L2_CID_EXPOSURE_AUTO] =
      MenuControl(V4L2_CID_EXPOSURE_AUTO, 0, 3, V4L2_EXPOSURE_MANUAL, {V4L2_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL});
  Open();
  ASSERT_EQ(source->Set(kCam, CameraControl_Exposure, -6, 1), S_OK);
  EXPECT_EQ(Control(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_AUTO);
  long value = 0, flags = 0;
  ASSERT_EQ(source->Get(kCam, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(flags, 1);
}

TEST_F(V4l2Properties, ExposureMenuWithoutAnAutomaticModeIsManualOnly) {
  node.controls[V4L2_CID_EXPOSURE_AUTO] =
      MenuControl(V4L2_CID_EXPOSURE_AUTO, 0, 3, V4L2_EXPOSURE_MANUAL, {V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_SHUTTER_PRIORITY});
  Open();
  PropertyRange r;
  ASSERT_EQ(source->GetRange(kCam, CameraControl_Exposure, r), S_OK);
  EXPECT_EQ(r.caps, 2);
}

TEST_F(V4l2Properties, ControlsWithoutAutoPartnerAndPowerLine) {
  Open();
  // Gain has no automatic mode here: asking for it still keeps the value.
  ASSERT_EQ(source->Set(kAmp, VideoProcAmp_Gain, 40, 1), S_OK);
  EXPECT_EQ(Control(V4L2_CID_GAIN), 40);
  long value = 0, flags = 0;
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_Gain, value, flags), S_OK);
  EXPECT_EQ(flags, 2);

  ASSERT_EQ(source->Set(kAmp, kPowerLine, 2, 2), S_OK);
  EXPECT_EQ(Control(V4L2_CID_POWER_LINE_FREQUENCY), 2);
  EXPECT_EQ(source->Set(kAmp, kPowerLine, 3, 2), E_INVALIDARG);
  EXPECT_EQ(Control(V4L2_CID_POWER_LINE_FREQUENCY), 2);
}

TEST_F(V4l2Properties, MissingControlsAndDriverErrors) {
  node.controls.erase(V4L2_CID_EXPOSURE_ABSOLUTE);
  node.controls.erase(V4L2_CID_HUE);
  node.controls[V4L2_CID_GAMMA].info.flags = V4L2_CTRL_FLAG_DISABLED;
  Open();
  EXPECT_FALSE(source->OffersPropertySet(kCam));
  long value = 0, flags = 0;
  EXPECT_EQ(source->Get(kCam, CameraControl_Exposure, value, flags), E_PROP_ID_UNSUPPORTED);
  EXPECT_EQ(source->Set(kAmp, VideoProcAmp_Hue, 0, 2), E_PROP_ID_UNSUPPORTED);
  EXPECT_EQ(source->Get(kAmp, VideoProcAmp_Gamma, value, flags), E_PROP_ID_UNSUPPORTED);

  io->With(kNode, [](FakeNode& n) { n.failures["G_CTRL"] = EIO; });
  EXPECT_EQ(source->Get(kAmp, VideoProcAmp_Brightness, value, flags), E_FAIL);
  io->With(kNode, [](FakeNode& n) { n.unplugged = true; });
  EXPECT_EQ(source->Get(kAmp, VideoProcAmp_Brightness, value, flags), E_DEVICE_GONE);
  EXPECT_EQ(source->Set(kAmp, VideoProcAmp_Brightness, 1, 2), E_DEVICE_GONE);
}

TEST_F(V4l2Properties, InterruptedCallsAreRepeated) {
  Open();
  io->With(kNode, [](FakeNode& n) { n.interruptions = 3; });
  long value = 0, flags = 0;
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_Contrast, value, flags), S_OK);
  EXPECT_EQ(value, 32);
}

TEST_F(V4l2Properties, TheNineImagePropertiesReachTheirOwnControls) {
  Open();
  struct Row {
    PropertySet set;
    long property;
    std::uint32_t id;
  };
  const Row rows[] = {{kAmp, VideoProcAmp_Brightness, V4L2_CID_BRIGHTNESS},
                      {kAmp, VideoProcAmp_Contrast, V4L2_CID_CONTRAST},
                      {kAmp, VideoProcAmp_Hue, V4L2_CID_HUE},
                      {kAmp, VideoProcAmp_Saturation, V4L2_CID_SATURATION},
                      {kAmp, VideoProcAmp_Sharpness, V4L2_CID_SHARPNESS},
                      {kAmp, VideoProcAmp_Gamma, V4L2_CID_GAMMA},
                      {kAmp, VideoProcAmp_WhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE},
                      {kAmp, VideoProcAmp_Gain, V4L2_CID_GAIN},
                      {kCam, CameraControl_Exposure, V4L2_CID_EXPOSURE_ABSOLUTE}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "property " << row.property);
    PropertyRange r;
    ASSERT_EQ(source->GetRange(row.set, row.property, r), S_OK);
    // Both ends of the range, as the window's slider sends them, land on the control
    // and read back.
    for (const long v : {r.min, r.max}) {
      ASSERT_EQ(source->Set(row.set, row.property, v, 2), S_OK);
      long value = 0, flags = 0;
      ASSERT_EQ(source->Get(row.set, row.property, value, flags), S_OK);
      EXPECT_EQ(value, v);
      EXPECT_EQ(flags, 2);
    }
    const std::int32_t atMax = Control(row.id);
    ASSERT_EQ(source->Set(row.set, row.property, r.min, 2), S_OK);
    EXPECT_LT(Control(row.id), atMax);
  }
}

TEST_F(V4l2Properties, GainAutoGoesThroughAutogainWhereTheCameraHasIt) {
  FakeControl autogain = IntegerControl(V4L2_CID_AUTOGAIN, 0, 1, 1);
  autogain.info.type = V4L2_CTRL_TYPE_BOOLEAN;
  node.controls[V4L2_CID_AUTOGAIN] = autogain;
  Open();
  PropertyRange r;
  ASSERT_EQ(source->GetRange(kAmp, VideoProcAmp_Gain, r), S_OK);
  EXPECT_EQ(r.caps, 3);
  long value = 0, flags = 0;
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_Gain, value, flags), S_OK);
  EXPECT_EQ(flags, 1);

  // Manual: autogain off first, or the driver refuses the inactive gain.
  ASSERT_EQ(source->Set(kAmp, VideoProcAmp_Gain, 40, 2), S_OK);
  EXPECT_EQ(Control(V4L2_CID_AUTOGAIN), 0);
  EXPECT_EQ(Control(V4L2_CID_GAIN), 40);
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_Gain, value, flags), S_OK);
  EXPECT_EQ(value, 40);
  EXPECT_EQ(flags, 2);

  // Automatic: the gain is the camera's own then and is not written.
  ASSERT_EQ(source->Set(kAmp, VideoProcAmp_Gain, 90, 1), S_OK);
  EXPECT_EQ(Control(V4L2_CID_AUTOGAIN), 1);
  EXPECT_EQ(Control(V4L2_CID_GAIN), 40);
  ASSERT_EQ(source->Get(kAmp, VideoProcAmp_Gain, value, flags), S_OK);
  EXPECT_EQ(flags, 1);

  // Exposure's mode stays its own.
  ASSERT_EQ(source->Get(kCam, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(flags, 1);
  ASSERT_EQ(source->Set(kCam, CameraControl_Exposure, -6, 2), S_OK);
  EXPECT_EQ(Control(V4L2_CID_AUTOGAIN), 1);
}
