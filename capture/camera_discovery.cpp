#include "capture/camera_discovery.h"

#include <cstdio>

#include "outside/acam.h"
#include "outside/alc_ids.h"
#include "platform/graph/com_factory.h"
#include "platform/graph/interfaces.h"
#include "platform/usb/usb_devices.h"
#include "texts/user_files.h"

namespace {
// The four characters after `field` in an upper-cased instance id, or empty.
QString IdField(const QString& id, const QString& field) {
  const int at = id.indexOf(field);
  if (at < 0) return {};
  return id.mid(at + field.size(), 4);
}
}  // namespace

CameraDiscovery::CameraDiscovery(PlatformServices services, const UserFiles& texts)
    : m_platform(std::move(services)), m_texts(texts) {}

CameraDiscovery::~CameraDiscovery() = default;

void CameraDiscovery::ShowMessage(const QString& text) const {
  if (m_showMessage) {
    m_showMessage(text);
  } else {
    std::fprintf(stderr, "vistrel: %s\n", qPrintable(text));
  }
}

void CameraDiscovery::EnumUsbDevices() {
  m_nUsbDeviceCount = 0;
  std::optional<std::vector<platform::UsbDeviceEntry>> devices;
  if (m_platform.usbDevices) devices = m_platform.usbDevices->Enumerate();
  if (!devices) {
    ShowMessage(QString::fromUtf8("获取系统设备列表失败"));
    return;
  }
  for (const platform::UsbDeviceEntry& device : *devices) {
    if (!device.instanceId) {
      ShowMessage(QString::fromUtf8("获取设备识别字符串失败"));
      break;
    }
    const QString id = device.instanceId->toUpper();
    if (!id.startsWith(QLatin1String("USB\\"))) continue;
    // The name is read whole, however long: a long product name must still match.
    if (device.friendlyName.isEmpty()) continue;
    const QString vid = IdField(id, QStringLiteral("VID_"));
    if (vid.isEmpty()) continue;
    const QString pid = IdField(id, QStringLiteral("PID_"));
    if (pid.isEmpty()) continue;
    // The table keeps the first rows; a surplus is ignored rather than overrun.
    if (m_nUsbDeviceCount >= kMaxUsbDevices) break;
    m_UsbDevices[m_nUsbDeviceCount++] = UsbDeviceRow{pid, vid, device.friendlyName};
  }
}

bool CameraDiscovery::IsSupportedCamera(const QString& name) const {
  if (m_strCamPid.isEmpty() || m_strCamVid.isEmpty() || m_nUsbDeviceCount == 0) return false;
  for (int i = 0; i < m_nUsbDeviceCount; ++i) {
    const UsbDeviceRow& row = m_UsbDevices[i];
    if (row.name == name && row.pid == m_strCamPid && row.vid == m_strCamVid) return true;
  }
  return false;
}

int CameraDiscovery::FindCameras() {
  EnumUsbDevices();
  ALC_Initialize();
  m_nCameraCount = 0;
  for (auto& moniker : m_pCameraMonikers) moniker.reset();

  std::shared_ptr<ICreateDevEnum> devEnum;
  if (!m_platform.com || FAILED(m_platform.com->CreateSystemDeviceEnum(devEnum)) || !devEnum) {
    ALC_UnInitialize();
    return 0;
  }
  std::shared_ptr<IEnumMoniker> monikers;
  if (devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers) != S_OK || !monikers) {
    m_texts.UiText(Txt::Msg_NOHARDWARE);
    ALC_UnInitialize();
    return 0;
  }
  monikers->Reset();

  unsigned short vendorId = 0;
  unsigned short productId = 0;
  m_strCamVid.clear();
  m_strCamPid.clear();
  if (ALC_GetPIDVID(&vendorId, &productId)) {
    m_strCamVid = AlcIdText(vendorId);
    m_strCamPid = AlcIdText(productId);
  }

  std::shared_ptr<IMoniker> moniker;
  while (monikers->Next(moniker) == S_OK && moniker) {
    std::shared_ptr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(bag)) || !bag) continue;
    QString name;
    if (bag->Read(QStringLiteral("FriendlyName"), name) != S_OK) continue;
    if (!IsSupportedCamera(name)) continue;
    // Two slots: a third matching camera is ignored.
    if (m_nCameraCount >= kMaxCameras) break;
    m_strCameraNames[m_nCameraCount] = name;
    m_pCameraMonikers[m_nCameraCount] = moniker;
    ++m_nCameraCount;
  }

  if (m_nCameraCount == 0) m_texts.UiText(Txt::Msg_NOSUPPORT);
  ALC_UnInitialize();
  return m_nCameraCount;
}
