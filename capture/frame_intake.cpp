// Frame intake: every camera frame arrives here on the streaming thread, goes through
// the view transform, becomes the frame picture and asks the window for a paint.
#include <QCoreApplication>
#include <QEvent>


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

  {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    f.m_nFrameWidth = width;
    f.m_nFrameHeight = height;
    f.m_nFrameBpp = bitsPerPixel;
    if (!ApplyViewTransform(pixels, width, height, bitsPerPixel)) return 0;
  }

  {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    RecordOnFrame();
    // Posted, never sent: the streaming thread does not wait for the UI thread here.
    QCoreApplication::postEvent(this, new QEvent(FramePaintEvent()));
  }

  if (m_bServiceMode) {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    if (!f.m_pRawImage) f.m_pRawImage = std::make_unique<CxImage>();
    f.m_pRawImage->CreateFromArray(pixels, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                   static_cast<std::uint32_t>(bitsPerPixel),
                                   static_cast<std::uint32_t>(width * (bitsPerPixel / 8)), false);
  }
  return 0;
}

bool CVistrelDlg::ApplyViewTransform(const std::uint8_t* pixels, int width, int height, int bitsPerPixel) {
  FrameState& f = m_frame;
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  const auto bpp = static_cast<std::uint32_t>(bitsPerPixel);
  if (!f.m_pFrameImage) f.m_pFrameImage = std::make_unique<CxImage>();
  CxImage& picture = *f.m_pFrameImage;
  if (bitsPerPixel != 24) {
    // Other depths pass through as they came: the transform works on 24-bit pixels.
    return picture.CreateFromArray(pixels, w, h, bpp, w * (bpp / 8), false);
  }
  // The transform writes straight into the frame picture's rows: the frame picture is
  // the transformed frame, with no copy in between. Nothing else writes those rows, so
  // the transform may keep what it wrote there last (the black around the pan square)
  // as long as the picture is the same one; a picture made anew is filled whole.
  auto destination = ViewTransform::Destination::Kept;
  if (!picture.IsValid() || picture.GetWidth() != w || picture.GetHeight() != h || picture.GetBpp() != 24) {
    picture = CxImage(w, h, 24);
    destination = ViewTransform::Destination::Fresh;
  }
  ViewTransformParams p;
  p.zoom = m_view.m_fZoom;
  p.panZoom = m_view.m_fPanZoom;
  p.panX = m_view.m_nPanX;
  p.panY = m_view.m_nPanY;
  p.videoWidth = m_view.m_nVideoWidth;
  p.videoHeight = m_view.m_nVideoHeight;
  p.hMirror = m_view.m_bHMirror != 0;
  p.vMirror = m_view.m_bVMirror != 0;
  return f.m_transform.Apply(pixels, width, height, p, picture.GetBits(0), picture.GetEffWidth(), destination);
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
