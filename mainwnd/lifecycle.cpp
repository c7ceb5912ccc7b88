// The window's life: start-up (the bars, the texts, the camera, the menus) and the one
// shut-down, whatever ended the window.
#include <QMenu>
#include <QVBoxLayout>

#include <cstdio>

#include "adjust/move_wnd.h"
#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/video_view.h"
#include "mainwnd/vistrel_dlg.h"
#include "res/resources.h"
#include "texts/user_files.h"
#include "view/display_worker.h"
#include "view/paint_delay.h"

namespace {
// Text of the About item of the window's context menu.
const char* const kAboutItemText = "关于 Vistrel(&A)...";
}  // namespace

CVistrelDlg::~CVistrelDlg() { DestroyWindow(); }

int CVistrelDlg::DoModal() {
  OnInitDialog();
  const int result = exec();
  DestroyWindow();
  return result;
}

bool CVistrelDlg::OnInitDialog() {
  if (m_bInitialised) return true;
  m_bInitialised = true;

  // Commands and the reports of what the window owns reach their handlers from here on.
  connect(m_menu, &MainMenu::command, this, &CVistrelDlg::OnCommand);
  ConnectSessionReports();
  connect(m_recording.get(), &RecordingControl::opened, this, &CVistrelDlg::OnRecordingOpened);
  connect(m_recording.get(), &RecordingControl::failed, this, &CVistrelDlg::OnRecordingFailed);
  connect(m_recording.get(), &RecordingControl::status, this, &CVistrelDlg::OnRecordingStatus);

  // The window's context menu stands in for the system menu: a separator, then About.
  m_contextMenu = new QMenu(this);
  m_contextMenu->addSeparator();
  QAction* about = m_contextMenu->addAction(QString::fromUtf8(kAboutItemText));
  connect(about, &QAction::triggered, this, [this] { OnCommand(cmd::IDM_ABOUTBOX); });

  setWindowIcon(AppIcon());

  // Camera arrival and removal; without udev the program simply sees none.
  m_session->RegisterDeviceNotification();

  LoadCaptureFolder();
  ApplyWindowTexts();

  m_wndToolBar = new MainToolBar(this);
  m_wndToolBar->SetTooltipSource([this](int id) { return TooltipText(id); });
  connect(m_wndToolBar, &MainToolBar::command, this, &CVistrelDlg::OnCommand);
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_wndToolBar);

  m_wndStatusBar = new MainStatusBar(this);
  layout()->addWidget(m_wndStatusBar);

  m_display = std::make_unique<DisplayWorker>([this] { ComposeFrame(); });
  const bool opened = m_session->OpenFirstCamera();
  (void)opened;  // without a camera the window runs on, and a camera may still arrive

  SetUpMenusAndToolbar();

  ShowLanguageCheck(m_files.CurrentLanguageIndex());
  m_menu->SetBitmap(cmd::ID_CHINESE, MenuBitmap(140));
  m_menu->SetBitmap(cmd::ID_ENGLISH, MenuBitmap(141));
  m_menu->SetBitmap(cmd::ID_JAPANESE, MenuBitmap(142));
  LayOutFixed();
  return true;
}

bool CVistrelDlg::DestroyWindow() {
  if (m_bShutDown) return true;
  m_bShutDown = true;
  if (!m_bInitialised) return true;

  // A recording in progress is finished first, so closing never loses it.
  StopRecording();
  // Outside service mode the camera's basic parameters go back to its flash.
  WriteParamsAtClose();
  m_timer3.stop();
  // The pan window reads the session's pictures; it goes before they do.
  m_pMoveWnd.reset();

  m_session->CloseCamera();
  // No frame comes now; the display worker finishes before anything it reads goes.
  if (m_display) m_display->Stop();
  if (m_paintDelay) {
    m_view1000->SetPaintDelay(nullptr);
    std::fprintf(stderr, "vistrel: %s\n", m_paintDelay->Report().c_str());
  }
  m_session->ReleasePictures();
  m_session->UnregisterDeviceNotification();
  return true;
}

bool CVistrelDlg::HasFramePicture() const { return m_session->HasFramePicture(); }
