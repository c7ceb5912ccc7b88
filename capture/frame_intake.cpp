// Frame intake: every camera frame arrives here on the streaming thread, goes through
// the view transform into a picture of its own, and is swapped in as the frame picture.
#include "capture/capture_session.h"

int CaptureSession::FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) {
  if (!pixels || width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel % 8 != 0) return 0;
  FrameState& f = m_frame;
  // Asked first: the capture time belongs to the frame being delivered.
  IFrameGrabberCallback* times = m_frameTimes.load(std::memory_order_acquire);
  const FrameStamp stamp{++f.m_nFramesTaken, times ? times->FrameCaptureTimeNs() : 0};
  if (!f.m_bFirstFrameSeen) {
    // The very first frame of the process decides the size, whatever the graph chose.
    m_view.m_nVideoWidth = width;
    m_view.m_nVideoHeight = height;
    f.m_bFirstFrameSeen = true;
  }

  // The transform runs outside the lock, into a picture nobody else reads; the lock is
  // held only for the swap.
  std::shared_ptr<const CxImage> picture = TransformFrame(pixels, width, height, bitsPerPixel);
  if (!picture) return 0;
  {
    std::lock_guard<std::mutex> lock(f.m_csFrame);
    f.m_nFrameWidth = width;
    f.m_nFrameHeight = height;
    f.m_nFrameBpp = bitsPerPixel;
    f.m_pFrameImage.swap(picture);
    f.m_frameStamp = stamp;
  }
  picture.reset();  // the frame picture replaced, let go outside the lock
  m_frameCount.fetch_add(1, std::memory_order_relaxed);
  emit frameReady(width, height);

  if (m_bServiceMode) KeepRawFrame(pixels, width, height, bitsPerPixel);
  return 0;
}

std::shared_ptr<const CxImage> CaptureSession::TransformFrame(const std::uint8_t* pixels, int width, int height,
                                                              int bitsPerPixel) {
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  const auto bpp = static_cast<std::uint32_t>(bitsPerPixel);
  PictureSlots::Taken taken = m_frame.m_framePictures.Take(w, h, bpp);
  if (!taken.picture) return nullptr;
  CxImage& picture = *taken.picture;
  if (bitsPerPixel != 24) {
    // Other depths pass through as they came: the transform works on 24-bit pixels.
    if (!picture.CreateFromArray(pixels, w, h, bpp, w * (bpp / 8), false)) return nullptr;
    return std::move(taken.picture);
  }
  // Nothing else writes a picture while the transform has it, so the transform may keep
  // what it wrote there last (the black around the pan square) as long as the picture
  // is the same one; a picture made anew is filled whole.
  ViewTransformParams p;
  p.zoom = m_view.m_fZoom;
  p.panZoom = m_view.m_fPanZoom;
  p.panX = m_view.m_nPanX;
  p.panY = m_view.m_nPanY;
  p.videoWidth = m_view.m_nVideoWidth;
  p.videoHeight = m_view.m_nVideoHeight;
  p.hMirror = m_view.m_bHMirror != 0;
  p.vMirror = m_view.m_bVMirror != 0;
  const auto destination = taken.fresh ? ViewTransform::Destination::Fresh : ViewTransform::Destination::Kept;
  if (!m_frame.m_transform.Apply(pixels, width, height, p, picture.GetBits(0), picture.GetEffWidth(), destination)) {
    return nullptr;
  }
  return std::move(taken.picture);
}

void CaptureSession::KeepRawFrame(const std::uint8_t* pixels, int width, int height, int bitsPerPixel) {
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  const auto bpp = static_cast<std::uint32_t>(bitsPerPixel);
  PictureSlots::Taken taken = m_frame.m_rawPictures.Take(w, h, bpp);
  if (!taken.picture || !taken.picture->CreateFromArray(pixels, w, h, bpp, w * (bpp / 8), false)) return;
  std::shared_ptr<const CxImage> raw = std::move(taken.picture);
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    m_frame.m_pRawImage.swap(raw);
  }
}

HRESULT CaptureSession::QueryInterface(const GUID& iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_ISampleGrabberCB || iid == IID_IUnknown) {
    *object = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}
