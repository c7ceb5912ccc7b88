// The virtual camera's row in the USB device list.
#pragma once

#include <vector>

#include "platform/usb/usb_devices.h"
#include "platform/virtualcam/virtual_camera.h"

namespace platform {

// One row (instance id and friendly name) while the camera is plugged, none otherwise.
std::vector<UsbDeviceEntry> VirtualUsbRows(const VirtualCamera& camera);

}  // namespace platform
