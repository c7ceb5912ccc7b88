#include "platform/usb/udev_handles.h"

#include <libudev.h>

namespace platform {

void UdevDeleter::operator()(udev* p) const { udev_unref(p); }
void UdevDeleter::operator()(udev_device* p) const { udev_device_unref(p); }
void UdevDeleter::operator()(udev_enumerate* p) const { udev_enumerate_unref(p); }
void UdevDeleter::operator()(udev_monitor* p) const { udev_monitor_unref(p); }

}  // namespace platform
