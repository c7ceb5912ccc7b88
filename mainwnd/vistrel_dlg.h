// The main window: owner of the capture graph, the frame picture and its lock, the
// view and overlay settings, the camera parameters and the recording, and of the
// menus, toolbar and status bar. Its member functions are defined in the folder of
// their subsystem, one file per concern.
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <memory>

#include "app/ui_text.h"
#include "capture/frame_state.h"
#include "capture/graph_state.h"
#include "mainwnd/view_settings.h"
#include "platform/shell/shell.h"

class CVistrelApp;
class CVideoView;
class MainMenu;
class MainStatusBar;
class MainToolBar;
class QMenu;

namespace platform {
class DeviceMonitor;
}

class CVistrelDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDD = 102;

  explicit CVistrelDlg(CVistrelApp& app, QWidget* parent = nullptr);
  ~CVistrelDlg() override;

  // Initialises the window, runs it modally and shuts it down; the result of the loop.
  int DoModal();
  // Start-up: bars, texts, camera, menus. True.
  bool OnInitDialog();
  // The one shut-down; runs once, whatever ended the window.
  bool DestroyWindow();
  // Every menu, toolbar and context-menu command arrives here by id.
  void OnCommand(int id);

  // Applies every text of the main window from the language file (the text pass).
  void ApplyWindowTexts();
  // The tooltip of a toolbar button in the current state (empty: none).
  QString TooltipText(int id) const;
  // Zoom, mirror, service-mode and exposure states of menus and toolbar at start.
  void SetUpMenusAndToolbar();
  // Reads the capture folder and copies the service-mode flag.
  void LoadCaptureFolder();

  CVistrelApp& App() const { return m_app; }
  MainMenu* Menu() const { return m_menu; }
  MainToolBar* ToolBar() const { return m_wndToolBar; }
  MainStatusBar* StatusBar() const { return m_wndStatusBar; }
  CVideoView* View() const { return m_view1000; }
  QMenu* ContextMenu() const { return m_contextMenu; }
  bool IsShutDown() const { return m_bShutDown; }
  // A frame has arrived: the frame picture exists.
  bool HasFramePicture() const;

  // The folder browser of the capture-folder command (replaceable for tests).
  platform::shell::FolderBrowser m_folderBrowser = platform::shell::BrowseForFolder;

  // State, by concern.
  bool m_bServiceMode = false;
  QString m_strFileFolder;
  std::array<QString, static_cast<int>(Txt::Count)> m_strTexts;
  CaptureGraphState m_graph;
  FrameState m_frame;
  ViewSettings m_view;
  OverlaySettings m_overlay;
  CameraParams m_camera;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QString Text(Txt t) const { return m_strTexts[static_cast<int>(t)]; }
  void OnLanguage(int index);
  void OnAbout(bool fromMenu);
  void ShowLanguageCheck(int index);
  void LayOutFixed();

  CVistrelApp& m_app;
  MainMenu* m_menu = nullptr;
  MainToolBar* m_wndToolBar = nullptr;
  MainStatusBar* m_wndStatusBar = nullptr;
  CVideoView* m_view1000 = nullptr;
  QMenu* m_contextMenu = nullptr;
  std::unique_ptr<platform::DeviceMonitor> m_hDevNotify;
  bool m_bInitialised = false;
  bool m_bShutDown = false;
};
