#include "platform/graph/device_property_bag.h"

namespace platform {

HRESULT DevicePropertyBag::Read(const QString& name, QString& value) {
  if (name == QLatin1String("FriendlyName")) {
    value = m_handle->FriendlyName();
    return S_OK;
  }
  if (name == QLatin1String("DevicePath")) {
    value = m_handle->Id();
    return S_OK;
  }
  return E_FAIL;
}

}  // namespace platform
