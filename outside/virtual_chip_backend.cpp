#include "outside/virtual_chip_backend.h"

VirtualChipBackend::VirtualChipBackend(std::shared_ptr<platform::VirtualCamera> camera) : m_camera(std::move(camera)) {}

void VirtualChipBackend::Open() {}

void VirtualChipBackend::Close() {
  // The library gives Close no way to report; a failed flush keeps the writes pending, so
  // the next Close (or the camera's destruction) tries again.
  [[maybe_unused]] const bool flushed = m_camera->FlushFlash();
}

bool VirtualChipBackend::GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) {
  if (!m_camera->IsPlugged()) return false;
  vendorId = platform::VirtualCamera::kVendorId;
  productId = platform::VirtualCamera::kProductId;
  return true;
}

bool VirtualChipBackend::ReadFlash(std::uint32_t address, std::uint8_t& value) {
  return m_camera->IsPlugged() && m_camera->ReadFlash(address, value);
}

bool VirtualChipBackend::WriteFlash(std::uint32_t address, std::uint8_t value) {
  return m_camera->IsPlugged() && m_camera->WriteFlash(address, value);
}

bool VirtualChipBackend::SetFlashSize(std::uint32_t size) {
  return m_camera->IsPlugged() && size > 0 && size <= platform::VirtualCamera::kFlashSize;
}

