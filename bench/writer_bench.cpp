// One recording tick as the recorder runs it: copy the shown picture (bottom-up BGR
// rows), turn it into packed RGB, convert to YUV 4:2:0, encode and write into a file.
// Beside it, in the same run, the reference: FFmpeg's own bicubic RGB -> YUV 4:2:0
// conversion and an MPEG-1 encode of the same pictures with the same settings into a
// memory sink. The "ratio" counter is ours over the reference's.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/mpeg_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kPictures = 8;  // distinct pictures cycled through, so the encoder sees motion
constexpr int kFramesPerSecond = 24;
constexpr std::int64_t kBitRate = 6000000;

// Bottom-up 24-bit pictures with texture that moves from one picture to the next.
std::vector<std::vector<std::uint8_t>> MakeDibs(int width, int height) {
  const int stride = (24 * width + 31) / 32 * 4;
  std::vector<std::vector<std::uint8_t>> dibs(kPictures);
  for (int n = 0; n < kPictures; ++n) {
    dibs[n].assign(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = dibs[n].data() + static_cast<std::size_t>(y) * stride;
      for (int x = 0; x < width; ++x) {
        const int u = x + 5 * n;
        const int v = y + 3 * n;
        row[3 * x + 0] = static_cast<std::uint8_t>((u * 7) ^ (v * 3));
        row[3 * x + 1] = static_cast<std::uint8_t>(((u / 16 + v / 16) & 1) ? 200 : 60);
        row[3 * x + 2] = static_cast<std::uint8_t>(u + v);
      }
    }
  }
  return dibs;
}

// One recording tick as the recorder runs it, into a file.
class RecorderTick {
 public:
  RecorderTick(int width, int height, const std::vector<std::vector<std::uint8_t>>& dibs)
      : m_width(width), m_height(height), m_dibs(dibs), m_shown(dibs[0].size()) {
    const int fd = mkstemps(m_path, 5);
    if (fd < 0) return;
    close(fd);
    m_writer.nWidth = width;
    m_writer.nHeight = height;
    m_writer.fFrameRate = static_cast<float>(kFramesPerSecond);
    m_writer.fBitRate = static_cast<float>(kBitRate);
    m_ready = OpenVideoFile(m_writer, m_path);
  }
  ~RecorderTick() {
    CloseVideoFile(m_writer);
    std::remove(m_path);
  }
  bool Ready() const { return m_ready; }
  // Copies the shown picture (as the recorder holds it), converts, encodes and writes.
  bool Tick(std::size_t n) {
    const std::vector<std::uint8_t>& dib = m_dibs[n % kPictures];
    std::memcpy(m_shown.data(), dib.data(), dib.size());
    return DibToRgb24(m_writer, m_shown.data(), m_width, m_height, 24) &&
           WriteVideoFrame(m_writer.pFormatCtx, m_writer.pVideoStream, m_writer);
  }

 private:
  int m_width, m_height;
  const std::vector<std::vector<std::uint8_t>>& m_dibs;
  std::vector<std::uint8_t> m_shown;
  char m_path[32] = "/tmp/writer-bench-XXXXXX.mpeg";
  MpegWriter m_writer;
  bool m_ready = false;
};

// FFmpeg's own route on the same pictures, already packed RGB: bicubic conversion to
// YUV 4:2:0 and an MPEG-1 encode with the same settings into a memory sink.
class ReferenceTick {
 public:
  ReferenceTick(int width, int height, const std::vector<std::vector<std::uint8_t>>& dibs) : m_height(height) {
    bool ready = true;
    for (const std::vector<std::uint8_t>& dib : dibs) {
      AVFrame* f = av_frame_alloc();
      if (!f) return;
      m_rgb.push_back(f);
      f->format = AV_PIX_FMT_RGB24;
      f->width = width;
      f->height = height;
      ready = ready && av_frame_get_buffer(f, 0) >= 0 &&
              DibRowsToRgb24(dib.data(), width, height, 24, f->data[0], f->linesize[0]);
    }
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec) return;
    m_codec->bit_rate = kBitRate;
    m_codec->width = width;
    m_codec->height = height;
    m_codec->time_base = AVRational{1, kFramesPerSecond};
    m_codec->framerate = AVRational{kFramesPerSecond, 1};
    m_codec->gop_size = 18;
    m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
    m_codec->mb_decision = FF_MB_DECISION_RD;
    m_sws = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                           nullptr, nullptr);
    m_yuv = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_yuv || !m_packet || !m_sws) return;
    m_yuv->format = AV_PIX_FMT_YUV420P;
    m_yuv->width = width;
    m_yuv->height = height;
    m_sink.reserve(64u << 20);
    m_ready = ready && avcodec_open2(m_codec, codec, nullptr) >= 0 && av_frame_get_buffer(m_yuv, 0) >= 0;
  }
  ~ReferenceTick() {
    av_packet_free(&m_packet);
    av_frame_free(&m_yuv);
    sws_freeContext(m_sws);
    avcodec_free_context(&m_codec);
    for (AVFrame* f : m_rgb) av_frame_free(&f);
  }
  bool Ready() const { return m_ready; }
  bool Tick(std::size_t n) {
    const AVFrame* source = m_rgb[n % kPictures];
    if (av_frame_make_writable(m_yuv) < 0) return false;
    sws_scale(m_sws, source->data, source->linesize, 0, m_height, m_yuv->data, m_yuv->linesize);
    m_yuv->pts = static_cast<std::int64_t>(n);
    if (avcodec_send_frame(m_codec, m_yuv) < 0) return false;
    while (avcodec_receive_packet(m_codec, m_packet) >= 0) {
      if (m_sink.size() + static_cast<std::size_t>(m_packet->size) > m_sink.capacity()) m_sink.clear();
      m_sink.insert(m_sink.end(), m_packet->data, m_packet->data + m_packet->size);
      av_packet_unref(m_packet);
    }
    return true;
  }

 private:
  int m_height;
  std::vector<AVFrame*> m_rgb;
  AVCodecContext* m_codec = nullptr;
  SwsContext* m_sws = nullptr;
  AVFrame* m_yuv = nullptr;
  AVPacket* m_packet = nullptr;
  std::vector<std::uint8_t> m_sink;
  bool m_ready = false;
};

using Clock = std::chrono::steady_clock;

// Each iteration runs one tick of each, in alternating order, so that the machine's load
// and the caches treat both alike. Counters: ours_ms, ffmpeg_ms and their ratio (target:
// at most 1.15).
void RecordingTick(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const std::vector<std::vector<std::uint8_t>> dibs = MakeDibs(width, height);
  RecorderTick ours(width, height, dibs);
  ReferenceTick reference(width, height, dibs);
  if (!ours.Ready() || !reference.Ready()) {
    state.SkipWithError("an encoder did not open");
    return;
  }
  Clock::duration oursTime{}, referenceTime{};
  std::size_t n = 0;
  for (auto _ : state) {
    bool ok = true;
    for (int pass = 0; pass < 2; ++pass) {
      const auto start = Clock::now();
      if ((pass == 0) == (n % 2 == 0)) {
        ok = ok && ours.Tick(n);
        oursTime += Clock::now() - start;
      } else {
        ok = ok && reference.Tick(n);
        referenceTime += Clock::now() - start;
      }
    }
    if (!ok) {
      state.SkipWithError("a picture was not encoded");
      break;
    }
    ++n;
  }
  if (n > 0) {
    const double oursMs = std::chrono::duration<double, std::milli>(oursTime).count() / static_cast<double>(n);
    const double referenceMs = std::chrono::duration<double, std::milli>(referenceTime).count() / static_cast<double>(n);
    state.counters["ours_ms"] = oursMs;
    state.counters["ffmpeg_ms"] = referenceMs;
    state.counters["ratio"] = oursMs / referenceMs;
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 480})->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(RecordingTick)->Apply(Sizes);

BENCHMARK_MAIN();
