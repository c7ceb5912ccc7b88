// The live view's whole path per frame, from the camera's bytes to the shown picture,
// beside the frame grabber's conversion alone in the same run:
//   conversion (YUYV or MJPEG to bottom-up BGR), the capture session's frame intake
//   (the view transform into a frame picture nobody else holds, swapped in under the
//   frame lock; the pictures are reused, so the black around the pan square stays
//   written), then the composition as the main window's display worker makes it: a
//   picture of the pool, which carries the overlay from the last time it was used, gets
//   the frame picture's uncovered pixels and is shared as the shown one.
// The overlay is on with the sizes an erased camera flash gives (mask 0.5, crosshair
// 0.15). Counters: convert_ms and path_ms per frame, their ratio (targets: at most 1.6
// at zoom 1.0, 2.2 at zoom 2.0), and the path's parts.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "bench/camera_frames.h"
#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "outside/ximage.h"
#include "platform/graph/frame_converter.h"
#include "texts/user_files.h"
#include "view/overlay_picture.h"
#include "view/picture_pool.h"
#include "view/view_transform.h"

using platform::ConvertedFrame;
using platform::FrameConverter;
using platform::WireFormat;

namespace {

constexpr int kFrames = 4;  // distinct frames cycled through, as a moving picture

// A bright disc with fine moving detail on a dark surround, about what the camera sees;
// the detail keeps the JPEG about as large as a real camera's.
std::vector<std::uint8_t> MakeRgb(int width, int height, int frame) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  const int cx = width / 2, cy = height / 2, r2 = (height * 9 / 20) * (height * 9 / 20);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      const int texture = ((x + frame * 3) * 7 + y * 13) % 32;
      const int checks = (((x + frame) / 4 + y / 4) % 2) * 24;
      const bool inside = (x - cx) * (x - cx) + (y - cy) * (y - cy) < r2;
      const int base = inside ? 150 : 20;
      p[0] = static_cast<std::uint8_t>(base + texture + x * 40 / width);
      p[1] = static_cast<std::uint8_t>(base + checks + y * 40 / height);
      p[2] = static_cast<std::uint8_t>(base + (inside ? 60 : 0) - texture);
    }
  }
  return rgb;
}

const std::vector<std::vector<std::uint8_t>>& FramesFor(WireFormat format, int width, int height) {
  static std::map<std::tuple<int, int, int>, std::vector<std::vector<std::uint8_t>>> cache;
  auto& frames = cache[{static_cast<int>(format), width, height}];
  if (frames.empty()) {
    for (int i = 0; i < kFrames; ++i) {
      const auto rgb = MakeRgb(width, height, i);
      frames.push_back(format == WireFormat::MJPG ? bench::MakeJpeg(rgb, width, height) : bench::MakeYuyv(rgb));
    }
  }
  return frames;
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d, long frames) {
  return std::chrono::duration<double, std::milli>(d).count() / static_cast<double>(frames);
}

// The state the frame intake and the display worker keep between frames.
struct LiveView {
  explicit LiveView(const ViewTransformParams& p) {
    ViewSettings& v = session.m_view;
    v.m_fZoom = p.zoom;
    v.m_nPanX = p.panX;
    v.m_nPanY = p.panY;
  }
  UserFiles files;
  CameraDiscovery cameras{PlatformServices{}, files};
  CaptureSession session{cameras, files, false};  // a session without a camera or a window
  PicturePool pictures;                        // the worker's pictures to compose into
  std::shared_ptr<const CxImage> viewPicture;  // the picture handed to the view
};

// Frame intake: the session's own, as the frame grabber calls it.
bool Intake(LiveView& view, const ConvertedFrame& converted) {
  view.session.FrameCB(converted.pixels, converted.width, converted.height, 24);
  return view.session.HasFramePicture();
}

// Display worker: the frame picture with the overlay, into a pool picture that becomes
// the shown one and the view's (the one they held before goes back to the pool).
bool Compose(LiveView& view, const std::shared_ptr<const OverlayPicture>& overlay) {
  const std::shared_ptr<const CxImage> frame = view.session.FramePicture();
  if (!frame) return false;
  std::shared_ptr<CxImage> picture = view.pictures.Compose(*frame, overlay);
  if (!picture) return false;
  view.session.SetShownPicture(picture);
  view.viewPicture = std::move(picture);
  return true;
}

// Each iteration runs the conversion alone and the whole path on the same frame, in
// alternating order, so that the machine's load and the caches treat both alike. The
// pictures are made and the overlay laid into them by frames run before the timing,
// as a running preview has them.
void WholePath(benchmark::State& state, WireFormat format) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const float zoom = static_cast<float>(state.range(2)) / 10.0f;
  const auto& frames = FramesFor(format, width, height);

  ViewTransformParams params;
  params.zoom = zoom;
  params.panX = width / 2;  // the centre the pan offsets 0, 0 give
  params.panY = height / 2;
  params.videoWidth = width;
  params.videoHeight = height;
  // Mask 0.5, crosshair 0.15.
  const auto overlay = std::make_shared<const OverlayPicture>(width, height, OverlaySettings{});

  FrameConverter alone;
  FrameConverter converter;
  LiveView view(params);
  ConvertedFrame out;
  bool ok = true;
  for (int k = 0; k < 2 * kFrames && ok; ++k) {
    const auto& frame = frames[static_cast<std::size_t>(k % kFrames)];
    ok = alone.Convert(frame.data(), frame.size(), format, width, height, out) &&
         converter.Convert(frame.data(), frame.size(), format, width, height, out) && Intake(view, out) &&
         Compose(view, overlay);
  }
  if (!ok) {
    state.SkipWithError("a frame failed");
    return;
  }
  Clock::duration convertAlone{}, path{}, transform{}, compose{};
  long i = 0;
  for (auto _ : state) {
    const auto& frame = frames[static_cast<std::size_t>(i % kFrames)];
    for (int pass = 0; pass < 2; ++pass) {
      if ((pass == 0) == (i % 2 == 0)) {
        const auto start = Clock::now();
        ok = ok && alone.Convert(frame.data(), frame.size(), format, width, height, out);
        benchmark::DoNotOptimize(out.pixels);
        convertAlone += Clock::now() - start;
        continue;
      }
      const auto start = Clock::now();
      ConvertedFrame converted;
      ok = ok && converter.Convert(frame.data(), frame.size(), format, width, height, converted);
      if (!ok) break;
      const auto converted_at = Clock::now();
      ok = Intake(view, converted);
      const auto transformed_at = Clock::now();
      ok = ok && Compose(view, overlay);
      benchmark::DoNotOptimize(view.viewPicture->GetBits());
      const auto end = Clock::now();
      path += end - start;
      transform += transformed_at - converted_at;
      compose += end - transformed_at;
    }
    if (!ok) {
      state.SkipWithError("a frame failed");
      break;
    }
    ++i;
  }
  if (i > 0) {
    state.counters["convert_ms"] = Ms(convertAlone, i);
    state.counters["path_ms"] = Ms(path, i);
    state.counters["ratio"] = Ms(path, i) / Ms(convertAlone, i);
    state.counters["transform_ms"] = Ms(transform, i);
    state.counters["compose_ms"] = Ms(compose, i);
  }
}

void Cases(benchmark::internal::Benchmark* b) {
  for (int zoom : {10, 20}) {
    b->Args({640, 480, zoom})->Args({1280, 720, zoom})->Args({1920, 1080, zoom});
  }
  b->ArgNames({"w", "h", "zoom10"})->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(WholePath, Yuyv, WireFormat::YUY2)->Apply(Cases);
BENCHMARK_CAPTURE(WholePath, Mjpeg, WireFormat::MJPG)->Apply(Cases);

// The parts on their own, beside a plain copy of a frame (the least any pass costs):
// the view transform at zoom 1.0 and 2.0 with and without both mirrors, and into a
// buffer it keeps (its black stays written); the overlay laid on a frame, a frame copied
// with the overlay laid on, and a frame's uncovered pixels copied into a picture that
// carries the overlay.
enum class Part { Copy, Transform, TransformMirrored, TransformKept, Overlay, OverlayCopy, OverlayCarried };

void Parts(benchmark::State& state, Part part) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  ViewTransformParams params;
  params.zoom = static_cast<float>(state.range(2)) / 10.0f;
  params.panX = width / 2;
  params.panY = height / 2;
  params.videoWidth = width;
  params.videoHeight = height;
  params.hMirror = params.vMirror = part == Part::TransformMirrored;
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 3;
  std::vector<std::uint8_t> src(bytes), out(bytes), composed(bytes);
  for (std::size_t i = 0; i < bytes; ++i) src[i] = static_cast<std::uint8_t>(i * 13 / 7);
  const OverlayPicture overlay(width, height, OverlaySettings{});
  ViewTransform transform;
  for (auto _ : state) {
    switch (part) {
      case Part::Copy:
        std::memcpy(out.data(), src.data(), bytes);
        break;
      case Part::Transform:
      case Part::TransformMirrored:
        transform.Apply(src.data(), width, height, params, out.data());
        break;
      case Part::TransformKept:
        transform.Apply(src.data(), width, height, params, out.data(), width * 3, ViewTransform::Destination::Kept);
        break;
      case Part::Overlay:
        overlay.LayOver(out.data(), width, height, width * 3);
        break;
      case Part::OverlayCopy:
        overlay.CopyOver(src.data(), width * 3, composed.data(), width * 3, width, height);
        break;
      case Part::OverlayCarried:
        overlay.CopyUncovered(src.data(), width * 3, composed.data(), width * 3, width, height);
        break;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

void PartCases(benchmark::internal::Benchmark* b) {
  for (int zoom : {10, 20}) {
    b->Args({640, 480, zoom})->Args({1280, 720, zoom})->Args({1920, 1080, zoom});
  }
  b->ArgNames({"w", "h", "zoom10"})->Unit(benchmark::kMicrosecond);
}

void PartSizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 480, 10})->Args({1280, 720, 10})->Args({1920, 1080, 10});
  b->ArgNames({"w", "h", "zoom10"})->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(Parts, FrameCopy, Part::Copy)->Apply(PartSizes);
BENCHMARK_CAPTURE(Parts, Transform, Part::Transform)->Apply(PartCases);
BENCHMARK_CAPTURE(Parts, TransformMirrored, Part::TransformMirrored)->Apply(PartCases);
BENCHMARK_CAPTURE(Parts, TransformKept, Part::TransformKept)->Apply(PartCases);
BENCHMARK_CAPTURE(Parts, Overlay, Part::Overlay)->Apply(PartSizes);
BENCHMARK_CAPTURE(Parts, OverlayCopy, Part::OverlayCopy)->Apply(PartSizes);
BENCHMARK_CAPTURE(Parts, OverlayCarried, Part::OverlayCarried)->Apply(PartSizes);

}  // namespace

BENCHMARK_MAIN();
