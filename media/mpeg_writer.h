// The MPEG writer: one video stream of pictures into a file, through libavformat,
// libavcodec and libswscale. A plain record and four free functions; the recorder
// fills the settings, opens the file on the first camera frame, then copies and writes
// one picture per tick and finally closes the file.
//
// The writer has no lock: its caller serialises every call on one writer.
#pragma once

#include <cstddef>
#include <cstdint>

struct AVBufferPool;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVOutputFormat;
struct AVPacket;
struct AVStream;
struct SwsContext;

// nTarget value that chooses the container from the output file name (by its
// extension; an unknown extension gives an MPEG program stream).
inline constexpr int kMpegTargetFromFileName = 7;

// Longest output file name accepted, in bytes.
inline constexpr int kMpegMaxFileName = 1023;

struct MpegWriter {
  MpegWriter() = default;
  // A file still open is finished, so leaving the owner never loses a recording.
  ~MpegWriter();
  MpegWriter(const MpegWriter&) = delete;
  MpegWriter& operator=(const MpegWriter&) = delete;

  // Settings, filled by the caller before OpenVideoFile.
  int nTarget = kMpegTargetFromFileName;
  int nWidth = 0;
  int nHeight = 0;
  float fFrameRate = 24.0f;     // frames per second; the time base is 1 / trunc(fFrameRate)
  float fBitRate = 6000000.0f;  // bits per second, truncated

  // Packed 24-bit picture (red, green, blue) of nWidth x nHeight, filled by DibToRgb24.
  AVFrame* pRgbPicture = nullptr;
  // The encoder's input in its pixel format (YUV 4:2:0). Its pixels come from
  // pYuvPool, so a picture the encoder still holds (B-frames) is never overwritten and
  // steady recording allocates nothing.
  AVFrame* pYuvPicture = nullptr;
  AVBufferPool* pYuvPool = nullptr;

  const AVOutputFormat* pFormat = nullptr;  // the chosen container
  AVFormatContext* pFormatCtx = nullptr;    // owns the stream and the output file
  AVStream* pVideoStream = nullptr;         // the single video stream
  AVCodecContext* pCodecCtx = nullptr;      // the open video encoder
  SwsContext* pSwsCtx = nullptr;            // RGB24 -> encoder format, made once per file
  AVPacket* pPacket = nullptr;              // reused for every encoded packet
  std::int64_t nFrameCount = 0;             // pictures sent; the next picture's time stamp
};

// Opens fileName (a local path, taken literally) for one video stream with the writer's
// settings and writes the container header. True when the file is open. On failure
// everything made so far is released, a file already created is removed, and the
// writer is left closed.
bool OpenVideoFile(MpegWriter& writer, const char* fileName);

// Copies one bottom-up bitmap (rows padded to 4 bytes, pixels blue, green, red[, x])
// upright into pRgbPicture. bitsPerPixel is 24 or 32. False, and nothing copied, when
// bits is null, the writer is not open, or the size differs from the writer's.
bool DibToRgb24(MpegWriter& writer, const std::uint8_t* bits, int width, int height, int bitsPerPixel);

// The row copy of DibToRgb24 into any packed RGB24 picture of width x height whose
// rows are outStride bytes apart. False for a null pointer, a size below 1 or a depth
// other than 24 and 32 bits.
bool DibRowsToRgb24(const std::uint8_t* bits, int width, int height, int bitsPerPixel, std::uint8_t* out,
                    std::ptrdiff_t outStride);

// Converts pRgbPicture to the encoder's format, encodes it as the next frame (frames
// are numbered consecutively at 1 / frame rate) and writes every packet the encoder
// has ready into context, for stream. False at once when context or stream is null or
// the writer is not open; false when the conversion, the encoder or a write fails.
bool WriteVideoFrame(AVFormatContext* context, AVStream* stream, MpegWriter& writer);

// Drains the encoder into the file, writes the trailer, closes the file and releases
// everything; the writer is left closed. True when the file was finished without an
// error. Harmless on a closed writer (returns true).
bool CloseVideoFile(MpegWriter& writer);

// True while a file is open.
bool IsVideoFileOpen(const MpegWriter& writer);
