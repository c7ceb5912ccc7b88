#include "outside/virtual_chip_backend.h"

VirtualChipBackend::VirtualChipBackend(std::shared_ptr<platform::VirtualCamera> camera) : m_camera(std::move(camera)) {}

void VirtualChipBackend::Open() {
  // A store that failed before may take the writes now.
  if (m_storeFailed) m_storeFailed = !m_camera->FlushFlash();
}

void VirtualChipBackend::Close() {
  // The library gives Close no way to report. A failed flush keeps the writes pending for
  // the next try, and until one succeeds the chip answers no read: a read-back must not
  // report as stored what its image file never took.
  m_storeFailed = !m_camera->FlushFlash();
}

bool VirtualChipBackend::GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) {
  if (!m_camera->IsPlugged()) return false;
  vendorId = platform::VirtualCamera::kVendorId;
  productId = platform::VirtualCamera::kProductId;
  return true;
}

bool VirtualChipBackend::ReadFlash(std::uint32_t address, std::uint8_t& value) {
  return !m_storeFailed && m_camera->IsPlugged() && m_camera->ReadFlash(address, value);
}

bool VirtualChipBackend::WriteFlash(std::uint32_t address, std::uint8_t value) {
  return m_camera->IsPlugged() && m_camera->WriteFlash(address, value);
}

bool VirtualChipBackend::SetFlashSize(std::uint32_t size) {
  return m_camera->IsPlugged() && size > 0 && size <= platform::VirtualCamera::kFlashSize;
}

