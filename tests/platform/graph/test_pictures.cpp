#include "test_pictures.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jpeglib.h>  // after <cstdio>: it uses FILE
}

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

std::vector<std::uint8_t> PackedBgr(int width, int height, const std::function<Bgr(int, int)>& colour) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Bgr c = colour(x, y);
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(std::clamp(c.b, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(c.r, 0, 255));
    }
  }
  return bgr;
}

std::vector<std::uint8_t> MakeCameraJpeg(int width, int height, const std::function<Bgr(int, int)>& colour,
                                         Subsampling subsampling, int quality) {
  const std::vector<std::uint8_t> bgr = PackedBgr(width, height, colour);
  tjhandle handle = tjInitCompress();
  if (!handle) return {};
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> out;
  const int sampling = subsampling == Subsampling::S444   ? TJSAMP_444
                       : subsampling == Subsampling::S422 ? TJSAMP_422
                                                          : TJSAMP_420;
  if (tjCompress2(handle, bgr.data(), width, 0, height, TJPF_BGR, &jpeg, &size, sampling, quality, 0) == 0) {
    out.assign(jpeg, jpeg + size);
  }
  tjFree(jpeg);
  tjDestroy(handle);
  return out;
}

std::vector<std::uint8_t> MakeCameraJpegWithRestarts(int width, int height, const std::function<Bgr(int, int)>& colour,
                                                     Subsampling subsampling, int quality, int restartInterval) {
  std::vector<std::uint8_t> bgr = PackedBgr(width, height, colour);
  jpeg_compress_struct compress{};
  jpeg_error_mgr errors{};
  compress.err = jpeg_std_error(&errors);
  // The default error handler ends the process; every input here is valid.
  jpeg_create_compress(&compress);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compress, &buffer, &size);
  compress.image_width = static_cast<JDIMENSION>(width);
  compress.image_height = static_cast<JDIMENSION>(height);
  compress.input_components = 3;
  compress.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&compress);
  jpeg_set_quality(&compress, quality, TRUE);
  compress.comp_info[0].h_samp_factor = subsampling == Subsampling::S444 ? 1 : 2;
  compress.comp_info[0].v_samp_factor = subsampling == Subsampling::S420 ? 2 : 1;
  compress.restart_interval = static_cast<unsigned>(restartInterval);
  jpeg_start_compress(&compress, TRUE);
  while (compress.next_scanline < compress.image_height) {
    JSAMPROW row = &bgr[static_cast<std::size_t>(compress.next_scanline) * width * 3];
    jpeg_write_scanlines(&compress, &row, 1);
  }
  jpeg_finish_compress(&compress);
  jpeg_destroy_compress(&compress);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<std::uint8_t> WithoutHuffmanTables(const std::vector<std::uint8_t>& jpeg) {
  // Marker segments up to the start of scan: FF xx, then a two-byte length that counts itself.
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  std::size_t i = 2;
  while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
    const int marker = jpeg[i + 1];
    const std::size_t length = (static_cast<std::size_t>(jpeg[i + 2]) << 8) | jpeg[i + 3];
    if (marker == 0xDA) {
      out.insert(out.end(), jpeg.begin() + static_cast<long>(i), jpeg.end());
      return out;
    }
    if (marker != 0xC4) {
      out.insert(out.end(), jpeg.begin() + static_cast<long>(i), jpeg.begin() + static_cast<long>(i + 2 + length));
    }
    i += 2 + length;
  }
  return {};
}

std::function<Bgr(int, int)> CameraScene(int width, int height, unsigned seed) {
  return [=](int x, int y) {
    const double u = (x + 0.5) / width - 0.5;
    const double v = (y + 0.5) / height - 0.5;
    const double light = 1.0 - 0.9 * (u * u + v * v);
    // A warm background, a blue-green object and a red one, their edges a few pixels soft.
    double r = 170 * light, g = 140 * light, b = 110 * light;
    auto blend = [&](double cx, double cy, double radius, double rr, double gg, double bb) {
      const double d = std::hypot(u - cx, (v - cy) * height / width) * width;
      const double inside = std::clamp((radius * width - d) / 6.0 + 0.5, 0.0, 1.0);
      r += inside * (rr * light - r);
      g += inside * (gg * light - g);
      b += inside * (bb * light - b);
    };
    blend(-0.2 + 0.01 * (seed % 7), 0.05, 0.18, 40, 150, 200);
    blend(0.22, -0.1, 0.12, 210, 50, 60);
    // Brightness detail: fine lines in one corner, sensor noise everywhere.
    double detail = (u > 0.2 && v > 0.2 && (x / 2 + y / 3) % 4 == 0) ? 40 : 0;
    unsigned h = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u ^ seed * 83492791u;
    h = (h ^ (h >> 13)) * 0x5bd1e995u;
    detail += static_cast<double>((h >> 24) % 13) - 6.0;
    return Bgr{Clamp(b + detail), Clamp(g + detail), Clamp(r + detail)};
  };
}

std::vector<std::uint8_t> FfmpegBgrBottomUp(const std::vector<std::uint8_t>& jpeg, int& width, int& height) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
  if (!codec) return {};
  AvPtr<AVCodecContext> decoder(avcodec_alloc_context3(codec));
  AvPtr<AVPacket> packet(av_packet_alloc());
  AvPtr<AVFrame> frame(av_frame_alloc());
  if (!decoder || !packet || !frame) return {};
  // The JPEG reference's integer transform, the one libjpeg's accurate transform is
  // made after; FFmpeg's default transform rounds a level apart ten times as often.
  decoder->idct_algo = FF_IDCT_INT;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return {};
  if (av_new_packet(packet.get(), static_cast<int>(jpeg.size())) < 0) return {};
  std::copy(jpeg.begin(), jpeg.end(), packet->data);
  if (avcodec_send_packet(decoder.get(), packet.get()) < 0 || avcodec_receive_frame(decoder.get(), frame.get()) < 0) {
    return {};
  }
  width = frame->width;
  height = frame->height;
  int chromaShiftY = 0;
  if (frame->format == AV_PIX_FMT_YUVJ420P) {
    chromaShiftY = 1;
  } else if (frame->format != AV_PIX_FMT_YUVJ422P) {
    return {};
  }
  // Full-range BT.601, as JFIF defines it; each chroma sample covers the pixels it was
  // taken from (libswscale's unscaled route does the same).
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* luma = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
    const std::uint8_t* cb = frame->data[1] + static_cast<std::ptrdiff_t>(y >> chromaShiftY) * frame->linesize[1];
    const std::uint8_t* cr = frame->data[2] + static_cast<std::ptrdiff_t>(y >> chromaShiftY) * frame->linesize[2];
    std::uint8_t* out = &bgr[static_cast<std::size_t>(height - 1 - y) * width * 3];
    for (int x = 0; x < width; ++x) {
      const double l = luma[x];
      const double u = cb[x / 2] - 128.0;
      const double v = cr[x / 2] - 128.0;
      out[x * 3] = static_cast<std::uint8_t>(Clamp(l + 1.772 * u));
      out[x * 3 + 1] = static_cast<std::uint8_t>(Clamp(l - 0.344136 * u - 0.714136 * v));
      out[x * 3 + 2] = static_cast<std::uint8_t>(Clamp(l + 1.402 * v));
    }
  }
  return bgr;
}

Bgr PixelOfBottomUp(const std::uint8_t* pixels, int width, int height, int x, int y) {
  const std::uint8_t* p = pixels + (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
  return Bgr{p[0], p[1], p[2]};
}

}  // namespace graphtest
