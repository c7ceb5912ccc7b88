// The window's size for a resolution and a screen.
#pragma once

#include <QSize>

struct WindowLayout {
  int outerWidth = 0;  // the window's width
  QSize view;          // the view's size
};

// The view shows the picture pixel for pixel while it is narrower than the screen less
// 48 pixels; otherwise the window takes the screen and the view fills it. A size that is
// not positive counts as 640 × 480.
WindowLayout ComputeWindowLayout(int videoWidth, int videoHeight, QSize screen);
