// The power-line frequency: 50 Hz or 60 Hz against the flicker of the room's lights.
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
constexpr int k50Hz = 1;
constexpr int k60Hz = 2;
}  // namespace

void CVistrelDlg::SetPowerLine50Hz() { SetPowerLine(k50Hz); }
void CVistrelDlg::SetPowerLine60Hz() { SetPowerLine(k60Hz); }

void CVistrelDlg::SetPowerLine(int frequency) {
  // Only a camera that delivers frames takes the setting (and the marks follow it).
  if (!m_graph.m_pSourceFilter || !HasFramePicture()) return;
  if (auto properties = ::QueryInterface<IKsPropertySet>(m_graph.m_pSourceFilter)) {
    KSPROPERTY_VIDEOPROCAMP_S data{PROPSETID_VIDCAP_VIDEOPROCAMP,
                                   KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY,
                                   0,
                                   frequency,
                                   2,
                                   0,
                                   0};
    const HRESULT set = properties->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY,
                                        &data.Value, 16, &data, sizeof(data));
    (void)set;  // a camera without the setting keeps its own; the choice is still kept
  }
  m_camera.m_nPowerLineFreq = frequency;
  m_menu->Check(cmd::ID_50HZ, frequency == k50Hz);
  m_menu->Check(cmd::ID_60HZ, frequency == k60Hz);
}

void CVistrelDlg::ApplyPowerLineFromSettings() {
  const bool fifty = m_camera.m_nPowerLineFreq == k50Hz;
  if (fifty) {
    SetPowerLine50Hz();
  } else {
    SetPowerLine60Hz();
  }
  m_menu->Check(cmd::ID_50HZ, fifty);
  m_menu->Check(cmd::ID_60HZ, !fifty);
  m_menu->Enable(cmd::ID_50HZ, true);
  m_menu->Enable(cmd::ID_60HZ, true);
}
