// The virtual camera's stream: pacing, format, stopping, and controls changed while it runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "frame_probe.h"
#include "platform/graph/interfaces.h"
#include "platform/virtualcam/virtual_camera.h"
#include "support/wait.h"

using platform::Capability;
using platform::PropertySet;
using platform::SourceFrame;
using platform::VirtualCamera;
using platform::VirtualCameraOptions;
using platform::WireFormat;
using testsupport::WaitFor;
using Clock = std::chrono::steady_clock;

namespace {

// The latest frame of a stream, copied out of the callback.
class FrameSink {
 public:
  void operator()(const SourceFrame& frame) {
    std::lock_guard lock(m_mutex);
    m_last.assign(frame.data, frame.data + frame.size);
    m_format = frame.format;
    m_width = frame.width;
    m_height = frame.height;
    ++m_count;
  }
  int Count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
  }
  std::vector<std::uint8_t> Last(int* width = nullptr, int* height = nullptr, WireFormat* format = nullptr) const {
    std::lock_guard lock(m_mutex);
    if (width) *width = m_width;
    if (height) *height = m_height;
    if (format) *format = m_format;
    return m_last;
  }
  double LastCentreLuma() const {
    std::lock_guard lock(m_mutex);
    if (m_last.empty()) return -1;
    const vcamtest::Yuyv p(m_last, m_width, m_height);
    return p.MeanY(p.Centre());
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<std::uint8_t> m_last;
  WireFormat m_format = WireFormat::YUY2;
  int m_width = 0;
  int m_height = 0;
  int m_count = 0;
};

VirtualCameraOptions SmallCamera(double fps) {
  VirtualCameraOptions options;
  options.capabilities = {{WireFormat::YUY2, 160, 120, false, 30.0}, {WireFormat::MJPG, 160, 120, false, 30.0}};
  options.framesPerSecond = fps;
  return options;
}

}  // namespace

TEST(VirtualCameraStream, HoldsThirtyFramesPerSecond) {
  VirtualCamera camera;
  std::mutex mutex;
  std::vector<Clock::time_point> arrivals;
  ASSERT_TRUE(camera.Start([&](const SourceFrame&) {
    std::lock_guard lock(mutex);
    arrivals.push_back(Clock::now());
  }));
  auto span = [&] {
    std::lock_guard lock(mutex);
    return arrivals.size() < 2 ? Clock::duration::zero() : arrivals.back() - arrivals.front();
  };
  ASSERT_TRUE(WaitFor([&] { return span() >= std::chrono::seconds(2); }, std::chrono::seconds(10)));
  camera.Stop();
  // Frames after the first, over the time since the first.
  const double seconds = std::chrono::duration<double>(arrivals.back() - arrivals.front()).count();
  const double rate = (arrivals.size() - 1) / seconds;
  EXPECT_NEAR(rate, 30.0, 3.0) << arrivals.size() << " frames in " << seconds << " s";
}

TEST(VirtualCameraStream, UnthrottledRunsAheadOfTheClock) {
  VirtualCamera camera(SmallCamera(0.0));
  std::atomic<std::int64_t> first{-1};
  std::atomic<std::int64_t> fortieth{-1};
  std::atomic<int> count{0};
  ASSERT_TRUE(camera.Start([&](const SourceFrame& f) {
    if (++count == 1) first = f.timestamp100ns;
    if (count == 40) fortieth = f.timestamp100ns;
  }));
  ASSERT_TRUE(WaitFor([&] { return fortieth.load() >= 0; }));
  camera.Stop();
  // Forty frames at 30 per second would take 1.3 s of stream time.
  EXPECT_LT(fortieth.load() - first.load(), 10'000'000);
}

TEST(VirtualCameraStream, EachFrameCarriesTheTimeItWasMadeOnTheSteadyClock) {
  VirtualCamera camera(SmallCamera(0.0));
  auto now100ns = [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count() / 100;
  };
  std::mutex mutex;
  std::vector<std::int64_t> times;
  const std::int64_t before = now100ns();
  ASSERT_TRUE(camera.Start([&](const SourceFrame& f) {
    std::lock_guard lock(mutex);
    if (times.size() < 5) times.push_back(f.timestamp100ns);
  }));
  ASSERT_TRUE(WaitFor([&] {
    std::lock_guard lock(mutex);
    return times.size() == 5;
  }));
  camera.Stop();
  const std::int64_t after = now100ns();
  for (std::size_t i = 0; i < times.size(); ++i) {
    EXPECT_GE(times[i], i == 0 ? before : times[i - 1]) << i;
    EXPECT_LE(times[i], after) << i;
  }
}

TEST(VirtualCameraStream, FramesFollowTheFormatAndSetFormatWaitsForStop) {
  VirtualCamera camera(SmallCamera(0.0));
  const Capability mjpg = camera.Options().capabilities[1];
  EXPECT_FALSE(camera.SetFormat({WireFormat::MJPG, 320, 240, false, 30.0}));  // not listed
  ASSERT_TRUE(camera.SetFormat({mjpg.format, mjpg.width, mjpg.height, true, 30.0}));
  EXPECT_TRUE(camera.CurrentFormat().videoInfo2);

  FrameSink sink;
  ASSERT_TRUE(camera.Start(std::ref(sink)));
  EXPECT_FALSE(camera.Start([](const SourceFrame&) {}));  // already streaming
  EXPECT_FALSE(camera.SetFormat(camera.Options().capabilities[0]));
  ASSERT_TRUE(WaitFor([&] { return sink.Count() >= 2; }));
  int w = 0, h = 0;
  WireFormat format = WireFormat::YUY2;
  const auto jpeg = sink.Last(&w, &h, &format);
  EXPECT_EQ(format, WireFormat::MJPG);
  EXPECT_EQ(w, 160);
  EXPECT_EQ(h, 120);
  ASSERT_GE(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  camera.Stop();
  EXPECT_TRUE(camera.SetFormat(camera.Options().capabilities[0]));
  EXPECT_EQ(camera.CurrentFormat(), camera.Options().capabilities[0]);
}

TEST(VirtualCameraStream, NoCallbackAfterStopReturns) {
  VirtualCamera camera(SmallCamera(0.0));
  std::atomic<bool> stopped{false};
  std::atomic<int> calls{0};
  std::atomic<int> late{0};
  ASSERT_TRUE(camera.Start([&](const SourceFrame&) {
    if (stopped) ++late;
    ++calls;
  }));
  ASSERT_TRUE(WaitFor([&] { return calls >= 5; }));
  camera.Stop();
  stopped = true;
  const int atStop = calls;
  EXPECT_FALSE(camera.IsStreaming());

  // Another run, long enough for a stray callback of the first to have shown up.
  std::atomic<int> second{0};
  ASSERT_TRUE(camera.Start([&](const SourceFrame&) { ++second; }));
  ASSERT_TRUE(WaitFor([&] { return second >= 20; }));
  camera.Stop();
  EXPECT_EQ(late.load(), 0);
  EXPECT_EQ(calls.load(), atStop);
  EXPECT_EQ(camera.FramesDelivered(), static_cast<std::uint64_t>(second.load()));
}

TEST(VirtualCameraStream, StopFromInsideTheCallbackEndsTheRun) {
  VirtualCamera camera(SmallCamera(0.0));
  std::atomic<int> calls{0};
  ASSERT_TRUE(camera.Start([&](const SourceFrame&) {
    if (++calls == 3) {
      camera.Stop();
      EXPECT_FALSE(camera.IsStreaming());
      EXPECT_FALSE(camera.Start([](const SourceFrame&) {}));
    }
  }));
  ASSERT_TRUE(WaitFor([&] { return calls >= 3 && !camera.IsStreaming(); }));
  // A new run joins the old thread; the old callback never runs again.
  std::atomic<int> second{0};
  ASSERT_TRUE(camera.Start([&](const SourceFrame&) { ++second; }));
  ASSERT_TRUE(WaitFor([&] { return second >= 10; }));
  camera.Stop();
  EXPECT_EQ(calls.load(), 3);
}

TEST(VirtualCameraStream, ControlChangesShowInTheNextFrames) {
  VirtualCamera camera(SmallCamera(0.0));
  FrameSink sink;
  ASSERT_TRUE(camera.Start(std::ref(sink)));
  ASSERT_TRUE(WaitFor([&] { return sink.Count() >= 2; }));
  const double before = sink.LastCentreLuma();

  // Changed from this (another) thread while frames are made.
  ASSERT_EQ(camera.Set(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, 64, 2), S_OK);
  EXPECT_TRUE(WaitFor([&] { return sink.LastCentreLuma() > before + 30; }));

  // Exposure: far too dark by hand, then the automatic brings the picture back, slowly.
  ASSERT_EQ(camera.Set(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, 0, 2), S_OK);
  ASSERT_EQ(camera.Set(PropertySet::CameraControl, CameraControl_Exposure, -13, 2), S_OK);
  EXPECT_TRUE(WaitFor([&] { return sink.LastCentreLuma() < 30; }));
  camera.Stop();
  ASSERT_EQ(camera.Set(PropertySet::CameraControl, CameraControl_Exposure, -13, 1), S_OK);
  std::vector<std::uint8_t> still;
  ASSERT_TRUE(camera.RenderFrame(camera.CurrentFormat(), 0, still));
  const vcamtest::Yuyv dark(still, 160, 120);
  EXPECT_LT(dark.MeanY(dark.Centre()), 30);  // no frames made yet: the automatic has not moved
  long value = 0, flags = 0;
  ASSERT_EQ(camera.Get(PropertySet::CameraControl, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(value, -13);
  EXPECT_EQ(flags, 1);

  ASSERT_TRUE(camera.Start(std::ref(sink)));
  EXPECT_TRUE(WaitFor([&] { return std::abs(sink.LastCentreLuma() - before) < 6; }));
  camera.Stop();
  ASSERT_EQ(camera.Get(PropertySet::CameraControl, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(value, -6);
}

TEST(VirtualCameraStream, StartFailsWhileUnplugged) {
  VirtualCameraOptions options = SmallCamera(0.0);
  options.plugged = false;
  VirtualCamera camera(options);
  EXPECT_FALSE(camera.IsPlugged());
  EXPECT_FALSE(camera.Start([](const SourceFrame&) {}));
  camera.Plug();
  std::atomic<int> frames{0};
  ASSERT_TRUE(camera.Start([&](const SourceFrame&) { ++frames; }));
  ASSERT_TRUE(WaitFor([&] { return frames > 0; }));
  camera.Unplug();
  EXPECT_FALSE(camera.IsStreaming());
  const int atUnplug = frames;
  EXPECT_FALSE(camera.Start([](const SourceFrame&) {}));
  EXPECT_EQ(frames.load(), atUnplug);
}
