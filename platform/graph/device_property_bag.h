// The property bag of a capture device: its friendly name and its device path.
#pragma once

#include <memory>

#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

namespace platform {

class DevicePropertyBag final : public IPropertyBag {
 public:
  explicit DevicePropertyBag(std::shared_ptr<DeviceHandle> handle) : m_handle(std::move(handle)) {}

  // "FriendlyName" and "DevicePath" (the handle's id); E_FAIL for any other name.
  HRESULT Read(const QString& name, QString& value) override;

 private:
  const std::shared_ptr<DeviceHandle> m_handle;
};

}  // namespace platform
