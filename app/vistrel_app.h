// The application object: start-up, the per-user folders and files, the language in
// use, the service-mode option and the camera list of the camera search.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "app/platform_services.h"
#include "app/ui_text.h"

class IMoniker;

// One present USB device that has a friendly name and both ids.
struct UsbDeviceRow {
  QString pid;
  QString vid;
  QString name;
};

class CVistrelApp {
 public:
  static constexpr int kMaxUsbDevices = 20;
  static constexpr int kMaxCameras = 2;

  // commandLine: the whole command-line text after the program name.
  explicit CVistrelApp(QString commandLine, PlatformServices services = {});
  ~CVistrelApp();
  CVistrelApp(const CVistrelApp&) = delete;
  CVistrelApp& operator=(const CVistrelApp&) = delete;

  // Runs the whole program: folders, settings, language, service mode, then the main
  // window as a modal dialog. Always false: nothing runs after the window.
  bool InitInstance();
  int ExitInstance();

  // The start-up before any window: the executable folder, the per-user folder with
  // its settings file and language folder, the language settled and written back, the
  // service-mode option.
  void PrepareStartup();

  // The text of a lookup in the current language file (written back into it).
  QString UiText(Txt text) const;
  // Selects a language: its name into the settings file, the language file path, its
  // index into the settings file. The caller re-applies its window texts.
  void SetLanguage(const QString& name, int index);
  // The index of the language in use (from the language file path), 0 to 2.
  int CurrentLanguageIndex() const;

  PlatformServices& Platform() { return m_platform; }

  // Camera discovery: the capture devices whose friendly name is that of a present USB
  // device carrying the camera-control library's ids. Returns the number matched (at
  // most two; slot 0 is the camera the graph is built on).
  int FindCameras();
  void EnumUsbDevices();
  bool IsSupportedCamera(const QString& name) const;
  // Shows the fixed messages of the device list; replaceable so tests can see them.
  std::function<void(const QString& text)> m_showMessage;

  QString m_strExeDir;
  QString m_strLngPath;
  QString m_strCameraNames[kMaxCameras];
  int m_nCameraCount = 0;
  std::shared_ptr<IMoniker> m_pCameraMonikers[kMaxCameras];
  UsbDeviceRow m_UsbDevices[kMaxUsbDevices];
  QString m_strCamVid;
  QString m_strCamPid;
  QString m_strSettingPath;
  QString m_strLangDir;
  int m_nUsbDeviceCount = 0;
  bool m_bServiceMode = false;

 private:
  QString m_commandLine;
  PlatformServices m_platform;
};
