// Commands of the main window itself: play and freeze, zoom, mirror, the exposure
// toggle and the capture folder.
#include "app/vistrel_app.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/vistrel_dlg.h"
#include "platform/profile/profile.h"

namespace {
constexpr int kPlayPicture = 0;
constexpr int kPropertyPicture = 9;
constexpr float kMaxZoom = 2.0f;
// One zoom step: the float 0.1 added in double precision, stored as float, so the
// steps show as 110 %, 120 % … 200 %.
constexpr double kZoomStep = static_cast<double>(0.1f);
}  // namespace

bool CVistrelDlg::CameraRuns() const { return m_graph.m_pSourceFilter && HasFramePicture(); }

void CVistrelDlg::ShowZoom() {
  m_wndStatusBar->SetPaneText(1, QStringLiteral("%1%").arg(static_cast<int>(m_view.m_fZoom * 100.0f)));
}

void CVistrelDlg::OnPlay() {
  CaptureGraphState& g = m_graph;
  if (!CameraRuns()) {
    if (m_app.FindCameras() > 0) SelectCamera(m_app.m_pCameraMonikers[0]);
    return;
  }
  const bool wasWanted = g.m_bPreviewWanted;
  g.m_bPreviewWanted = !g.m_bPreviewWanted;
  if (wasWanted) {
    m_wndToolBar->ReplacePicture(kPlayPicture, 154);
    StopPreview();
  } else {
    m_wndToolBar->ReplacePicture(kPlayPicture, 144);
    if (!g.m_bGraphConnected) ConnectGraph();
    StartPreview();
  }
  m_menu->Check(cmd::ID_PLAY, !g.m_bPreviewWanted);
  ApplyWindowTexts();
}

void CVistrelDlg::OnZoomIn() {
  if (!CameraRuns()) return;
  if (m_view.m_fZoom >= kMaxZoom) {
    RefreshZoomPictures();
    return;
  }
  m_view.m_fZoom = static_cast<float>(static_cast<double>(m_view.m_fZoom) + kZoomStep);
  ShowZoom();
  RefreshZoomPictures();
  m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, true);
  m_wndToolBar->EnableButton(cmd::ID_REZOOM, true);
}

void CVistrelDlg::OnZoomOut() {
  if (!CameraRuns()) return;
  m_view.m_fZoom = static_cast<float>(static_cast<double>(m_view.m_fZoom) - kZoomStep);
  m_wndToolBar->EnableButton(cmd::ID_ZOOMIN, true);
  m_wndToolBar->EnableButton(cmd::ID_REZOOM, true);
  if (m_view.m_fZoom <= 1.0f) {
    m_view.m_fZoom = 1.0f;
    m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, false);
  }
  ShowZoom();
  RefreshZoomPictures();
}

void CVistrelDlg::OnZoomReset() {
  if (!CameraRuns()) return;
  m_view.m_fZoom = 1.0f;
  m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, false);
  ShowZoom();
  RefreshZoomPictures();
}

void CVistrelDlg::OnHMirror() { ToggleMirror(m_view.m_bHMirror, cmd::ID_HMIRROR); }

void CVistrelDlg::OnVMirror() { ToggleMirror(m_view.m_bVMirror, cmd::ID_VMIRROR); }

void CVistrelDlg::ToggleMirror(std::atomic<int>& flag, int id) {
  if (!CameraRuns()) return;
  flag = flag ? 0 : 1;
  const bool on = flag != 0;
  m_menu->Check(id, on);
  RefreshMirrorPictures();
  m_wndToolBar->CheckButton(id, on);
}

void CVistrelDlg::OnMirrorReset() {
  if (!CameraRuns()) return;
  m_view.m_bHMirror = 0;
  m_view.m_bVMirror = 0;
  m_wndToolBar->CheckButton(cmd::ID_HMIRROR, false);
  m_wndToolBar->CheckButton(cmd::ID_VMIRROR, false);
  RefreshMirrorPictures();
  m_menu->Check(cmd::ID_HMIRROR, false);
  m_menu->Check(cmd::ID_VMIRROR, false);
}

void CVistrelDlg::OnExposureToggle() {
  if (!m_graph.m_pSourceFilter) return;
  m_wndToolBar->update();
  if (auto control = ::QueryInterface<IAMCameraControl>(m_graph.m_pSourceFilter)) {
    const bool automatic = !m_camera.m_bExposureAuto;
    m_camera.m_bExposureAuto = automatic;
    m_camera.m_bGainAuto = automatic;
    if (!automatic) {
      // Manual exposure takes the last exposure known; one the camera would refuse
      // (never read from it) is replaced by what the camera has now, so the camera
      // really leaves automatic mode as the button says.
      long min = 0, max = 0, step = 0, def = 0, caps = 0;
      long value = 0, flags = 0;
      if (SUCCEEDED(control->GetRange(CameraControl_Exposure, &min, &max, &step, &def, &caps)) &&
          (m_camera.m_nExposure < min || m_camera.m_nExposure > max) &&
          SUCCEEDED(control->Get(CameraControl_Exposure, &value, &flags))) {
        m_camera.m_nExposure = static_cast<int>(value);
      }
    }
    m_wndToolBar->ReplacePicture(kPropertyPicture, automatic ? 163 : 153);
    const HRESULT set = control->Set(CameraControl_Exposure, m_camera.m_nExposure,
                                     automatic ? CameraControl_Flags_Auto : CameraControl_Flags_Manual);
    (void)set;  // the button shows the state asked for; a refusing camera keeps its own
  }
  ApplyWindowTexts();
}

void CVistrelDlg::OnCaptureFolder() {
  if (!CameraRuns() || !m_folderBrowser) return;
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
  const bool written = profile::writeString(m_app.m_strSettingPath, QStringLiteral("Path"),
                                            QStringLiteral("FileFolder"), folder);
  (void)written;  // the folder is used for this run even when it cannot be stored
  m_wndStatusBar->SetPaneText(2, folder);
}
