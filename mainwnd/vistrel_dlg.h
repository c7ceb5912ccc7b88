// The main window: the menus, toolbar, status bar and the view, and the command
// dispatcher. It owns the capture session, the recording and the display worker, turns
// their reports into widget changes, and is the only code that touches its widgets.
// Its member functions live in this folder, one file per concern.
#pragma once

#include <QBasicTimer>
#include <QDateTime>
#include <QDialog>
#include <QEvent>
#include <QString>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "media/recording_control.h"
#include "platform/shell/shell.h"
#include "texts/ui_text.h"
#include "view/picture_pool.h"

class CameraDiscovery;
class CaptureSession;
class CVideoView;
class DisplayWorker;
class PaintDelay;
class MainMenu;
class MainStatusBar;
class MainToolBar;
class OverlayPicture;
class CMoveWnd;
class QMenu;
class UserFiles;
struct ResolutionModel;

class CVistrelDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDD = 102;

  // files: settings, language and texts; cameras: the camera search and the device
  // services. Both outlive the window.
  CVistrelDlg(UserFiles& files, CameraDiscovery& cameras, bool serviceMode, QWidget* parent = nullptr);
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
  // Reads the capture folder.
  void LoadCaptureFolder();

  // Live view: the overlay is built on the UI thread when a setting changes; the shown
  // picture is composed by the display worker.
  void BuildOverlay();
  std::shared_ptr<const OverlayPicture> CurrentOverlay() const;
  void ComposeFrame();
  DisplayWorker* Display() const { return m_display.get(); }

  // Main-window commands.
  void OnPlay();
  void OnZoomIn();
  void OnZoomOut();
  void OnZoomReset();
  void OnHMirror();
  void OnVMirror();
  void OnMirrorReset();
  void OnExposureToggle();
  void OnCaptureFolder();
  void OnResolution(int id);
  // The camera's flash: Save and Restore (service mode).
  void OnSaveParams();
  void OnRestoreParams();
  // The service windows: camera properties and pan and zoom.
  void OnCameraProperties();
  void OnMove();

  // Snapshots and recording.
  void TakeSnapshot();
  void ToggleRecording();
  bool IsRecording() const;
  // The local time of snapshot and recording names (replaceable for tests).
  std::function<QDateTime()> m_localTime = [] { return QDateTime::currentDateTime(); };

  // The event a frame posts to ask for a paint.
  static QEvent::Type FramePaintEvent();

  CaptureSession& Session() const { return *m_session; }
  RecordingControl& Recording() const { return *m_recording; }
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

  const bool m_bServiceMode;
  QString m_strFileFolder;
  std::array<QString, static_cast<int>(Txt::Count)> m_strTexts;

 protected:
  bool event(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // What the capture session reports (its signals).
  void ConnectSessionReports();
  void OnPreviewStarting();
  void OnPreviewStarted();
  void OnPreviewStopped();
  void OnResolutionListsChanged(const ResolutionModel& model);
  void OnResolutionMarked(const ResolutionModel& model);
  void OnPowerLineChanged(int frequency, bool available);
  void OnCameraGone();
  void OnCameraArriving();
  void OnCameraArrived();
  void OnCameraStalled();
  void OnFrameReady(int width, int height);  // streaming thread
  void OnStillPressed();                     // still thread
  // What the recording reports (its signals).
  void OnRecordingOpened();
  void OnRecordingFailed();
  void OnRecordingStatus(const QString& start, const QString& length);

  // A text of the last text pass.
  QString Text(Txt t) const;
  void OnLanguage(int index);
  void OnAbout(bool fromMenu);
  void ShowLanguageCheck(int index);
  void LayOutFixed();
  void OnFramePaint();
  void LayOutForResolution();
  void RefreshPlayPicture();
  void RefreshZoomPictures();
  void RefreshMirrorPictures();
  void ShowResolutionAndZoom();
  void ShowZoom();
  void ToggleMirror(std::atomic<int>& flag, int id);
  // The close-time write of the flash outside service mode.
  void WriteParamsAtClose();
  // What a graph build read from the flash, shown.
  void OnParametersRead();
  // Normal mode: the Property button shows which way it would switch the exposure.
  void ShowExposurePicture();
  // Ends a recording that runs and shows that it ended.
  void StopRecording();
  void ShowRecordingStopped();

  UserFiles& m_files;
  CameraDiscovery& m_cameras;
  MainMenu* m_menu = nullptr;
  MainToolBar* m_wndToolBar = nullptr;
  MainStatusBar* m_wndStatusBar = nullptr;
  CVideoView* m_view1000 = nullptr;
  QMenu* m_contextMenu = nullptr;
  std::unique_ptr<CaptureSession> m_session;
  std::unique_ptr<RecordingControl> m_recording;
  std::unique_ptr<DisplayWorker> m_display;
  // VISTREL_DEBUG_DELAY=1: the capture-to-paint delay, reported on stderr at close.
  std::unique_ptr<PaintDelay> m_paintDelay;
  mutable std::mutex m_overlayLock;  // guards m_overlayPicture only; never held with the frame lock
  std::shared_ptr<const OverlayPicture> m_overlayPicture;
  PicturePool m_pictures;  // the display worker's pictures to compose into
  QBasicTimer m_timer3;    // after Save and Restore, 2000 ms; it only stops itself
  std::unique_ptr<CMoveWnd> m_pMoveWnd;  // the pan and zoom window, once opened
  bool m_bMoveWndShown = false;          // set when it was opened; never cleared
  int m_nOuterWidth = 0;   // the window's width as the resolution last set it
  bool m_bInitialised = false;
  bool m_bShutDown = false;
};
