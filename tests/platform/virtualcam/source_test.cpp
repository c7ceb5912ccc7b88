// The virtual camera seen by the graph (source, provider), the control library (chip
// backend) and the USB device list.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>

#include "platform/virtualcam/virtual_camera_source.h"
#include "platform/virtualcam/virtual_usb_row.h"
#include "support/wait.h"

using platform::SourceDevice;
using platform::SourceFrame;
using platform::VirtualCamera;
using platform::VirtualCameraOptions;
using platform::VirtualCameraProvider;
using platform::VirtualCameraSource;
using platform::WireFormat;
using testsupport::WaitFor;

namespace {

std::shared_ptr<VirtualCamera> SmallCamera(VirtualCameraOptions options = {}) {
  options.capabilities = {{WireFormat::YUY2, 160, 120, false, 30.0}, {WireFormat::YUY2, 160, 120, true, 30.0}};
  options.framesPerSecond = 0.0;
  return std::make_shared<VirtualCamera>(options);
}

struct Counters {
  std::atomic<int> frames{0};
  std::atomic<int> stills{0};
  std::atomic<int> lost{0};
  std::atomic<int> framesAtLoss{-1};

  SourceDevice::Callbacks Callbacks() {
    return {[this](const SourceFrame&) { ++frames; }, [this] { ++stills; },
            [this] {
              framesAtLoss = frames.load();
              ++lost;
            }};
  }
};

}  // namespace

TEST(VirtualCameraSource, ProviderListsTheCameraOnlyWhilePlugged) {
  auto camera = SmallCamera();
  VirtualCameraProvider provider(camera);
  auto devices = provider.Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0]->Id(), "virtual");
  EXPECT_EQ(devices[0]->FriendlyName(), VirtualCamera::kFriendlyName);
  auto source = devices[0]->Open();
  ASSERT_TRUE(source);
  EXPECT_EQ(source->FriendlyName(), VirtualCamera::kFriendlyName);
  EXPECT_EQ(source->Capabilities(), camera->Options().capabilities);

  camera->Unplug();
  EXPECT_TRUE(provider.Devices().empty());
  EXPECT_EQ(devices[0]->Open(), nullptr);  // a handle kept from before the unplug
  camera->Plug();
  EXPECT_EQ(provider.Devices().size(), 1u);
}

TEST(VirtualCameraSource, PinsFollowTheKnobs) {
  VirtualCameraOptions options;
  options.previewPin = false;
  options.stillPin = false;
  options.streamConfig = false;
  auto camera = SmallCamera(options);
  VirtualCameraSource source(camera);
  EXPECT_FALSE(source.HasPreviewPin());
  EXPECT_FALSE(source.HasStillPin());
  EXPECT_FALSE(source.HasStreamConfig());

  // Without a still pin the button reaches nobody.
  Counters c;
  ASSERT_TRUE(source.Start(c.Callbacks()));
  camera->PressButton();
  ASSERT_TRUE(WaitFor([&] { return c.frames > 0; }));
  source.Stop();
  EXPECT_EQ(c.stills.load(), 0);
}

TEST(VirtualCameraSource, StillButtonReachesOnlyARunningSource) {
  auto camera = SmallCamera();
  VirtualCameraSource source(camera);
  Counters c;
  camera->PressButton();
  ASSERT_TRUE(source.Start(c.Callbacks()));
  EXPECT_TRUE(source.IsStreaming());
  camera->PressButton();
  EXPECT_EQ(c.stills.load(), 1);
  ASSERT_TRUE(WaitFor([&] { return c.frames >= 3; }));
  source.Stop();
  EXPECT_FALSE(source.IsStreaming());
  const int frames = c.frames;
  camera->PressButton();
  EXPECT_EQ(c.stills.load(), 1);
  EXPECT_EQ(c.frames.load(), frames);
}

TEST(VirtualCameraSource, UnplugWhileStreamingIsReportedOnce) {
  auto camera = SmallCamera();
  VirtualCameraSource source(camera);
  Counters c;
  ASSERT_TRUE(source.Start(c.Callbacks()));
  ASSERT_TRUE(WaitFor([&] { return c.frames >= 3; }));
  camera->Unplug();
  EXPECT_EQ(c.lost.load(), 1);
  EXPECT_FALSE(source.IsStreaming());
  EXPECT_FALSE(camera->IsStreaming());
  camera->Unplug();
  camera->Plug();
  camera->Unplug();
  EXPECT_EQ(c.lost.load(), 1);
  EXPECT_EQ(c.frames.load(), c.framesAtLoss.load());  // no frame after the loss
  source.Stop();

  // Unplugged: the source does not start; plugged again it does, and a new run can be lost again.
  EXPECT_FALSE(source.Start(c.Callbacks()));
  camera->Plug();
  ASSERT_TRUE(source.Start(c.Callbacks()));
  camera->Unplug();
  EXPECT_EQ(c.lost.load(), 2);
  source.Stop();
}

TEST(VirtualCameraSource, StopFromTheLostCallback) {
  auto camera = SmallCamera();
  auto source = std::make_shared<VirtualCameraSource>(camera);
  std::atomic<int> lost{0};
  SourceDevice::Callbacks callbacks;
  callbacks.frame = [](const SourceFrame&) {};
  callbacks.lost = [&] {
    source->Stop();
    ++lost;
  };
  ASSERT_TRUE(source->Start(callbacks));
  camera->Unplug();
  EXPECT_EQ(lost.load(), 1);
  camera->Plug();
  EXPECT_TRUE(source->Start(callbacks));
  source->Stop();
}

TEST(VirtualCameraSource, UsbRowWhilePlugged) {
  auto camera = SmallCamera();
  auto rows = platform::VirtualUsbRows(*camera);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_TRUE(rows[0].instanceId.has_value());
  EXPECT_EQ(*rows[0].instanceId, "USB\\VID_1D6C&PID_0A51\\VC0001");
  EXPECT_EQ(rows[0].friendlyName, VirtualCamera::kFriendlyName);
  camera->Unplug();
  EXPECT_TRUE(platform::VirtualUsbRows(*camera).empty());
}
