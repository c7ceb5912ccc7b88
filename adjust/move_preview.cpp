#include "adjust/move_preview.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

bool DrawPanSquare(CxImage& picture, const PanSquare& square, int penWidth) {
  if (!picture.IsValid() || picture.GetBpp() != 24) return false;
  const int w = static_cast<int>(picture.GetWidth());
  const int h = static_cast<int>(picture.GetHeight());
  const std::uint8_t blue = static_cast<std::uint8_t>((square.colour >> 16) & 0xFF);
  const std::uint8_t green = static_cast<std::uint8_t>((square.colour >> 8) & 0xFF);
  const std::uint8_t red = static_cast<std::uint8_t>(square.colour & 0xFF);
  const int before = (penWidth - 1) / 2;  // the pen's width around each line
  const int after = penWidth - 1 - before;

  // Fills columns [x0, x1] of rows [y0, y1], rows counted from the top, clipped.
  auto fill = [&](int x0, int x1, int y0, int y1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, w - 1);
    y0 = std::max(y0, 0);
    y1 = std::min(y1, h - 1);
    if (x0 > x1 || y0 > y1) return;
    for (int y = y0; y <= y1; ++y) {
      std::uint8_t* p = picture.GetBits(static_cast<std::uint32_t>(h - 1 - y)) + static_cast<std::size_t>(x0) * 3;
      for (int x = x0; x <= x1; ++x, p += 3) {
        p[0] = blue;
        p[1] = green;
        p[2] = red;
      }
    }
  };
  const int left = square.x - square.halfSide;
  const int right = square.x + square.halfSide;
  const int top = square.y - square.halfSide;
  const int bottom = square.y + square.halfSide;
  fill(left - before, left + after, top - before, bottom + after);     // left side
  fill(right - before, right + after, top - before, bottom + after);   // right side
  fill(left - before, right + after, top - before, top + after);       // top side
  fill(left - before, right + after, bottom - before, bottom + after); // bottom side
  return true;
}

bool PreviewComposer::Compose(const CxImage& raw, const PanSquare& square, QSize size) {
  if (!raw.IsValid() || raw.GetDIB() == nullptr || size.isEmpty()) {
    m_copy.Destroy();
    m_scaled.Destroy();
    return false;
  }
  // The square goes on a copy: the camera picture is shared and never changed.
  if (!m_copy.Copy(raw)) return false;
  if (!DrawPanSquare(m_copy, square)) {
    m_scaled.Destroy();
    return true;  // another depth: shown stretched as it is
  }
  const auto width = static_cast<std::uint32_t>(size.width());
  const auto height = static_cast<std::uint32_t>(size.height());
  if (m_scaled.GetWidth() != width || m_scaled.GetHeight() != height || m_scaled.GetBpp() != 24)
    m_scaled = CxImage(width, height, 24);
  if (!m_scaled.IsValid()) return false;
  // Rows stay bottom first on both sides; the scaler filters, so the square's lines
  // stay visible however much smaller the preview is.
  if (!m_scaler.Scale(m_copy.GetBits(0), static_cast<int>(m_copy.GetWidth()), static_cast<int>(m_copy.GetHeight()),
                      static_cast<int>(m_copy.GetEffWidth()), 24, m_scaled.GetBits(0), size.width(), size.height(),
                      static_cast<int>(m_scaled.GetEffWidth()), 24)) {
    m_scaled.Destroy();
    return false;
  }
  return true;
}

CMovePreview::CMovePreview(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::Box);
  setFrameShadow(QFrame::Plain);
  // Clicks belong to the window (its double-click finds the field).
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CMovePreview::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const QRect area = contentsRect();
  const CxImage* picture = m_picture ? m_picture(area.size()) : nullptr;
  if (!picture || !picture->IsValid()) return;
  QPainter painter(this);
  picture->Draw(&painter, area);
}
