// Choosing a resolution: the menu marks, then a restart of the stream with the
// capability behind the chosen entry.
#include <QMenu>

#include <cstdlib>
#include <vector>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/vistrel_dlg.h"
#include "platform/graph/media_format.h"

void CVistrelDlg::OnResolution(int id) {
  const bool mjpg = cmd::IsMjpgResolution(id);
  const int index = id - (mjpg ? cmd::ID_MJPG_FIRST : cmd::ID_YUV_FIRST);

  for (int k = 0; k < cmd::kResolutionCommands; ++k) {
    m_menu->Check(cmd::ID_YUV_FIRST + k, false);
    m_menu->Check(cmd::ID_MJPG_FIRST + k, false);
  }
  m_menu->Check(id, true);
  if (m_bServiceMode) {
    QMenu* resolution = m_menu->ResolutionMenu();
    MainMenu::CheckAt(resolution, 0, !mjpg);
    MainMenu::CheckAt(resolution, 1, mjpg);
  }

  m_graph.m_bFormatMjpg = mjpg;
  m_bStillPending = true;
  m_bStillArmed = false;
  RestartWithCapability(mjpg ? 2 * (m_graph.m_nYuvFormatCount + index) : 2 * index);
  m_graph.m_nFormatIndex = index;
  m_bStillPending = true;
  m_bStillArmed = false;
}

void CVistrelDlg::RestartWithCapability(int capability) {
  CaptureGraphState& g = m_graph;
  if (!g.m_pSourceFilter || !g.m_pGrabberFilter) return;
  if (g.m_bPreviewWanted) StopPreview();
  if (g.m_bGraphConnected) DisconnectGraph();

  std::shared_ptr<IAMStreamConfig> config;
  if (g.m_pCaptureBuilder &&
      (SUCCEEDED(g.m_pCaptureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, g.m_pSourceFilter,
                                                    config)) ||
       SUCCEEDED(g.m_pCaptureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, g.m_pSourceFilter,
                                                    config))) &&
      config) {
    std::vector<std::uint8_t> caps(static_cast<std::size_t>(kStreamConfigCapsSize));
    AM_MEDIA_TYPE mt;
    if (SUCCEEDED(config->GetStreamCaps(capability, mt, caps.data()))) {
      // A failure to read or set the capability leaves size and format as they were.
      m_view.m_nVideoWidth = platform::ReadInt32(mt.pbFormat, 52);
      m_view.m_nVideoHeight = std::abs(platform::ReadInt32(mt.pbFormat, 56));
      const HRESULT set = config->SetFormat(mt);
      (void)set;
      DerivePanCentre();
    }
  }

  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    m_frame.m_pFrameImage.reset();
  }
  OnPreviewStarting();
  if (g.m_bPreviewWanted) {
    if (ConnectGraph()) StartPreview();
  }
}
