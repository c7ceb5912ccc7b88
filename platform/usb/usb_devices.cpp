#include "platform/usb/usb_devices.h"

#include <libudev.h>

#include <QByteArray>

#include <cstring>
#include <set>

#include "platform/usb/udev_handles.h"

namespace platform {

namespace {

struct PresentDevice {
  UsbIdentity identity;
  QString product;
  QByteArray syspath;
};

std::optional<unsigned> HexAttribute(udev_device* device, const char* name, unsigned max) {
  const char* text = udev_device_get_sysattr_value(device, name);
  if (!text) return std::nullopt;
  bool ok = false;
  const unsigned value = QByteArray(text).trimmed().toUInt(&ok, 16);
  if (!ok || value > max) return std::nullopt;
  return value;
}

bool HasDevtype(udev_device* device, const char* devtype) {
  const char* actual = udev_device_get_devtype(device);
  return actual && std::strcmp(actual, devtype) == 0;
}

// Calls `visit` for every device of subsystem "usb" whose `sysattr` has `value` (when
// given), in udev's order. False when the list cannot be had at all.
template <typename Visit>
bool ForEachUsbDevice(udev* context, const char* sysattr, const char* value, Visit visit) {
  UdevEnumeratePtr enumerate(udev_enumerate_new(context));
  if (!enumerate) return false;
  if (udev_enumerate_add_match_subsystem(enumerate.get(), "usb") < 0) return false;
  if (sysattr && udev_enumerate_add_match_sysattr(enumerate.get(), sysattr, value) < 0) return false;
  if (udev_enumerate_scan_devices(enumerate.get()) < 0) return false;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
    // A device unplugged since the scan cannot be opened any more; it is simply gone.
    UdevDevicePtr device(udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
    if (device) visit(device.get());
  }
  return true;
}

std::optional<std::vector<PresentDevice>> ListUsbDevices(udev* context) {
  std::vector<PresentDevice> devices;
  const bool listed = ForEachUsbDevice(context, nullptr, nullptr, [&](udev_device* device) {
    if (!HasDevtype(device, "usb_device")) return;
    const auto vendor = HexAttribute(device, "idVendor", 0xFFFF);
    const auto product = HexAttribute(device, "idProduct", 0xFFFF);
    // Attributes vanish with the device when it is unplugged during the scan.
    if (!vendor || !product) return;
    PresentDevice present;
    present.identity.vendorId = static_cast<std::uint16_t>(*vendor);
    present.identity.productId = static_cast<std::uint16_t>(*product);
    // A device without a serial number is told apart by its port path (the sysfs
    // name, such as "1-2"): two identical devices still get distinct ids, and the id
    // stays the same as long as the device stays in its port.
    const char* serial = udev_device_get_sysattr_value(device, "serial");
    present.identity.serial = QString::fromUtf8(serial ? serial : udev_device_get_sysname(device));
    const char* name = udev_device_get_sysattr_value(device, "product");
    present.product = name ? QString::fromUtf8(name) : QString();
    present.syspath = udev_device_get_syspath(device);
    devices.push_back(std::move(present));
  });
  if (!listed) return std::nullopt;
  return devices;
}

}  // namespace

UdevUsbDeviceSource::UdevUsbDeviceSource(std::function<std::vector<UsbDeviceEntry>()> extra)
    : m_extra(std::move(extra)) {}

std::optional<std::vector<UsbDeviceEntry>> UdevUsbDeviceSource::Enumerate() {
  UdevPtr context(udev_new());
  if (!context) return std::nullopt;
  const auto devices = ListUsbDevices(context.get());
  if (!devices) return std::nullopt;
  std::vector<UsbDeviceEntry> rows;
  rows.reserve(devices->size());
  for (const PresentDevice& device : *devices) rows.push_back({UsbInstanceId(device.identity), device.product});
  if (m_extra) {
    std::vector<UsbDeviceEntry> extra = m_extra();
    rows.insert(rows.end(), std::make_move_iterator(extra.begin()), std::make_move_iterator(extra.end()));
  }
  return rows;
}

std::optional<UsbIdentity> FirstUsbVideoDevice() {
  UdevPtr context(udev_new());
  if (!context) return std::nullopt;
  // The devices that own a video-class (0x0E) interface; a UVC camera's own device
  // class is usually "miscellaneous", only its interfaces say video.
  std::set<QByteArray> withVideo;
  // sysfs writes the class as two lower-case hex digits, so the text match is exact.
  const bool listed = ForEachUsbDevice(context.get(), "bInterfaceClass", "0e", [&](udev_device* interface) {
    if (!HasDevtype(interface, "usb_interface")) return;
    // The parent belongs to the interface's handle; it is not released separately.
    udev_device* owner = udev_device_get_parent_with_subsystem_devtype(interface, "usb", "usb_device");
    if (owner) withVideo.insert(QByteArray(udev_device_get_syspath(owner)));
  });
  if (!listed || withVideo.empty()) return std::nullopt;
  const auto devices = ListUsbDevices(context.get());
  if (!devices) return std::nullopt;
  for (const PresentDevice& device : *devices)
    if (withVideo.count(device.syspath)) return device.identity;
  return std::nullopt;
}

QString UsbInstanceId(const UsbIdentity& identity) {
  auto hex4 = [](std::uint16_t value) { return QString::number(value, 16).rightJustified(4, u'0').toUpper(); };
  return QStringLiteral("USB\\VID_") + hex4(identity.vendorId) + QStringLiteral("&PID_") + hex4(identity.productId) +
         u'\\' + identity.serial;
}

}  // namespace platform
