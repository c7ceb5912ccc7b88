// What the capture session reports, turned into the window's pictures, marks and texts.
#include <QAction>
#include <QMenu>
#include <QMetaObject>

#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/vistrel_dlg.h"
#include "texts/user_files.h"

namespace {
constexpr int k50Hz = 1;

// Greys the resolution entries, in the submenus of service mode or the flat list.
void GreyResolutions(QMenu* resolution) {
  if (!resolution) return;
  for (QAction* action : resolution->actions()) {
    if (QMenu* sub = action->menu()) {
      for (QAction* item : sub->actions()) item->setEnabled(false);
    } else {
      action->setEnabled(false);
    }
  }
}
}  // namespace

void CVistrelDlg::ConnectSessionReports() {
  CaptureSession* s = m_session.get();
  connect(s, &CaptureSession::previewStarting, this, &CVistrelDlg::OnPreviewStarting);
  connect(s, &CaptureSession::previewStarted, this, &CVistrelDlg::OnPreviewStarted);
  connect(s, &CaptureSession::previewStopped, this, &CVistrelDlg::OnPreviewStopped);
  connect(s, &CaptureSession::resolutionListsChanged, this, &CVistrelDlg::OnResolutionListsChanged);
  connect(s, &CaptureSession::resolutionMarked, this, &CVistrelDlg::OnResolutionMarked);
  connect(s, &CaptureSession::powerLineChanged, this, &CVistrelDlg::OnPowerLineChanged);
  connect(s, &CaptureSession::cameraGone, this, &CVistrelDlg::OnCameraGone);
  connect(s, &CaptureSession::cameraArriving, this, &CVistrelDlg::OnCameraArriving);
  connect(s, &CaptureSession::cameraStalled, this, &CVistrelDlg::OnCameraStalled);
  // From the camera's threads: called there, and they only hand work over.
  connect(s, &CaptureSession::frameReady, this, &CVistrelDlg::OnFrameReady, Qt::DirectConnection);
  connect(s, &CaptureSession::stillPressed, this, &CVistrelDlg::OnStillPressed, Qt::DirectConnection);
}

void CVistrelDlg::OnPreviewStarted() {
  if (m_session->HasCaptureSource()) m_menu->Check(cmd::ID_PLAY, !m_session->m_graph.m_bPreviewWanted);
  RefreshZoomPictures();
  RefreshMirrorPictures();
  RefreshPlayPicture();
  LayOutForResolution();
  m_wndStatusBar->SetPaneText(2, m_cameras.m_strCameraNames[0]);
}

void CVistrelDlg::OnPreviewStopped() { RefreshPlayPicture(); }

void CVistrelDlg::OnPowerLineChanged(int frequency, bool available) {
  m_menu->Check(cmd::ID_50HZ, frequency == k50Hz);
  m_menu->Check(cmd::ID_60HZ, frequency != k50Hz);
  m_menu->Enable(cmd::ID_50HZ, available);
  m_menu->Enable(cmd::ID_60HZ, available);
}

void CVistrelDlg::OnCameraGone() {
  GreyResolutions(m_menu->ResolutionMenu());
  // A recording ends with its camera: the file is finished now, playable, rather than
  // filled with one frozen picture until the camera comes back.
  StopRecording();
}

void CVistrelDlg::OnCameraStalled() { m_wndStatusBar->SetPaneText(2, m_files.UiText(Txt::Msg_STALLED)); }

void CVistrelDlg::OnCameraArriving() {
  // As at start-up: the capture folder may have been changed meanwhile by hand.
  LoadCaptureFolder();
}

void CVistrelDlg::OnStillPressed() {
  // Still thread. The snapshot is taken on the UI thread, as the Snap command's is, so
  // the capture folder, the clock and the status bar are only ever used there; the
  // still thread never waits for it.
  QMetaObject::invokeMethod(this, [this] { TakeSnapshot(); }, Qt::QueuedConnection);
}
