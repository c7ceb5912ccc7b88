// IKsPropertySet over a camera's video processing amplifier properties, in the
// record form KSPROPERTY_VIDEOPROCAMP_S (the power-line frequency is property 13).
#pragma once

#include <memory>

#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

namespace platform {

class KsPropertyAccess : public IKsPropertySet {
 public:
  explicit KsPropertyAccess(std::shared_ptr<SourceDevice> device) : m_device(std::move(device)) {}

  // The value and its flags come from the 40-byte property record (bytes 24 and 28)
  // or, without one, from the instance data (its first 8 of 16 bytes).
  HRESULT Set(const GUID& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
              const void* propertyData, std::uint32_t dataLength) override;
  // Fills a 40-byte property record.
  HRESULT Get(const GUID& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
              void* propertyData, std::uint32_t dataLength, std::uint32_t* bytesReturned) override;

 private:
  const std::shared_ptr<SourceDevice> m_device;
};

}  // namespace platform
