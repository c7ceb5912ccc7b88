// The pan window's preview: the camera picture as it comes, with the pan square drawn
// in, made small enough for the window.
#pragma once

#include <QFrame>
#include <QSize>

#include <functional>

#include "outside/image_scale.h"
#include "outside/ximage.h"
#include "view/view_settings.h"

// The pan square: centre (x, y) in pixels from the top-left corner, half side a.
struct PanSquare {
  int x = 0;
  int y = 0;
  int halfSide = 0;
  COLORREF colour = 0x0000FF;
};

// Draws the square's outline into a 24-bit picture stored bottom row first, as a pen of
// penWidth pixels centred on the lines (x − a, y − a) → (x − a, y + a) → (x + a, y + a)
// → (x + a, y − a) → back. What falls outside the picture is left out. False (nothing
// drawn) for a picture of another depth.
bool DrawPanSquare(CxImage& picture, const PanSquare& square, int penWidth = 5);

// One preview picture: a copy of the camera picture with the square drawn in, scaled to
// the preview's size. Its buffers and the scaler are kept from one repaint to the next.
class PreviewComposer {
 public:
  // False, with nothing to show, when the picture is not valid or the size is empty.
  bool Compose(const CxImage& raw, const PanSquare& square, QSize size);
  // The last picture composed: the preview's size (a 24-bit picture) or, for a camera
  // picture of another depth, the copy at its own size, to be stretched when drawn.
  const CxImage& Picture() const { return m_scaled.IsValid() ? m_scaled : m_copy; }

 private:
  CxImage m_copy;
  CxImage m_scaled;
  ImageScaler m_scaler;
};

// The preview area: asks for the picture to draw at each paint and lets mouse events
// through to the window.
class CMovePreview : public QFrame {
 public:
  explicit CMovePreview(QWidget* parent);
  // Called at each paint with the size to fill; draws nothing when it returns null.
  std::function<const CxImage*(QSize size)> m_picture;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
