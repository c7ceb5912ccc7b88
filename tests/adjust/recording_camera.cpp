#include "recording_camera.h"

#include <algorithm>
#include <cmath>

namespace adjusttest {

template <class Base>
class RecordingCamera::Interface : public Base {
 public:
  Interface(RecordingCamera& camera, std::map<long, FakeProperty>& properties, bool cameraControl)
      : m_camera(camera), m_properties(properties), m_cameraControl(cameraControl) {}

  HRESULT GetRange(long property, long* min, long* max, long* step, long* def, long* caps) override {
    Log("GetRange", property);
    const FakeProperty* p = Find(property);
    if (!p) return E_PROP_ID_UNSUPPORTED;
    *min = p->min;
    *max = p->max;
    *step = p->step;
    *def = p->def;
    *caps = p->caps;
    return S_OK;
  }
  HRESULT Set(long property, long value, long flags) override {
    Log("Set", property);
    m_camera.m_sets.push_back(NameOf(m_cameraControl, property) + "=" + std::to_string(value) + "/" +
                              std::to_string(flags));
    FakeProperty* p = Find(property);
    if (!p) return E_PROP_ID_UNSUPPORTED;
    if (flags != 1 && flags != 2) return E_INVALIDARG;
    // As a camera takes it: within the range, on the step.
    const long clamped = std::clamp(value, p->min, p->max);
    p->value = std::min(p->max, p->min + std::lround(static_cast<double>(clamped - p->min) / p->step) * p->step);
    p->flags = flags;
    return S_OK;
  }
  HRESULT Get(long property, long* value, long* flags) override {
    Log("Get", property);
    const FakeProperty* p = Find(property);
    if (!p) return E_PROP_ID_UNSUPPORTED;
    if (p->failGet) return E_FAIL;
    *value = p->value;
    *flags = p->flags;
    return S_OK;
  }

 private:
  FakeProperty* Find(long property) {
    auto it = m_properties.find(property);
    return it == m_properties.end() ? nullptr : &it->second;
  }
  void Log(const char* kind, long property) {
    m_camera.m_calls.push_back(std::string(kind) + " " + NameOf(m_cameraControl, property));
  }

  RecordingCamera& m_camera;
  std::map<long, FakeProperty>& m_properties;
  bool m_cameraControl;
};

RecordingCamera::RecordingCamera() {
  auto add = [this](long property, long min, long max, long step, long def, long caps, long flags) {
    m_amp[property] = {min, max, step, def, caps, def, flags, false};
  };
  add(VideoProcAmp_Brightness, -64, 64, 1, 0, 2, 2);
  add(VideoProcAmp_Contrast, 0, 95, 1, 32, 2, 2);
  add(VideoProcAmp_Hue, -2000, 2000, 1, 0, 2, 2);
  add(VideoProcAmp_Saturation, 0, 100, 1, 64, 2, 2);
  add(VideoProcAmp_Sharpness, 0, 7, 1, 2, 2, 2);
  add(VideoProcAmp_Gamma, 100, 300, 1, 100, 2, 2);
  add(VideoProcAmp_WhiteBalance, 2800, 6500, 10, 4600, 3, 1);
  add(VideoProcAmp_Gain, 0, 100, 1, 0, 3, 2);
  m_cam[CameraControl_Exposure] = {-13, -1, 1, -6, 3, -6, 1, false};
  m_procAmp = std::make_shared<Interface<IAMVideoProcAmp>>(*this, m_amp, false);
  m_cameraControl = std::make_shared<Interface<IAMCameraControl>>(*this, m_cam, true);
}

CameraProperties RecordingCamera::Properties() const { return {m_procAmp, m_cameraControl, nullptr}; }
CameraProperties RecordingCamera::WithoutCameraControl() const { return {m_procAmp, nullptr, nullptr}; }
CameraProperties RecordingCamera::WithoutVideoProcAmp() const { return {nullptr, m_cameraControl, nullptr}; }

std::vector<std::string> RecordingCamera::Sets() const { return m_sets; }
std::vector<std::string> RecordingCamera::Calls() const { return m_calls; }

void RecordingCamera::Clear() {
  m_calls.clear();
  m_sets.clear();
}

std::string RecordingCamera::NameOf(bool cameraControl, long property) {
  if (cameraControl) return property == CameraControl_Exposure ? "exposure" : "cc" + std::to_string(property);
  switch (property) {
    case VideoProcAmp_Brightness: return "brightness";
    case VideoProcAmp_Contrast: return "contrast";
    case VideoProcAmp_Hue: return "hue";
    case VideoProcAmp_Saturation: return "saturation";
    case VideoProcAmp_Sharpness: return "sharpness";
    case VideoProcAmp_Gamma: return "gamma";
    case VideoProcAmp_WhiteBalance: return "whitebalance";
    case VideoProcAmp_Gain: return "gain";
    default: return "amp" + std::to_string(property);
  }
}

}  // namespace adjusttest
