#include "camera_controls.h"

#include <cmath>

#include "platform/graph/interfaces.h"

namespace platform::vcam {

namespace {

constexpr double kSceneExposure = -6.0;  // what the auto exposure settles on for this scene
constexpr double kAutoRate = 0.08;       // part of the remaining distance covered per frame
constexpr int kStepsPerStop = 16;

PropertyRange Range(long min, long max, long step, long def, long caps) { return {min, max, step, def, caps}; }

}  // namespace

CameraControls::CameraControls() { Reset(); }

void CameraControls::Reset() {
  std::lock_guard lock(m_mutex);
  auto init = [this](Slot slot, PropertyRange range, bool automatic) {
    m_controls[slot] = {range, range.def, automatic};
  };
  init(Brightness, Range(-64, 64, 1, 0, 2), false);
  init(Contrast, Range(0, 95, 1, 32, 2), false);
  init(Hue, Range(-2000, 2000, 1, 0, 2), false);
  init(Saturation, Range(0, 100, 1, 64, 2), false);
  init(Sharpness, Range(0, 7, 1, 2, 2), false);
  init(Gamma, Range(100, 300, 1, 100, 2), false);
  init(WhiteBalance, Range(2800, 6500, 10, 4600, 3), true);
  init(Gain, Range(0, 100, 1, 0, 3), false);
  init(PowerLine, Range(0, 2, 1, 1, 2), false);
  init(Exposure, Range(-13, -1, 1, -6, 3), true);
  m_autoExposure = kSceneExposure;
  RebuildLocked();
}

int CameraControls::SlotOf(PropertySet set, long property) {
  if (set == PropertySet::VideoProcAmp) {
    switch (property) {
      case VideoProcAmp_Brightness: return Brightness;
      case VideoProcAmp_Contrast: return Contrast;
      case VideoProcAmp_Hue: return Hue;
      case VideoProcAmp_Saturation: return Saturation;
      case VideoProcAmp_Sharpness: return Sharpness;
      case VideoProcAmp_Gamma: return Gamma;
      case VideoProcAmp_WhiteBalance: return WhiteBalance;
      case VideoProcAmp_Gain: return Gain;
      case kPowerLineProperty: return PowerLine;
      default: return -1;
    }
  }
  return property == CameraControl_Exposure ? Exposure : -1;
}

long CameraControls::EffectiveLocked(int slot) const {
  const Control& c = m_controls[slot];
  if (!c.automatic) return c.value;
  switch (slot) {
    case WhiteBalance: return 4600;  // the scene's light, found at once
    case Gain: return 0;             // the auto exposure needs no gain for this scene
    case Exposure: return std::lround(m_autoExposure);
    default: return c.value;
  }
}

HRESULT CameraControls::GetRange(PropertySet set, long property, PropertyRange& range) const {
  const int slot = SlotOf(set, property);
  if (slot < 0) return E_PROP_ID_UNSUPPORTED;
  std::lock_guard lock(m_mutex);
  range = m_controls[slot].range;
  return S_OK;
}

HRESULT CameraControls::Get(PropertySet set, long property, long& value, long& flags) const {
  const int slot = SlotOf(set, property);
  if (slot < 0) return E_PROP_ID_UNSUPPORTED;
  std::lock_guard lock(m_mutex);
  value = EffectiveLocked(slot);
  flags = m_controls[slot].automatic ? VideoProcAmp_Flags_Auto : VideoProcAmp_Flags_Manual;
  return S_OK;
}

HRESULT CameraControls::Set(PropertySet set, long property, long value, long flags) {
  const int slot = SlotOf(set, property);
  if (slot < 0) return E_PROP_ID_UNSUPPORTED;
  std::lock_guard lock(m_mutex);
  Control& c = m_controls[slot];
  const bool inRange = value >= c.range.min && value <= c.range.max;
  if (flags == VideoProcAmp_Flags_Auto) {
    if (!(c.range.caps & VideoProcAmp_Flags_Auto)) return E_INVALIDARG;
    if (inRange) c.value = value;
    c.automatic = true;
  } else if (flags == VideoProcAmp_Flags_Manual) {
    if (!inRange) return E_INVALIDARG;
    c.value = value;
    c.automatic = false;
  } else {
    return E_INVALIDARG;
  }
  // The auto exposure takes over from where the manual exposure left the picture.
  if (slot == Exposure && !c.automatic) m_autoExposure = static_cast<double>(c.value);
  RebuildLocked();
  return S_OK;
}

void CameraControls::AdvanceAutoExposure() {
  std::lock_guard lock(m_mutex);
  if (!m_controls[Exposure].automatic) return;
  const double distance = kSceneExposure - m_autoExposure;
  m_autoExposure = std::abs(distance) < 1.0 / kStepsPerStop ? kSceneExposure : m_autoExposure + distance * kAutoRate;
  if (std::lround(m_autoExposure * kStepsPerStop) != m_builtExposureSteps) RebuildLocked();
}

void CameraControls::RebuildLocked() {
  ToneSettings s;
  s.brightness = EffectiveLocked(Brightness);
  s.contrast = EffectiveLocked(Contrast);
  s.hue = EffectiveLocked(Hue);
  s.saturation = EffectiveLocked(Saturation);
  s.sharpness = EffectiveLocked(Sharpness);
  s.gamma = EffectiveLocked(Gamma);
  s.whiteBalance = EffectiveLocked(WhiteBalance);
  s.gain = EffectiveLocked(Gain);
  s.powerLine = EffectiveLocked(PowerLine);
  m_builtExposureSteps = static_cast<int>(std::lround(m_autoExposure * kStepsPerStop));
  s.exposure = m_controls[Exposure].automatic ? static_cast<double>(m_builtExposureSteps) / kStepsPerStop
                                              : static_cast<double>(m_controls[Exposure].value);
  m_tables = std::make_shared<const ToneTables>(ToneTables::Build(s));
}

std::shared_ptr<const ToneTables> CameraControls::Tables() const {
  std::lock_guard lock(m_mutex);
  return m_tables;
}

}  // namespace platform::vcam
