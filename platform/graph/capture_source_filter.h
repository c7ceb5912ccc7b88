// The capture source filter over one camera (see capture_source.h).
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <typeinfo>

#include "platform/graph/base_filter.h"
#include "platform/graph/device_property_access.h"
#include "platform/graph/ks_property_access.h"
#include "platform/graph/source_device.h"
#include "platform/graph/source_pin.h"

namespace platform {

class CaptureSourceFilter final : public BaseFilter,
                                  public VideoProcAmpAccess,
                                  public CameraControlAccess,
                                  public KsPropertyAccess {
 public:
  static std::shared_ptr<CaptureSourceFilter> Create(std::shared_ptr<SourceDevice> device);
  // Stops the camera: its callbacks reach this object.
  ~CaptureSourceFilter() override;

  // No IAMVideoProcAmp or IAMCameraControl for a camera without that property set.
  bool OffersInterface(const std::type_info& iface) const override;

  bool IsSource() const override { return true; }
  // Starts the camera; E_FAIL when it cannot stream.
  HRESULT Run() override;
  // Returns after the camera's last frame and still callbacks.
  void Stop() override;
  // Every pin offers the camera's current format (major type video).
  HRESULT GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) override;

  const std::shared_ptr<SourcePin>& CapturePin() const { return m_capture; }
  const std::shared_ptr<SourcePin>& PreviewPin() const { return m_preview; }
  const std::shared_ptr<SourcePin>& StillPin() const { return m_still; }

 private:
  explicit CaptureSourceFilter(std::shared_ptr<SourceDevice> device);
  void MakePins();
  void OnFrame(const SourceFrame& frame);
  void OnStill();

  const std::shared_ptr<SourceDevice> m_device;
  std::shared_ptr<SourcePin> m_capture;
  std::shared_ptr<SourcePin> m_preview;
  std::shared_ptr<SourcePin> m_still;
  std::atomic<bool> m_lost{false};
  std::chrono::steady_clock::time_point m_runStart;  // written before the camera starts
};

}  // namespace platform
