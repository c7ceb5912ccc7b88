#include "platform/graph/source_pin.h"

#include <cstdlib>
#include <cstring>

#include "platform/graph/base_filter.h"
#include "platform/graph/media_format.h"

namespace platform {

SourcePin::SourcePin(std::weak_ptr<BaseFilter> owner, QString name, GUID category,
                     std::shared_ptr<SourceDevice> device)
    : Pin(std::move(owner), PINDIR_OUTPUT, std::move(name), category), m_device(std::move(device)) {}

bool SourcePin::OffersInterface(const std::type_info& iface) const {
  if (iface == typeid(IAMStreamConfig)) return HasStreamConfig();
  return true;
}

bool SourcePin::HasStreamConfig() const { return Category() == PIN_CATEGORY_CAPTURE && m_device->HasStreamConfig(); }

HRESULT SourcePin::SetFormat(const AM_MEDIA_TYPE& mt) {
  if (!HasStreamConfig()) return E_NOTIMPL;
  const auto owner = Owner();
  if ((owner && owner->IsRunning()) || m_device->IsStreaming()) return VFW_E_NOT_STOPPED;

  WireFormat format;
  int width = 0;
  int height = 0;
  if (mt.majortype != MEDIATYPE_Video || !WireFormatOf(mt.subtype, format) || !FrameSizeOf(mt, width, height)) {
    return E_INVALIDARG;
  }
  height = std::abs(height);
  const bool videoInfo2 = mt.formattype == FORMAT_VideoInfo2;
  for (const Capability& capability : m_device->Capabilities()) {
    if (capability.format == format && capability.width == width && capability.height == height &&
        capability.videoInfo2 == videoInfo2) {
      return m_device->SetFormat(capability) ? S_OK : E_FAIL;
    }
  }
  return E_INVALIDARG;
}

HRESULT SourcePin::GetFormat(AM_MEDIA_TYPE& mt) {
  if (!HasStreamConfig()) return E_NOTIMPL;
  Capability current = m_device->CurrentFormat();
  current.videoInfo2 = false;
  mt = MediaTypeOf(current);
  return S_OK;
}

HRESULT SourcePin::GetNumberOfCapabilities(int& count, int& size) {
  if (!HasStreamConfig()) return E_NOTIMPL;
  count = static_cast<int>(m_device->Capabilities().size());
  size = kStreamConfigCapsSize;
  return S_OK;
}

HRESULT SourcePin::GetStreamCaps(int index, AM_MEDIA_TYPE& mt, std::uint8_t* caps) {
  if (!HasStreamConfig()) return E_NOTIMPL;
  if (!caps) return E_POINTER;
  const std::vector<Capability> capabilities = m_device->Capabilities();
  if (index < 0) return E_INVALIDARG;
  if (static_cast<std::size_t>(index) >= capabilities.size()) return S_FALSE;
  const Capability& capability = capabilities[static_cast<std::size_t>(index)];
  mt = MediaTypeOf(capability);
  const std::vector<std::uint8_t> record = StreamCapsOf(capability);
  std::memcpy(caps, record.data(), record.size());
  return S_OK;
}

}  // namespace platform
