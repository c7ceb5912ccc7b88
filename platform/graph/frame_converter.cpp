#include "platform/graph/frame_converter.h"

#include <cstring>

extern "C" {
#include <libavutil/common.h>
#include <libavutil/pixdesc.h>
}

namespace platform {
namespace {

// Larger frames than this are refused before any size arithmetic.
constexpr int kMaxDimension = 16384;
// Alignment of the planar buffer's rows, for libswscale's vector code.
constexpr int kPlaneAlign = 64;
// libswscale's vector code may write a little past the last byte of a row.
constexpr std::size_t kOutputSlack = 64;

// Conversion flags for a frame width. libswscale's fast planar-to-RGB path works in
// groups of 8 pixels and leaves the last pixels of a row unwritten (or writes them
// past the row) when the width is no multiple of 8; exact rounding takes its
// general path, which writes every row exactly.
int FlagsFor(int width) { return width % 8 == 0 ? SWS_BILINEAR : SWS_BILINEAR | SWS_ACCURATE_RND; }

bool ValidSize(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension;
}

// A JPEG starts with its start-of-image marker and ends with its end-of-image
// marker, which some cameras follow with zero padding. A frame cut short lacks
// the end marker; the decoder would conceal the missing part instead of failing.
bool IsCompleteJpeg(const std::uint8_t* data, std::size_t& size) {
  std::size_t end = size;
  while (end > 0 && data[end - 1] == 0x00) --end;
  if (end < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[end - 2] != 0xFF || data[end - 1] != 0xD9) return false;
  size = end;
  return true;
}

// The JPEG pixel formats are the plain planar ones at full range.
AVPixelFormat WithoutJpegRange(AVPixelFormat format, bool& fullRange) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      fullRange = true;
      return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
      fullRange = true;
      return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
      fullRange = true;
      return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
      fullRange = true;
      return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
      fullRange = true;
      return AV_PIX_FMT_YUV411P;
    default:
      return format;
  }
}

// The planes of a picture read from its last row up: each plane starts at its last
// row and steps back by its stride. Converting such a source into a top-down
// output stores the picture bottom row first.
bool BottomUp(AVPixelFormat format, const std::uint8_t* const planes[], const int strides[], int height,
              const std::uint8_t* flipped[4], int flippedStrides[4]) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  const int planeCount = av_pix_fmt_count_planes(format);
  if (!desc || planeCount <= 0 || planeCount > 4) return false;
  for (int i = 0; i < 4; ++i) {
    flipped[i] = nullptr;
    flippedStrides[i] = 0;
  }
  for (int i = 0; i < planeCount; ++i) {
    const bool chroma = i == 1 || i == 2;
    const int rows = chroma ? AV_CEIL_RSHIFT(height, desc->log2_chroma_h) : height;
    flipped[i] = planes[i] + static_cast<std::ptrdiff_t>(rows - 1) * strides[i];
    flippedStrides[i] = -strides[i];
  }
  return true;
}

}  // namespace

FrameConverter::FrameConverter() = default;
FrameConverter::~FrameConverter() = default;

bool FrameConverter::Convert(const std::uint8_t* data, std::size_t size, WireFormat format, int width, int height,
                             ConvertedFrame& out) {
  out = ConvertedFrame{};
  if (!data || size == 0) return false;
  return format == WireFormat::MJPG ? ConvertMjpeg(data, size, out) : ConvertYuyv(data, size, width, height, out);
}

bool FrameConverter::ConvertYuyv(const std::uint8_t* data, std::size_t size, int width, int height,
                                 ConvertedFrame& out) {
  if (!ValidSize(width, height)) return false;
  if (size != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2) return false;

  if (!m_planar || m_planarWidth != width || m_planarHeight != height) {
    m_planar.reset();
    // Rows padded past their width by a whole alignment unit, so that a vector
    // tail written past a row's end stays in that row's padding (the planar
    // picture is written upwards, see below).
    const int lumaStride = FFALIGN(width, kPlaneAlign) + kPlaneAlign;
    const int chromaStride = FFALIGN((width + 1) / 2, kPlaneAlign) + kPlaneAlign;
    const std::size_t rows = static_cast<std::size_t>(height);
    const std::size_t bytes = rows * static_cast<std::size_t>(lumaStride + 2 * chromaStride);
    m_planar.reset(static_cast<std::uint8_t*>(av_malloc(bytes)));
    if (!m_planar) return false;
    m_planes[0] = m_planar.get();
    m_planes[1] = m_planes[0] + rows * static_cast<std::size_t>(lumaStride);
    m_planes[2] = m_planes[1] + rows * static_cast<std::size_t>(chromaStride);
    m_planes[3] = nullptr;
    m_planeStrides[0] = lumaStride;
    m_planeStrides[1] = chromaStride;
    m_planeStrides[2] = chromaStride;
    m_planeStrides[3] = 0;
    m_planarWidth = width;
    m_planarHeight = height;
  }

  SwsContext* toPlanar =
      m_yuyvToPlanar.Get(width, height, AV_PIX_FMT_YUYV422, false, AV_PIX_FMT_YUV422P, SWS_BILINEAR);
  SwsContext* toBgr =
      m_planarToBgr.Get(width, height, AV_PIX_FMT_YUV422P, false, AV_PIX_FMT_BGR24, FlagsFor(width));
  if (!toPlanar || !toBgr) return false;

  // The flip happens in the first pass, which writes the planar picture upwards
  // (into padded rows). Both passes read their source straight through memory:
  // reading the camera's frame upwards, row by row against the prefetcher, costs a
  // quarter more time.
  const std::uint8_t* const packed[4] = {data, nullptr, nullptr, nullptr};
  const int packedStrides[4] = {width * 2, 0, 0, 0};
  std::uint8_t* upwards[4] = {};
  int upwardsStrides[4] = {};
  for (int i = 0; i < 3; ++i) {
    upwards[i] = m_planes[i] + static_cast<std::ptrdiff_t>(height - 1) * m_planeStrides[i];
    upwardsStrides[i] = -m_planeStrides[i];
  }
  if (sws_scale(toPlanar, packed, packedStrides, 0, height, upwards, upwardsStrides) != height) return false;
  return ScaleToOutput(toBgr, m_planes, m_planeStrides, width, height, out);
}

bool FrameConverter::ConvertMjpeg(const std::uint8_t* data, std::size_t size, ConvertedFrame& out) {
  if (!IsCompleteJpeg(data, size)) return false;
  if (!EnsureDecoder() || !FillPacket(data, size) || !Decode()) return false;

  AVFrame* frame = m_frame.get();
  bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat format = WithoutJpegRange(static_cast<AVPixelFormat>(frame->format), fullRange);
  SwsContext* toBgr = ValidSize(frame->width, frame->height)
                          ? m_decodedToBgr.Get(frame->width, frame->height, format, fullRange, AV_PIX_FMT_BGR24,
                                               FlagsFor(frame->width))
                          : nullptr;
  const std::uint8_t* flipped[4];
  int flippedStrides[4];
  const bool ok = toBgr && BottomUp(format, frame->data, frame->linesize, frame->height, flipped, flippedStrides) &&
                  ScaleToOutput(toBgr, flipped, flippedStrides, frame->width, frame->height, out);
  av_frame_unref(frame);
  return ok;
}

bool FrameConverter::EnsureDecoder() {
  if (m_decoder) return true;
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
  if (!codec) return false;
  AvPtr<AVCodecContext> decoder(avcodec_alloc_context3(codec));
  AvPtr<AVPacket> packet(av_packet_alloc());
  AvPtr<AVFrame> frame(av_frame_alloc());
  if (!decoder || !packet || !frame) return false;
  // Fail on damage instead of concealing it: a damaged frame is dropped.
  decoder->err_recognition = AV_EF_EXPLODE;
  // One frame in, the same frame out: no frame threading delay.
  decoder->thread_count = 1;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return false;
  m_decoder = std::move(decoder);
  m_packet = std::move(packet);
  m_frame = std::move(frame);
  return true;
}

bool FrameConverter::FillPacket(const std::uint8_t* data, std::size_t size) {
  if (size > static_cast<std::size_t>(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) return false;
  const int bytes = static_cast<int>(size);
  AVPacket* packet = m_packet.get();
  // The packet keeps its buffer from frame to frame. It is replaced only when it is
  // too small or the decoder still holds a reference to it.
  const bool reusable = packet->buf && av_buffer_is_writable(packet->buf) &&
                        packet->buf->size >= static_cast<std::size_t>(bytes) + AV_INPUT_BUFFER_PADDING_SIZE;
  if (!reusable) {
    av_packet_unref(packet);
    // Room for somewhat larger frames than this one: JPEG sizes vary with content.
    const int capacity = bytes + bytes / 2 < INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE ? bytes + bytes / 2 : bytes;
    if (av_new_packet(packet, capacity) < 0) return false;
  }
  std::memcpy(packet->buf->data, data, size);
  std::memset(packet->buf->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  packet->data = packet->buf->data;
  packet->size = bytes;
  packet->flags = AV_PKT_FLAG_KEY;
  return true;
}

bool FrameConverter::Decode() {
  AVCodecContext* decoder = m_decoder.get();
  AVFrame* frame = m_frame.get();
  if (avcodec_send_packet(decoder, m_packet.get()) < 0 || avcodec_receive_frame(decoder, frame) < 0) {
    // Nothing of the damaged frame may linger into the next one.
    avcodec_flush_buffers(decoder);
    return false;
  }
  if ((frame->flags & AV_FRAME_FLAG_CORRUPT) || frame->decode_error_flags != 0 || !frame->data[0]) {
    av_frame_unref(frame);
    return false;
  }
  return true;
}

bool FrameConverter::EnsureOutput(int width, int height) {
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (m_output && m_outputSize == size) return true;
  m_output.reset(static_cast<std::uint8_t*>(av_malloc(size + kOutputSlack)));
  m_outputSize = m_output ? size : 0;
  return m_output != nullptr;
}

bool FrameConverter::ScaleToOutput(SwsContext* context, const std::uint8_t* const planes[], const int strides[],
                                   int width, int height, ConvertedFrame& out) {
  if (!EnsureOutput(width, height)) return false;
  // The output is written top down: written upwards (last row first, negative
  // stride), a row's vector tail would land on the row written just before it.
  std::uint8_t* const destination[4] = {m_output.get(), nullptr, nullptr, nullptr};
  const int destinationStrides[4] = {width * 3, 0, 0, 0};
  if (sws_scale(context, planes, strides, 0, height, destination, destinationStrides) != height) return false;
  out.pixels = m_output.get();
  out.width = width;
  out.height = height;
  return true;
}

}  // namespace platform
