#include "platform/graph/ks_property_access.h"

#include <cstddef>
#include <cstring>

namespace platform {
namespace {

constexpr std::uint32_t kRecordSize = sizeof(KSPROPERTY_VIDEOPROCAMP_S);
constexpr std::uint32_t kInstanceSize = 16;  // the record from its value on
constexpr std::size_t kValueOffset = offsetof(KSPROPERTY_VIDEOPROCAMP_S, Value);
constexpr std::size_t kValueFlagsOffset = offsetof(KSPROPERTY_VIDEOPROCAMP_S, ValueFlags);
static_assert(kValueOffset == 24 && kValueFlagsOffset == 28);
// The instance data start at the value.
constexpr std::size_t kInstanceValueOffset = 0;
constexpr std::size_t kInstanceValueFlagsOffset = kValueFlagsOffset - kValueOffset;

std::int32_t ReadField(const void* data, std::size_t offset) {
  std::int32_t v;
  std::memcpy(&v, static_cast<const std::uint8_t*>(data) + offset, sizeof v);
  return v;
}

}  // namespace

HRESULT KsPropertyAccess::Set(const GUID& propSet, std::uint32_t id, const void* instanceData,
                              std::uint32_t instanceLength, const void* propertyData, std::uint32_t dataLength) {
  if (propSet != PROPSETID_VIDCAP_VIDEOPROCAMP) return E_PROP_ID_UNSUPPORTED;
  long value = 0;
  long flags = 0;
  if (propertyData && dataLength >= kRecordSize) {
    value = ReadField(propertyData, kValueOffset);
    flags = ReadField(propertyData, kValueFlagsOffset);
  } else if (instanceData && instanceLength >= kInstanceSize) {
    value = ReadField(instanceData, kInstanceValueOffset);
    flags = ReadField(instanceData, kInstanceValueFlagsOffset);
  } else {
    return E_INVALIDARG;
  }
  return m_device->Set(PropertySet::VideoProcAmp, static_cast<long>(id), value, flags);
}

HRESULT KsPropertyAccess::Get(const GUID& propSet, std::uint32_t id, const void* instanceData,
                              std::uint32_t instanceLength, void* propertyData, std::uint32_t dataLength,
                              std::uint32_t* bytesReturned) {
  (void)instanceData;
  (void)instanceLength;
  if (propSet != PROPSETID_VIDCAP_VIDEOPROCAMP) return E_PROP_ID_UNSUPPORTED;
  if (!propertyData) return E_POINTER;
  if (dataLength < kRecordSize) return E_INVALIDARG;
  long value = 0;
  long flags = 0;
  const HRESULT hr = m_device->Get(PropertySet::VideoProcAmp, static_cast<long>(id), value, flags);
  if (FAILED(hr)) return hr;
  PropertyRange range;
  const bool hasRange = SUCCEEDED(m_device->GetRange(PropertySet::VideoProcAmp, static_cast<long>(id), range));

  KSPROPERTY_VIDEOPROCAMP_S record{};
  record.Set = propSet;
  record.Id = id;
  record.Value = static_cast<std::int32_t>(value);
  record.ValueFlags = static_cast<std::uint32_t>(flags);
  record.Capabilities = hasRange ? static_cast<std::uint32_t>(range.caps) : 0;
  std::memcpy(propertyData, &record, kRecordSize);
  if (bytesReturned) *bytesReturned = kRecordSize;
  return S_OK;
}

}  // namespace platform
