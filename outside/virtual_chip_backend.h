// The virtual camera's control chip, behind the camera-control library.
#pragma once

#include <memory>

#include "outside/alc_backend.h"
#include "platform/virtualcam/virtual_camera.h"

// Answers the camera's ids and reaches its flash while it is plugged; every call fails
// while it is unplugged. Close puts the writes made so far on disk.
class VirtualChipBackend : public alc::Backend {
 public:
  explicit VirtualChipBackend(std::shared_ptr<platform::VirtualCamera> camera);

  void Open() override;
  void Close() override;
  bool GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) override;
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) override;
  bool WriteFlash(std::uint32_t address, std::uint8_t value) override;
  // Any size from 1 to the chip's 8192 bytes.
  bool SetFlashSize(std::uint32_t size) override;

 private:
  const std::shared_ptr<platform::VirtualCamera> m_camera;
  bool m_storeFailed = false;  // the last flush to the image file failed
};

