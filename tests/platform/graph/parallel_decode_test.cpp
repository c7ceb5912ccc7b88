// The frame grabber decoding large MJPEG frames on its own threads: frames reach the
// callback one at a time in the order they were captured, with their capture time; no
// more frames are held than one more than there are threads; Stop and a cleared
// callback end the calls.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "graph_test_support.h"
#include "platform/graph/frame_grabber.h"
#include "platform/graph/media_format.h"
#include "support/wait.h"
#include "test_pictures.h"

using namespace platform;
using namespace graphtest;
using namespace std::chrono_literals;

namespace {

// Records each frame's capture time as the grabber reports it during the call (the
// tests number their frames by it), and can hold a call until the test lets it go.
class Recorder final : public CBCLS {
 public:
  explicit Recorder(const FrameGrabber& grabber) : m_grabber(grabber) {}

  int FrameCB(std::uint8_t*, int width, int, int) override {
    std::unique_lock lock(m_mutex);
    m_times.push_back(m_grabber.FrameCaptureTimeNs());
    m_widths.push_back(width);
    m_inside = true;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_hold; });
    m_inside = false;
    if (m_onCall) {
      auto onCall = std::move(m_onCall);
      lock.unlock();
      onCall();
      lock.lock();
    }
    ++m_finished;
    return 0;
  }

  void Hold(bool hold) {
    std::lock_guard lock(m_mutex);
    m_hold = hold;
    m_changed.notify_all();
  }
  // Runs once, at the end of the next call.
  void OnNextCall(std::function<void()> action) {
    std::lock_guard lock(m_mutex);
    m_onCall = std::move(action);
  }
  bool Inside() const {
    std::lock_guard lock(m_mutex);
    return m_inside;
  }
  // Calls that returned, their actions run.
  std::size_t Finished() const {
    std::lock_guard lock(m_mutex);
    return m_finished;
  }
  std::size_t Count() const {
    std::lock_guard lock(m_mutex);
    return m_times.size();
  }
  // The frame numbers delivered, in the order of the calls.
  std::vector<std::int64_t> Frames() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::int64_t> frames;
    for (std::int64_t ns : m_times) frames.push_back(ns / 100);
    return frames;
  }
  std::vector<int> Widths() const {
    std::lock_guard lock(m_mutex);
    return m_widths;
  }

 private:
  const FrameGrabber& m_grabber;
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::int64_t> m_times;
  std::vector<int> m_widths;
  bool m_hold = false;
  bool m_inside = false;
  std::size_t m_finished = 0;
  std::function<void()> m_onCall;
};

// A grabber that decodes every MJPEG frame on `threads` threads, running, with its
// callback set; frames are fed to its input pin as a source's streaming thread would.
struct PoolGrabber {
  explicit PoolGrabber(int threads)
      : grabber(FrameGrabber::Create(FrameGrabberOptions{threads, 0})),
        input(grabber->FindPin(PINDIR_INPUT, QStringLiteral("Input"))),
        recorder(*grabber) {
    EXPECT_EQ(grabber->SetCallback(&recorder), S_OK);
    EXPECT_EQ(grabber->Run(), S_OK);
  }
  ~PoolGrabber() {
    recorder.Hold(false);
    grabber->Stop();
    grabber->SetCallback(nullptr);
  }
  // Frame `number`, captured at `number` × 100 ns.
  void Feed(const std::vector<std::uint8_t>& jpeg, std::int64_t number, int width = 64, int height = 48) {
    input->Receive(MediaSample(jpeg.data(), jpeg.size(), SampleFormat{MEDIASUBTYPE_MJPG, width, height}, number));
  }

  std::shared_ptr<FrameGrabber> grabber;
  std::shared_ptr<Pin> input;
  Recorder recorder;
};

std::vector<std::uint8_t> SmallJpeg() {
  return MakeCameraJpeg(64, 48, CameraScene(64, 48, 3), Subsampling::S422, 85);
}

std::vector<std::int64_t> Range(std::int64_t from, std::int64_t to) {
  std::vector<std::int64_t> numbers;
  for (std::int64_t n = from; n < to; ++n) numbers.push_back(n);
  return numbers;
}

}  // namespace

TEST(ParallelDecoding, FramesReachTheCallbackInCaptureOrderWithTheirCaptureTime) {
  // Large frames take many times longer than small ones, so with four threads a small
  // frame behind a large one is decoded first and must wait for its turn.
  const auto large = MakeCameraJpeg(1280, 720, CameraScene(1280, 720, 1), Subsampling::S422, 95);
  const auto small = SmallJpeg();
  auto damaged = large;
  damaged.resize(damaged.size() / 2);
  PoolGrabber pool(4);

  constexpr int kFrames = 48;
  std::vector<std::int64_t> expected;
  for (int n = 0; n < kFrames; ++n) {
    const bool isDamaged = n % 8 == 5;
    const auto& jpeg = isDamaged ? damaged : n % 4 == 0 ? large : small;
    if (!isDamaged) expected.push_back(n);
    // A frame skipped because every thread is busy is fed again once one is delivered.
    for (;;) {
      const std::uint64_t skipped = pool.grabber->SkippedFrames();
      const std::size_t delivered = pool.recorder.Count();
      pool.Feed(jpeg, n);
      if (pool.grabber->SkippedFrames() == skipped) break;
      ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() > delivered; }));
    }
  }
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() == expected.size(); }));
  EXPECT_EQ(pool.recorder.Frames(), expected);
  // Each frame's pixels came with its own capture time.
  const std::vector<int> widths = pool.recorder.Widths();
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(widths[i], expected[i] % 4 == 0 ? 1280 : 64) << i;
  EXPECT_EQ(pool.grabber->DamagedFrames(), static_cast<std::uint64_t>(kFrames / 8));
}

TEST(ParallelDecoding, NoMoreFramesAreHeldThanOneMoreThanThereAreThreads) {
  const auto jpeg = SmallJpeg();
  PoolGrabber pool(3);
  pool.recorder.Hold(true);
  for (int n = 0; n < 4; ++n) pool.Feed(jpeg, n);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Inside(); }));
  // Frame 0 is in the callback, 1 to 3 are decoded or being decoded: every buffer is taken.
  for (int n = 4; n < 9; ++n) pool.Feed(jpeg, n);
  EXPECT_EQ(pool.grabber->SkippedFrames(), 5u);
  pool.recorder.Hold(false);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() == 4; }));
  EXPECT_EQ(pool.recorder.Frames(), Range(0, 4));

  // Room again: frames flow.
  pool.Feed(jpeg, 9);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() == 5; }));
  EXPECT_EQ(pool.recorder.Frames().back(), 9);
}

// A thread whose frame is done before the frames ahead of it goes on with the next
// one; the order out stays the order in.
TEST(ParallelDecoding, AThreadAheadOfItsTurnDecodesTheNextFrame) {
  const auto jpeg = SmallJpeg();
  PoolGrabber pool(2);
  pool.recorder.Hold(true);
  pool.Feed(jpeg, 0);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Inside(); }));
  // Frame 0 holds one thread in the callback. The other decodes 1, then 2, which
  // waited in the third buffer: both are done while 0 is still out.
  pool.Feed(jpeg, 1);
  pool.Feed(jpeg, 2);
  EXPECT_EQ(pool.grabber->SkippedFrames(), 0u);
  pool.Feed(jpeg, 3);
  EXPECT_EQ(pool.grabber->SkippedFrames(), 1u);
  pool.recorder.Hold(false);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() == 3; }));
  EXPECT_EQ(pool.recorder.Frames(), Range(0, 3));
}

TEST(ParallelDecoding, StopWaitsForTheCallInProgressAndDropsTheFramesHeld) {
  const auto jpeg = SmallJpeg();
  PoolGrabber pool(3);
  pool.recorder.Hold(true);
  for (int n = 0; n < 3; ++n) pool.Feed(jpeg, n);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Inside(); }));

  std::atomic<bool> stopped{false};
  std::thread stopper([&] {
    pool.grabber->Stop();
    stopped = true;
  });
  // Stop would return within this time if it did not wait for the call.
  EXPECT_FALSE(testsupport::WaitFor([&] { return stopped.load(); }, 100ms));
  pool.recorder.Hold(false);
  stopper.join();
  EXPECT_FALSE(pool.recorder.Inside());
  EXPECT_EQ(pool.recorder.Frames(), Range(0, 1));

  // The next run delivers again, from new threads.
  ASSERT_EQ(pool.grabber->Run(), S_OK);
  pool.Feed(jpeg, 10);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() == 2; }));
  EXPECT_EQ(pool.recorder.Frames().back(), 10);
}

TEST(ParallelDecoding, StopFromInsideTheCallbackMakesThatCallTheLast) {
  const auto jpeg = SmallJpeg();
  PoolGrabber pool(3);
  pool.recorder.Hold(true);
  pool.recorder.OnNextCall([&] { pool.grabber->Stop(); });
  for (int n = 0; n < 3; ++n) pool.Feed(jpeg, n);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Inside(); }));
  pool.recorder.Hold(false);
  // The call that stopped the grabber ends, its Stop done, before the next run starts.
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Finished() == 1; }));
  ASSERT_FALSE(pool.grabber->IsRunning());
  pool.Feed(jpeg, 3);  // not running: refused

  // The threads that stopped from inside stay for the next run.
  ASSERT_EQ(pool.grabber->Run(), S_OK);
  pool.Feed(jpeg, 4);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Count() == 2; }));
  EXPECT_EQ(pool.recorder.Frames(), (std::vector<std::int64_t>{0, 4}));
}

TEST(ParallelDecoding, NoCallbackAfterSetCallbackNullReturns) {
  const auto jpeg = SmallJpeg();
  PoolGrabber pool(3);
  pool.recorder.Hold(true);
  for (int n = 0; n < 3; ++n) pool.Feed(jpeg, n);
  ASSERT_TRUE(testsupport::WaitFor([&] { return pool.recorder.Inside(); }));
  std::atomic<std::size_t> countAtReturn{0};
  std::thread clearer([&] {
    pool.grabber->SetCallback(nullptr);
    countAtReturn = pool.recorder.Count();
  });
  pool.recorder.Hold(false);
  clearer.join();
  pool.grabber->Stop();  // every frame held is now delivered or dropped
  EXPECT_EQ(pool.recorder.Count(), countAtReturn.load());
}

// The graph's own contract, with every frame decoded on the threads.
TEST(ParallelDecoding, NoFrameReachesTheCallbackAfterTheGraphStops) {
  AppGraph app({}, FrameGrabberOptions{2, 0});
  app.device->SetFrame(MakeCameraJpeg(160, 120, CameraScene(160, 120, 2), Subsampling::S420, 85), WireFormat::MJPG,
                       160, 120);
  ASSERT_EQ(app.ConnectCapture(), S_OK);
  for (int round = 0; round < 3; ++round) {
    app.frames.stopped = false;
    const long before = app.frames.frames;
    ASSERT_EQ(app.control->Run(), S_OK);
    ASSERT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > before + 2; }));
    ASSERT_EQ(app.control->Stop(), S_OK);
    app.frames.stopped = true;
  }
  EXPECT_EQ(app.frames.width, 160);
  EXPECT_EQ(app.frames.framesAfterStop, 0);
}
