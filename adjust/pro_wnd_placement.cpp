#include "adjust/pro_wnd_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <limits>

namespace {
int RightOf(const QRect& r) { return r.x() + r.width(); }
int BottomOf(const QRect& r) { return r.y() + r.height(); }
}  // namespace

ProWndRects RectsBeside(const QWidget& mainWindow, const QWidget* panWindow) {
  ProWndRects rects;
  rects.mainWindow = mainWindow.frameGeometry();
  if (panWindow) rects.panWindow = panWindow->frameGeometry();
  const QScreen* screen = mainWindow.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  // Without any screen there is no edge to keep to.
  rects.screenRight = screen ? RightOf(screen->geometry()) : std::numeric_limits<int>::max();
  return rects;
}

QPoint ProWndPosition(const ProWndRects& rects, const QRect& window) {
  // The window's own right edge is taken where it stands before the move (at the
  // origin that is its width), so a window that does not fit beside the main window
  // ends flush with the screen's right edge.
  int x = RightOf(rects.mainWindow);
  if (static_cast<long long>(RightOf(rects.mainWindow)) + RightOf(window) > rects.screenRight) {
    x = rects.screenRight - RightOf(window);
  }
  const int y = rects.panWindow ? BottomOf(*rects.panWindow) : rects.mainWindow.y();
  return {x, y};
}
