// The camera's properties in the graph's units over V4L2 controls.
//
// VideoProcAmp: brightness 0, contrast 1, hue 2, saturation 3, sharpness 4, gamma 5,
// white balance 7 (temperature, auto through V4L2_CID_AUTO_WHITE_BALANCE), gain 9
// (auto through V4L2_CID_AUTOGAIN where the driver has it) and power-line frequency 13
// (0 off, 1 = 50 Hz, 2 = 60 Hz, as V4L2 numbers them). CameraControl: exposure 4, in
// log2 seconds, auto through the V4L2_CID_EXPOSURE_AUTO menu.
//
// Flags: 1 = auto, 2 = manual. Setting flags 1 switches the automatic partner on; the
// value is still written when the control stays writable, so it is in place once the
// user turns automatic off again. A control without an automatic partner takes the
// value either way. Setting flags 2 turns the partner off first, then writes the value.
#pragma once

#include <linux/videodev2.h>

#include <cstdint>
#include <vector>

#include "platform/graph/com.h"
#include "platform/graph/source_device.h"
#include "platform/graph/v4l2/v4l2_device.h"

namespace platform::v4l2 {

class V4l2Controls {
 public:
  explicit V4l2Controls(const V4l2Device& device);

  // Learns which of the mapped controls the camera has, their ranges and the modes of
  // their automatic partners. 0, or the errno that ended the queries (ENODEV when the
  // camera is gone).
  int Load();

  // VideoProcAmp: any of its controls exists. CameraControl: the exposure control exists.
  bool Offers(PropertySet set) const;
  // E_PROP_ID_UNSUPPORTED for a property the camera lacks; E_DEVICE_GONE when it was
  // unplugged; E_FAIL for any other driver error; E_INVALIDARG for flags other than
  // 1 and 2, or a menu value the camera does not offer.
  HRESULT GetRange(PropertySet set, long property, PropertyRange& range) const;
  HRESULT Get(PropertySet set, long property, long& value, long& flags) const;
  HRESULT Set(PropertySet set, long property, long value, long flags) const;

 private:
  enum class AutoKind { None, Boolean, ExposureMenu };

  struct Binding {
    PropertySet set;
    long property;
    std::uint32_t id;
    std::uint32_t autoId;  // 0 when the property has no automatic partner
    AutoKind autoKind;
    bool log2Exposure;
    // Learned by Load.
    bool present = false;
    v4l2_queryctrl info{};
    bool autoPresent = false;
    std::int32_t autoOn = 0;
    std::int32_t autoOff = 0;
  };

  const Binding* Find(PropertySet set, long property) const;
  int LoadAutoPartner(Binding& binding) const;
  bool MenuOffers(std::uint32_t id, std::int32_t value) const;
  bool IsAuto(const Binding& binding, std::int32_t partnerValue) const;
  HRESULT DeviceValue(const Binding& binding, long value, std::int32_t& deviceValue) const;
  HRESULT WriteControl(std::uint32_t id, std::int32_t value) const;

  const V4l2Device& m_device;
  std::vector<Binding> m_bindings;
};

// The result code of a failed driver call.
HRESULT HresultOfErrno(int error);

}  // namespace platform::v4l2
