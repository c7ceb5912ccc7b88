#include "capture/capture_session.h"

#include "capture/camera_discovery.h"
#include "capture/capture_listener.h"
#include "platform/usb/device_monitor.h"
#include "platform/virtualcam/virtual_camera.h"

CaptureSession::CaptureSession(CameraDiscovery& cameras, const UserFiles& texts, bool serviceMode,
                               CaptureListener& listener)
    : m_cameras(cameras), m_texts(texts), m_bServiceMode(serviceMode), m_listener(listener) {}

CaptureSession::~CaptureSession() {
  CloseCamera();
  UnregisterDeviceNotification();
}

void CaptureSession::RegisterDeviceNotification() {
  if (m_hDevNotify) return;
  m_hDevNotify = std::make_unique<platform::DeviceMonitor>();
  // Without udev no event ever comes, and the program runs on without hot-plug.
  const bool registered = m_hDevNotify->Register();
  (void)registered;
  QObject::connect(m_hDevNotify.get(), &platform::DeviceMonitor::deviceChange, m_hDevNotify.get(),
                   [this](int event) { OnDeviceChange(event); });
  // The virtual camera's plug and unplug come the same way, in order, on the UI thread.
  if (const auto& camera = m_cameras.Platform().virtualCamera) {
    platform::DeviceMonitor* monitor = m_hDevNotify.get();
    m_plugListener = camera->AddPlugListener([monitor](bool plugged) {
      monitor->Post(plugged ? platform::DBT_DEVICEARRIVAL : platform::DBT_DEVICEREMOVECOMPLETE);
    });
  }
}

void CaptureSession::UnregisterDeviceNotification() {
  if (m_plugListener >= 0 && m_cameras.Platform().virtualCamera) {
    m_cameras.Platform().virtualCamera->RemovePlugListener(m_plugListener);
    m_plugListener = -1;
  }
  if (m_hDevNotify) {
    m_hDevNotify->Unregister();
    m_hDevNotify.reset();
  }
}

bool CaptureSession::OpenFirstCamera() {
  if (m_cameras.FindCameras() == 0) return false;
  return SelectCamera(m_cameras.m_pCameraMonikers[0]);
}

void CaptureSession::CloseCamera() {
  StopPreview();
  DisconnectGraph();
  ReleaseGraph();
}

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

void CaptureSession::RearmStill() {
  m_bStillPending = true;
  m_bStillArmed = false;
}
