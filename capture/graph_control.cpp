// Connecting, running, stopping and taking apart the capture graph.
#include "app/vistrel_app.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/vistrel_dlg.h"
#include "platform/graph/com_factory.h"

namespace {
bool Rendered(HRESULT hr) { return hr == S_OK || hr == VFW_S_NOPREVIEWPIN; }
}  // namespace

bool CVistrelDlg::SelectCamera(const std::shared_ptr<IMoniker>& moniker) {
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

bool CVistrelDlg::ConnectGraph() {
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
    m_app.UiText(Txt::Msg_NOPREVIEW);
    g.m_bGraphConnected = false;
    return false;
  }

  // The still stream: the camera's button; a camera without a still pin has none.
  platform::ComFactory* com = m_app.Platform().com.get();
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

bool CVistrelDlg::StartPreview() {
  OnPreviewStarting();
  CaptureGraphState& g = m_graph;
  if (g.m_bPreviewing) return true;
  if (!g.m_bGraphConnected) return false;
  auto control = ::QueryInterface<IMediaControl>(g.m_pGraph);
  if (!control || FAILED(control->Run())) {
    if (control) control->Stop();
    m_app.UiText(Txt::Msg_CONNOTPREVIEW);
    return false;
  }
  g.m_bPreviewing = true;
  if (g.m_pSourceFilter) m_menu->Check(cmd::ID_PLAY, !g.m_bPreviewWanted);
  RefreshZoomPictures();
  RefreshMirrorPictures();
  RefreshPlayPicture();
  LayOutForResolution();
  m_wndStatusBar->SetPaneText(2, m_app.m_strCameraNames[0]);
  return true;
}

bool CVistrelDlg::StopPreview() {
  CaptureGraphState& g = m_graph;
  if (!g.m_bPreviewing) return false;
  auto control = ::QueryInterface<IMediaControl>(g.m_pGraph);
  if (!control || FAILED(control->Stop())) {
    m_app.UiText(Txt::Msg_NOSTOPPREVIEW);
    return false;
  }
  g.m_bPreviewing = false;
  RefreshPlayPicture();
  return true;
}

void CVistrelDlg::DisconnectGraph() {
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

void CVistrelDlg::RemoveDownstream(const std::shared_ptr<IBaseFilter>& filter) {
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

void CVistrelDlg::ReleaseGraph() {
  CaptureGraphState& g = m_graph;
  // The grabbers hold plain pointers to this window; they are told to forget them first.
  if (auto callback = ::QueryInterface<IFrameGrabberCallback>(g.m_pGrabberFilter)) callback->SetCallback(nullptr);
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
