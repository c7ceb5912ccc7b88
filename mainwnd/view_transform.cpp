#include "mainwnd/view_transform.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kBytesPerPixel = 3;

void MirrorRows(std::uint8_t* bits, int w, int h, std::vector<std::uint8_t>& row) {
  const std::size_t stride = static_cast<std::size_t>(w) * kBytesPerPixel;
  row.resize(stride);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* line = bits + stride * static_cast<std::size_t>(y);
    std::memcpy(row.data(), line, stride);
    for (int x = 0; x < w; ++x) {
      std::memcpy(line + kBytesPerPixel * x, row.data() + kBytesPerPixel * (w - 1 - x), kBytesPerPixel);
    }
  }
}

void FlipRows(std::uint8_t* bits, int w, int h, std::vector<std::uint8_t>& row) {
  const std::size_t stride = static_cast<std::size_t>(w) * kBytesPerPixel;
  row.resize(stride);
  for (int y = 0; y < h / 2; ++y) {
    std::uint8_t* a = bits + stride * static_cast<std::size_t>(y);
    std::uint8_t* b = bits + stride * static_cast<std::size_t>(h - 1 - y);
    std::memcpy(row.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, row.data(), stride);
  }
}
}  // namespace

void ViewTransform::CopyPanSquare(const std::uint8_t* src, int w, int h, const ViewTransformParams& p,
                                  std::uint8_t* dst) {
  const std::size_t stride = static_cast<std::size_t>(w) * kBytesPerPixel;
  std::memset(dst, 0, stride * static_cast<std::size_t>(h));
  const int side = static_cast<int>(static_cast<float>(h) / p.panZoom);
  if (side <= 0) return;
  const int x0 = std::max(p.panX - side / 2, 0);
  const int y0 = std::max(p.panY - side / 2, 0);
  const int dstRow0 = (h - side) / 2;
  const int dstCol0 = (w - side) / 2;
  // Columns of the square that lie inside both the frame and the destination; a square
  // running past the frame's right edge leaves the rest black and never reads past a row.
  const int first = std::max(0, -dstCol0);
  const int last = std::min({side, w - x0, w - dstCol0});
  if (last <= first) return;
  const std::size_t bytes = static_cast<std::size_t>(last - first) * kBytesPerPixel;
  for (int i = 0; i < side && y0 + i < h; ++i) {
    const int dstRow = dstRow0 + i;
    if (dstRow < 0 || dstRow >= h) continue;
    std::memcpy(dst + stride * static_cast<std::size_t>(dstRow) + static_cast<std::size_t>(dstCol0 + first) * kBytesPerPixel,
                src + stride * static_cast<std::size_t>(y0 + i) + static_cast<std::size_t>(x0 + first) * kBytesPerPixel,
                bytes);
  }
}

bool ViewTransform::Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out) {
  if (!src || !out || w <= 0 || h <= 0 || p.zoom <= 0.0f || p.panZoom <= 0.0f) return false;
  const std::size_t stride = static_cast<std::size_t>(w) * kBytesPerPixel;
  const std::size_t frameBytes = stride * static_cast<std::size_t>(h);

  int cw = static_cast<int>(static_cast<float>(p.videoWidth) / p.zoom);
  int ch = static_cast<int>(static_cast<float>(p.videoHeight) / p.zoom);
  cw = std::clamp(cw, 1, w);
  ch = std::clamp(ch, 1, h);

  if (cw == w && ch == h) {
    // No zoom: the pan square goes straight to the output.
    CopyPanSquare(src, w, h, p, out);
  } else {
    m_pan.resize(frameBytes);
    CopyPanSquare(src, w, h, p, m_pan.data());
    const int ox = (w - cw) / 2;
    const int oy = (h - ch) / 2;
    const std::size_t cropStride = (static_cast<std::size_t>(cw) * kBytesPerPixel + 3) & ~std::size_t{3};
    // A little slack past the last row: the scaler's optimised readers may read a few
    // bytes beyond a row's end.
    m_crop.resize(cropStride * static_cast<std::size_t>(ch) + 64);
    for (int i = 0; i < ch; ++i) {
      std::memcpy(m_crop.data() + cropStride * static_cast<std::size_t>(i),
                  m_pan.data() + stride * static_cast<std::size_t>(oy + i) + static_cast<std::size_t>(ox) * kBytesPerPixel,
                  static_cast<std::size_t>(cw) * kBytesPerPixel);
    }
    if (!m_scaler.Scale(m_crop.data(), cw, ch, static_cast<int>(cropStride), 24, out, w, h, static_cast<int>(stride),
                        24, 1)) {
      return false;
    }
  }
  if (p.hMirror) MirrorRows(out, w, h, m_row);
  if (p.vMirror) FlipRows(out, w, h, m_row);
  return true;
}
