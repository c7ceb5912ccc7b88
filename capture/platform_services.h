// What stands in for the operating system's device services: the USB device list,
// the factory of graph objects (with the capture device enumerator) and, when it is
// enabled, the virtual camera. The camera discovery holds one set for the process;
// tests hand it scripted ones.
#pragma once

#include <memory>

namespace platform {
class ComFactory;
class UsbDeviceSource;
class VirtualCamera;
}  // namespace platform

struct PlatformServices {
  std::shared_ptr<platform::UsbDeviceSource> usbDevices;
  std::shared_ptr<platform::ComFactory> com;
  std::shared_ptr<platform::VirtualCamera> virtualCamera;
};
