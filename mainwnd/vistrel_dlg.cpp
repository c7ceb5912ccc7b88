#include "mainwnd/vistrel_dlg.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/video_view.h"
#include "media/capture_folder.h"
#include "res/resources.h"
#include "texts/user_files.h"
#include "view/display_worker.h"
#include "view/overlay_picture.h"

namespace {
// The view before any camera sets its size: 344 × 238 dialog units of the window's
// design (a dialog unit being a quarter of the average character width, an eighth of
// its height at 6 × 13 pixels).
constexpr int kInitialViewWidth = 344 * 6 / 4;
constexpr int kInitialViewHeight = 238 * 13 / 8;
// The window's border beside the view, as in the window's design (345 against 344 units).
constexpr int kViewBorder = 3;

// Text of the About item of the window's context menu.
const char* const kAboutItemText = "关于 Vistrel(&A)...";
}  // namespace

CVistrelDlg::CVistrelDlg(UserFiles& files, CameraDiscovery& cameras, bool serviceMode, QWidget* parent)
    : QDialog(parent), m_bServiceMode(serviceMode), m_files(files), m_cameras(cameras) {
  setWindowTitle(QStringLiteral("Tavio"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowIcon(AppIcon());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  m_menu = new MainMenu(this);
  layout->setMenuBar(m_menu->Bar());
  connect(m_menu, &MainMenu::command, this, &CVistrelDlg::OnCommand);

  m_view1000 = new CVideoView(this);
  m_view1000->setFixedSize(kInitialViewWidth, kInitialViewHeight);
  layout->addWidget(m_view1000);
  LayOutFixed();

  CaptureListener& captureReports = *this;
  RecordingListener& recordingReports = *this;
  m_session = std::make_unique<CaptureSession>(m_cameras, m_files, m_bServiceMode, captureReports);
  m_recording = std::make_unique<RecordingControl>(recordingReports, [this] { return m_session->ShownPicture(); });
  // One local clock names the files and shows when a recording started.
  m_recording->m_localTime = [this] { return m_localTime(); };
}

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
  if (m_recording->Stop()) ShowRecordingStopped();

  m_session->CloseCamera();
  // No frame comes now; the display worker finishes before anything it reads goes.
  if (m_display) m_display->Stop();
  m_session->ReleasePictures();
  m_session->UnregisterDeviceNotification();
  return true;
}

bool CVistrelDlg::HasFramePicture() const { return m_session->HasFramePicture(); }

void CVistrelDlg::LayOutFixed() {
  layout()->activate();
  // The window is as wide as its layout asks (the view and the border) and as high as the
  // bars and the view need on this desktop; it is not resizable.
  const int width = m_nOuterWidth > 0 ? m_nOuterWidth : m_view1000->width() + kViewBorder;
  setFixedSize(width, layout()->totalSizeHint().height());
}

void CVistrelDlg::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape end the program as Exit does, through the one shut-down.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return;
    case Qt::Key_Escape:
      reject();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void CVistrelDlg::contextMenuEvent(QContextMenuEvent* event) {
  if (m_contextMenu) m_contextMenu->popup(event->globalPos());
}

void CVistrelDlg::LoadCaptureFolder() { m_strFileFolder = ::LoadCaptureFolder(m_files.m_strSettingPath); }
