// Commands of the main window itself: play and freeze, zoom, mirror, the exposure
// toggle and the capture folder.
#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/vistrel_dlg.h"
#include "media/capture_folder.h"
#include "texts/user_files.h"

namespace {
constexpr int kPlayPicture = 0;
constexpr float kMaxZoom = 2.0f;
// One zoom step: the float 0.1 added in double precision, stored as float, so the
// steps show as 110 %, 120 % … 200 %.
constexpr double kZoomStep = static_cast<double>(0.1f);
}  // namespace

void CVistrelDlg::ShowZoom() {
  m_wndStatusBar->SetPaneText(1, QStringLiteral("%1%").arg(static_cast<int>(m_session->m_view.m_fZoom * 100.0f)));
}

void CVistrelDlg::OnPlay() {
  if (!m_session->CameraRuns()) {
    // Whatever stopped the picture, Play brings it back when a camera can give it.
    const bool live = m_session->Play();
    (void)live;  // the Play picture and mark follow what runs
    RefreshPlayPicture();
    m_menu->Check(cmd::ID_PLAY, !m_session->m_graph.m_bPreviewWanted);
    ApplyWindowTexts();
    return;
  }
  const bool wanted = !m_session->m_graph.m_bPreviewWanted;
  m_wndToolBar->ReplacePicture(kPlayPicture, wanted ? 144 : 154);
  m_session->SetPreviewWanted(wanted);
  m_menu->Check(cmd::ID_PLAY, !wanted);
  ApplyWindowTexts();
}

void CVistrelDlg::OnZoomIn() {
  if (!m_session->CameraRuns()) return;
  if (m_session->m_view.m_fZoom >= kMaxZoom) {
    RefreshZoomPictures();
    return;
  }
  m_session->m_view.m_fZoom = static_cast<float>(static_cast<double>(m_session->m_view.m_fZoom) + kZoomStep);
  ShowZoom();
  RefreshZoomPictures();
  m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, true);
  m_wndToolBar->EnableButton(cmd::ID_REZOOM, true);
}

void CVistrelDlg::OnZoomOut() {
  if (!m_session->CameraRuns()) return;
  m_session->m_view.m_fZoom = static_cast<float>(static_cast<double>(m_session->m_view.m_fZoom) - kZoomStep);
  m_wndToolBar->EnableButton(cmd::ID_ZOOMIN, true);
  m_wndToolBar->EnableButton(cmd::ID_REZOOM, true);
  if (m_session->m_view.m_fZoom <= 1.0f) {
    m_session->m_view.m_fZoom = 1.0f;
    m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, false);
  }
  ShowZoom();
  RefreshZoomPictures();
}

void CVistrelDlg::OnZoomReset() {
  if (!m_session->CameraRuns()) return;
  m_session->m_view.m_fZoom = 1.0f;
  m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, false);
  ShowZoom();
  RefreshZoomPictures();
}

void CVistrelDlg::OnHMirror() { ToggleMirror(m_session->m_view.m_bHMirror, cmd::ID_HMIRROR); }

void CVistrelDlg::OnVMirror() { ToggleMirror(m_session->m_view.m_bVMirror, cmd::ID_VMIRROR); }

void CVistrelDlg::ToggleMirror(std::atomic<int>& flag, int id) {
  if (!m_session->CameraRuns()) return;
  flag = flag ? 0 : 1;
  const bool on = flag != 0;
  m_menu->Check(id, on);
  RefreshMirrorPictures();
  m_wndToolBar->CheckButton(id, on);
}

void CVistrelDlg::OnMirrorReset() {
  if (!m_session->CameraRuns()) return;
  m_session->m_view.m_bHMirror = 0;
  m_session->m_view.m_bVMirror = 0;
  m_wndToolBar->CheckButton(cmd::ID_HMIRROR, false);
  m_wndToolBar->CheckButton(cmd::ID_VMIRROR, false);
  RefreshMirrorPictures();
  m_menu->Check(cmd::ID_HMIRROR, false);
  m_menu->Check(cmd::ID_VMIRROR, false);
}

void CVistrelDlg::OnExposureToggle() {
  if (!m_session->HasCaptureSource()) return;
  m_wndToolBar->update();
  if (m_session->ToggleExposure()) ShowExposurePicture();
  ApplyWindowTexts();
}

void CVistrelDlg::OnCaptureFolder() {
  if (!m_session->CameraRuns() || !m_folderBrowser) return;
  platform::shell::FolderBrowseRequest request;
  request.owner = this;
  request.title = Text(Txt::Main_FOLDER);
  request.caption = Text(Txt::Main_FOLDERTIPS);
  request.initialFolder = m_strFileFolder;
  const std::optional<QString> chosen = m_folderBrowser(request);
  if (!chosen || chosen->isEmpty()) return;
  QString folder = *chosen;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  m_strFileFolder = folder;
  const bool written = StoreCaptureFolder(m_files.m_strSettingPath, folder);
  (void)written;  // the folder is used for this run even when it cannot be stored
  m_wndStatusBar->SetPaneText(2, folder);
}
