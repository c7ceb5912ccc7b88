// Camera discovery: which video capture device is the camera the camera-control
// library talks to. Three sources must agree: the present USB devices (friendly name
// and ids), the library's vendor and product id, and the capture devices' names. It
// holds the device services of the process and the camera list of the last search.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "capture/platform_services.h"

class IMoniker;
class UserFiles;

// One present USB device that has a friendly name and both ids.
struct UsbDeviceRow {
  QString pid;
  QString vid;
  QString name;
};

class CameraDiscovery {
 public:
  static constexpr int kMaxUsbDevices = 20;
  static constexpr int kMaxCameras = 2;

  // texts: where failure texts are looked up (and written back).
  CameraDiscovery(PlatformServices services, const UserFiles& texts);
  ~CameraDiscovery();
  CameraDiscovery(const CameraDiscovery&) = delete;
  CameraDiscovery& operator=(const CameraDiscovery&) = delete;

  PlatformServices& Platform() { return m_platform; }

  // The capture devices whose friendly name is that of a present USB device carrying
  // the camera-control library's ids. Returns the number matched (at most two; slot 0
  // is the camera the graph is built on).
  int FindCameras();
  void EnumUsbDevices();
  bool IsSupportedCamera(const QString& name) const;
  // Shows the fixed messages of the device list (a message box, set by the program;
  // without one they go to the standard error). Tests put their own here.
  std::function<void(const QString& text)> m_showMessage;

  QString m_strCameraNames[kMaxCameras];
  int m_nCameraCount = 0;
  std::shared_ptr<IMoniker> m_pCameraMonikers[kMaxCameras];
  UsbDeviceRow m_UsbDevices[kMaxUsbDevices];
  QString m_strCamVid;
  QString m_strCamPid;
  int m_nUsbDeviceCount = 0;

 private:
  void ShowMessage(const QString& text) const;

  PlatformServices m_platform;
  const UserFiles& m_texts;
};
