// Present USB devices, as the device list of the operating system gives them.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace platform {

// One present USB device: its instance id "USB\VID_xxxx&PID_yyyy\serial" (nullopt when
// it could not be read) and its friendly name (the product string; may be empty).
struct UsbDeviceEntry {
  std::optional<QString> instanceId;
  QString friendlyName;
};

class UsbDeviceSource {
 public:
  virtual ~UsbDeviceSource() = default;
  // All present USB devices; nullopt when the device list cannot be had at all.
  virtual std::optional<std::vector<UsbDeviceEntry>> Enumerate() = 0;
};

// The USB devices libudev lists, followed by the rows `extra` gives (the virtual
// camera's row while it is plugged).
class UdevUsbDeviceSource : public UsbDeviceSource {
 public:
  explicit UdevUsbDeviceSource(std::function<std::vector<UsbDeviceEntry>()> extra = {});
  std::optional<std::vector<UsbDeviceEntry>> Enumerate() override;

 private:
  std::function<std::vector<UsbDeviceEntry>()> m_extra;
};

// The USB identity of a device.
struct UsbIdentity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  QString serial;
};

// The first USB video-class device present (by udev's order), if any.
std::optional<UsbIdentity> FirstUsbVideoDevice();

// The instance id of a USB device: "USB\VID_xxxx&PID_yyyy\serial" (upper-case hex).
QString UsbInstanceId(const UsbIdentity& identity);

}  // namespace platform
