// The application object: start-up, the service-mode option, and the process-wide
// state the windows work with: the per-user files (settings, language, texts) and the
// camera list of the camera search, whose code lives in the layers below.
#pragma once

#include <QString>

#include "capture/camera_discovery.h"
#include "capture/platform_services.h"
#include "texts/user_files.h"

class CVistrelApp : public UserFiles, public CameraDiscovery {
 public:
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

  bool m_bServiceMode = false;

 private:
  QString m_commandLine;
};
