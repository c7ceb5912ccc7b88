// The camera-control backend for a real UVC camera whose chip protocol is not public:
// each camera's flash is an 8192-byte file named after its vendor id, product id and
// serial, erased bytes being 0xFF.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "outside/alc_backend.h"
#include "platform/usb/usb_devices.h"

class FlashFileBackend : public alc::Backend {
 public:
  static constexpr std::uint32_t kFlashSize = 8192;
  using CameraFinder = std::function<std::optional<platform::UsbIdentity>()>;

  // folder holds the flash files; findCamera names the attached camera, asked at the
  // start of every outermost bracket.
  FlashFileBackend(QString folder, CameraFinder findCamera);

  // The outermost Open finds the camera and loads its flash; every Close that follows
  // a write stores the flash on disk (atomically) before it returns.
  void Open() override;
  void Close() override;
  bool GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) override;
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) override;
  bool WriteFlash(std::uint32_t address, std::uint8_t value) override;
  bool SetFlashSize(std::uint32_t size) override;

  // The file holding that camera's flash: "<folder>/<VID>-<PID>-<serial>.flash" with
  // upper-case hexadecimal ids and the serial made safe for a file name.
  QString FlashFilePath(const platform::UsbIdentity& camera) const;

 private:
  void Load();
  bool Store() const;

  QString m_folder;
  CameraFinder m_findCamera;
  int m_depth = 0;
  std::optional<platform::UsbIdentity> m_camera;
  std::array<std::uint8_t, kFlashSize> m_image{};
  bool m_dirty = false;
};
