#include "app/platform_setup.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <vector>

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

// VISTREL_VIRTUAL_FORMAT="MJPG 3840x2160" (or YUY2 and another listed size): the virtual
// camera offers that one format, so the program starts in it (for measuring a size).
// Anything not in its list leaves the list whole.
void KeepOnlyFormat(const QByteArray& wanted, std::vector<platform::Capability>& capabilities) {
  const QList<QByteArray> parts = wanted.simplified().split(' ');
  if (parts.size() != 2) return;
  const QList<QByteArray> size = parts[1].split('x');
  if (size.size() != 2) return;
  std::vector<platform::Capability> kept;
  for (const platform::Capability& c : capabilities) {
    const bool mjpg = c.format == platform::WireFormat::MJPG;
    if (parts[0] == (mjpg ? "MJPG" : "YUY2") && size[0].toInt() == c.width && size[1].toInt() == c.height) {
      kept.push_back(c);
    }
  }
  if (kept.empty()) {
    std::fprintf(stderr, "vistrel: the virtual camera has no format %s\n", wanted.constData());
    return;
  }
  capabilities = std::move(kept);
}
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
    if (qEnvironmentVariableIsSet("VISTREL_VIRTUAL_FORMAT")) {
      KeepOnlyFormat(qgetenv("VISTREL_VIRTUAL_FORMAT"), options.capabilities);
    }
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
