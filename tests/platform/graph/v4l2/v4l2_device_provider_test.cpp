// Listing the V4L2 cameras present.
#include <gtest/gtest.h>

#include "fake_v4l2_io.h"
#include "platform/graph/v4l2/v4l2_device_provider.h"
#include "platform/usb/usb_devices.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;
using platform::UsbDeviceEntry;

TEST(V4l2DeviceProvider, ListsCaptureNodesWithOurFormatsOnly) {
  auto io = std::make_shared<FakeV4l2Io>();
  FakeNode a = TypicalCamera();
  SetUsbProduct(a, "Camera A");
  FakeNode meta = TypicalCamera();  // the second node of a UVC camera
  meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
  FakeNode grey = TypicalCamera();
  grey.formats = {FakeFormat{V4L2_PIX_FMT_GREY, {{V4L2_FRMSIZE_TYPE_DISCRETE, 640, 480, {}}}}};
  FakeNode b = TypicalCamera();
  SetUsbProduct(b, "Camera B");
  io->AddNode("/dev/video0", a);
  io->AddNode("/dev/video1", meta);
  io->AddNode("/dev/video2", grey);
  io->AddNode("/dev/video4", b);
  V4l2Source::Options options;
  options.findStillButton = [](const QString&) { return StillButtonOpener(); };
  options.findUsbProduct = io->UsbProducts();
  // video3 went away between listing and probing.
  V4l2DeviceProvider provider(
      io, [] { return QStringList{"/dev/video0", "/dev/video1", "/dev/video2", "/dev/video3", "/dev/video4"}; },
      options);

  const auto devices = provider.Devices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0]->Id(), "/dev/video0");
  EXPECT_EQ(devices[0]->FriendlyName(), "Camera A");
  EXPECT_EQ(devices[1]->Id(), "/dev/video4");
  EXPECT_EQ(devices[1]->FriendlyName(), "Camera B");
  EXPECT_EQ(io->OpenCount(), 0);  // probing leaves nothing open

  auto source = devices[1]->Open();
  ASSERT_TRUE(source);
  EXPECT_EQ(source->FriendlyName(), "Camera B");
  EXPECT_EQ(io->OpenCount(), 1);

  io->With("/dev/video0", [](FakeNode& n) { n.unplugged = true; });
  EXPECT_FALSE(devices[0]->Open());
  EXPECT_EQ(io->OpenCount(), 1);
}

// The USB device list names a camera by its product string; the driver's card name
// differs whenever the camera names its video function or the product has more than
// 31 bytes. The capture device must still carry the name of its USB row.
TEST(V4l2DeviceProvider, CamerasAreNamedByTheProductOfTheirUsbDeviceNotByTheCutCardName) {
  const std::string withFunction = "Tavio Microscope";
  const std::string longProduct = "Tavio Digital Microscope Camera HD 1080P";  // 40 characters
  ASSERT_EQ(longProduct.size(), 40u);
  auto io = std::make_shared<FakeV4l2Io>();
  FakeNode named = TypicalCamera();
  SetUsbProduct(named, withFunction, "USB Video Capture Function");
  FakeNode cut = TypicalCamera();
  SetUsbProduct(cut, longProduct);
  FakeNode builtIn = TypicalCamera();  // a capture node with no USB device behind it
  builtIn.usbProduct.reset();
  builtIn.card = "Platform Capture";
  FakeNode unnamed = TypicalCamera();  // a USB camera whose device names no product
  SetUsbProduct(unnamed, "");
  unnamed.card = "UVC Camera (1234:5678)";
  ASSERT_EQ(named.card, "Tavio Microscope: USB Video Cap");
  ASSERT_EQ(cut.card, longProduct.substr(0, 31));
  io->AddNode("/dev/video0", named);
  io->AddNode("/dev/video2", cut);
  io->AddNode("/dev/video4", builtIn);
  io->AddNode("/dev/video6", unnamed);
  V4l2Source::Options options;
  options.findStillButton = [](const QString&) { return StillButtonOpener(); };
  options.findUsbProduct = io->UsbProducts();
  V4l2DeviceProvider provider(
      io, [] { return QStringList{"/dev/video0", "/dev/video2", "/dev/video4", "/dev/video6"}; }, options);

  const std::vector<UsbDeviceEntry> rows = {
      {QString("USB\\VID_1234&PID_0001\\A1"), QString::fromStdString(withFunction)},
      {QString("USB\\VID_1234&PID_0002\\B2"), QString::fromStdString(longProduct)}};
  const auto devices = provider.Devices();
  ASSERT_EQ(devices.size(), 4u);
  EXPECT_EQ(devices[0]->FriendlyName(), rows[0].friendlyName);
  EXPECT_EQ(devices[1]->FriendlyName(), rows[1].friendlyName);
  EXPECT_EQ(devices[2]->FriendlyName(), "Platform Capture");
  EXPECT_EQ(devices[3]->FriendlyName(), "UVC Camera (1234:5678)");

  // The opened source reports the same name as the listing.
  for (int i : {0, 1}) {
    auto source = devices[i]->Open();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->FriendlyName(), rows[i].friendlyName);
  }
}
