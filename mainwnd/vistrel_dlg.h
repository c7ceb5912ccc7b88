// The main window: owner of the capture graph, the frame picture and its lock, the
// view and overlay settings, the camera parameters and the recording, and of the
// menus, toolbar and status bar. Its member functions are defined in the folder of
// their subsystem, one file per concern.
#pragma once

#include <QDialog>
#include <QEvent>
#include <QString>

#include <QBasicTimer>
#include <QDateTime>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "app/ui_text.h"
#include "capture/frame_state.h"
#include "capture/graph_state.h"
#include "mainwnd/picture_pool.h"
#include "mainwnd/view_settings.h"
#include "media/recording_state.h"
#include "platform/graph/interfaces.h"
#include "platform/shell/shell.h"

class CVistrelApp;
class CVideoView;
class DisplayWorker;
class OverlayPicture;
class Recorder;
class MainMenu;
class MainStatusBar;
class MainToolBar;
class QMenu;

namespace platform {
class DeviceMonitor;
}

class CVistrelDlg : public QDialog, public CBCLS, public ISampleGrabberCB {
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

  // The capture graph, on the UI thread.
  bool SelectCamera(const std::shared_ptr<IMoniker>& moniker);
  bool BuildGraph();
  bool ConnectGraph();
  bool StartPreview();
  bool StopPreview();
  void DisconnectGraph();
  void RemoveDownstream(const std::shared_ptr<IBaseFilter>& filter);
  void ReleaseGraph();
  void SetPowerLine50Hz();
  void SetPowerLine60Hz();
  // The camera runs: a frame picture and a capture source exist.
  bool CameraRuns() const;

  // Frames, on the streaming threads.
  int FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) override;
  HRESULT QueryInterface(const GUID& iid, void** object) override;
  unsigned long AddRef() override { return 2; }
  unsigned long Release() override { return 1; }
  HRESULT SampleCB(double sampleTime, IMediaSample* sample) override;
  HRESULT BufferCB(double sampleTime, std::uint8_t* buffer, long length) override;
  // Under the frame lock: the camera's pixels through the view transform, straight into
  // the frame picture.
  bool ApplyViewTransform(const std::uint8_t* pixels, int width, int height, int bitsPerPixel);
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
  void RestartWithCapability(int capability);

  // Device arrival and removal (events 0x8000 and 0x8004; every event re-arms the
  // still trigger).
  void OnDeviceChange(int event);

  // Snapshots and recording.
  void TakeSnapshot();
  void ToggleRecording();
  void RecordOnFrame();
  void OnTimer(int id);
  bool IsRecording() const;
  // The local time of snapshot and recording names (replaceable for tests).
  std::function<QDateTime()> m_localTime = [] { return QDateTime::currentDateTime(); };

  // The event a frame posts to ask for a paint.
  static QEvent::Type FramePaintEvent();

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
  // The still trigger: the first still buffer after an event only arms it.
  std::atomic<bool> m_bStillPending{true};
  std::atomic<bool> m_bStillArmed{false};
  RecordingState m_rec;

 protected:
  bool event(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QString Text(Txt t) const { return m_strTexts[static_cast<int>(t)]; }
  void OnLanguage(int index);
  void OnAbout(bool fromMenu);
  void ShowLanguageCheck(int index);
  void LayOutFixed();
  bool BuildGraphFilters();
  void BuildResolutionLists();
  void SelectStoredFormat();
  void ApplyPowerLineFromSettings();
  void SetPowerLine(int frequency);
  void DerivePanCentre();
  void OnFramePaint();
  void OnPreviewStarting();
  void LayOutForResolution();
  void RefreshPlayPicture();
  void RefreshZoomPictures();
  void RefreshMirrorPictures();
  void ShowResolutionAndZoom();
  void ShowZoom();
  void ToggleMirror(std::atomic<int>& flag, int id);
  void OnRecordOpened(unsigned long session, bool opened);
  void StopRecording();
  QString CaptureFileBase(const QDateTime& time) const;

  CVistrelApp& m_app;
  MainMenu* m_menu = nullptr;
  MainToolBar* m_wndToolBar = nullptr;
  MainStatusBar* m_wndStatusBar = nullptr;
  CVideoView* m_view1000 = nullptr;
  QMenu* m_contextMenu = nullptr;
  std::unique_ptr<platform::DeviceMonitor> m_hDevNotify;
  int m_plugListener = -1;
  std::unique_ptr<DisplayWorker> m_display;
  mutable std::mutex m_overlayLock;  // guards m_overlayPicture only; never held with the frame lock
  std::shared_ptr<const OverlayPicture> m_overlayPicture;
  PicturePool m_pictures;  // the display worker's pictures to compose into
  std::unique_ptr<Recorder> m_recorder;
  QBasicTimer m_timer1;  // recording status, 1000 ms
  QBasicTimer m_timer2;  // recording pictures, 34 ms
  int m_nOuterWidth = 0;  // the window's width as the resolution last set it
  bool m_bInitialised = false;
  bool m_bShutDown = false;
};
