// The system device enumerator: the capture devices of every provider, in order.
#pragma once

#include <memory>
#include <vector>

#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

namespace platform {

class SystemDeviceEnum final : public ICreateDevEnum {
 public:
  explicit SystemDeviceEnum(std::vector<std::shared_ptr<DeviceProvider>> providers)
      : m_providers(std::move(providers)) {}

  // The devices present now, for the video input category; S_FALSE and no
  // enumerator when there are none or for any other category.
  HRESULT CreateClassEnumerator(const GUID& category, std::shared_ptr<IEnumMoniker>& enumerator) override;

 private:
  const std::vector<std::shared_ptr<DeviceProvider>> m_providers;
};

}  // namespace platform
