#include "flash/camera_access.h"

namespace flash {
namespace {

constexpr long kManual = 2;
constexpr long kAuto = 1;
constexpr int k50Hz = 1;
constexpr int k60Hz = 2;
// The record from its value on is the instance data the property set is also given.
constexpr std::uint32_t kInstanceSize = 16;

KSPROPERTY_VIDEOPROCAMP_S PowerLineRecord(std::int32_t value) {
  return {PROPSETID_VIDCAP_VIDEOPROCAMP,
          KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY,
          0,
          value,
          static_cast<std::uint32_t>(kManual),
          0,
          0};
}

}  // namespace

bool IsAutoFlags(long flags) { return flags != kManual; }

void GetProcAmp(IAMVideoProcAmp& procAmp, long property, int& value) {
  long v = 0;
  long flags = 0;
  if (SUCCEEDED(procAmp.Get(property, &v, &flags))) value = static_cast<int>(v);
}

void GetProcAmp(IAMVideoProcAmp& procAmp, long property, int& value, bool& autoOn) {
  long v = 0;
  long flags = 0;
  if (FAILED(procAmp.Get(property, &v, &flags))) return;
  value = static_cast<int>(v);
  autoOn = IsAutoFlags(flags);
}

void SetProcAmp(IAMVideoProcAmp& procAmp, long property, int value, bool autoOn) {
  (void)procAmp.Set(property, value, autoOn ? kAuto : kManual);
}

void GetExposure(IAMCameraControl& cameraControl, int& value, bool& autoOn) {
  long v = 0;
  long flags = 0;
  if (FAILED(cameraControl.Get(CameraControl_Exposure, &v, &flags))) return;
  value = static_cast<int>(v);
  autoOn = IsAutoFlags(flags);
}

void SetExposure(IAMCameraControl& cameraControl, int value, bool autoOn) {
  (void)cameraControl.Set(CameraControl_Exposure, value, autoOn ? kAuto : kManual);
}

int GetPowerLine(IKsPropertySet& properties) {
  KSPROPERTY_VIDEOPROCAMP_S record = PowerLineRecord(0);
  record.ValueFlags = 0;
  std::uint32_t returned = 0;
  const HRESULT hr = properties.Get(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY,
                                    &record.Value, kInstanceSize, &record, sizeof record, &returned);
  // A refused call leaves the value 0, which is not 50 Hz.
  const std::int32_t value = SUCCEEDED(hr) ? record.Value : 0;
  return value == k50Hz ? k50Hz : k60Hz;
}

void SetPowerLine(IKsPropertySet& properties, int frequency) {
  const KSPROPERTY_VIDEOPROCAMP_S record = PowerLineRecord(frequency == k50Hz ? k50Hz : k60Hz);
  (void)properties.Set(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, &record.Value,
                       kInstanceSize, &record, sizeof record);
}

}  // namespace flash
