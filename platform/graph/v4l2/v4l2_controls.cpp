#include "platform/graph/v4l2/v4l2_controls.h"

#include <algorithm>
#include <cerrno>

#include "platform/graph/interfaces.h"
#include "platform/graph/v4l2/exposure_units.h"

namespace platform::v4l2 {
namespace {

// A range upside down is a driver's garbage, not a control the sliders could show.
bool Usable(const v4l2_queryctrl& info) {
  return !(info.flags & V4L2_CTRL_FLAG_DISABLED) && info.minimum <= info.maximum;
}

bool Writable(const v4l2_queryctrl& info) {
  return !(info.flags & (V4L2_CTRL_FLAG_INACTIVE | V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED));
}

bool IsMenu(const v4l2_queryctrl& info) {
  return info.type == V4L2_CTRL_TYPE_MENU || info.type == V4L2_CTRL_TYPE_INTEGER_MENU;
}

}  // namespace

HRESULT HresultOfErrno(int error) { return error == ENODEV ? E_DEVICE_GONE : E_FAIL; }

V4l2Controls::V4l2Controls(const V4l2Device& device) : m_device(device) {
  using AK = AutoKind;
  const PropertySet amp = PropertySet::VideoProcAmp;
  m_bindings = {
      {amp, VideoProcAmp_Brightness, V4L2_CID_BRIGHTNESS, 0, AK::None, false},
      {amp, VideoProcAmp_Contrast, V4L2_CID_CONTRAST, 0, AK::None, false},
      {amp, VideoProcAmp_Hue, V4L2_CID_HUE, 0, AK::None, false},
      {amp, VideoProcAmp_Saturation, V4L2_CID_SATURATION, 0, AK::None, false},
      {amp, VideoProcAmp_Sharpness, V4L2_CID_SHARPNESS, 0, AK::None, false},
      {amp, VideoProcAmp_Gamma, V4L2_CID_GAMMA, 0, AK::None, false},
      {amp, VideoProcAmp_WhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE, AK::Boolean,
       false},
      {amp, VideoProcAmp_Gain, V4L2_CID_GAIN, V4L2_CID_AUTOGAIN, AK::Boolean, false},
      {amp, static_cast<long>(KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY), V4L2_CID_POWER_LINE_FREQUENCY, 0, AK::None,
       false},
      {PropertySet::CameraControl, CameraControl_Exposure, V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO,
       AK::ExposureMenu, true},
  };
}

int V4l2Controls::Load() {
  for (Binding& b : m_bindings) {
    b.present = false;
    b.autoPresent = false;
    b.info = {};
    b.info.id = b.id;
    const int error = m_device.Ioctl(VIDIOC_QUERYCTRL, &b.info);
    if (error == ENODEV) return error;
    // EINVAL is the driver's "no such control"; any other failure leaves the control out too.
    if (error != 0 || !Usable(b.info)) continue;
    // Exposure is converted as a count of 100 µs units; a menu there would be a different control.
    if (b.log2Exposure && b.info.type != V4L2_CTRL_TYPE_INTEGER) continue;
    b.present = true;
    if (const int partnerError = LoadAutoPartner(b); partnerError == ENODEV) return partnerError;
  }
  return 0;
}

int V4l2Controls::LoadAutoPartner(Binding& b) const {
  if (b.autoKind == AutoKind::None) return 0;
  v4l2_queryctrl partner{};
  partner.id = b.autoId;
  const int error = m_device.Ioctl(VIDIOC_QUERYCTRL, &partner);
  if (error != 0 || !Usable(partner)) return error;
  if (b.autoKind == AutoKind::Boolean) {
    b.autoPresent = true;
    b.autoOn = 1;
    b.autoOff = 0;
    return 0;
  }
  // The exposure menu: manual must be there to leave automatic, and of the automatic
  // modes the one that keeps the iris free (aperture priority) is what UVC cameras
  // offer; the full auto mode comes second.
  if (!MenuOffers(b.autoId, V4L2_EXPOSURE_MANUAL)) return 0;
  for (const std::int32_t mode : {static_cast<std::int32_t>(V4L2_EXPOSURE_APERTURE_PRIORITY),
                                  static_cast<std::int32_t>(V4L2_EXPOSURE_AUTO)}) {
    if (mode >= partner.minimum && mode <= partner.maximum && MenuOffers(b.autoId, mode)) {
      b.autoPresent = true;
      b.autoOn = mode;
      b.autoOff = V4L2_EXPOSURE_MANUAL;
      return 0;
    }
  }
  return 0;
}

bool V4l2Controls::MenuOffers(std::uint32_t id, std::int32_t value) const {
  if (value < 0) return false;
  v4l2_querymenu item{};
  item.id = id;
  item.index = static_cast<std::uint32_t>(value);
  return m_device.Ioctl(VIDIOC_QUERYMENU, &item) == 0;
}

const V4l2Controls::Binding* V4l2Controls::Find(PropertySet set, long property) const {
  for (const Binding& b : m_bindings) {
    if (b.set == set && b.property == property) return b.present ? &b : nullptr;
  }
  return nullptr;
}

bool V4l2Controls::Offers(PropertySet set) const {
  return std::any_of(m_bindings.begin(), m_bindings.end(),
                     [set](const Binding& b) { return b.set == set && b.present; });
}

bool V4l2Controls::IsAuto(const Binding& b, std::int32_t partnerValue) const {
  if (b.autoKind == AutoKind::Boolean) return partnerValue != 0;
  // Shutter priority fixes the exposure time, so only these two count as automatic exposure.
  return partnerValue == V4L2_EXPOSURE_AUTO || partnerValue == V4L2_EXPOSURE_APERTURE_PRIORITY;
}

HRESULT V4l2Controls::GetRange(PropertySet set, long property, PropertyRange& range) const {
  const Binding* b = Find(set, property);
  if (!b) return E_PROP_ID_UNSUPPORTED;
  if (b->log2Exposure) {
    range.min = ExposureLog2FromUnits(b->info.minimum);
    range.max = ExposureLog2FromUnits(b->info.maximum);
    range.def = ExposureLog2FromUnits(b->info.default_value);
    range.step = 1;
  } else {
    range.min = b->info.minimum;
    range.max = b->info.maximum;
    range.def = b->info.default_value;
    range.step = b->info.step > 0 ? b->info.step : 1;
  }
  range.caps = b->autoPresent ? (CameraControl_Flags_Auto | CameraControl_Flags_Manual) : CameraControl_Flags_Manual;
  return S_OK;
}

HRESULT V4l2Controls::Get(PropertySet set, long property, long& value, long& flags) const {
  const Binding* b = Find(set, property);
  if (!b) return E_PROP_ID_UNSUPPORTED;
  v4l2_control control{b->id, 0};
  if (const int error = m_device.Ioctl(VIDIOC_G_CTRL, &control); error != 0) return HresultOfErrno(error);
  long autoFlag = CameraControl_Flags_Manual;
  if (b->autoPresent) {
    v4l2_control partner{b->autoId, 0};
    if (const int error = m_device.Ioctl(VIDIOC_G_CTRL, &partner); error != 0) return HresultOfErrno(error);
    if (IsAuto(*b, partner.value)) autoFlag = CameraControl_Flags_Auto;
  }
  value = b->log2Exposure ? ExposureLog2FromUnits(control.value) : control.value;
  flags = autoFlag;
  return S_OK;
}

HRESULT V4l2Controls::DeviceValue(const Binding& b, long value, std::int32_t& deviceValue) const {
  const long min = b.info.minimum;
  const long max = b.info.maximum;
  if (IsMenu(b.info)) {
    if (value < min || value > max || !MenuOffers(b.id, static_cast<std::int32_t>(value))) return E_INVALIDARG;
    deviceValue = static_cast<std::int32_t>(value);
    return S_OK;
  }
  // The exposure steps are powers of two, so a value maps to the nearest unit count
  // the camera can take; other controls take their value clamped to their range, as
  // the camera itself would clamp it.
  const long wanted = b.log2Exposure ? ExposureUnitsFromLog2(value) : value;
  deviceValue = static_cast<std::int32_t>(std::clamp(wanted, min, max));
  return S_OK;
}

HRESULT V4l2Controls::WriteControl(std::uint32_t id, std::int32_t value) const {
  v4l2_control control{id, value};
  const int error = m_device.Ioctl(VIDIOC_S_CTRL, &control);
  return error == 0 ? S_OK : HresultOfErrno(error);
}

HRESULT V4l2Controls::Set(PropertySet set, long property, long value, long flags) const {
  const Binding* b = Find(set, property);
  if (!b) return E_PROP_ID_UNSUPPORTED;
  if (flags != CameraControl_Flags_Auto && flags != CameraControl_Flags_Manual) return E_INVALIDARG;
  std::int32_t deviceValue = 0;
  if (const HRESULT hr = DeviceValue(*b, value, deviceValue); FAILED(hr)) return hr;

  if (flags == CameraControl_Flags_Manual) {
    // Automatic off first: until then the driver may refuse the value of an inactive control.
    if (b->autoPresent) {
      if (const HRESULT hr = WriteControl(b->autoId, b->autoOff); FAILED(hr)) return hr;
    }
    return WriteControl(b->id, deviceValue);
  }

  if (b->autoPresent) {
    if (const HRESULT hr = WriteControl(b->autoId, b->autoOn); FAILED(hr)) return hr;
  }
  // With automatic on, the driver usually marks the control inactive; writing it then
  // would fail although nothing is wrong.
  v4l2_queryctrl now{};
  now.id = b->id;
  if (const int error = m_device.Ioctl(VIDIOC_QUERYCTRL, &now); error != 0) return HresultOfErrno(error);
  if (!Writable(now)) return S_OK;
  return WriteControl(b->id, deviceValue);
}

}  // namespace platform::v4l2
