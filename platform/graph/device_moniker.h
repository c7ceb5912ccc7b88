// The moniker of one present capture device.
#pragma once

#include <memory>

#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

namespace platform {

class DeviceMoniker final : public IMoniker {
 public:
  explicit DeviceMoniker(std::shared_ptr<DeviceHandle> handle) : m_handle(std::move(handle)) {}

  HRESULT BindToStorage(std::shared_ptr<IPropertyBag>& bag) override;
  // Opens the device and makes its capture source filter; E_FAIL when it cannot be opened.
  HRESULT BindToObject(std::shared_ptr<IBaseFilter>& filter) override;
  // Same device: the handles' ids are equal.
  bool IsEqual(const IMoniker& other) const override;

  const std::shared_ptr<DeviceHandle>& Handle() const { return m_handle; }

 private:
  const std::shared_ptr<DeviceHandle> m_handle;
};

}  // namespace platform
