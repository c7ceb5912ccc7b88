#include "support/mpeg_readback.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <memory>

namespace mpegtest {
namespace {

struct Closer {
  void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
  void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
  void operator()(AVFrame* p) const { av_frame_free(&p); }
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
template <class T>
using Owned = std::unique_ptr<T, Closer>;

void KeepPlane(const AVFrame* f, int plane, int width, int height, std::vector<std::uint8_t>& out) {
  out.resize(static_cast<std::size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* source = f->data[plane] + static_cast<std::ptrdiff_t>(row) * f->linesize[plane];
    std::copy(source, source + width, out.begin() + static_cast<std::ptrdiff_t>(row) * width);
  }
}

// Takes every frame the decoder has ready; false on a decoding error.
bool TakeFrames(AVCodecContext* decoder, AVFrame* frame, int keepFrame, DecodedVideo& v) {
  for (;;) {
    const int r = avcodec_receive_frame(decoder, frame);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    if (frame->pict_type == AV_PICTURE_TYPE_B) ++v.bFrames;
    if (v.frames == keepFrame) {
      KeepPlane(frame, 0, frame->width, frame->height, v.y);
      KeepPlane(frame, 1, frame->width / 2, frame->height / 2, v.u);
      KeepPlane(frame, 2, frame->width / 2, frame->height / 2, v.v);
    }
    ++v.frames;
    av_frame_unref(frame);
  }
}

}  // namespace

DecodedVideo DecodeVideoFile(const std::string& path, int keepFrame) {
  DecodedVideo v;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return v;
  Owned<AVFormatContext> input(raw);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return v;
  v.container = input->iformat->name;
  v.streams = static_cast<int>(input->nb_streams);
  const AVStream* stream = nullptr;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (input->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
    ++v.videoStreams;
    if (!stream) stream = input->streams[i];
  }
  if (!stream) return v;
  v.codec = stream->codecpar->codec_id;
  v.frameRate = stream->r_frame_rate;
  v.timeBase = stream->time_base;
  v.width = stream->codecpar->width;
  v.height = stream->codecpar->height;

  const AVCodec* codec = avcodec_find_decoder(v.codec);
  if (!codec) return v;
  Owned<AVCodecContext> decoder(avcodec_alloc_context3(codec));
  Owned<AVFrame> frame(av_frame_alloc());
  Owned<AVPacket> packet(av_packet_alloc());
  if (!decoder || !frame || !packet) return v;
  if (avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) return v;
  decoder->pkt_timebase = stream->time_base;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return v;

  while (av_read_frame(input.get(), packet.get()) >= 0) {
    const bool ours = packet->stream_index == stream->index;
    if (ours) v.packetTimes.push_back(packet->dts);
    const int sent = ours ? avcodec_send_packet(decoder.get(), packet.get()) : 0;
    av_packet_unref(packet.get());
    if (sent < 0 || !TakeFrames(decoder.get(), frame.get(), keepFrame, v)) return v;
  }
  if (avcodec_send_packet(decoder.get(), nullptr) < 0) return v;
  v.ok = TakeFrames(decoder.get(), frame.get(), keepFrame, v);
  return v;
}

double PlaneMean(const std::vector<std::uint8_t>& plane, int planeWidth, int x0, int y0, int x1, int y1) {
  double sum = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) sum += plane[static_cast<std::size_t>(y) * planeWidth + x];
  }
  const int count = (x1 - x0) * (y1 - y0);
  return count > 0 ? sum / count : 0;
}

}  // namespace mpegtest
