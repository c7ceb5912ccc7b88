// MJPEG decoding throughput at 3840×2160: the frames per second the frame grabber
// decodes with one thread (the feeding thread itself, as at smaller sizes) and with two
// (its decoding pool), fed the virtual camera's 4K frames as fast as it takes them.
// Target: two threads at least 1.7 × one. As a yardstick, two free threads decode the
// same frames with no order to keep and nothing handed over: what the machine's two
// processors give at most, at that moment. Each iteration runs one batch through each
// way, in turn, so the machine's other load treats them alike.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/graph/frame_converter.h"
#include "platform/graph/frame_grabber.h"
#include "platform/graph/media_format.h"
#include "platform/virtualcam/virtual_camera.h"

using platform::FrameGrabber;
using platform::FrameGrabberOptions;
using platform::MediaSample;
using platform::Pin;
using platform::SampleFormat;

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kBatch = 8;
constexpr int kDistinctFrames = 4;

using Clock = std::chrono::steady_clock;

class DeliveryCounter final : public CBCLS {
 public:
  int FrameCB(std::uint8_t* pixels, int, int, int) override {
    benchmark::DoNotOptimize(pixels);
    std::lock_guard lock(m_mutex);
    ++m_count;
    m_changed.notify_all();
    return 0;
  }
  long Count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
  }
  // False when nothing came for seconds: a frame was lost.
  bool WaitBeyond(long count) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_count > count; });
  }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  long m_count = 0;
};

struct Grabber {
  explicit Grabber(int threads)
      : filter(FrameGrabber::Create(FrameGrabberOptions{threads, 0})),
        input(filter->FindPin(PINDIR_INPUT, QStringLiteral("Input"))) {
    (void)filter->SetCallback(&counter);
    (void)filter->Run();
  }
  ~Grabber() {
    filter->Stop();
    (void)filter->SetCallback(nullptr);
  }

  // Feeds `count` frames, each again while the pool has no room for it, and waits
  // until all are delivered; the time that took.
  Clock::duration Batch(const std::vector<std::vector<std::uint8_t>>& frames, int count, bool& ok) {
    const long target = counter.Count() + count;
    const std::uint64_t damaged = filter->DamagedFrames();
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
      const auto& jpeg = frames[static_cast<std::size_t>(i % kDistinctFrames)];
      const MediaSample sample(jpeg.data(), jpeg.size(), SampleFormat{MEDIASUBTYPE_MJPG, kWidth, kHeight}, i);
      for (;;) {
        const std::uint64_t skipped = filter->SkippedFrames();
        const long delivered = counter.Count();
        input->Receive(sample);
        if (filter->SkippedFrames() == skipped) break;
        ok = ok && counter.WaitBeyond(delivered);
        if (!ok) return {};
      }
    }
    while (ok && counter.Count() < target) ok = counter.WaitBeyond(counter.Count());
    ok = ok && filter->DamagedFrames() == damaged;
    return Clock::now() - start;
  }

  std::shared_ptr<FrameGrabber> filter;
  std::shared_ptr<Pin> input;
  DeliveryCounter counter;
};

// Two threads, each with its own converter, each decoding half the batch.
Clock::duration FreeThreads(const std::vector<std::vector<std::uint8_t>>& frames, int count, bool& ok) {
  std::atomic<bool> failed{false};
  auto work = [&](int first) {
    platform::FrameConverter converter;
    platform::ConvertedFrame out;
    for (int i = first; i < count; i += 2) {
      const auto& jpeg = frames[static_cast<std::size_t>(i % kDistinctFrames)];
      if (!converter.Convert(jpeg.data(), jpeg.size(), platform::WireFormat::MJPG, kWidth, kHeight, out)) failed = true;
      benchmark::DoNotOptimize(out.pixels);
    }
  };
  const auto start = Clock::now();
  std::thread other(work, 1);
  work(0);
  other.join();
  ok = ok && !failed;
  return Clock::now() - start;
}

void Throughput4k(benchmark::State& state) {
  platform::VirtualCamera camera;
  const platform::Capability format{platform::WireFormat::MJPG, kWidth, kHeight, false, 30.0};
  std::vector<std::vector<std::uint8_t>> frames(kDistinctFrames);
  double bytes = 0;
  for (int i = 0; i < kDistinctFrames; ++i) {
    if (!camera.RenderFrame(format, static_cast<std::uint64_t>(i) * 7, frames[static_cast<std::size_t>(i)])) {
      state.SkipWithError("no frame from the virtual camera");
      return;
    }
    bytes += static_cast<double>(frames[static_cast<std::size_t>(i)].size());
  }
  Grabber one(1);
  Grabber two(2);
  Clock::duration oneTime{};
  Clock::duration twoTime{};
  Clock::duration freeTime{};
  long iterations = 0;
  bool ok = true;
  for (auto _ : state) {
    switch (iterations % 3) {
      case 0:
        oneTime += one.Batch(frames, kBatch, ok);
        twoTime += two.Batch(frames, kBatch, ok);
        freeTime += FreeThreads(frames, kBatch, ok);
        break;
      case 1:
        twoTime += two.Batch(frames, kBatch, ok);
        freeTime += FreeThreads(frames, kBatch, ok);
        oneTime += one.Batch(frames, kBatch, ok);
        break;
      default:
        freeTime += FreeThreads(frames, kBatch, ok);
        oneTime += one.Batch(frames, kBatch, ok);
        twoTime += two.Batch(frames, kBatch, ok);
        break;
    }
    ++iterations;
    if (!ok) {
      state.SkipWithError("a frame did not decode");
      return;
    }
  }
  const double decoded = static_cast<double>(iterations) * kBatch;
  const double oneFps = decoded / std::chrono::duration<double>(oneTime).count();
  const double twoFps = decoded / std::chrono::duration<double>(twoTime).count();
  const double freeFps = decoded / std::chrono::duration<double>(freeTime).count();
  state.counters["fps_1_thread"] = oneFps;
  state.counters["fps_2_threads"] = twoFps;
  state.counters["speedup"] = twoFps / oneFps;
  state.counters["fps_2_free"] = freeFps;
  state.counters["speedup_free"] = freeFps / oneFps;
  state.counters["jpeg_kB"] = bytes / kDistinctFrames / 1024.0;
}

}  // namespace

BENCHMARK(Throughput4k)->Unit(benchmark::kMillisecond)->MinTime(5.0);

BENCHMARK_MAIN();
