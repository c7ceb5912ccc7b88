// Turns a camera frame in its wire format (YUYV or MJPEG) into 24-bit BGR rows of
// exactly width × 3 bytes, stored bottom row first: YUYV through libswscale, MJPEG
// through our own baseline decoder, or TurboJPEG for what that one leaves. The
// decoders, the conversion contexts and the buffers live across frames; they are
// made again only when the size or pixel format changes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/graph/baseline_jpeg.h"
#include "platform/graph/ffmpeg_ptr.h"
#include "platform/graph/jpeg_decoder.h"
#include "platform/graph/scale_context.h"
#include "platform/graph/source_device.h"

namespace platform {

struct ConvertedFrame {
  std::uint8_t* pixels = nullptr;  // valid until the next Convert
  int width = 0;
  int height = 0;
};

class FrameConverter {
 public:
  FrameConverter();
  ~FrameConverter();
  FrameConverter(const FrameConverter&) = delete;
  FrameConverter& operator=(const FrameConverter&) = delete;

  // False when the frame is dropped: a YUYV frame of another byte count than
  // width × height × 2, an MJPEG frame that is not one whole JPEG (no start or no
  // end-of-image marker, zero padding after it allowed) or does not decode cleanly
  // (see JpegDecoder), or no memory. An MJPEG frame comes out at the size the
  // picture itself has. Nothing is read outside [data, data + size).
  [[nodiscard]] bool Convert(const std::uint8_t* data, std::size_t size, WireFormat format, int width, int height,
                             ConvertedFrame& out);

  // Why the last Convert failed.
  std::string_view LastError() const { return m_error; }

 private:
  bool ConvertYuyv(const std::uint8_t* data, std::size_t size, int width, int height, ConvertedFrame& out);
  bool ConvertMjpeg(const std::uint8_t* data, std::size_t size, ConvertedFrame& out);
  bool EnsureOutput(int width, int height);
  bool Fail(std::string_view why);
  // One sws_scale into the output; the source planes come bottom row first.
  bool ScaleToOutput(SwsContext* context, const std::uint8_t* const planes[], const int strides[], int width,
                     int height, ConvertedFrame& out);

  // YUYV: packed 4:2:2 to planar 4:2:2 (bottom row first), then to BGR (the
  // planar source takes libswscale's fast unscaled path).
  ScaleContext m_yuyvToPlanar;
  ScaleContext m_planarToBgr;
  AvPtr<std::uint8_t> m_planar;
  int m_planarWidth = 0;
  int m_planarHeight = 0;
  std::uint8_t* m_planes[4] = {};
  int m_planeStrides[4] = {};

  // MJPEG: the common baseline frame by our own decoder, anything else by TurboJPEG.
  BaselineJpeg m_baseline;
  JpegDecoder m_jpeg;

  AvPtr<std::uint8_t> m_output;
  std::size_t m_outputSize = 0;

  std::string_view m_error;  // a literal, or the decoder's own message
};

}  // namespace platform
