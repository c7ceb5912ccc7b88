// Owning handles for libudev objects: each releases its reference when it goes.
#pragma once

#include <memory>

struct udev;
struct udev_device;
struct udev_enumerate;
struct udev_monitor;

namespace platform {

struct UdevDeleter {
  void operator()(udev* p) const;
  void operator()(udev_device* p) const;
  void operator()(udev_enumerate* p) const;
  void operator()(udev_monitor* p) const;
};

using UdevPtr = std::unique_ptr<udev, UdevDeleter>;
using UdevDevicePtr = std::unique_ptr<udev_device, UdevDeleter>;
using UdevEnumeratePtr = std::unique_ptr<udev_enumerate, UdevDeleter>;
using UdevMonitorPtr = std::unique_ptr<udev_monitor, UdevDeleter>;

}  // namespace platform
