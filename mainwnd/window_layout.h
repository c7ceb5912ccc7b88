// The window's size for a resolution and a screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

struct WindowLayout {
  int outerWidth = 0;  // the window's width
  QSize view;          // the view's size
};

// The view shows the picture pixel for pixel while the window then fits the screen's
// available area (and the picture is narrower than that area less 48 pixels);
// otherwise the window takes the whole area and the view fills what the window leaves
// it. `chrome` is what the window adds around the view: its frame, the border and the
// bars. A size that is not positive counts as 640 × 480.
WindowLayout ComputeWindowLayout(int videoWidth, int videoHeight, QSize available, QSize chrome);

// Where a window whose frame is `frame` goes so that it lies inside `available`: moved
// as little as it takes, and to the area's top left where it is larger than the area.
QPoint PlaceInside(const QRect& frame, const QRect& available);
