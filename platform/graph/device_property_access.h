// IAMVideoProcAmp and IAMCameraControl over a camera's property sets. Both
// interfaces declare the same three operations, so each gets its own implementing
// base here and the capture filter inherits both.
#pragma once

#include <memory>

#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

namespace platform {

template <class Interface, PropertySet kSet>
class DevicePropertyAccess : public Interface {
 public:
  explicit DevicePropertyAccess(std::shared_ptr<SourceDevice> device) : m_device(std::move(device)) {}

  HRESULT GetRange(long property, long* min, long* max, long* steppingDelta, long* defaultValue,
                   long* capsFlags) override {
    if (!min || !max || !steppingDelta || !defaultValue || !capsFlags) return E_POINTER;
    PropertyRange range;
    const HRESULT hr = m_device->GetRange(kSet, property, range);
    if (FAILED(hr)) return hr;
    *min = range.min;
    *max = range.max;
    *steppingDelta = range.step;
    *defaultValue = range.def;
    *capsFlags = range.caps;
    return hr;
  }

  HRESULT Set(long property, long value, long flags) override { return m_device->Set(kSet, property, value, flags); }

  HRESULT Get(long property, long* value, long* flags) override {
    if (!value || !flags) return E_POINTER;
    long v = 0;
    long f = 0;
    const HRESULT hr = m_device->Get(kSet, property, v, f);
    if (FAILED(hr)) return hr;
    *value = v;
    *flags = f;
    return hr;
  }

 private:
  const std::shared_ptr<SourceDevice> m_device;
};

using VideoProcAmpAccess = DevicePropertyAccess<IAMVideoProcAmp, PropertySet::VideoProcAmp>;
using CameraControlAccess = DevicePropertyAccess<IAMCameraControl, PropertySet::CameraControl>;

}  // namespace platform
