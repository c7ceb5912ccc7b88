// The power-line frequency: 50 Hz or 60 Hz against the flicker of the room's lights.
#include "capture/capture_session.h"

namespace {
constexpr int k50Hz = 1;
constexpr int k60Hz = 2;
}  // namespace

void CaptureSession::SetPowerLine50Hz() { SetPowerLine(k50Hz); }
void CaptureSession::SetPowerLine60Hz() { SetPowerLine(k60Hz); }

void CaptureSession::SetPowerLine(int frequency) {
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
  emit powerLineChanged(frequency, m_bPowerLineAvailable);
}

void CaptureSession::ApplyPowerLineFromSettings() {
  // Open to choice again after a removal greyed it, and marked as asked even when no
  // frame came yet (then the camera keeps its own).
  m_bPowerLineAvailable = true;
  const bool fifty = m_camera.m_nPowerLineFreq == k50Hz;
  if (fifty) {
    SetPowerLine50Hz();
  } else {
    SetPowerLine60Hz();
  }
  emit powerLineChanged(fifty ? k50Hz : k60Hz, true);
}
