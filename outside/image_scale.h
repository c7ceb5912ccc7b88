// The image-scaling routine: resamples 24-bit BGR rows to another size (bilinear,
// libswscale). The scaling context is kept per pair of sizes and reused, so the
// per-frame call allocates nothing; the same size is a plain copy.
#pragma once

#include <cstdint>
#include <vector>

struct SwsContext;

class ImageScaler {
 public:
  ImageScaler() = default;
  ~ImageScaler();
  ImageScaler(const ImageScaler&) = delete;
  ImageScaler& operator=(const ImageScaler&) = delete;

  // src: srcHeight rows of srcStride bytes; dst: dstHeight rows of dstStride bytes.
  // bitsPerPixel must be 24 on both sides; mode 1 is bilinear (the only mode).
  bool Scale(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, int srcBpp, std::uint8_t* dst,
             int dstWidth, int dstHeight, int dstStride, int dstBpp, int mode = 1);

 private:
  SwsContext* m_context = nullptr;
  int m_srcWidth = 0, m_srcHeight = 0, m_dstWidth = 0, m_dstHeight = 0;
  std::vector<std::uint8_t> m_lastRow;  // the source's last row, with room after it
};
