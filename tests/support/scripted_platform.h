// Scripted device services for tests: USB rows as given, and services around a
// virtual camera with chosen knobs.
#pragma once

#include <memory>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <QString>

#include "capture/platform_services.h"
#include "outside/alc_backend.h"
#include "platform/graph/source_device.h"
#include "platform/usb/usb_devices.h"

namespace testsupport {

class ScriptedUsbSource : public platform::UsbDeviceSource {
 public:
  explicit ScriptedUsbSource(std::optional<std::vector<platform::UsbDeviceEntry>> rows = std::vector<platform::UsbDeviceEntry>{})
      : rows(std::move(rows)) {}
  std::optional<std::vector<platform::UsbDeviceEntry>> Enumerate() override { return rows; }

  std::optional<std::vector<platform::UsbDeviceEntry>> rows;
};

// A capture device known by name only; it cannot be opened.
class NamedDevice : public platform::DeviceHandle {
 public:
  NamedDevice(QString name, QString id) : m_name(std::move(name)), m_id(std::move(id)) {}
  QString FriendlyName() const override { return m_name; }
  QString Id() const override { return m_id; }
  std::shared_ptr<platform::SourceDevice> Open() override { return nullptr; }

 private:
  QString m_name;
  QString m_id;
};

class ScriptedDeviceProvider : public platform::DeviceProvider {
 public:
  std::vector<std::shared_ptr<platform::DeviceHandle>> Devices() override { return devices; }
  std::vector<std::shared_ptr<platform::DeviceHandle>> devices;
};

// A camera-control library that reports given ids (or none) over an in-memory flash,
// and counts its brackets.
class ScriptedAlcBackend : public alc::Backend {
 public:
  std::optional<std::pair<std::uint16_t, std::uint16_t>> ids;  // vendor, product
  int opens = 0;
  int closes = 0;
  std::vector<std::uint8_t> flash = std::vector<std::uint8_t>(8192, 0xFF);

  void Open() override { ++opens; }
  void Close() override { ++closes; }
  bool GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) override {
    if (!ids) return false;
    vendorId = ids->first;
    productId = ids->second;
    return true;
  }
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) override {
    if (address >= flash.size()) return false;
    value = flash[address];
    return true;
  }
  bool WriteFlash(std::uint32_t address, std::uint8_t value) override {
    if (address >= flash.size()) return false;
    flash[address] = value;
    return true;
  }
  bool SetFlashSize(std::uint32_t size) override { return size <= flash.size(); }
};

// No camera anywhere: no USB rows, no capture devices, no camera-control library.
PlatformServices NoDeviceServices();

}  // namespace testsupport
