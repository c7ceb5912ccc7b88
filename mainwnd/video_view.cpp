#include "mainwnd/video_view.h"

#include <QPainter>

CVideoView::CVideoView(QWidget* parent) : QWidget(parent) {
  // The view paints every pixel itself; nothing behind it needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CVideoView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
}
