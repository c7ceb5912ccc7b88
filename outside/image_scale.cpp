#include "outside/image_scale.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstddef>
#include <cstring>

namespace {
// Packed BGR on both sides is resampled per colour channel (no detour through
// subsampled chroma), so a plain bilinear context is exact to rounding.
constexpr int kScaleFlags = SWS_BILINEAR;
// How far past a row's last pixel libswscale's vector readers may fetch (they read in
// blocks of pixels); more than they do.
constexpr std::size_t kReadSlack = 256;
}  // namespace

ImageScaler::~ImageScaler() { sws_freeContext(m_context); }

bool ImageScaler::Scale(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, int srcBpp,
                        std::uint8_t* dst, int dstWidth, int dstHeight, int dstStride, int dstBpp, int mode) {
  if (!src || !dst || mode != 1 || srcBpp != 24 || dstBpp != 24) return false;
  if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return false;
  if (static_cast<long long>(srcStride) < 3LL * srcWidth || static_cast<long long>(dstStride) < 3LL * dstWidth)
    return false;

  if (srcWidth == dstWidth && srcHeight == dstHeight) {
    const std::size_t rowBytes = static_cast<std::size_t>(srcWidth) * 3;
    for (int row = 0; row < srcHeight; ++row)
      std::memcpy(dst + static_cast<std::size_t>(row) * dstStride, src + static_cast<std::size_t>(row) * srcStride,
                  rowBytes);
    return true;
  }

  // Returns the present context when the sizes are unchanged; frees it and makes a new
  // one otherwise (and frees it on failure, returning null).
  m_context = sws_getCachedContext(m_context, srcWidth, srcHeight, AV_PIX_FMT_BGR24, dstWidth, dstHeight,
                                   AV_PIX_FMT_BGR24, kScaleFlags, nullptr, nullptr, nullptr);
  if (!m_context) {
    m_srcWidth = m_srcHeight = m_dstWidth = m_dstHeight = 0;
    return false;
  }
  m_srcWidth = srcWidth;
  m_srcHeight = srcHeight;
  m_dstWidth = dstWidth;
  m_dstHeight = dstHeight;

  // The vector readers fetch a little past the end of each row. Past any other row
  // that is the next row; past the last one it is past the caller's picture, which
  // may end at the end of its memory. So the last row goes in as a slice of its own,
  // from a copy with room after it.
  const std::size_t rowBytes = static_cast<std::size_t>(srcWidth) * 3;
  m_lastRow.resize(rowBytes + kReadSlack);
  std::memcpy(m_lastRow.data(), src + static_cast<std::size_t>(srcHeight - 1) * srcStride, rowBytes);
  const int srcStrides[4] = {srcStride, 0, 0, 0};
  std::uint8_t* const dstPlanes[4] = {dst, nullptr, nullptr, nullptr};
  const int dstStrides[4] = {dstStride, 0, 0, 0};
  int written = 0;
  if (srcHeight > 1) {
    const std::uint8_t* const srcPlanes[4] = {src, nullptr, nullptr, nullptr};
    written = sws_scale(m_context, srcPlanes, srcStrides, 0, srcHeight - 1, dstPlanes, dstStrides);
  }
  const std::uint8_t* const lastPlanes[4] = {m_lastRow.data(), nullptr, nullptr, nullptr};
  written += sws_scale(m_context, lastPlanes, srcStrides, srcHeight - 1, 1, dstPlanes, dstStrides);
  return written == dstHeight;
}
