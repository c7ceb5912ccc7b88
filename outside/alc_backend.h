// What stands behind the camera-control library: the virtual camera's chip, or for a
// real UVC camera a per-camera flash file. The library's state is process-wide, as a
// loaded library's is; the program installs one backend at start.
#pragma once

#include <cstdint>
#include <memory>

namespace alc {

class Backend {
 public:
  virtual ~Backend() = default;
  // Called by every ALC_Initialize and ALC_UnInitialize, nested ones included.
  // Writes made inside a bracket are on disk when Close returns.
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) = 0;
  virtual bool ReadFlash(std::uint32_t address, std::uint8_t& value) = 0;
  virtual bool WriteFlash(std::uint32_t address, std::uint8_t value) = 0;
  virtual bool SetFlashSize(std::uint32_t size) = 0;
};

// Installs the backend the ALC_* functions use (null: every call fails). Returns the
// previous one. Not to be called inside an open bracket.
std::shared_ptr<Backend> InstallBackend(std::shared_ptr<Backend> backend);
std::shared_ptr<Backend> InstalledBackend();
// Depth of the open brackets (0 outside any use).
int BracketDepth();
}  // namespace alc
