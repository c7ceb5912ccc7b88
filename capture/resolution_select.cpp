// Choosing a resolution: the mark, then a restart of the stream with the
// capability behind the chosen entry.
#include <cstdlib>
#include <vector>

#include "capture/capture_session.h"
#include "platform/graph/media_format.h"

void CaptureSession::SelectResolution(FormatFamily family, int index) {
  const bool mjpg = family == FormatFamily::Mjpg;
  m_resolutions.marked = ResolutionMark{family, index};
  emit resolutionMarked(m_resolutions);

  m_graph.m_bFormatMjpg = mjpg;
  RearmStill();
  RestartWithCapability(mjpg ? 2 * (m_graph.m_nYuvFormatCount + index) : 2 * index);
  m_graph.m_nFormatIndex = index;
  RearmStill();
}

void CaptureSession::RestartWithCapability(int capability) {
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

  // No frame picture until a frame of the new size arrives.
  std::shared_ptr<const CxImage> previous;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    previous.swap(m_frame.m_pFrameImage);
  }
  previous.reset();
  emit previewStarting();
  if (g.m_bPreviewWanted) {
    if (ConnectGraph()) StartPreview();
  }
}
