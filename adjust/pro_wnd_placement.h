// Where the camera property window opens: beside the main window's right edge, level
// with its top or, while a pan and zoom window exists, just below that window; pushed
// left so that it ends at the screen's right edge when it would run past it.
#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

class QWidget;

// The rectangles the placement uses, in screen coordinates.
struct ProWndRects {
  QRect mainWindow;                // the main window's frame
  std::optional<QRect> panWindow;  // the pan and zoom window's frame while that window exists, shown or hidden
  int screenRight = 0;             // the right edge of the main window's screen (its width on a single screen)
};

// The rectangles of a main window, the pan and zoom window (null when there is none)
// and the main window's screen.
ProWndRects RectsBeside(const QWidget& mainWindow, const QWidget* panWindow);

// The new top left corner of a window whose frame is `window` now. Right and bottom
// edges count as the first pixel beyond the rectangle (left + width, top + height).
QPoint ProWndPosition(const ProWndRects& rects, const QRect& window);
