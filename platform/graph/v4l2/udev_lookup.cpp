#include "platform/graph/v4l2/udev_lookup.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include "platform/graph/v4l2/udev_handles.h"
#include "platform/graph/v4l2/v4l2_log.h"

namespace platform::v4l2 {
namespace {

UdevDevicePtr DeviceOfNode(udev* u, const QString& node) {
  struct stat st {};
  if (::stat(node.toLocal8Bit().constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return nullptr;
  return UdevDevicePtr(udev_device_new_from_devnum(u, 'c', st.st_rdev));
}

// The USB device (not interface) a device hangs from; owned by `device`.
udev_device* UsbDeviceOf(udev_device* device) {
  return udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
}

// A video node's USB device, with the udev context and the node's device it is owned
// by, kept alive together.
struct NodeUsbDevice {
  UdevPtr udev;
  UdevDevicePtr node;
  udev_device* usb = nullptr;
};

// Nothing for a node that is no USB device's (or when udev cannot be reached).
std::optional<NodeUsbDevice> FindNodeUsbDevice(const QString& node) {
  NodeUsbDevice found;
  found.udev.reset(udev_new());
  if (!found.udev) return std::nullopt;
  found.node = DeviceOfNode(found.udev.get(), node);
  if (!found.node) return std::nullopt;
  found.usb = UsbDeviceOf(found.node.get());
  if (!found.usb) return std::nullopt;
  return found;
}

QString SysAttr(udev_device* device, const char* name) {
  const char* value = udev_device_get_sysattr_value(device, name);
  return value ? QString::fromUtf8(value).trimmed() : QString();
}

bool ReportsCameraKey(udev_device* eventDevice) {
  // The key bitmap belongs to the input device, the event node's parent.
  udev_device* input = udev_device_get_parent_with_subsystem_devtype(eventDevice, "input", nullptr);
  return input && KeyBitmapHas(SysAttr(input, "capabilities/key"), KEY_CAMERA);
}

UniqueFd OpenInputDevice(const QByteArray& path) {
  int fd;
  do {
    fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return UniqueFd(fd);
}

}  // namespace

std::optional<UsbIdentity> UsbIdentityOf(const QString& node) {
  const std::optional<NodeUsbDevice> found = FindNodeUsbDevice(node);
  if (!found) return std::nullopt;
  udev_device* usb = found->usb;
  bool vendorOk = false;
  bool productOk = false;
  const uint vendor = SysAttr(usb, "idVendor").toUInt(&vendorOk, 16);
  const uint product = SysAttr(usb, "idProduct").toUInt(&productOk, 16);
  if (!vendorOk || !productOk || vendor > 0xFFFF || product > 0xFFFF) return std::nullopt;
  UsbIdentity identity;
  identity.vendorId = static_cast<std::uint16_t>(vendor);
  identity.productId = static_cast<std::uint16_t>(product);
  identity.serial = SysAttr(usb, "serial");
  return identity;
}

std::optional<QString> UsbProductOf(const QString& node) {
  const std::optional<NodeUsbDevice> found = FindNodeUsbDevice(node);
  if (!found) return std::nullopt;
  // Read as the USB device list reads it (not trimmed), so the two names compare equal.
  const char* product = udev_device_get_sysattr_value(found->usb, "product");
  return product ? QString::fromUtf8(product) : QString();
}

StillButtonOpener FindStillButton(const QString& videoNode) {
  UdevPtr u(udev_new());
  if (!u) return {};
  UdevDevicePtr video = DeviceOfNode(u.get(), videoNode);
  if (!video) return {};
  udev_device* cameraUsb = UsbDeviceOf(video.get());
  if (!cameraUsb) return {};
  const QByteArray cameraPath = udev_device_get_syspath(cameraUsb);

  UdevEnumeratePtr e(udev_enumerate_new(u.get()));
  if (!e || udev_enumerate_add_match_subsystem(e.get(), "input") < 0 ||
      udev_enumerate_add_match_sysname(e.get(), "event*") < 0 || udev_enumerate_scan_devices(e.get()) < 0) {
    return {};
  }
  udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
    UdevDevicePtr event(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
    if (!event) continue;
    udev_device* usb = UsbDeviceOf(event.get());
    if (!usb || cameraPath != udev_device_get_syspath(usb) || !ReportsCameraKey(event.get())) continue;
    const char* devnode = udev_device_get_devnode(event.get());
    if (!devnode) continue;
    QByteArray path(devnode);
    // Input devices are often readable only by a group; a button that cannot be
    // opened is no still pin.
    if (!OpenInputDevice(path).Valid()) {
      qCInfo(lcV4l2) << "still button" << path << "cannot be opened:" << qt_error_string(errno);
      continue;
    }
    return [path = std::move(path)] { return OpenInputDevice(path); };
  }
  return {};
}

QStringList ListVideoNodes() {
  UdevPtr u(udev_new());
  if (!u) return {};
  UdevEnumeratePtr e(udev_enumerate_new(u.get()));
  if (!e || udev_enumerate_add_match_subsystem(e.get(), "video4linux") < 0 ||
      udev_enumerate_scan_devices(e.get()) < 0) {
    return {};
  }
  std::vector<std::pair<unsigned, QString>> nodes;
  udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
    UdevDevicePtr device(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
    if (!device) continue;
    const char* devnode = udev_device_get_devnode(device.get());
    if (!devnode) continue;
    nodes.emplace_back(minor(udev_device_get_devnum(device.get())), QString::fromLocal8Bit(devnode));
  }
  std::sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList result;
  for (auto& n : nodes) result << n.second;
  return result;
}

}  // namespace platform::v4l2
