// The live view: the overlay, the composition of the shown picture off the UI thread,
// and the paint requests of the frames.
#include <QEvent>

#include "mainwnd/display_worker.h"
#include "mainwnd/overlay_picture.h"
#include "mainwnd/video_view.h"
#include "mainwnd/vistrel_dlg.h"

void CVistrelDlg::BuildOverlay() {
  auto overlay = std::make_shared<const OverlayPicture>(m_view.m_nVideoWidth, m_view.m_nVideoHeight, m_overlay);
  std::lock_guard<std::mutex> lock(m_overlayLock);
  m_overlayPicture = std::move(overlay);
}

std::shared_ptr<const OverlayPicture> CVistrelDlg::CurrentOverlay() const {
  std::lock_guard<std::mutex> lock(m_overlayLock);
  return m_overlayPicture;
}

void CVistrelDlg::ComposeFrame() {
  const std::shared_ptr<const OverlayPicture> overlay = CurrentOverlay();
  std::shared_ptr<CxImage> picture;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    const CxImage* frame = m_frame.m_pFrameImage.get();
    if (frame && frame->IsValid()) {
      // Each byte of the shown picture is written once, frame or overlay; a picture that
      // carries this overlay already gets only the frame's uncovered pixels.
      picture = m_pictures.Compose(*frame, overlay);
      if (picture) m_frame.m_imgShown = picture;
    }
  }
  if (picture) {
    m_view1000->Publish(std::move(picture));
  } else if (overlay && overlay->Image().IsValid()) {
    // Before the first frame (and after a resolution change) the overlay shows alone.
    m_view1000->Publish(std::shared_ptr<const CxImage>(overlay, &overlay->Image()));
  }
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
