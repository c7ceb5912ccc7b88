// The virtual camera's source stopped from inside its own callbacks keeps the same
// contract as a V4L2 source: delivery ends at once, the owner's later Stop joins.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "platform/virtualcam/virtual_camera_source.h"
#include "support/source_stop_probe.h"
#include "support/wait.h"

using platform::SourceDevice;
using platform::SourceFrame;
using platform::VirtualCamera;
using platform::VirtualCameraOptions;
using platform::VirtualCameraSource;
using platform::WireFormat;
using testsupport::WaitFor;

namespace {

class VirtualStopInCallback : public ::testing::Test {
 protected:
  void SetUp() override {
    VirtualCameraOptions options;
    options.capabilities = {{WireFormat::YUY2, 160, 120, false, 30.0}, {WireFormat::YUY2, 160, 120, true, 30.0}};
    options.framesPerSecond = 0.0;  // as fast as frames can be made
    camera = std::make_shared<VirtualCamera>(options);
    source = std::make_shared<VirtualCameraSource>(camera);
  }

  std::shared_ptr<VirtualCamera> camera;
  std::shared_ptr<VirtualCameraSource> source;
};

TEST_F(VirtualStopInCallback, AFrameCallbackStopsItsSourceAndNoFrameFollows) {
  testsupport::SourceStopProbe seen;
  std::atomic<int> frames{0};
  const std::function<void()> stop = seen.Stopper(*source);
  ASSERT_TRUE(source->Start({[&](const SourceFrame&) {
                               ++frames;
                               stop();
                             },
                             {}, {}}));
  ASSERT_TRUE(WaitFor([&] { return seen.calls >= 1 && !camera->IsStreaming(); }));
  EXPECT_FALSE(seen.streamingAfterStop);
  EXPECT_FALSE(seen.restartedInside);
  source->Stop();
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(seen.calls, 1);

  ASSERT_TRUE(source->Start({[&](const SourceFrame&) { ++frames; }, {}, {}}));
  EXPECT_TRUE(WaitFor([&] { return frames > 3; }));
  source->Stop();
}

TEST_F(VirtualStopInCallback, AStillCallbackStopsItsSourceFramesAndAll) {
  testsupport::SourceStopProbe seen;
  std::atomic<int> frames{0};
  ASSERT_TRUE(source->Start({[&](const SourceFrame&) { ++frames; }, seen.Stopper(*source), {}}));
  ASSERT_TRUE(WaitFor([&] { return frames > 0; }));
  camera->PressButton();
  ASSERT_EQ(seen.calls, 1);
  EXPECT_FALSE(seen.streamingAfterStop);
  EXPECT_FALSE(seen.restartedInside);
  const int atStop = frames;
  camera->PressButton();  // no longer listened to
  EXPECT_EQ(seen.calls, 1);
  source->Stop();
  EXPECT_EQ(frames, atStop);
}

TEST_F(VirtualStopInCallback, ALostCallbackStopsItsSource) {
  testsupport::SourceStopProbe seen;
  ASSERT_TRUE(source->Start({[](const SourceFrame&) {}, {}, seen.Stopper(*source)}));
  camera->Unplug();
  ASSERT_TRUE(WaitFor([&] { return seen.calls == 1; }));
  EXPECT_FALSE(seen.streamingAfterStop);
  EXPECT_FALSE(seen.restartedInside);
  source->Stop();
  EXPECT_FALSE(source->IsStreaming());
  camera->Plug();
  EXPECT_TRUE(source->Start({[](const SourceFrame&) {}, {}, {}}));
  source->Stop();
}

}  // namespace
