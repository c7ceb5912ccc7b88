#include "view/view_transform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "view/view_transform_rows.h"

namespace {

constexpr int kBytesPerPixel = 3;

// Where the pan square lands in the (black) pan frame: the rectangle of pan-frame
// pixels [col0, col1) × [row0, row1) shows source pixel (x + dx, y + dy); everything
// else is black.
struct PanSquare {
  int col0 = 0, col1 = 0, row0 = 0, row1 = 0;
  int dx = 0, dy = 0;

  bool HasRow(int y) const { return y >= row0 && y < row1; }
};

// The square of side trunc(h / panZoom) around the pan centre (its corner raised to 0
// where negative), copied centred into the frame. Of a square running past the frame's
// right or bottom edge only the part inside the frame is copied; the rest stays black.
PanSquare PanSquareOf(int w, int h, const ViewTransformParams& p) {
  PanSquare s;
  // The cap only keeps the sums below in range: a square that large shows nothing of
  // the frame whichever its side.
  const double exact = std::min(static_cast<double>(static_cast<float>(h) / p.panZoom), 1e15);
  const long long side = static_cast<long long>(exact);
  if (side <= 0) return s;
  const long long x0 = std::max<long long>(static_cast<long long>(p.panX) - side / 2, 0);
  const long long y0 = std::max<long long>(static_cast<long long>(p.panY) - side / 2, 0);
  const long long dstCol0 = (w - side) / 2;
  const long long dstRow0 = (h - side) / 2;
  // Square columns j and rows i that lie inside both the source and the pan frame.
  const long long firstCol = std::max(0LL, -dstCol0);
  const long long lastCol = std::min({side, w - x0, w - dstCol0});
  const long long firstRow = std::max(0LL, -dstRow0);
  const long long lastRow = std::min({side, h - y0, h - dstRow0});
  if (lastCol <= firstCol || lastRow <= firstRow) return s;
  s.col0 = static_cast<int>(dstCol0 + firstCol);
  s.col1 = static_cast<int>(dstCol0 + lastCol);
  s.row0 = static_cast<int>(dstRow0 + firstRow);
  s.row1 = static_cast<int>(dstRow0 + lastRow);
  s.dx = static_cast<int>(x0 - dstCol0);
  s.dy = static_cast<int>(y0 - dstRow0);
  return s;
}

// Pixels [col, col + count) of pan-frame row y into dst.
void PanRow(const std::uint8_t* src, std::size_t srcStride, const PanSquare& s, int y, int col, int count,
            std::uint8_t* dst) {
  const int from = s.HasRow(y) ? std::clamp(s.col0, col, col + count) : col + count;
  const int to = s.HasRow(y) ? std::clamp(s.col1, from, col + count) : col + count;
  std::memset(dst, 0, static_cast<std::size_t>(from - col) * kBytesPerPixel);
  if (to > from) {
    std::memcpy(dst + static_cast<std::size_t>(from - col) * kBytesPerPixel,
                src + srcStride * static_cast<std::size_t>(y + s.dy) +
                    static_cast<std::size_t>(from + s.dx) * kBytesPerPixel,
                static_cast<std::size_t>(to - from) * kBytesPerPixel);
  }
  std::memset(dst + static_cast<std::size_t>(to - col) * kBytesPerPixel, 0,
              static_cast<std::size_t>(col + count - to) * kBytesPerPixel);
}

// The zoom crop's rows, read straight from the source through the pan square.
class CropRows final : public BgrUpscaler::RowSource {
 public:
  CropRows(const std::uint8_t* src, std::size_t srcStride, const PanSquare& square, int ox, int oy, int cw)
      : m_src(src), m_srcStride(srcStride), m_square(square), m_ox(ox), m_oy(oy), m_cw(cw) {}
  void Fill(int row, std::uint8_t* dst) override { PanRow(m_src, m_srcStride, m_square, m_oy + row, m_ox, m_cw, dst); }

 private:
  const std::uint8_t* m_src;
  std::size_t m_srcStride;
  PanSquare m_square;
  int m_ox, m_oy, m_cw;
};

}  // namespace

bool ViewTransform::Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out) {
  return Apply(src, w, h, p, out, static_cast<std::ptrdiff_t>(w) * kBytesPerPixel);
}

bool ViewTransform::Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out,
                          std::ptrdiff_t outStride, Destination destination) {
  // This buffer's record, or the one used longest ago. Whatever happens below, the
  // record is gone until this call is done.
  std::size_t record = 0;
  for (std::size_t i = 0; i < m_written.size(); ++i) {
    if (m_written[i].out == out) {
      record = i;
      break;
    }
    if (m_age[i] < m_age[record]) record = i;
  }
  const Written before = std::exchange(m_written[record], Written{});
  const bool hadWritten = before.out == out && out != nullptr;
  if (!src || !out || w <= 0 || h <= 0 || outStride < static_cast<std::ptrdiff_t>(w) * kBytesPerPixel) return false;
  if (!(p.zoom > 0.0f) || !(p.panZoom > 0.0f) || !std::isfinite(p.zoom) || !std::isfinite(p.panZoom)) return false;
  const std::size_t stride = static_cast<std::size_t>(w) * kBytesPerPixel;
  const PanSquare square = PanSquareOf(w, h, p);

  // The crop: the video size over the zoom, no larger than the frame (and at least a
  // pixel), centred.
  const auto cropSide = [](int video, float zoom, int limit) {
    const double side = static_cast<double>(static_cast<float>(video) / zoom);
    return side >= limit ? limit : side < 1.0 ? 1 : static_cast<int>(side);
  };
  const int cw = cropSide(p.videoWidth, p.zoom, w);
  const int ch = cropSide(p.videoHeight, p.zoom, h);
  const bool zoomed = cw != w || ch != h;
  const int ox = (w - cw) / 2, oy = (h - ch) / 2;

  // The output pixels that can show the source; all the others are black.
  BgrUpscaler::Region shown;
  if (!zoomed) {
    if (square.row1 > square.row0) {
      shown.x0 = p.hMirror ? w - square.col1 : square.col0;
      shown.x1 = p.hMirror ? w - square.col0 : square.col1;
      shown.y0 = p.vMirror ? h - square.row1 : square.row0;
      shown.y1 = p.vMirror ? h - square.row0 : square.row1;
    }
  } else {
    if (!m_scaler.Configure(cw, ch, w, h, p.hMirror)) return false;
    shown = m_scaler.Reach(square.col0 - ox, square.col1 - ox, square.row0 - oy, square.row1 - oy, p.vMirror);
  }
  if (shown.Empty()) shown = BgrUpscaler::Region{};
  const Written written{out, outStride, w, h, shown};
  const bool blackKept = destination == Destination::Kept && hadWritten && written == before;

  // The black beside what is shown (unless it is kept), then what is shown, each in
  // the order the rows lie in memory.
  const std::size_t left = static_cast<std::size_t>(shown.x0) * kBytesPerPixel;
  const std::size_t right = static_cast<std::size_t>(shown.x1) * kBytesPerPixel;
  for (int row = 0; row < h && !blackKept; ++row) {
    std::uint8_t* dst = out + row * outStride;
    if (row < shown.y0 || row >= shown.y1) {
      std::memset(dst, 0, stride);
      continue;
    }
    std::memset(dst, 0, left);
    std::memset(dst + right, 0, stride - right);
  }
  if (zoomed) {
    CropRows rows(src, stride, square, ox, oy, cw);
    m_scaler.Run(rows, out, outStride, p.vMirror, shown);
  } else {
    // No zoom: each output row shows its pan-frame row, reversed for the horizontal
    // mirror.
    const int count = shown.x1 - shown.x0;
    for (int row = shown.y0; row < shown.y1; ++row) {
      const int y = p.vMirror ? h - 1 - row : row;  // the pan-frame row shown
      const std::uint8_t* from = src + stride * static_cast<std::size_t>(y + square.dy) +
                                 static_cast<std::size_t>(square.col0 + square.dx) * kBytesPerPixel;
      std::uint8_t* dst = out + row * outStride + left;
      if (p.hMirror) {
        ReversePixels(from, count, dst);
      } else {
        std::memcpy(dst, from, static_cast<std::size_t>(count) * kBytesPerPixel);
      }
    }
  }
  m_written[record] = written;
  m_age[record] = ++m_calls;
  return true;
}
