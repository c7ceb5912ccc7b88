// Frame grabber conversion per frame (YUYV and MJPEG to bottom-up BGR) beside what
// FFmpeg itself does with the same frames in the same run: for YUYV the two-pass
// libswscale route, for MJPEG libavcodec's decoder and one sws_scale to BGR24.
// The "ratio" counter is ours over FFmpeg's (targets: YUYV at most 1.15, MJPEG at
// most 0.85 at every size).
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <map>
#include <vector>

#include "platform/graph/ffmpeg_ptr.h"
#include "platform/graph/frame_converter.h"
#include "platform/virtualcam/virtual_camera.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include "bench/camera_frames.h"

using platform::AvPtr;
using platform::ConvertedFrame;
using platform::FrameConverter;
using platform::WireFormat;

namespace {

constexpr int kFrames = 4;  // distinct frames cycled through, as a moving picture

// A gradient with fine detail (a diagonal texture and small checks) that moves from
// frame to frame, so the JPEG is about as large as a real camera's.
std::vector<std::uint8_t> MakeRgb(int width, int height, int frame) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      const int texture = ((x + frame * 3) * 7 + y * 13) % 32;
      const int checks = (((x + frame) / 4 + y / 4) % 2) * 24;
      p[0] = static_cast<std::uint8_t>((x * 200 / width + texture) % 256);
      p[1] = static_cast<std::uint8_t>((y * 200 / height + checks) % 256);
      p[2] = static_cast<std::uint8_t>((255 - x * 128 / width - y * 64 / height + texture) % 256);
    }
  }
  return rgb;
}

struct TestFrames {
  std::vector<std::vector<std::uint8_t>> yuyv;
  std::vector<std::vector<std::uint8_t>> jpeg;
  std::vector<std::vector<std::uint8_t>> cameraJpeg;  // the virtual camera's own
};

const TestFrames& FramesFor(int width, int height) {
  static std::map<std::pair<int, int>, TestFrames> cache;
  TestFrames& frames = cache[{width, height}];
  if (frames.yuyv.empty()) {
    platform::VirtualCamera camera;
    const platform::Capability format{WireFormat::MJPG, width, height, false, 30.0};
    for (int i = 0; i < kFrames; ++i) {
      const auto rgb = MakeRgb(width, height, i);
      frames.yuyv.push_back(bench::MakeYuyv(rgb));
      frames.jpeg.push_back(bench::MakeJpeg(rgb, width, height));
      frames.cameraJpeg.emplace_back();
      if (!camera.RenderFrame(format, static_cast<std::uint64_t>(i) * 5, frames.cameraJpeg.back())) {
        frames.cameraJpeg.back().clear();
      }
    }
  }
  return frames;
}

// FFmpeg's own route for YUYV: packed to planar 4:2:2, then to BGR24.
class ReferenceYuyv {
 public:
  ReferenceYuyv(int width, int height) : m_width(width), m_height(height) {
    m_toPlanar.reset(sws_getContext(width, height, AV_PIX_FMT_YUYV422, width, height, AV_PIX_FMT_YUV422P,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr));
    m_toBgr.reset(sws_getContext(width, height, AV_PIX_FMT_YUV422P, width, height, AV_PIX_FMT_BGR24, SWS_BILINEAR,
                                 nullptr, nullptr, nullptr));
    m_ok = m_toPlanar && m_toBgr &&
           av_image_alloc(m_planes, m_planeStrides, width, height, AV_PIX_FMT_YUV422P, 64) >= 0 &&
           av_image_alloc(m_bgr, m_bgrStrides, width, height, AV_PIX_FMT_BGR24, 1) >= 0;
  }
  ~ReferenceYuyv() {
    av_freep(&m_planes[0]);
    av_freep(&m_bgr[0]);
  }
  bool Convert(const std::vector<std::uint8_t>& frame) {
    if (!m_ok) return false;
    const std::uint8_t* src[4] = {frame.data(), nullptr, nullptr, nullptr};
    const int srcStrides[4] = {m_width * 2, 0, 0, 0};
    return sws_scale(m_toPlanar.get(), src, srcStrides, 0, m_height, m_planes, m_planeStrides) == m_height &&
           sws_scale(m_toBgr.get(), m_planes, m_planeStrides, 0, m_height, m_bgr, m_bgrStrides) == m_height;
  }

 private:
  int m_width, m_height;
  bool m_ok = false;
  AvPtr<SwsContext> m_toPlanar, m_toBgr;
  std::uint8_t* m_planes[4] = {};
  int m_planeStrides[4] = {};
  std::uint8_t* m_bgr[4] = {};
  int m_bgrStrides[4] = {};
};

// FFmpeg's own route for MJPEG: the decoder, then one sws_scale to BGR24.
class ReferenceMjpeg {
 public:
  ReferenceMjpeg(int width, int height) : m_width(width), m_height(height) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    m_decoder.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    m_ok = m_decoder && m_packet && m_frame && avcodec_open2(m_decoder.get(), codec, nullptr) >= 0 &&
           av_image_alloc(m_bgr, m_bgrStrides, width, height, AV_PIX_FMT_BGR24, 1) >= 0;
  }
  ~ReferenceMjpeg() { av_freep(&m_bgr[0]); }
  // frame: the JPEG followed by zeroed decoder padding; size: the JPEG's own size.
  bool Convert(const std::vector<std::uint8_t>& frame, std::size_t size) {
    if (!m_ok) return false;
    m_packet->data = const_cast<std::uint8_t*>(frame.data());
    m_packet->size = static_cast<int>(size);
    if (avcodec_send_packet(m_decoder.get(), m_packet.get()) < 0 ||
        avcodec_receive_frame(m_decoder.get(), m_frame.get()) < 0) {
      return false;
    }
    if (!m_toBgr) {
      m_toBgr.reset(sws_getContext(m_width, m_height, static_cast<AVPixelFormat>(m_frame->format), m_width, m_height,
                                   AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    }
    const bool ok = m_toBgr && sws_scale(m_toBgr.get(), m_frame->data, m_frame->linesize, 0, m_height, m_bgr,
                                         m_bgrStrides) == m_height;
    av_frame_unref(m_frame.get());
    return ok;
  }

 private:
  int m_width, m_height;
  bool m_ok = false;
  AvPtr<AVCodecContext> m_decoder;
  AvPtr<AVPacket> m_packet;
  AvPtr<AVFrame> m_frame;
  AvPtr<SwsContext> m_toBgr;
  std::uint8_t* m_bgr[4] = {};
  int m_bgrStrides[4] = {};
};

using Clock = std::chrono::steady_clock;

// Each iteration converts one frame both ways, in alternating order, so that the
// machine's load and the caches treat both alike. The benchmark's time is the
// pair's; the counters give each per-frame time and their ratio.
// Which frames: the test pattern above in the camera's wire format, or MJPEG frames of
// the virtual camera (a camera's picture: smooth colours, textured brightness).
enum class Frames { Pattern, Camera };

void Compare(benchmark::State& state, WireFormat format, Frames source) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const TestFrames& frames = FramesFor(width, height);
  const auto& jpegs = source == Frames::Camera ? frames.cameraJpeg : frames.jpeg;
  const auto& list = format == WireFormat::MJPG ? jpegs : frames.yuyv;
  if (list.front().empty()) {
    state.SkipWithError("no frames");
    return;
  }
  std::vector<std::vector<std::uint8_t>> padded;
  for (const auto& jpeg : jpegs) {
    padded.push_back(jpeg);
    padded.back().resize(jpeg.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  }
  FrameConverter converter;
  ReferenceYuyv referenceYuyv(width, height);
  ReferenceMjpeg referenceMjpeg(width, height);
  ConvertedFrame out;
  Clock::duration ours{};
  Clock::duration reference{};
  long i = 0;
  for (auto _ : state) {
    const std::size_t n = static_cast<std::size_t>(i % kFrames);
    bool ok = true;
    for (int pass = 0; pass < 2; ++pass) {
      const bool oursNow = (pass == 0) == (i % 2 == 0);
      const auto start = Clock::now();
      if (oursNow) {
        ok = ok && converter.Convert(list[n].data(), list[n].size(), format, width, height, out);
        benchmark::DoNotOptimize(out.pixels);
        ours += Clock::now() - start;
      } else {
        ok = ok && (format == WireFormat::MJPG ? referenceMjpeg.Convert(padded[n], list[n].size())
                                               : referenceYuyv.Convert(list[n]));
        reference += Clock::now() - start;
      }
    }
    if (!ok) {
      state.SkipWithError("conversion failed");
      break;
    }
    ++i;
  }
  if (i > 0) {
    const double oursMs = std::chrono::duration<double, std::milli>(ours).count() / static_cast<double>(i);
    const double referenceMs = std::chrono::duration<double, std::milli>(reference).count() / static_cast<double>(i);
    state.counters["ours_ms"] = oursMs;
    state.counters["ffmpeg_ms"] = referenceMs;
    state.counters["ratio"] = oursMs / referenceMs;
  }
  if (format == WireFormat::MJPG) {
    double bytes = 0;
    for (const auto& jpeg : jpegs) bytes += static_cast<double>(jpeg.size());
    state.counters["jpeg_kB"] = bytes / kFrames / 1024.0;
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 480})->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
}

// MJPEG also at the size of the 4K cameras that send only MJPEG at full rate.
void MjpegSizes(benchmark::internal::Benchmark* b) {
  Sizes(b);
  b->Args({3840, 2160});
}

BENCHMARK_CAPTURE(Compare, Yuyv, WireFormat::YUY2, Frames::Pattern)->Apply(Sizes);
BENCHMARK_CAPTURE(Compare, Mjpeg, WireFormat::MJPG, Frames::Pattern)->Apply(MjpegSizes);
BENCHMARK_CAPTURE(Compare, MjpegCamera, WireFormat::MJPG, Frames::Camera)->Apply(MjpegSizes);

}  // namespace

BENCHMARK_MAIN();
