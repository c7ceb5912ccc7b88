// The MPEG writer over libavformat, libavcodec and libswscale (send/receive API).
#include "media/mpeg_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

constexpr int kGroupOfPictures = 18;
constexpr int kMpeg2MaxBFrames = 2;
constexpr AVPixelFormat kEncoderFormat = AV_PIX_FMT_YUV420P;
// Line and plane alignment of the encoder's input pictures, enough for libswscale's
// and the encoder's vector code.
constexpr int kPictureAlign = 64;

// Releases everything the writer holds, without writing anything more into the file,
// and leaves the record closed.
void Release(MpegWriter& w) {
  avcodec_free_context(&w.pCodecCtx);
  av_frame_free(&w.pYuvPicture);
  av_frame_free(&w.pRgbPicture);
  av_buffer_pool_uninit(&w.pYuvPool);
  av_packet_free(&w.pPacket);
  sws_freeContext(w.pSwsCtx);
  w.pSwsCtx = nullptr;
  if (w.pFormatCtx) {
    if (!(w.pFormatCtx->oformat->flags & AVFMT_NOFILE)) avio_closep(&w.pFormatCtx->pb);
    avformat_free_context(w.pFormatCtx);  // frees the stream too
    w.pFormatCtx = nullptr;
  }
  w.pVideoStream = nullptr;
  w.pFormat = nullptr;
  w.nFrameCount = 0;
}

// Undoes a half-made open: releases what was made and removes the output file once it
// was created, since a file without its header is of no use.
class OpenAttempt {
 public:
  explicit OpenAttempt(MpegWriter& writer) : m_writer(writer) {}
  OpenAttempt(const OpenAttempt&) = delete;
  OpenAttempt& operator=(const OpenAttempt&) = delete;
  ~OpenAttempt() {
    if (m_succeeded) return;
    Release(m_writer);
    if (!m_createdFile.empty()) std::remove(m_createdFile.c_str());
  }
  void FileCreated(const char* name) { m_createdFile = name; }
  bool Succeed() {
    m_succeeded = true;
    return true;
  }

 private:
  MpegWriter& m_writer;
  std::string m_createdFile;
  bool m_succeeded = false;
};

bool NeedsGlobalHeader(const AVOutputFormat* format) {
  for (const char* name : {"mp4", "mov", "3gp"}) {
    if (std::strcmp(format->name, name) == 0) return true;
  }
  // Other containers that keep the codec headers out of the packets say so themselves.
  return (format->flags & AVFMT_GLOBALHEADER) != 0;
}

// The container for the file name, by its extension; an MPEG program stream when the
// extension names none.
const AVOutputFormat* ChooseContainer(const char* fileName) {
  const AVOutputFormat* format = av_guess_format(nullptr, fileName, nullptr);
  if (!format) format = av_guess_format("mpeg", nullptr, nullptr);
  return format;
}

// A subsampled format keeps one colour sample per block (2 x 2 pixels in 4:2:0); a
// size that does not divide into whole blocks is refused, not adjusted. The MPEG
// encoders would take it and leave the last column or row without its own colour.
bool FitsSubsampling(AVPixelFormat format, int width, int height) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  if (!d) return false;
  const int columnStep = 1 << d->log2_chroma_w;
  const int rowStep = 1 << d->log2_chroma_h;
  return width % columnStep == 0 && height % rowStep == 0;
}

bool OpenEncoder(MpegWriter& w, const AVOutputFormat* format, int framesPerSecond, std::int64_t bitRate) {
  const AVCodec* codec = avcodec_find_encoder(format->video_codec);
  if (!codec) return false;
  w.pCodecCtx = avcodec_alloc_context3(codec);
  if (!w.pCodecCtx) return false;
  AVCodecContext* c = w.pCodecCtx;
  c->bit_rate = bitRate;
  c->width = w.nWidth;
  c->height = w.nHeight;
  // Frames are numbered consecutively in this time base, so each lasts exactly
  // 1 / frames per second in the file whatever the real time between them.
  c->time_base = AVRational{1, framesPerSecond};
  c->framerate = AVRational{framesPerSecond, 1};
  c->gop_size = kGroupOfPictures;
  c->pix_fmt = kEncoderFormat;
  if (c->codec_id == AV_CODEC_ID_MPEG2VIDEO) c->max_b_frames = kMpeg2MaxBFrames;
  if (c->codec_id == AV_CODEC_ID_MPEG1VIDEO) c->mb_decision = FF_MB_DECISION_RD;
  if (NeedsGlobalHeader(format)) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // Sizes a codec does not allow fail here; they are not adjusted either.
  if (!FitsSubsampling(c->pix_fmt, c->width, c->height)) return false;
  return avcodec_open2(c, codec, nullptr) >= 0;
}

bool MakePictures(MpegWriter& w) {
  w.pRgbPicture = av_frame_alloc();
  if (!w.pRgbPicture) return false;
  w.pRgbPicture->format = AV_PIX_FMT_RGB24;
  w.pRgbPicture->width = w.nWidth;
  w.pRgbPicture->height = w.nHeight;
  if (av_frame_get_buffer(w.pRgbPicture, 0) < 0) return false;

  const AVPixelFormat format = w.pCodecCtx->pix_fmt;
  const int size = av_image_get_buffer_size(format, w.nWidth, w.nHeight, kPictureAlign);
  if (size <= 0) return false;
  // The encoder keeps a reference to pictures it holds back; a pool hands out a free
  // buffer then and takes buffers back when the encoder lets go of them.
  w.pYuvPool = av_buffer_pool_init(static_cast<std::size_t>(size), nullptr);
  w.pYuvPicture = av_frame_alloc();
  if (!w.pYuvPool || !w.pYuvPicture) return false;
  w.pYuvPicture->format = format;
  w.pYuvPicture->width = w.nWidth;
  w.pYuvPicture->height = w.nHeight;

  w.pPacket = av_packet_alloc();
  w.pSwsCtx = sws_getContext(w.nWidth, w.nHeight, AV_PIX_FMT_RGB24, w.nWidth, w.nHeight, format, SWS_BICUBIC,
                             nullptr, nullptr, nullptr);
  return w.pPacket && w.pSwsCtx;
}

// Points pYuvPicture at pixels nobody else holds: its own buffer when the encoder has
// let go of it, another one from the pool otherwise.
bool TakeWritableYuvBuffer(MpegWriter& w) {
  AVFrame* f = w.pYuvPicture;
  if (f->buf[0] && av_frame_is_writable(f)) return true;
  av_buffer_unref(&f->buf[0]);
  f->buf[0] = av_buffer_pool_get(w.pYuvPool);
  if (!f->buf[0]) return false;
  return av_image_fill_arrays(f->data, f->linesize, f->buf[0]->data, static_cast<AVPixelFormat>(f->format), f->width,
                              f->height, kPictureAlign) >= 0;
}

// Writes every packet the encoder has ready. Packets after a failed write are still
// taken from the encoder, so it never stalls on a full queue.
bool WriteReadyPackets(AVFormatContext* context, AVStream* stream, MpegWriter& w) {
  bool ok = true;
  for (;;) {
    const int r = avcodec_receive_packet(w.pCodecCtx, w.pPacket);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return ok;
    if (r < 0) return false;
    av_packet_rescale_ts(w.pPacket, w.pCodecCtx->time_base, stream->time_base);
    w.pPacket->stream_index = stream->index;
    if (av_interleaved_write_frame(context, w.pPacket) < 0) ok = false;
    av_packet_unref(w.pPacket);
  }
}

}  // namespace

MpegWriter::~MpegWriter() { CloseVideoFile(*this); }

bool IsVideoFileOpen(const MpegWriter& writer) { return writer.pFormatCtx != nullptr; }

bool OpenVideoFile(MpegWriter& w, const char* fileName) {
  // An open writer keeps its file; the caller closes it first.
  if (IsVideoFileOpen(w)) return false;
  if (!fileName || fileName[0] == '\0' || strnlen(fileName, kMpegMaxFileName + 1) > kMpegMaxFileName) return false;
  if (w.nTarget != kMpegTargetFromFileName || w.nWidth <= 0 || w.nHeight <= 0) return false;
  // Frame rate and bit rate are truncated; out of range (or not a number) is refused
  // rather than wrapped.
  if (!(w.fFrameRate >= 1.0f && w.fFrameRate < 1.0e6f)) return false;
  if (!(w.fBitRate >= 0.0f && w.fBitRate < 1.0e12f)) return false;
  const int framesPerSecond = static_cast<int>(w.fFrameRate);
  const auto bitRate = static_cast<std::int64_t>(w.fBitRate);

  OpenAttempt attempt(w);
  w.pFormat = ChooseContainer(fileName);
  // A recording without a video stream would be an empty file.
  if (!w.pFormat || w.pFormat->video_codec == AV_CODEC_ID_NONE) return false;
  if (avformat_alloc_output_context2(&w.pFormatCtx, w.pFormat, nullptr, fileName) < 0 || !w.pFormatCtx) return false;
  // Only local files: a name is never read as a network or pipe address, also by
  // containers that open their files themselves.
  w.pFormatCtx->protocol_whitelist = av_strdup("file");
  if (!w.pFormatCtx->protocol_whitelist) return false;

  w.pVideoStream = avformat_new_stream(w.pFormatCtx, nullptr);
  if (!w.pVideoStream) return false;
  w.pVideoStream->id = 0;
  if (!OpenEncoder(w, w.pFormat, framesPerSecond, bitRate)) return false;
  if (avcodec_parameters_from_context(w.pVideoStream->codecpar, w.pCodecCtx) < 0) return false;
  w.pVideoStream->time_base = w.pCodecCtx->time_base;
  w.pVideoStream->avg_frame_rate = w.pCodecCtx->framerate;
  if (!MakePictures(w)) return false;

  if (!(w.pFormat->flags & AVFMT_NOFILE)) {
    // The explicit file protocol takes the name literally, colons included.
    const std::string url = std::string("file:") + fileName;
    if (avio_open2(&w.pFormatCtx->pb, url.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr) < 0) return false;
    attempt.FileCreated(fileName);
  }
  if (avformat_write_header(w.pFormatCtx, nullptr) < 0) return false;
  return attempt.Succeed();
}

bool DibToRgb24(MpegWriter& w, const std::uint8_t* bits, int width, int height, int bitsPerPixel) {
  const AVFrame* rgb = w.pRgbPicture;
  if (!rgb || width != rgb->width || height != rgb->height) return false;
  return DibRowsToRgb24(bits, width, height, bitsPerPixel, rgb->data[0], rgb->linesize[0]);
}

bool WriteVideoFrame(AVFormatContext* context, AVStream* stream, MpegWriter& w) {
  if (!context || !stream) return false;
  if (!w.pCodecCtx || !w.pSwsCtx || !w.pRgbPicture || !w.pYuvPicture || !w.pPacket) return false;
  if (!TakeWritableYuvBuffer(w)) return false;
  const AVFrame* rgb = w.pRgbPicture;
  AVFrame* yuv = w.pYuvPicture;
  if (sws_scale(w.pSwsCtx, rgb->data, rgb->linesize, 0, rgb->height, yuv->data, yuv->linesize) != yuv->height) {
    return false;
  }
  yuv->pts = w.nFrameCount;
  if (avcodec_send_frame(w.pCodecCtx, yuv) < 0) return false;
  ++w.nFrameCount;
  return WriteReadyPackets(context, stream, w);
}

bool CloseVideoFile(MpegWriter& w) {
  if (!IsVideoFileOpen(w)) {
    Release(w);
    return true;
  }
  bool ok = true;
  // Frames the encoder still holds back (its reordering delay, B-frames) go into the
  // file before the trailer.
  if (w.pCodecCtx && w.pVideoStream) {
    ok = avcodec_send_frame(w.pCodecCtx, nullptr) >= 0 && WriteReadyPackets(w.pFormatCtx, w.pVideoStream, w);
  }
  if (av_write_trailer(w.pFormatCtx) < 0) ok = false;
  if (!(w.pFormatCtx->oformat->flags & AVFMT_NOFILE) && avio_closep(&w.pFormatCtx->pb) < 0) ok = false;
  Release(w);
  return ok;
}
