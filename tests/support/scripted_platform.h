// Scripted device services for tests: USB rows as given, and services around a
// virtual camera with chosen knobs.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "app/platform_services.h"
#include "platform/usb/usb_devices.h"

namespace testsupport {

class ScriptedUsbSource : public platform::UsbDeviceSource {
 public:
  explicit ScriptedUsbSource(std::optional<std::vector<platform::UsbDeviceEntry>> rows = std::vector<platform::UsbDeviceEntry>{})
      : rows(std::move(rows)) {}
  std::optional<std::vector<platform::UsbDeviceEntry>> Enumerate() override { return rows; }

  std::optional<std::vector<platform::UsbDeviceEntry>> rows;
};

// No camera anywhere: no USB rows, no capture devices, no camera-control library.
PlatformServices NoDeviceServices();

}  // namespace testsupport
