// One recording tick as the recorder runs it: copy the shown picture (bottom-up BGR
// rows), turn it into packed RGB, convert to YUV 4:2:0, encode and write into a file.
// Beside it, the reference: FFmpeg's own bicubic RGB -> YUV 4:2:0 conversion and an
// MPEG-1 encode of the same pictures with the same settings into a memory sink.
#include <benchmark/benchmark.h>

#include <unistd.h>

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

void BM_RecordingTick(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const std::vector<std::vector<std::uint8_t>> dibs = MakeDibs(width, height);
  std::vector<std::uint8_t> shown(dibs[0].size());

  char path[] = "/tmp/writer-bench-XXXXXX.mpeg";
  const int fd = mkstemps(path, 5);
  if (fd < 0) {
    state.SkipWithError("no temporary file");
    return;
  }
  close(fd);
  MpegWriter writer;
  writer.nWidth = width;
  writer.nHeight = height;
  writer.fFrameRate = static_cast<float>(kFramesPerSecond);
  writer.fBitRate = static_cast<float>(kBitRate);
  if (!OpenVideoFile(writer, path)) {
    std::remove(path);
    state.SkipWithError("the file did not open");
    return;
  }
  std::size_t n = 0;
  for (auto _ : state) {
    const std::vector<std::uint8_t>& dib = dibs[n++ % kPictures];
    std::memcpy(shown.data(), dib.data(), dib.size());
    if (!DibToRgb24(writer, shown.data(), width, height, 24) ||
        !WriteVideoFrame(writer.pFormatCtx, writer.pVideoStream, writer)) {
      state.SkipWithError("a frame was not written");
      break;
    }
  }
  CloseVideoFile(writer);
  std::remove(path);
  state.SetItemsProcessed(state.iterations());
}

void BM_ReferenceConvertAndEncode(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  // The same pictures, already packed RGB (top row first).
  std::vector<AVFrame*> rgb;
  bool ready = true;
  for (const std::vector<std::uint8_t>& dib : MakeDibs(width, height)) {
    AVFrame* f = av_frame_alloc();
    rgb.push_back(f);
    if (!f) {
      ready = false;
      break;
    }
    f->format = AV_PIX_FMT_RGB24;
    f->width = width;
    f->height = height;
    ready = ready && av_frame_get_buffer(f, 0) >= 0 &&
            DibRowsToRgb24(dib.data(), width, height, 24, f->data[0], f->linesize[0]);
  }

  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) {
    state.SkipWithError("no encoder");
    for (AVFrame* f : rgb) av_frame_free(&f);
    return;
  }
  c->bit_rate = kBitRate;
  c->width = width;
  c->height = height;
  c->time_base = AVRational{1, kFramesPerSecond};
  c->framerate = AVRational{kFramesPerSecond, 1};
  c->gop_size = 18;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->mb_decision = FF_MB_DECISION_RD;
  SwsContext* sws = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                   nullptr, nullptr, nullptr);
  AVFrame* yuv = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  if (yuv) {
    yuv->format = AV_PIX_FMT_YUV420P;
    yuv->width = width;
    yuv->height = height;
  }
  std::vector<std::uint8_t> sink;
  sink.reserve(64u << 20);

  if (!ready || avcodec_open2(c, codec, nullptr) < 0 || !sws || !yuv || av_frame_get_buffer(yuv, 0) < 0 ||
      !packet) {
    state.SkipWithError("the reference encoder did not open");
  } else {
    std::int64_t n = 0;
    for (auto _ : state) {
      const AVFrame* source = rgb[static_cast<std::size_t>(n % kPictures)];
      if (av_frame_make_writable(yuv) < 0) break;
      sws_scale(sws, source->data, source->linesize, 0, height, yuv->data, yuv->linesize);
      yuv->pts = n++;
      if (avcodec_send_frame(c, yuv) < 0) {
        state.SkipWithError("the reference encoder failed");
        break;
      }
      while (avcodec_receive_packet(c, packet) >= 0) {
        if (sink.size() + static_cast<std::size_t>(packet->size) > sink.capacity()) sink.clear();
        sink.insert(sink.end(), packet->data, packet->data + packet->size);
        av_packet_unref(packet);
      }
    }
  }
  state.SetItemsProcessed(state.iterations());
  av_packet_free(&packet);
  av_frame_free(&yuv);
  sws_freeContext(sws);
  avcodec_free_context(&c);
  for (AVFrame* f : rgb) av_frame_free(&f);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 480})->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_RecordingTick)->Apply(Sizes);
BENCHMARK(BM_ReferenceConvertAndEncode)->Apply(Sizes);

BENCHMARK_MAIN();
