#include "platform/virtualcam/virtual_usb_row.h"

namespace platform {

std::vector<UsbDeviceEntry> VirtualUsbRows(const VirtualCamera& camera) {
  if (!camera.IsPlugged()) return {};
  return {UsbDeviceEntry{camera.InstanceId(), QString::fromUtf8(VirtualCamera::kFriendlyName)}};
}

}  // namespace platform
