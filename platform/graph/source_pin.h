// An output pin of the capture source. The capture pin also carries the camera's
// stream configuration (its capability list and format), when the camera has one.
#pragma once

#include <memory>
#include <typeinfo>

#include "platform/graph/pin.h"
#include "platform/graph/source_device.h"

namespace platform {

class SourcePin final : public Pin, public IAMStreamConfig {
 public:
  SourcePin(std::weak_ptr<BaseFilter> owner, QString name, GUID category, std::shared_ptr<SourceDevice> device);

  bool OffersInterface(const std::type_info& iface) const override;

  // Maps the type back to the first capability of the same format, size and block
  // kind and selects it; VFW_E_NOT_STOPPED while the camera streams.
  HRESULT SetFormat(const AM_MEDIA_TYPE& mt) override;
  // The current format, as a VIDEOINFOHEADER type.
  HRESULT GetFormat(AM_MEDIA_TYPE& mt) override;
  HRESULT GetNumberOfCapabilities(int& count, int& size) override;
  // S_FALSE for an index past the list.
  HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE& mt, std::uint8_t* caps) override;

 private:
  bool HasStreamConfig() const;

  const std::shared_ptr<SourceDevice> m_device;
};

}  // namespace platform
