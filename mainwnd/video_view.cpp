#include "mainwnd/video_view.h"

#include "view/paint_delay.h"

#include <QMetaObject>
#include <QPainter>

#include <utility>

CVideoView::CVideoView(QWidget* parent) : QWidget(parent) {
  // The view paints every pixel itself; nothing behind it needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CVideoView::Publish(std::shared_ptr<const CxImage> picture, FrameStamp stamp) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_picture = std::move(picture);
    m_stamp = stamp;
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
  std::shared_ptr<const CxImage> picture;
  FrameStamp stamp;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    picture = m_picture;
    stamp = m_stamp;
  }
  if (picture && picture->IsValid()) {
    picture->Draw(&painter, rect(), nullptr, false, false);
    // The frame counts as painted once its pixels were handed to the painter.
    if (m_paintDelay) m_paintDelay->Painted(stamp);
  } else {
    painter.fillRect(rect(), palette().color(QPalette::Dark));
  }
}
