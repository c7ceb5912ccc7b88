#include "adjust/move_wnd_open.h"

#include <mutex>

#include "capture/capture_session.h"

MoveWndPictures MoveWndPicturesOf(const CaptureSession& session) {
  MoveWndPictures pictures;
  pictures.rawPicture = [&session] { return session.RawPicture(); };
  pictures.framePicture = [&session] {
    const FrameState& frame = session.m_frame;
    std::lock_guard<std::mutex> lock(frame.m_csFrame);
    return FramePictureAndSize{frame.m_pFrameImage, frame.m_nFrameWidth, frame.m_nFrameHeight};
  };
  return pictures;
}

bool OpenMoveWnd(std::unique_ptr<CMoveWnd>& window, CaptureSession& session, const UserFiles& texts, QWidget* owner,
                 std::function<void()> buildOverlay) {
  if (!session.CameraRuns()) return false;
  window.reset();
  window = std::make_unique<CMoveWnd>(session.m_view, session.m_overlay, MoveWndPicturesOf(session),
                                      std::move(buildOverlay), texts, owner);
  window->FillState();
  window->ShowAndLayOut();
  return true;
}
