// The session's pictures: the frame, raw and shown pictures, each taken or swapped under
// the frame lock.
#include "capture/capture_session.h"

void CaptureSession::ReleasePictures() {
  std::shared_ptr<const CxImage> frame, raw, shown;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    frame = std::move(m_frame.m_pFrameImage);
    raw = std::move(m_frame.m_pRawImage);
    shown = std::move(m_frame.m_imgShown);
  }
}

bool CaptureSession::CameraRuns() const { return m_graph.m_pSourceFilter && HasFramePicture(); }

bool CaptureSession::HasFramePicture() const {
  std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
  return m_frame.m_pFrameImage != nullptr;
}

std::shared_ptr<const CxImage> CaptureSession::FramePicture() const {
  std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
  return m_frame.m_pFrameImage;
}

std::shared_ptr<const CxImage> CaptureSession::FramePicture(FrameStamp& stamp) const {
  std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
  stamp = m_frame.m_pFrameImage ? m_frame.m_frameStamp : FrameStamp{};
  return m_frame.m_pFrameImage;
}

std::shared_ptr<const CxImage> CaptureSession::RawPicture() const {
  std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
  return m_frame.m_pRawImage;
}

std::shared_ptr<const CxImage> CaptureSession::ShownPicture() const {
  std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
  return m_frame.m_imgShown;
}

void CaptureSession::SetShownPicture(std::shared_ptr<const CxImage> picture) {
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    m_frame.m_imgShown.swap(picture);
  }
  // The picture replaced is let go here, outside the lock.
}
