// The virtual camera's cost per frame: painting (and for MJPG encoding) one frame in the
// wire format, as the streaming thread does, at 640×480, 1280×720 and 1920×1080. A
// 30 fps stream has 33 ms per frame; the camera should take a small part of it.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/virtualcam/camera_controls.h"
#include "platform/virtualcam/frame_maker.h"

namespace {

using platform::Capability;
using platform::WireFormat;

void MakeFrame(benchmark::State& state, WireFormat format) {
  const Capability cap{format, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), false, 30.0};
  platform::vcam::CameraControls controls;
  const std::shared_ptr<const platform::vcam::ToneTables> tables = controls.Tables();
  platform::vcam::FrameMaker maker;
  std::uint64_t frame = 0;
  if (!maker.Make(cap, frame, *tables)) {
    state.SkipWithError("frame could not be made");
    return;
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    if (!maker.Make(cap, ++frame, *tables)) {
      state.SkipWithError("frame could not be made");
      break;
    }
    bytes = maker.Size();
    benchmark::DoNotOptimize(maker.Data());
  }
  state.counters["frame_bytes"] = static_cast<double>(bytes);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Yuyv(benchmark::State& state) { MakeFrame(state, WireFormat::YUY2); }
void Mjpg(benchmark::State& state) { MakeFrame(state, WireFormat::MJPG); }

// A control change: the table rebuild the UI thread pays per slider step.
void ControlChange(benchmark::State& state) {
  platform::vcam::CameraControls controls;
  long value = 0;
  for (auto _ : state) {
    value = value == 10 ? -10 : 10;
    benchmark::DoNotOptimize(controls.Set(platform::PropertySet::VideoProcAmp, 0, value, 2));
  }
}

}  // namespace

BENCHMARK(Yuyv)->Args({640, 480})->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(Mjpg)->Args({640, 480})->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(ControlChange)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
