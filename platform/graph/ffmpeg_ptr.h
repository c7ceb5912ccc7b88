// Owning pointers for FFmpeg objects, each freed by its own function.
#pragma once

#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace platform {

struct AvDeleter {
  void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
  void operator()(AVPacket* p) const { av_packet_free(&p); }
  void operator()(AVFrame* p) const { av_frame_free(&p); }
  void operator()(SwsContext* p) const { sws_freeContext(p); }
  void operator()(std::uint8_t* p) const { av_free(p); }
};

template <class T>
using AvPtr = std::unique_ptr<T, AvDeleter>;

}  // namespace platform
