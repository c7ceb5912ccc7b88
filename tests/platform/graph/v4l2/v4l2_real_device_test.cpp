// Against the kernel: the first real camera, when this machine has one.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/graph/v4l2/udev_lookup.h"
#include "platform/graph/v4l2/v4l2_device_provider.h"
#include "support/wait.h"

using namespace platform;
using namespace platform::v4l2;
using namespace std::chrono_literals;

TEST(V4l2RealDevice, NodesWithoutAUsbCameraHaveNoIdentityNorButton) {
  EXPECT_FALSE(UsbIdentityOf("/dev/null"));
  EXPECT_FALSE(UsbIdentityOf("/no/such/node"));
  EXPECT_FALSE(FindStillButton("/dev/null"));
}

TEST(V4l2RealDevice, FirstCameraStreamsFrames) {
  V4l2DeviceProvider provider;
  const auto devices = provider.Devices();
  if (devices.empty()) GTEST_SKIP() << "no V4L2 capture device on this machine";

  auto source = devices.front()->Open();
  ASSERT_TRUE(source) << devices.front()->Id().toStdString();
  const std::vector<Capability> caps = source->Capabilities();
  ASSERT_FALSE(caps.empty());
  ASSERT_EQ(caps.size() % 2, 0u);
  for (std::size_t i = 0; i < caps.size(); i += 2) {
    EXPECT_FALSE(caps[i].videoInfo2);
    EXPECT_TRUE(caps[i + 1].videoInfo2);
  }
  const std::optional<UsbIdentity> identity = UsbIdentityOf(devices.front()->Id());
  if (identity) {
    EXPECT_NE(identity->vendorId, 0);
  }

  ASSERT_TRUE(source->SetFormat(caps.front()));
  std::atomic<int> frames{0};
  std::atomic<int> lost{0};
  SourceDevice::Callbacks callbacks;
  callbacks.frame = [&](const SourceFrame& f) {
    if (f.size > 0 && f.data) ++frames;
  };
  callbacks.lost = [&] { ++lost; };
  ASSERT_TRUE(source->Start(callbacks));
  EXPECT_TRUE(testsupport::WaitFor([&] { return frames >= 3 || lost > 0; }, 10s));
  source->Stop();
  EXPECT_GE(frames, 3);
  EXPECT_EQ(lost, 0);
}
