// The live view's whole path per frame, from the camera's bytes to the shown picture,
// beside the frame grabber's conversion alone in the same run:
//   conversion (YUYV or MJPEG to bottom-up BGR), the view transform into the output
//   buffer, the copy kept as the last frame, the frame picture made from the output
//   (what the frame intake does under the frame lock), then the composition: a copy of
//   the frame picture, the overlay laid on it, the copy stored as the shown picture
//   (what the display worker does).
// The "Lean" cases run the same frames through a layout with fewer copies (described at
// Layout below), for comparison.
// The overlay is on with the sizes an erased camera flash gives (mask 0.5, crosshair
// 0.15). Counters: convert_ms and path_ms per frame, their ratio (targets: at most 1.6
// at zoom 1.0, 2.2 at zoom 2.0), and the path's parts.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstring>
#include <map>
#include <vector>

#include "mainwnd/overlay_picture.h"
#include "mainwnd/view_transform.h"
#include "outside/ximage.h"
#include "platform/graph/frame_converter.h"

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

std::vector<std::uint8_t> MakeYuyv(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> yuyv(rgb.size() / 3 * 2);
  auto luma = [](const std::uint8_t* p) {
    return static_cast<std::uint8_t>(16 + (66 * p[0] + 129 * p[1] + 25 * p[2]) / 256);
  };
  for (std::size_t i = 0, o = 0; i < rgb.size(); i += 6, o += 4) {
    const std::uint8_t* p = &rgb[i];
    yuyv[o] = luma(p);
    yuyv[o + 1] = static_cast<std::uint8_t>(128 + (-38 * p[0] - 74 * p[1] + 112 * p[2]) / 256);
    yuyv[o + 2] = luma(p + 3);
    yuyv[o + 3] = static_cast<std::uint8_t>(128 + (112 * p[0] - 94 * p[1] - 18 * p[2]) / 256);
  }
  return yuyv;
}

std::vector<std::uint8_t> MakeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height) {
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> out;
  if (handle && tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_422, 85, 0) == 0) {
    out.assign(jpeg, jpeg + size);
  }
  tjFree(jpeg);
  if (handle) tjDestroy(handle);
  return out;
}

const std::vector<std::vector<std::uint8_t>>& FramesFor(WireFormat format, int width, int height) {
  static std::map<std::tuple<int, int, int>, std::vector<std::vector<std::uint8_t>>> cache;
  auto& frames = cache[{static_cast<int>(format), width, height}];
  if (frames.empty()) {
    for (int i = 0; i < kFrames; ++i) {
      const auto rgb = MakeRgb(width, height, i);
      frames.push_back(format == WireFormat::MJPG ? MakeJpeg(rgb, width, height) : MakeYuyv(rgb));
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
  ViewTransform transform;
  std::vector<std::uint8_t> outBuffer;
  std::vector<std::uint8_t> lastFrame;
  CxImage frameImage;
  CxImage composed;
  CxImage shown;
  // The leaner layout: composed pictures handed round whole instead of copied.
  CxImage pool[2];  // the one being composed and the one shown
  const CxImage* shared = nullptr;
};

// How the frame intake and the display worker move the pixels:
//  Current: transform into an output buffer, copy it as the last frame, make the frame
//    picture from it; copy the frame picture, lay the overlay, copy the result into the
//    shown picture.
//  Lean: transform straight into the frame picture's rows (no output buffer, no last
//    frame copy); copy the frame picture with the overlay laid in the same pass into a
//    picture that is then shared, not copied, as the shown one.
enum class Layout { Current, Lean };

bool FitPicture(CxImage& picture, int width, int height) {
  if (static_cast<int>(picture.GetWidth()) != width || static_cast<int>(picture.GetHeight()) != height ||
      picture.GetBpp() != 24) {
    picture = CxImage(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
  }
  return picture.IsValid();
}

// Each iteration runs the conversion alone and the whole path on the same frame, in
// alternating order, so that the machine's load and the caches treat both alike.
void WholePath(benchmark::State& state, WireFormat format, Layout layout) {
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
  const OverlayPicture overlay(width, height, OverlaySettings{});  // mask 0.5, crosshair 0.15

  FrameConverter alone;
  FrameConverter converter;
  LiveView view;
  ConvertedFrame out;
  Clock::duration convertAlone{}, path{}, transform{}, publish{}, compose{};
  long i = 0;
  for (auto _ : state) {
    const auto& frame = frames[static_cast<std::size_t>(i % kFrames)];
    bool ok = true;
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
      const std::size_t lineBytes = static_cast<std::size_t>(converted.width) * 3;
      const std::size_t frameBytes = lineBytes * static_cast<std::size_t>(converted.height);
      const auto converted_at = Clock::now();
      if (layout == Layout::Current) {
        // Frame intake: the transform into the output buffer and the last frame's copy.
        view.outBuffer.resize(frameBytes);
        ok = ok && view.transform.Apply(converted.pixels, converted.width, converted.height, params,
                                        view.outBuffer.data());
        view.lastFrame.resize(frameBytes);
        std::memcpy(view.lastFrame.data(), view.outBuffer.data(), frameBytes);
      } else {
        ok = FitPicture(view.frameImage, converted.width, converted.height) &&
             view.transform.Apply(converted.pixels, converted.width, converted.height, params,
                                  view.frameImage.GetBits(), view.frameImage.GetEffWidth());
      }
      const auto transformed_at = Clock::now();
      // Frame intake: the frame picture.
      if (layout == Layout::Current) {
        ok = ok && view.frameImage.CreateFromArray(view.outBuffer.data(), static_cast<std::uint32_t>(converted.width),
                                                   static_cast<std::uint32_t>(converted.height), 24,
                                                   static_cast<std::uint32_t>(lineBytes), false);
      }
      const auto published_at = Clock::now();
      // Display worker: copy, overlay, shown picture.
      if (layout == Layout::Current) {
        view.composed.Copy(view.frameImage);
        overlay.LayOver(view.composed.GetBits(), static_cast<int>(view.composed.GetWidth()),
                        static_cast<int>(view.composed.GetHeight()), static_cast<int>(view.composed.GetEffWidth()));
        view.shown.Copy(view.composed);
        view.shared = &view.shown;
      } else {
        CxImage& composed = view.pool[static_cast<std::size_t>(i % 2)];
        ok = ok && FitPicture(composed, converted.width, converted.height);
        overlay.CopyOver(view.frameImage.GetBits(), static_cast<int>(view.frameImage.GetEffWidth()),
                         composed.GetBits(), static_cast<int>(composed.GetEffWidth()), converted.width,
                         converted.height);
        view.shared = &composed;
      }
      benchmark::DoNotOptimize(view.shared->GetBits());
      const auto end = Clock::now();
      path += end - start;
      transform += transformed_at - converted_at;
      publish += published_at - transformed_at;
      compose += end - published_at;
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
    state.counters["picture_ms"] = Ms(publish, i);
    state.counters["compose_ms"] = Ms(compose, i);
  }
}

void Cases(benchmark::internal::Benchmark* b) {
  for (int zoom : {10, 20}) {
    b->Args({640, 480, zoom})->Args({1280, 720, zoom})->Args({1920, 1080, zoom});
  }
  b->ArgNames({"w", "h", "zoom10"})->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(WholePath, Yuyv, WireFormat::YUY2, Layout::Current)->Apply(Cases);
BENCHMARK_CAPTURE(WholePath, Mjpeg, WireFormat::MJPG, Layout::Current)->Apply(Cases);
BENCHMARK_CAPTURE(WholePath, YuyvLean, WireFormat::YUY2, Layout::Lean)->Apply(Cases);
BENCHMARK_CAPTURE(WholePath, MjpegLean, WireFormat::MJPG, Layout::Lean)->Apply(Cases);

// The parts on their own, beside a plain copy of a frame (the least any pass costs):
// the view transform at zoom 1.0 and 2.0 with and without both mirrors, and the overlay
// laid on a frame.
enum class Part { Copy, Transform, TransformMirrored, Overlay };

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
  std::vector<std::uint8_t> src(bytes), out(bytes);
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
      case Part::Overlay:
        overlay.LayOver(out.data(), width, height, width * 3);
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
BENCHMARK_CAPTURE(Parts, Overlay, Part::Overlay)->Apply(PartSizes);

}  // namespace

BENCHMARK_MAIN();
