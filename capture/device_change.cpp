// Camera arrival and removal while the program runs.
#include <QAction>
#include <QMenu>

#include "app/vistrel_app.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/vistrel_dlg.h"
#include "outside/acam.h"
#include "platform/usb/device_monitor.h"

namespace {
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

void CVistrelDlg::OnDeviceChange(int event) {
  // Any device event re-arms the still trigger: the next still buffer is not a press.
  m_bStillPending = true;
  m_bStillArmed = false;

  if (event == platform::DBT_DEVICEARRIVAL) {
    if (m_graph.m_pSourceFilter) return;  // a camera is in use; another one changes nothing
    if (m_app.FindCameras() == 0) return;
    StopPreview();
    DisconnectGraph();
    ReleaseGraph();
    if (m_app.FindCameras() == 0) return;
    LoadCaptureFolder();
    m_bStillPending = true;
    m_bStillArmed = false;
    SelectCamera(m_app.m_pCameraMonikers[0]);
    return;
  }

  if (event == platform::DBT_DEVICEREMOVECOMPLETE) {
    // Another capture device went: the camera is still there and nothing changes.
    ALC_Initialize();
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    const bool attached = ALC_GetPIDVID(&vendorId, &productId) != 0;
    ALC_UnInitialize();
    if (attached) return;

    StopPreview();
    DisconnectGraph();
    ReleaseGraph();
    GreyResolutions(m_menu->ResolutionMenu());
    m_menu->Enable(cmd::ID_50HZ, false);
    m_menu->Enable(cmd::ID_60HZ, false);
    m_bStillPending = true;
    m_bStillArmed = false;
  }
}
