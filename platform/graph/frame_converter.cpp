#include "platform/graph/frame_converter.h"

#include <cstring>

extern "C" {
#include <libavutil/common.h>
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
// the end marker and is refused here, before any decoding.
bool IsCompleteJpeg(const std::uint8_t* data, std::size_t& size) {
  std::size_t end = size;
  while (end > 0 && data[end - 1] == 0x00) --end;
  if (end < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[end - 2] != 0xFF || data[end - 1] != 0xD9) return false;
  size = end;
  return true;
}

}  // namespace

FrameConverter::FrameConverter() : m_baseline(JpegDecoder::kToleratedStrayBytes) {}
FrameConverter::~FrameConverter() = default;

bool FrameConverter::Convert(const std::uint8_t* data, std::size_t size, WireFormat format, int width, int height,
                             ConvertedFrame& out) {
  out = ConvertedFrame{};
  m_error = {};
  if (!data || size == 0) return Fail("empty frame");
  return format == WireFormat::MJPG ? ConvertMjpeg(data, size, out) : ConvertYuyv(data, size, width, height, out);
}

bool FrameConverter::ConvertYuyv(const std::uint8_t* data, std::size_t size, int width, int height,
                                 ConvertedFrame& out) {
  if (!ValidSize(width, height)) return Fail("frame size out of range");
  if (size != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2) {
    return Fail("YUYV frame of another byte count than its size");
  }

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
    if (!m_planar) return Fail("no memory");
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
  if (!toPlanar || !toBgr) return Fail("no conversion context");

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
  if (sws_scale(toPlanar, packed, packedStrides, 0, height, upwards, upwardsStrides) != height) {
    return Fail("conversion failed");
  }
  return ScaleToOutput(toBgr, m_planes, m_planeStrides, width, height, out);
}

bool FrameConverter::ConvertMjpeg(const std::uint8_t* data, std::size_t size, ConvertedFrame& out) {
  if (!IsCompleteJpeg(data, size)) return Fail("not a whole JPEG");
  int width = 0;
  int height = 0;
  if (m_baseline.ReadHeaders(data, size, width, height) == BaselineJpeg::Result::Decoded) {
    if (!EnsureOutput(width, height)) return Fail("no memory");
    if (m_baseline.Decode(m_output.get()) == BaselineJpeg::Result::Decoded) {
      out.pixels = m_output.get();
      out.width = width;
      out.height = height;
      return true;
    }
  }
  // Everything else, damaged frames included, goes to the general decoder, which
  // decides whether the frame is shown.
  if (!m_jpeg.ReadSize(data, size, width, height)) return Fail(m_jpeg.LastError());
  if (!ValidSize(width, height)) return Fail("frame size out of range");
  if (!EnsureOutput(width, height)) return Fail("no memory");
  if (!m_jpeg.Decode(data, size, m_output.get(), width, height)) return Fail(m_jpeg.LastError());
  out.pixels = m_output.get();
  out.width = width;
  out.height = height;
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
  if (!EnsureOutput(width, height)) return Fail("no memory");
  // The output is written top down: written upwards (last row first, negative
  // stride), a row's vector tail would land on the row written just before it.
  std::uint8_t* const destination[4] = {m_output.get(), nullptr, nullptr, nullptr};
  const int destinationStrides[4] = {width * 3, 0, 0, 0};
  if (sws_scale(context, planes, strides, 0, height, destination, destinationStrides) != height) {
    return Fail("conversion failed");
  }
  out.pixels = m_output.get();
  out.width = width;
  out.height = height;
  return true;
}

bool FrameConverter::Fail(std::string_view why) {
  m_error = why;
  return false;
}

}  // namespace platform
