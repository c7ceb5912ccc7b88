// Camera arrival and removal while the program runs.
#include "capture/camera_discovery.h"
#include "capture/capture_listener.h"
#include "capture/capture_session.h"
#include "outside/acam.h"
#include "platform/usb/device_monitor.h"

void CaptureSession::OnDeviceChange(int event) {
  // Any device event re-arms the still trigger: the next still buffer is not a press.
  RearmStill();

  if (event == platform::DBT_DEVICEARRIVAL) {
    if (m_graph.m_pSourceFilter) return;  // a camera is in use; another one changes nothing
    if (m_cameras.FindCameras() == 0) return;
    CloseCamera();
    if (m_cameras.FindCameras() == 0) return;
    m_listener.OnCameraArriving();
    RearmStill();
    const bool selected = SelectCamera(m_cameras.m_pCameraMonikers[0]);
    (void)selected;  // a camera that fails to start shows as a graph without a preview
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

    CloseCamera();
    m_bPowerLineAvailable = false;
    m_listener.OnPowerLineChanged(m_camera.m_nPowerLineFreq, false);
    m_listener.OnCameraGone();
    RearmStill();
  }
}
