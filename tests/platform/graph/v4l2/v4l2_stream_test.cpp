// Streaming from a V4L2 camera: the order of the driver calls, frame delivery, and
// what happens when the camera is unplugged or stalls.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_v4l2_io.h"
#include "source_callbacks.h"
#include "platform/graph/v4l2/v4l2_source.h"
#include "support/wait.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;
using namespace std::chrono_literals;

namespace {

const std::string kNode = "/dev/video0";
const std::vector<std::uint8_t> kYuyvFrame(640 * 480 * 2, 0x5A);

class V4l2Streaming : public ::testing::Test {
 protected:
  void Open(std::chrono::milliseconds stall = 10s) {
    io->AddNode(kNode, node);
    V4l2Source::Options options;
    options.stallTimeout = stall;
    options.findStillButton = [](const QString&) { return StillButtonOpener(); };
    source = V4l2Source::Open(io, QString::fromStdString(kNode), options);
    ASSERT_TRUE(source);
    io->TakeCalls();
  }
  FakeNode State() {
    return io->With(kNode, [](FakeNode& n) { return n; });
  }
  void ExpectReleased() {
    const FakeNode n = State();
    EXPECT_FALSE(n.streaming);
    EXPECT_EQ(n.mappings, 0);
    EXPECT_EQ(n.unmappedWhileStreaming, 0);
    EXPECT_TRUE(n.buffers.empty());
  }

  FakeNode node = TypicalCamera();
  std::shared_ptr<FakeV4l2Io> io = std::make_shared<FakeV4l2Io>();
  std::shared_ptr<V4l2Source> source;
  SourceCallbacks calls;
};

std::vector<std::string> Without(std::vector<std::string> calls, const std::string& name) {
  calls.erase(std::remove(calls.begin(), calls.end(), name), calls.end());
  return calls;
}

}  // namespace

TEST_F(V4l2Streaming, StartAndStopCallTheDriverInOrderAndDeliverFrames) {
  Open();
  ASSERT_TRUE(source->Start(calls.Make()));
  EXPECT_TRUE(source->IsStreaming());
  const std::vector<std::string> start{"S_FMT",   "G_PARM",  "S_PARM",   "REQBUFS", "QUERYBUF", "mmap",
                                       "QUERYBUF", "mmap",    "QUERYBUF", "mmap",    "QUERYBUF", "mmap",
                                       "QBUF",     "QBUF",    "QBUF",     "QBUF",    "STREAMON"};
  EXPECT_EQ(io->TakeCalls(), start);

  for (int i = 0; i < 6; ++i) {  // more frames than buffers: each must be queued again
    ASSERT_TRUE(testsupport::WaitFor([&] { return io->PushFrame(kNode, kYuyvFrame); }, 5s));
  }
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.frames == 6; }, 5s));
  {
    std::lock_guard lock(calls.mutex);
    EXPECT_EQ(calls.sizes, std::vector<std::size_t>(6, kYuyvFrame.size()));
    EXPECT_EQ(calls.firstBytes, std::vector<std::uint8_t>(6, 0x5A));
  }

  source->Stop();
  EXPECT_FALSE(source->IsStreaming());
  const std::vector<std::string> stop{"STREAMOFF", "munmap", "munmap", "munmap", "munmap", "REQBUFS"};
  EXPECT_EQ(Without(Without(io->TakeCalls(), "DQBUF"), "QBUF"), stop);
  ExpectReleased();
  EXPECT_EQ(calls.lost, 0);

  // The source streams again after a stop.
  ASSERT_TRUE(source->Start(calls.Make()));
  ASSERT_TRUE(testsupport::WaitFor([&] { return io->PushFrame(kNode, kYuyvFrame); }, 5s));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.frames == 7; }, 5s));
  source.reset();  // destruction stops the stream
  EXPECT_EQ(io->OpenCount(), 0);
}

TEST_F(V4l2Streaming, DamagedAndShortFramesAreDroppedButTheirBuffersReused) {
  Open();
  ASSERT_TRUE(source->Start(calls.Make()));
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame, V4L2_BUF_FLAG_ERROR));
  ASSERT_TRUE(testsupport::WaitFor([&] { return io->PushFrame(kNode, std::vector<std::uint8_t>(1000, 1)); }, 5s));
  ASSERT_TRUE(testsupport::WaitFor([&] { return io->PushFrame(kNode, kYuyvFrame); }, 5s));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.frames == 1; }, 5s));
  source->Stop();
  EXPECT_EQ(calls.frames, 1);
  EXPECT_EQ(calls.lost, 0);
}

TEST_F(V4l2Streaming, CaptureTimeIsTheDriversMonotonicTimestampElseTheDequeueTime) {
  Open();
  ASSERT_TRUE(source->Start(calls.Make()));
  auto steadyNow100ns = [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
               .count() /
           100;
  };
  // The fake driver stamps every buffer 12 s 345 µs.
  ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame, V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.frames == 1; }, 5s));
  const std::int64_t before = steadyNow100ns();
  ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame, V4L2_BUF_FLAG_TIMESTAMP_COPY));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.frames == 2; }, 5s));
  const std::int64_t after = steadyNow100ns();
  source->Stop();
  std::lock_guard lock(calls.mutex);
  EXPECT_EQ(calls.timestamps[0], 12 * 10'000'000 + 3450);
  EXPECT_GE(calls.timestamps[1], before);
  EXPECT_LE(calls.timestamps[1], after);
}

TEST_F(V4l2Streaming, FewerBuffersThanNeededFailCleanly) {
  node.grantBuffers = 2;
  Open();
  EXPECT_FALSE(source->Start(calls.Make()));
  EXPECT_FALSE(source->IsStreaming());
  const std::vector<std::string> expected{"S_FMT", "G_PARM", "S_PARM", "REQBUFS", "REQBUFS"};
  EXPECT_EQ(io->TakeCalls(), expected);
  ExpectReleased();

  // A failure half-way through the mapping gives back what was mapped.
  io->With(kNode, [](FakeNode& n) {
    n.grantBuffers = 0;
    n.failures["STREAMON"] = EIO;
  });
  EXPECT_FALSE(source->Start(calls.Make()));
  ExpectReleased();
  io->With(kNode, [](FakeNode& n) { n.failures.clear(); });
  EXPECT_TRUE(source->Start(calls.Make()));
}

TEST_F(V4l2Streaming, UnplugEndsTheStreamWithOneLossAndStopCleansUp) {
  Open();
  ASSERT_TRUE(source->Start(calls.Make()));
  ASSERT_TRUE(io->PushFrame(kNode, kYuyvFrame));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.frames == 1; }, 5s));

  io->With(kNode, [](FakeNode& n) { n.dqbufError = ENODEV; });
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.lost == 1; }, 5s));
  // Frames that would follow are never delivered: the thread has ended.
  io->With(kNode, [](FakeNode& n) { n.dqbufError = 0; });
  EXPECT_TRUE(io->PushFrame(kNode, kYuyvFrame));
  EXPECT_TRUE(source->IsStreaming());  // until the owner stops it

  // Gone for good: stopping meets ENODEV everywhere and still unmaps every buffer.
  io->With(kNode, [](FakeNode& n) { n.unplugged = true; });
  source->Stop();
  source->Stop();  // twice is harmless
  EXPECT_FALSE(source->IsStreaming());
  EXPECT_EQ(calls.lost, 1);
  EXPECT_EQ(calls.frames, 1);
  EXPECT_EQ(calls.framesAfterLost, 0);
  EXPECT_EQ(State().mappings, 0);
  source.reset();
  EXPECT_EQ(io->OpenCount(), 0);
}

TEST_F(V4l2Streaming, PollErrorOrHangupCountsAsUnplug) {
  Open();
  ASSERT_TRUE(source->Start(calls.Make()));
  io->With(kNode, [](FakeNode& n) { n.unplugged = true; });
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.lost == 1; }, 5s));
  source->Stop();
  EXPECT_EQ(calls.lost, 1);
  EXPECT_EQ(State().mappings, 0);
}

TEST_F(V4l2Streaming, AStallIsNoticedOnce) {
  Open(150ms);
  ASSERT_TRUE(source->Start(calls.Make()));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.lost == 1; }, 5s));
  source->Stop();
  EXPECT_EQ(calls.lost, 1);
  EXPECT_EQ(calls.frames, 0);
  ExpectReleased();
}
