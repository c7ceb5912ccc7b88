#include "adjust/open_camera_pro_wnd.h"

#include <algorithm>
#include <climits>

#include "adjust/camera_pro_wnd.h"
#include "platform/graph/interfaces.h"

namespace {

long FlagOf(bool automatic) { return automatic ? VideoProcAmp_Flags_Auto : VideoProcAmp_Flags_Manual; }

// A value the camera gave, kept as the 32-bit member it goes into.
int ToInt(long v) { return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX)); }

}  // namespace

void ReadCameraAtOpening(const CameraProperties& camera, CameraParams& params) {
  if (IAMVideoProcAmp* amp = camera.procAmp.get()) {
    // The results go unchecked: a read that fails leaves its member as it was.
    auto get = [amp](long property, int& member, long& flags) {
      long value = member;
      if (SUCCEEDED(amp->Get(property, &value, &flags))) member = ToInt(value);
    };
    long flags = VideoProcAmp_Flags_Manual;
    get(VideoProcAmp_Brightness, params.m_nBrightness, flags);
    get(VideoProcAmp_Contrast, params.m_nContrast, flags);
    get(VideoProcAmp_Saturation, params.m_nSaturation, flags);
    get(VideoProcAmp_Hue, params.m_nHue, flags);
    get(VideoProcAmp_Sharpness, params.m_nSharpness, flags);
    get(VideoProcAmp_Gamma, params.m_nGamma, flags);
    get(VideoProcAmp_Gain, params.m_nGain, flags);
    long wbFlags = FlagOf(params.m_bWhiteBalanceAuto);
    get(VideoProcAmp_WhiteBalance, params.m_nWhiteBalance, wbFlags);
    params.m_bWhiteBalanceAuto = wbFlags != VideoProcAmp_Flags_Manual;
  }
  if (IAMCameraControl* control = camera.cameraControl.get()) {
    long value = 0, flags = 0;
    if (SUCCEEDED(control->Get(CameraControl_Exposure, &value, &flags))) {
      params.m_nExposure = ToInt(value);
      params.m_bExposureAuto = flags != CameraControl_Flags_Manual;
      params.m_bGainAuto = params.m_bExposureAuto;
    }
  }
}

void RestoreCamera(const CameraProperties& camera, const CameraParams& params) {
  if (IAMVideoProcAmp* amp = camera.procAmp.get()) {
    amp->Set(VideoProcAmp_Brightness, params.m_nBrightness, VideoProcAmp_Flags_Manual);
    amp->Set(VideoProcAmp_Contrast, params.m_nContrast, VideoProcAmp_Flags_Manual);
    amp->Set(VideoProcAmp_Saturation, params.m_nSaturation, VideoProcAmp_Flags_Manual);
    amp->Set(VideoProcAmp_Hue, params.m_nHue, VideoProcAmp_Flags_Manual);
    amp->Set(VideoProcAmp_Sharpness, params.m_nSharpness, VideoProcAmp_Flags_Manual);
    amp->Set(VideoProcAmp_Gamma, params.m_nGamma, VideoProcAmp_Flags_Manual);
    amp->Set(VideoProcAmp_Gain, params.m_nGain, FlagOf(params.m_bGainAuto));
    amp->Set(VideoProcAmp_WhiteBalance, params.m_nWhiteBalance, FlagOf(params.m_bWhiteBalanceAuto));
  }
  if (IAMCameraControl* control = camera.cameraControl.get()) {
    control->Set(CameraControl_Exposure, params.m_nExposure, FlagOf(params.m_bExposureAuto));
  }
}

int RunCameraProWnd(const CameraProperties& camera, CameraParams& params, const UserFiles& files,
                    const ProWndRects& placement, QWidget* owner) {
  ReadCameraAtOpening(camera, params);
  int result = CCameraProWnd::IDCANCEL;
  {
    CCameraProWnd wnd(camera, params, files, placement, owner);
    result = wnd.DoModal();
  }
  if (result == CCameraProWnd::IDCANCEL) RestoreCamera(camera, params);
  return result;
}

int OpenCameraProWnd(const std::shared_ptr<IBaseFilter>& source, const std::shared_ptr<IBaseFilter>& grabber,
                     CameraParams& params, const UserFiles& files, const ProWndRects& placement, QWidget* owner) {
  if (!source || !grabber) return 0;
  return RunCameraProWnd(CameraProperties::Of(source), params, files, placement, owner);
}
