// Listing the V4L2 cameras present.
#include <gtest/gtest.h>

#include "fake_v4l2_io.h"
#include "platform/graph/v4l2/v4l2_device_provider.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;

TEST(V4l2DeviceProvider, ListsCaptureNodesWithOurFormatsOnly) {
  auto io = std::make_shared<FakeV4l2Io>();
  FakeNode a = TypicalCamera();
  a.card = "Camera A";
  FakeNode meta = TypicalCamera();  // the second node of a UVC camera
  meta.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
  FakeNode grey = TypicalCamera();
  grey.formats = {FakeFormat{V4L2_PIX_FMT_GREY, {{V4L2_FRMSIZE_TYPE_DISCRETE, 640, 480, {}}}}};
  FakeNode b = TypicalCamera();
  b.card = "Camera B";
  io->AddNode("/dev/video0", a);
  io->AddNode("/dev/video1", meta);
  io->AddNode("/dev/video2", grey);
  io->AddNode("/dev/video4", b);
  V4l2Source::Options options;
  options.findStillButton = [](const QString&) { return StillButtonOpener(); };
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
