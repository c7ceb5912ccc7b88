// The start-up set-up of menus and toolbar.
#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
constexpr int kPropertyPicture = 9;
constexpr int kManualExposureIcon = 153;
constexpr int kAutoExposureIcon = 163;
}  // namespace

void CVistrelDlg::SetUpMenusAndToolbar() {
  m_wndToolBar->EnableButton(cmd::ID_ZOOMOUT, m_session->m_view.m_fZoom > 1.0f);
  const bool h = m_session->m_view.m_bHMirror != 0;
  const bool v = m_session->m_view.m_bVMirror != 0;
  m_wndToolBar->CheckButton(cmd::ID_HMIRROR, h);
  m_wndToolBar->CheckButton(cmd::ID_VMIRROR, v);
  m_menu->Check(cmd::ID_HMIRROR, h);
  m_menu->Check(cmd::ID_VMIRROR, v);
  if (!m_bServiceMode) {
    // The factory functions exist in service mode only; the Property button then
    // toggles automatic exposure and shows which way it would switch.
    m_menu->RemoveItem(cmd::ID_RESTORE);
    m_menu->RemoveItem(cmd::ID_SAVEPARAM);
    m_menu->RemoveItem(cmd::ID_MOVE);
    m_menu->RemoveItem(cmd::ID_PROPERTY);
    m_wndToolBar->ReplacePicture(kPropertyPicture,
                                 m_session->m_camera.m_bExposureAuto ? kAutoExposureIcon : kManualExposureIcon);
  }
  ApplyWindowTexts();
}
