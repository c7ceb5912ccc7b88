#include "platform/graph/system_device_enum.h"

#include "platform/graph/device_moniker.h"
#include "platform/graph/moniker_enumerator.h"

namespace platform {

HRESULT SystemDeviceEnum::CreateClassEnumerator(const GUID& category, std::shared_ptr<IEnumMoniker>& enumerator) {
  enumerator.reset();
  if (category != CLSID_VideoInputDeviceCategory) return S_FALSE;
  std::vector<std::shared_ptr<IMoniker>> monikers;
  for (const auto& provider : m_providers) {
    if (!provider) continue;
    for (auto& handle : provider->Devices()) {
      if (handle) monikers.push_back(std::make_shared<DeviceMoniker>(std::move(handle)));
    }
  }
  if (monikers.empty()) return S_FALSE;
  enumerator = std::make_shared<MonikerEnumerator>(std::move(monikers));
  return S_OK;
}

}  // namespace platform
