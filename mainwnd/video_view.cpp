#include "mainwnd/video_view.h"

#include <QMetaObject>
#include <QPainter>

#include <utility>

CVideoView::CVideoView(QWidget* parent) : QWidget(parent) {
  // The view paints every pixel itself; nothing behind it needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CVideoView::Publish(std::shared_ptr<const CxImage> picture) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_picture = std::move(picture);
  }
  QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

std::shared_ptr<const CxImage> CVideoView::Shown() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_picture;
}

void CVideoView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  // The picture is immutable once shown: the pointer is taken under the lock and the
  // drawing happens outside it, so the worker never waits for a paint.
  const std::shared_ptr<const CxImage> picture = Shown();
  if (picture && picture->IsValid()) {
    picture->Draw(&painter, rect(), nullptr, false, false);
  } else {
    painter.fillRect(rect(), palette().color(QPalette::Dark));
  }
}
