#include "app/platform_setup.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

#include "outside/alc_backend.h"
#include "outside/flash_file_backend.h"
#include "platform/graph/com_factory.h"
#include "platform/graph/v4l2/v4l2_device_provider.h"
#include "platform/shell/shell.h"
#include "platform/usb/usb_devices.h"
#include "platform/virtualcam/virtual_camera.h"
#include "platform/virtualcam/virtual_camera_source.h"
#include "outside/virtual_chip_backend.h"
#include "platform/virtualcam/virtual_usb_row.h"

namespace {
QString UserFolder() { return platform::shell::LocalAppDataFolder() + QStringLiteral("/Tavio/"); }
}  // namespace

PlatformServices MakeVirtualCameraServices(std::shared_ptr<platform::VirtualCamera> camera) {
  PlatformServices services;
  services.virtualCamera = camera;
  services.com = std::make_shared<platform::ComFactory>();
  services.com->AddDeviceProvider(std::make_shared<platform::v4l2::V4l2DeviceProvider>());
  services.com->AddDeviceProvider(std::make_shared<platform::VirtualCameraProvider>(camera));
  services.usbDevices = std::make_shared<platform::UdevUsbDeviceSource>(
      [camera] { return platform::VirtualUsbRows(*camera); });
  alc::InstallBackend(std::make_shared<VirtualChipBackend>(camera));
  return services;
}

PlatformServices MakePlatformServices() {
  if (qgetenv("VISTREL_CAMERA") == "virtual") {
    platform::VirtualCameraOptions options;
    options.flashPath = UserFolder() + QStringLiteral("virtual-camera.flash");
    auto camera = std::make_shared<platform::VirtualCamera>(options);
    const QString fifo = QString::fromLocal8Bit(qgetenv("VISTREL_VIRTUAL_CTL"));
    if (!fifo.isEmpty() && !camera->StartControlFifo(fifo)) {
      std::fprintf(stderr, "vistrel: cannot read virtual camera commands from %s\n", qPrintable(fifo));
    }
    return MakeVirtualCameraServices(std::move(camera));
  }

  PlatformServices services;
  services.com = std::make_shared<platform::ComFactory>();
  services.com->AddDeviceProvider(std::make_shared<platform::v4l2::V4l2DeviceProvider>());
  services.usbDevices = std::make_shared<platform::UdevUsbDeviceSource>();
  // A real camera's chip protocol is not public: its flash is kept per camera on disk.
  alc::InstallBackend(std::make_shared<FlashFileBackend>(UserFolder() + QStringLiteral("flash"),
                                                         [] { return platform::FirstUsbVideoDevice(); }));
  return services;
}
