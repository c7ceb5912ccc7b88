// Connecting, running, stopping and taking apart the capture graph.
#include "capture/camera_discovery.h"
#include "capture/capture_session.h"
#include "texts/user_files.h"
#include "platform/graph/com_factory.h"

namespace {
bool Rendered(HRESULT hr) { return hr == S_OK || hr == VFW_S_NOPREVIEWPIN; }
}  // namespace

void CaptureSession::CloseCamera() {
  StopPreview();
  DisconnectGraph();
  ReleaseGraph();
}

bool CaptureSession::SelectCamera(const std::shared_ptr<IMoniker>& moniker) {
  // The same moniker object is the camera in use; a new search makes new ones.
  if (moniker == m_graph.m_pMoniker) return true;
  m_graph.m_pMoniker = moniker;
  if (m_graph.m_bPreviewing) StopPreview();
  if (m_graph.m_bGraphConnected) DisconnectGraph();
  ReleaseGraph();
  if (!BuildGraph()) return false;
  if (m_graph.m_bPreviewWanted) {
    if (!ConnectGraph()) return false;
    return StartPreview();
  }
  return true;
}

void CaptureSession::SetPreviewWanted(bool wanted) {
  m_graph.m_bPreviewWanted = wanted;
  if (!wanted) {
    StopPreview();
    return;
  }
  if (!m_graph.m_bGraphConnected) ConnectGraph();
  StartPreview();
}

bool CaptureSession::OpenFirstCamera() {
  if (m_cameras.FindCameras() == 0) return false;
  return SelectCamera(m_cameras.m_pCameraMonikers[0]);
}

bool CaptureSession::Play() {
  m_graph.m_bPreviewWanted = true;
  if (!HasCaptureSource()) return OpenFirstCamera() && m_graph.m_bPreviewing;
  if (m_graph.m_bPreviewing) return true;
  if (!m_graph.m_bGraphConnected && !ConnectGraph()) return false;
  return StartPreview();
}

bool CaptureSession::ConnectGraph() {
  CaptureGraphState& g = m_graph;
  if (g.m_bGraphConnected) return true;
  if (g.m_bPreviewing) return false;
  if (!g.m_pSourceFilter || !g.m_pGrabberFilter || !g.m_pNullRenderer || !g.m_pNullRenderer2 ||
      !g.m_pCaptureBuilder || !g.m_pGraph) {
    return false;
  }
  // A camera with an interleaved capture pin renders from it; a UVC camera from its
  // preview pin, or through a splitter on its capture pin when it has none.
  if (!Rendered(g.m_pCaptureBuilder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, g.m_pSourceFilter,
                                                  g.m_pGrabberFilter, g.m_pNullRenderer)) &&
      !Rendered(g.m_pCaptureBuilder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, g.m_pSourceFilter,
                                                  g.m_pGrabberFilter, g.m_pNullRenderer))) {
    m_texts.UiText(Txt::Msg_NOPREVIEW);
    g.m_bGraphConnected = false;
    return false;
  }

  // The still stream: the camera's button; a camera without a still pin has none.
  platform::ComFactory* com = m_cameras.Platform().com.get();
  if (com && SUCCEEDED(com->CreateSampleGrabber(g.m_pStillGrabber)) && g.m_pStillGrabber &&
      SUCCEEDED(g.m_pGraph->AddFilter(g.m_pStillGrabber, QStringLiteral("SG Grabber")))) {
    if (auto grabber = ::QueryInterface<ISampleGrabber>(g.m_pStillGrabber)) {
      grabber->SetBufferSamples(true);
      grabber->SetOneShot(false);
      grabber->SetCallback(this, 1);
    }
    if (FAILED(g.m_pCaptureBuilder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Interleaved, g.m_pSourceFilter,
                                                 g.m_pStillGrabber, g.m_pNullRenderer2))) {
      const HRESULT still = g.m_pCaptureBuilder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video,
                                                              g.m_pSourceFilter, g.m_pStillGrabber,
                                                              g.m_pNullRenderer2);
      (void)still;  // no still pin: no still stream, and nothing else changes
    }
  }
  g.m_bGraphConnected = true;
  return true;
}

bool CaptureSession::StartPreview() {
  emit previewStarting();
  CaptureGraphState& g = m_graph;
  if (g.m_bPreviewing) return true;
  if (!g.m_bGraphConnected) return false;
  auto control = ::QueryInterface<IMediaControl>(g.m_pGraph);
  if (!control || FAILED(control->Run())) {
    if (control) control->Stop();
    m_texts.UiText(Txt::Msg_CONNOTPREVIEW);
    return false;
  }
  g.m_bPreviewing = true;
  // The stall watch counts from now.
  m_stallFrameCount = m_frameCount.load();
  m_lastProgress = m_clock();
  m_stallTimer.start(1000, this);
  emit previewStarted();
  return true;
}

bool CaptureSession::StopPreview() {
  CaptureGraphState& g = m_graph;
  if (!g.m_bPreviewing) return false;
  auto control = ::QueryInterface<IMediaControl>(g.m_pGraph);
  if (!control || FAILED(control->Stop())) {
    m_texts.UiText(Txt::Msg_NOSTOPPREVIEW);
    return false;
  }
  g.m_bPreviewing = false;
  m_stallTimer.stop();
  emit previewStopped();
  return true;
}

void CaptureSession::DisconnectGraph() {
  CaptureGraphState& g = m_graph;
  if (g.m_pGraph) {
    const std::shared_ptr<IBaseFilter> filters[] = {g.m_pSourceFilter, g.m_pGrabberFilter, g.m_pStillGrabber,
                                                    g.m_pNullRenderer, g.m_pNullRenderer2};
    for (const auto& filter : filters) {
      if (filter) RemoveDownstream(filter);
    }
    for (const auto& filter : filters) {
      if (filter) {
        const HRESULT removed = g.m_pGraph->RemoveFilter(filter);
        (void)removed;  // one already taken out as another's downstream filter
      }
    }
    g.m_pStillGrabber.reset();
    // Back in under new names, ready to be connected again with another format.
    const std::pair<std::shared_ptr<IBaseFilter>, QString> back[] = {
        {g.m_pNullRenderer, QStringLiteral("Null renderer")},
        {g.m_pNullRenderer2, QStringLiteral("Null renderer2")},
        {g.m_pGrabberFilter, QStringLiteral("KT Sample grabber")},
        {g.m_pSourceFilter, QStringLiteral("Capture source")}};
    for (const auto& [filter, name] : back) {
      if (filter) {
        const HRESULT added = g.m_pGraph->AddFilter(filter, name);
        (void)added;  // the next connection fails and says so if one is missing
      }
    }
  }
  g.m_bGraphConnected = false;
}

void CaptureSession::RemoveDownstream(const std::shared_ptr<IBaseFilter>& filter) {
  if (!filter || !m_graph.m_pGraph) return;
  std::vector<std::shared_ptr<IPin>> pins;
  if (FAILED(filter->EnumPins(pins))) return;
  for (const std::shared_ptr<IPin>& pin : pins) {
    std::shared_ptr<IPin> peer;
    if (pin->ConnectedTo(peer) != S_OK || !peer) continue;
    PIN_INFO info;
    if (FAILED(peer->QueryPinInfo(info)) || info.dir != PINDIR_INPUT || !info.pFilter) continue;
    RemoveDownstream(info.pFilter);
    m_graph.m_pGraph->Disconnect(peer);
    m_graph.m_pGraph->Disconnect(pin);
    m_graph.m_pGraph->RemoveFilter(info.pFilter);
  }
}

void CaptureSession::ReleaseGraph() {
  CaptureGraphState& g = m_graph;
  // The grabbers hold plain pointers to this session; they are told to forget them first.
  if (auto callback = ::QueryInterface<IFrameGrabberCallback>(g.m_pGrabberFilter)) callback->SetCallback(nullptr);
  m_frameTimes.store(nullptr, std::memory_order_release);
  if (auto still = ::QueryInterface<ISampleGrabber>(g.m_pStillGrabber)) still->SetCallback(nullptr, 1);
  g.m_pSourceFilter.reset();
  g.m_pGrabberFilter.reset();
  g.m_pStillGrabber.reset();
  g.m_pNullRenderer.reset();
  g.m_pNullRenderer2.reset();
  g.m_pStreamConfig.reset();
  g.m_pGraph.reset();
  g.m_pCaptureBuilder.reset();
}
