// The automatic exposure switch of normal mode.
#include "capture/capture_session.h"

bool CaptureSession::ToggleExposure() {
  auto control = ::QueryInterface<IAMCameraControl>(m_graph.m_pSourceFilter);
  if (!control) return false;
  const bool automatic = !m_camera.m_bExposureAuto;
  m_camera.m_bExposureAuto = automatic;
  m_camera.m_bGainAuto = automatic;
  if (!automatic) {
    // Manual exposure takes the last exposure known; one the camera would refuse
    // (never read from it) is replaced by what the camera has now, so the camera
    // really leaves automatic mode as the button says.
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    long value = 0, flags = 0;
    if (SUCCEEDED(control->GetRange(CameraControl_Exposure, &min, &max, &step, &def, &caps)) &&
        (m_camera.m_nExposure < min || m_camera.m_nExposure > max) &&
        SUCCEEDED(control->Get(CameraControl_Exposure, &value, &flags))) {
      m_camera.m_nExposure = static_cast<int>(value);
    }
  }
  const HRESULT set = control->Set(CameraControl_Exposure, m_camera.m_nExposure,
                                   automatic ? CameraControl_Flags_Auto : CameraControl_Flags_Manual);
  (void)set;  // the switch shows the state asked for; a refusing camera keeps its own
  return true;
}
