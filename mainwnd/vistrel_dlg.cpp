#include "mainwnd/vistrel_dlg.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#include "adjust/move_wnd.h"  // the pan window the window owns
#include "capture/capture_session.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/video_view.h"
#include "media/capture_folder.h"
#include "res/resources.h"
#include "texts/user_files.h"
#include "view/display_worker.h"
#include "view/paint_delay.h"

namespace {
// The view before any camera sets its size: 344 × 238 dialog units of the window's
// design (a dialog unit being a quarter of the average character width, an eighth of
// its height at 6 × 13 pixels).
constexpr int kInitialViewWidth = 344 * 6 / 4;
constexpr int kInitialViewHeight = 238 * 13 / 8;
// The window's border beside the view, as in the window's design (345 against 344 units).
constexpr int kViewBorder = 3;
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

  m_view1000 = new CVideoView(this);
  m_view1000->setFixedSize(kInitialViewWidth, kInitialViewHeight);
  layout->addWidget(m_view1000);
  if (qgetenv("VISTREL_DEBUG_DELAY") == "1") {
    m_paintDelay = std::make_unique<PaintDelay>();
    m_view1000->SetPaintDelay(m_paintDelay.get());
    // Also every 10 s, so a run that is killed rather than closed still says it.
    auto* report = new QTimer(this);
    connect(report, &QTimer::timeout, this,
            [this] { std::fprintf(stderr, "vistrel: %s\n", m_paintDelay->Report().c_str()); });
    report->start(10000);
  }
  LayOutFixed();

  m_session = std::make_unique<CaptureSession>(m_cameras, m_files, m_bServiceMode);
  m_recording = std::make_unique<RecordingControl>([this] { return m_session->ShownPicture(); });
  // One local clock names the files and shows when a recording started.
  m_recording->m_localTime = [this] { return m_localTime(); };
}

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
