// The live view: the overlay, the composition of the shown picture off the UI thread,
// and the paint requests of the frames.
#include <QCoreApplication>
#include <QEvent>

#include "capture/capture_session.h"
#include "mainwnd/video_view.h"
#include "mainwnd/vistrel_dlg.h"
#include "view/display_worker.h"
#include "view/overlay_picture.h"

QEvent::Type CVistrelDlg::FramePaintEvent() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void CVistrelDlg::BuildOverlay() {
  const ViewSettings& view = m_session->m_view;
  auto overlay = std::make_shared<const OverlayPicture>(view.m_nVideoWidth, view.m_nVideoHeight, m_session->m_overlay);
  std::lock_guard<std::mutex> lock(m_overlayLock);
  m_overlayPicture = std::move(overlay);
}

std::shared_ptr<const OverlayPicture> CVistrelDlg::CurrentOverlay() const {
  std::lock_guard<std::mutex> lock(m_overlayLock);
  return m_overlayPicture;
}

void CVistrelDlg::ComposeFrame() {
  const std::shared_ptr<const OverlayPicture> overlay = CurrentOverlay();
  // The frame picture is shared and never changed once swapped in: it is composed
  // outside the frame lock, and each byte of the shown picture is written once, frame
  // or overlay (a picture that carries this overlay already gets only the frame's
  // uncovered pixels).
  FrameStamp stamp;
  const std::shared_ptr<const CxImage> frame = m_session->FramePicture(stamp);
  std::shared_ptr<const CxImage> picture;
  if (frame && frame->IsValid()) picture = m_pictures.Compose(*frame, overlay);
  if (picture) {
    m_session->SetShownPicture(picture);
    m_view1000->Publish(std::move(picture), stamp);
  } else if (overlay && overlay->Image().IsValid()) {
    // Before the first frame (and after a resolution change) the overlay shows alone.
    m_view1000->Publish(std::shared_ptr<const CxImage>(overlay, &overlay->Image()));
  }
}

void CVistrelDlg::OnFrameReady(int width, int height) {
  // Streaming thread. A recording asked for opens its file at this frame's size.
  m_recording->OnFrame(width, height);
  // Posted, never sent: the streaming thread does not wait for the UI thread.
  QCoreApplication::postEvent(this, new QEvent(FramePaintEvent()));
}

void CVistrelDlg::OnFramePaint() {
  // A minimised window shows only its icon: nothing to compose.
  if (isMinimized() || !m_display) return;
  m_display->Request();
}

void CVistrelDlg::OnPreviewStarting() {
  BuildOverlay();
  if (m_display) m_display->Request();
}

bool CVistrelDlg::event(QEvent* event) {
  if (event->type() == FramePaintEvent()) {
    OnFramePaint();
    return true;
  }
  return QDialog::event(event);
}
