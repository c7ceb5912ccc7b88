#include "platform/graph/device_moniker.h"

#include "platform/graph/capture_source.h"
#include "platform/graph/device_property_bag.h"

namespace platform {

HRESULT DeviceMoniker::BindToStorage(std::shared_ptr<IPropertyBag>& bag) {
  bag = std::make_shared<DevicePropertyBag>(m_handle);
  return S_OK;
}

HRESULT DeviceMoniker::BindToObject(std::shared_ptr<IBaseFilter>& filter) {
  filter.reset();
  std::shared_ptr<SourceDevice> device = m_handle->Open();
  if (!device) return E_FAIL;
  filter = CreateCaptureSourceFilter(std::move(device));
  return filter ? S_OK : E_FAIL;
}

bool DeviceMoniker::IsEqual(const IMoniker& other) const {
  const auto* device = dynamic_cast<const DeviceMoniker*>(&other);
  return device && device->m_handle->Id() == m_handle->Id();
}

}  // namespace platform
