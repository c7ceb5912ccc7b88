#include "mainwnd/video_view.h"

#include <QMetaObject>
#include <QPainter>

#include <utility>

CVideoView::CVideoView(QWidget* parent) : QWidget(parent) {
  // The view paints every pixel itself; nothing behind it needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CVideoView::Publish(CxImage& picture) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    std::swap(m_picture, picture);
  }
  QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

CxImage CVideoView::Shown() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_picture;
}

void CVideoView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_picture.IsValid()) {
    m_picture.Draw(&painter, rect(), nullptr, false, false);
  } else {
    painter.fillRect(rect(), palette().color(QPalette::Dark));
  }
}
