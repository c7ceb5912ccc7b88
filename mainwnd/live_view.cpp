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
  bool haveFrame = false;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    if (m_frame.m_pFrameImage && m_frame.m_pFrameImage->IsValid()) {
      m_composed.Copy(*m_frame.m_pFrameImage);
      haveFrame = true;
    }
  }
  if (!haveFrame) {
    // Before the first frame (and after a resolution change) the overlay shows alone.
    if (!overlay || !overlay->Image().IsValid()) return;
    m_composed.Copy(overlay->Image());
    m_view1000->Publish(m_composed);
    return;
  }
  if (overlay && !overlay->IsEmpty() && m_composed.GetBpp() == 24) {
    overlay->LayOver(m_composed.GetBits(), static_cast<int>(m_composed.GetWidth()),
                     static_cast<int>(m_composed.GetHeight()), static_cast<int>(m_composed.GetEffWidth()));
  }
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    m_frame.m_imgShown.Copy(m_composed);
  }
  m_view1000->Publish(m_composed);
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
