// Camera arrival and removal while the program runs, and a camera searched for and
// built again as an arrived one.
#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "outside/acam.h"
#include "platform/usb/device_monitor.h"
#include "platform/virtualcam/virtual_camera.h"

void CaptureSession::OnDeviceChange(int event) {
  // Any device event re-arms the still trigger: the next still buffer is not a press.
  RearmStill();

  if (event == platform::DBT_DEVICEARRIVAL) {
    if (m_graph.m_pSourceFilter) return;  // a camera is in use; another one changes nothing
    if (m_cameras.FindCameras() == 0) return;
    CloseCamera();
    if (m_cameras.FindCameras() == 0) return;
    BuildArrivedCamera();
    return;
  }

  if (event == platform::DBT_DEVICEREMOVECOMPLETE) {
    // Another capture device went: the camera is still there and nothing changes.
    ALC_Initialize();
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    const bool attached = ALC_GetPIDVID(&vendorId, &productId) != 0;
    ALC_UnInitialize();
    if (attached) return;

    TakeCameraAway();
  }
}

void CaptureSession::RebuildOnFirstCamera() {
  if (m_cameras.FindCameras() == 0) return;
  BuildArrivedCamera();
}

void CaptureSession::BuildArrivedCamera() {
  emit cameraArriving();
  RearmStill();
  const bool selected = SelectCamera(m_cameras.m_pCameraMonikers[0]);
  (void)selected;  // a camera that fails to start shows as a graph without a preview
  emit cameraArrived();
}

void CaptureSession::TakeCameraAway() {
  CloseCamera();
  m_bPowerLineAvailable = false;
  emit powerLineChanged(m_camera.m_nPowerLineFreq, false);
  emit cameraGone();
  RearmStill();
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
