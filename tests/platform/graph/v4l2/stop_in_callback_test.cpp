// A V4L2 source stopped from inside its own callbacks: the calling thread cannot wait
// for itself, so Stop ends delivery at once and a later Stop from the owner's thread
// joins the threads and gives the buffers back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <atomic>

#include "fake_v4l2_io.h"
#include "platform/graph/v4l2/v4l2_source.h"
#include "support/source_stop_probe.h"
#include "support/wait.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;
using namespace std::chrono_literals;

namespace {

const std::string kNode = "/dev/video0";
const std::vector<std::uint8_t> kYuyvFrame(640 * 480 * 2, 0x5A);

std::vector<std::uint8_t> Press() {
  input_event events[2]{};
  events[0].type = EV_KEY;
  events[0].code = KEY_CAMERA;
  events[0].value = 1;
  events[1].type = EV_SYN;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(events);
  return {bytes, bytes + sizeof events};
}

class StopInCallback : public ::testing::Test {
 protected:
  void SetUp() override {
    io->AddNode(kNode, TypicalCamera());
    V4l2Source::Options options;
    options.findStillButton = [this](const QString&) -> StillButtonOpener {
      return [this] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return UniqueFd();
        button.Reset(fds[1]);
        return UniqueFd(fds[0]);
      };
    };
    source = V4l2Source::Open(io, QString::fromStdString(kNode), options);
    ASSERT_TRUE(source);
  }
  void ExpectReleasedAfterOwnerStop() {
    source->Stop();
    const FakeNode n = io->With(kNode, [](FakeNode& node) { return node; });
    EXPECT_FALSE(n.streaming);
    EXPECT_EQ(n.mappings, 0);
    EXPECT_EQ(n.unmappedWhileStreaming, 0);
  }

  std::shared_ptr<FakeV4l2Io> io = std::make_shared<FakeV4l2Io>();
  std::shared_ptr<V4l2Source> source;
  UniqueFd button;
};

TEST_F(StopInCallback, AFrameCallbackStopsItsSourceAndNoFrameFollows) {
  testsupport::SourceStopProbe seen;
  std::atomic<int> frames{0};
  SourceDevice::Callbacks callbacks;
  const std::function<void()> stop = seen.Stopper(*source);
  callbacks.frame = [&](const SourceFrame&) {
    ++frames;
    stop();
  };
  ASSERT_TRUE(source->Start(callbacks));
  ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame));
  ASSERT_TRUE(testsupport::WaitFor([&] { return seen.calls == 1; }, 5s));
  EXPECT_FALSE(seen.streamingAfterStop);
  EXPECT_FALSE(seen.restartedInside);  // Start from inside a callback fails
  EXPECT_FALSE(source->IsStreaming());
  // The thread has ended: frames the driver still fills are never delivered.
  EXPECT_TRUE(io->PushFrame(kNode, kYuyvFrame));
  ExpectReleasedAfterOwnerStop();
  EXPECT_EQ(frames, 1);

  // The owner starts it again.
  ASSERT_TRUE(source->Start(SourceDevice::Callbacks{[&](const SourceFrame&) { ++frames; }, {}, {}}));
  ASSERT_TRUE(testsupport::WaitFor([&] { return io->PushFrame(kNode, kYuyvFrame); }, 5s));
  EXPECT_TRUE(testsupport::WaitFor([&] { return frames == 2; }, 5s));
  source->Stop();
}

TEST_F(StopInCallback, AStillCallbackStopsItsSourceFramesAndAll) {
  testsupport::SourceStopProbe seen;
  std::atomic<int> frames{0};
  SourceDevice::Callbacks callbacks;
  callbacks.frame = [&](const SourceFrame&) { ++frames; };
  callbacks.still = seen.Stopper(*source);
  ASSERT_TRUE(source->Start(callbacks));
  ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame));
  ASSERT_TRUE(testsupport::WaitFor([&] { return frames == 1; }, 5s));
  const std::vector<std::uint8_t> press = Press();
  ASSERT_EQ(::write(button.Get(), press.data(), press.size()), static_cast<ssize_t>(press.size()));
  ASSERT_TRUE(testsupport::WaitFor([&] { return seen.calls == 1; }, 5s));
  EXPECT_FALSE(seen.streamingAfterStop);
  EXPECT_FALSE(seen.restartedInside);
  // The streaming thread runs on until the owner's Stop, but delivers nothing more.
  ASSERT_TRUE(testsupport::WaitFor([&] { return io->PushFrame(kNode, kYuyvFrame); }, 5s));
  ExpectReleasedAfterOwnerStop();
  EXPECT_EQ(frames, 1);
}

TEST_F(StopInCallback, ALostCallbackStopsItsSource) {
  testsupport::SourceStopProbe seen;
  SourceDevice::Callbacks callbacks;
  callbacks.frame = [](const SourceFrame&) {};
  callbacks.lost = seen.Stopper(*source);
  ASSERT_TRUE(source->Start(callbacks));
  io->With(kNode, [](FakeNode& n) { n.dqbufError = ENODEV; });
  ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame));
  ASSERT_TRUE(testsupport::WaitFor([&] { return seen.calls == 1; }, 5s));
  EXPECT_FALSE(seen.streamingAfterStop);
  ExpectReleasedAfterOwnerStop();
  source.reset();
  EXPECT_EQ(io->OpenCount(), 0);
}

}  // namespace
