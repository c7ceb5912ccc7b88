#include "test_pictures.h"

#include <algorithm>
#include <cmath>

#include "platform/graph/ffmpeg_ptr.h"

using platform::AvPtr;

namespace graphtest {
namespace {

int Clamp(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

}  // namespace

Bgr BgrOfVideoYuv(const Yuv& c) {
  const double y = 1.164 * (c.y - 16);
  const double u = c.u - 128;
  const double v = c.v - 128;
  return Bgr{Clamp(y + 2.018 * u), Clamp(y - 0.391 * u - 0.813 * v), Clamp(y + 1.596 * v)};
}

std::vector<std::uint8_t> MakeYuyv(int width, int height, const std::function<Yuv(int, int)>& colour) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; x += 2) {
      const Yuv left = colour(x, y);
      const Yuv right = colour(x + 1, y);
      std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * width + x) * 2];
      p[0] = static_cast<std::uint8_t>(left.y);
      p[1] = static_cast<std::uint8_t>(left.u);
      p[2] = static_cast<std::uint8_t>(right.y);
      p[3] = static_cast<std::uint8_t>(left.v);
    }
  }
  return bytes;
}

std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::function<Bgr(int, int)>& colour) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  if (!codec) return {};
  AvPtr<AVCodecContext> encoder(avcodec_alloc_context3(codec));
  AvPtr<AVFrame> frame(av_frame_alloc());
  AvPtr<AVPacket> packet(av_packet_alloc());
  encoder->width = width;
  encoder->height = height;
  encoder->pix_fmt = AV_PIX_FMT_YUVJ422P;
  encoder->time_base = AVRational{1, 30};
  encoder->flags |= AV_CODEC_FLAG_QSCALE;
  if (avcodec_open2(encoder.get(), codec, nullptr) < 0) return {};
  frame->width = width;
  frame->height = height;
  frame->format = AV_PIX_FMT_YUVJ422P;
  frame->quality = FF_QP2LAMBDA * 2;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return {};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Bgr c = colour(x, y);
      frame->data[0][y * frame->linesize[0] + x] = static_cast<std::uint8_t>(Clamp(0.299 * c.r + 0.587 * c.g + 0.114 * c.b));
      if (x % 2 == 0) {
        frame->data[1][y * frame->linesize[1] + x / 2] =
            static_cast<std::uint8_t>(Clamp(128 - 0.168736 * c.r - 0.331264 * c.g + 0.5 * c.b));
        frame->data[2][y * frame->linesize[2] + x / 2] =
            static_cast<std::uint8_t>(Clamp(128 + 0.5 * c.r - 0.418688 * c.g - 0.081312 * c.b));
      }
    }
  }
  if (avcodec_send_frame(encoder.get(), frame.get()) < 0 || avcodec_receive_packet(encoder.get(), packet.get()) < 0) {
    return {};
  }
  return std::vector<std::uint8_t>(packet->data, packet->data + packet->size);
}

Bgr PixelOfBottomUp(const std::uint8_t* pixels, int width, int height, int x, int y) {
  const std::uint8_t* p = pixels + (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
  return Bgr{p[0], p[1], p[2]};
}

}  // namespace graphtest
