#include "support/scripted_platform.h"

#include "outside/alc_backend.h"
#include "platform/graph/com_factory.h"

namespace testsupport {

PlatformServices NoDeviceServices() {
  PlatformServices services;
  services.usbDevices = std::make_shared<ScriptedUsbSource>();
  services.com = std::make_shared<platform::ComFactory>();
  alc::InstallBackend(nullptr);
  return services;
}

}  // namespace testsupport
