// The session's life: made with the services it works with, and on leaving, the graph
// taken down and the device notification ended.
#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "platform/usb/device_monitor.h"

CaptureSession::CaptureSession(CameraDiscovery& cameras, const UserFiles& texts, bool serviceMode)
    : m_cameras(cameras), m_texts(texts), m_bServiceMode(serviceMode) {}

CaptureSession::~CaptureSession() {
  CloseCamera();
  UnregisterDeviceNotification();
}
