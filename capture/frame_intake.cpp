// Frame intake: every camera frame arrives here on the streaming thread, goes through
// the view transform, becomes the frame picture and asks the window for a paint.
#include <QCoreApplication>
#include <QEvent>

#include <cstring>

#include "app/vistrel_app.h"
#include "mainwnd/vistrel_dlg.h"

QEvent::Type CVistrelDlg::FramePaintEvent() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

int CVistrelDlg::FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) {
  if (!pixels || width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel % 8 != 0) return 0;
  FrameState& f = m_frame;
  if (!f.m_bFirstFrameSeen) {
    // The very first frame of the process decides the size, whatever the graph chose.
    m_view.m_nVideoWidth = width;
    m_view.m_nVideoHeight = height;
    f.m_bFirstFrameSeen = true;
  }
  const std::size_t lineBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel / 8);
  const std::size_t frameBytes = lineBytes * static_cast<std::size_t>(height);

  {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    f.m_outBuffer.resize(frameBytes);
    f.m_nFrameWidth = width;
    f.m_nFrameHeight = height;
    f.m_nFrameBpp = bitsPerPixel;
    if (!ApplyViewTransform(pixels, width, height, bitsPerPixel)) return 0;
  }

  {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    if (!f.m_pFrameImage) f.m_pFrameImage = std::make_unique<CxImage>();
    f.m_pFrameImage->CreateFromArray(f.m_outBuffer.data(), static_cast<std::uint32_t>(width),
                                     static_cast<std::uint32_t>(height), static_cast<std::uint32_t>(bitsPerPixel),
                                     static_cast<std::uint32_t>(lineBytes), false);
    RecordOnFrame();
    // Posted, never sent: the streaming thread does not wait for the UI thread here.
    QCoreApplication::postEvent(this, new QEvent(FramePaintEvent()));
  }

  if (m_bServiceMode) {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    if (!f.m_pRawImage) f.m_pRawImage = std::make_unique<CxImage>();
    f.m_pRawImage->CreateFromArray(pixels, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                   static_cast<std::uint32_t>(bitsPerPixel), static_cast<std::uint32_t>(lineBytes),
                                   false);
  }
  return 0;
}

bool CVistrelDlg::ApplyViewTransform(const std::uint8_t* pixels, int width, int height, int bitsPerPixel) {
  FrameState& f = m_frame;
  const std::size_t frameBytes = f.m_outBuffer.size();
  if (bitsPerPixel == 24) {
    ViewTransformParams p;
    p.zoom = m_view.m_fZoom;
    p.panZoom = m_view.m_fPanZoom;
    p.panX = m_view.m_nPanX;
    p.panY = m_view.m_nPanY;
    p.videoWidth = m_view.m_nVideoWidth;
    p.videoHeight = m_view.m_nVideoHeight;
    p.hMirror = m_view.m_bHMirror != 0;
    p.vMirror = m_view.m_bVMirror != 0;
    if (!f.m_transform.Apply(pixels, width, height, p, f.m_outBuffer.data())) return false;
  } else {
    // Other depths pass through as they came: the transform works on 24-bit pixels.
    std::memcpy(f.m_outBuffer.data(), pixels, frameBytes);
  }
  f.m_pLastFrame.resize(frameBytes);
  std::memcpy(f.m_pLastFrame.data(), f.m_outBuffer.data(), frameBytes);
  return true;
}

HRESULT CVistrelDlg::QueryInterface(const GUID& iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_ISampleGrabberCB || iid == IID_IUnknown) {
    *object = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}
