// Building the capture graph on the chosen camera: the filters and their names, the
// resolution lists, the stored format and the power-line frequency.
#include <cstdlib>
#include <vector>

#include "capture/camera_discovery.h"
#include "texts/user_files.h"
#include "capture/capture_session.h"
#include "flash/param_store.h"
#include "platform/graph/com_factory.h"
#include "platform/graph/media_format.h"

namespace {
const QString kGrabberName = QStringLiteral("KT Sample grabber");
const QString kNullRendererName = QStringLiteral("Null Renderer");
const QString kNullRenderer2Name = QStringLiteral("Null Renderer2");

// Width and absolute height of a capability's bitmap header, read where a
// VIDEOINFOHEADER keeps them (a VIDEOINFOHEADER2 reads width 0 there).
void CapabilitySize(const AM_MEDIA_TYPE& mt, int& width, int& height) {
  width = platform::ReadInt32(mt.pbFormat, 52);
  height = std::abs(platform::ReadInt32(mt.pbFormat, 56));
}

}  // namespace

bool CaptureSession::BuildGraph() {
  platform::ComFactory* com = m_cameras.Platform().com.get();
  if (!com) return false;
  if (!m_graph.m_pCaptureBuilder && FAILED(com->CreateCaptureGraphBuilder(m_graph.m_pCaptureBuilder))) return false;

  m_graph.m_pSourceFilter.reset();
  if (m_graph.m_pMoniker) {
    m_graph.m_szDeviceName.clear();
    std::shared_ptr<IPropertyBag> bag;
    QString name;
    if (SUCCEEDED(m_graph.m_pMoniker->BindToStorage(bag)) && bag &&
        bag->Read(QStringLiteral("FriendlyName"), name) == S_OK) {
      // The name is kept to its buffer's length; a longer one is cut, never overrun.
      m_graph.m_szDeviceName = name.left(CaptureGraphState::kMaxDeviceName);
    }
    std::shared_ptr<IBaseFilter> source;
    if (SUCCEEDED(m_graph.m_pMoniker->BindToObject(source))) m_graph.m_pSourceFilter = source;
  }

  if (!BuildGraphFilters()) {
    ReleaseGraph();
    return false;
  }

  // What the camera's flash keeps rules from here on: the format, the view and the
  // overlays, and the camera's own settings (pushed to it, or taken from it).
  ReadCameraParams(FlashMembers(), CameraProperties::Of(m_graph.m_pSourceFilter), m_bServiceMode);
  emit parametersRead();

  std::shared_ptr<IAMStreamConfig> config;
  const std::shared_ptr<IBaseFilter>& source = m_graph.m_pSourceFilter;
  if (FAILED(m_graph.m_pCaptureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, source,
                                                      config)) &&
      FAILED(m_graph.m_pCaptureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source, config))) {
    config.reset();
  }
  m_graph.m_pStreamConfig = config;
  if (m_graph.m_pStreamConfig) {
    BuildResolutionLists();
    SelectStoredFormat();
  } else {
    // Without stream configuration the camera runs at its own format; the lists and
    // the selected size stay as they were.
    m_texts.UiText(Txt::Msg_NOSUPPORT_CONFIG);
  }
  ApplyPowerLineFromSettings();
  return true;
}

FlashParams CaptureSession::FlashMembers() {
  return FlashParams{m_graph.m_nFormatIndex, m_graph.m_bFormatMjpg, m_view, m_overlay, m_camera};
}

bool CaptureSession::BuildGraphFilters() {
  platform::ComFactory* com = m_cameras.Platform().com.get();
  auto fail = [this](Txt text) {
    m_texts.UiText(text);
    return false;
  };
  if (!m_graph.m_pSourceFilter) return fail(Txt::Msg_NOOPENSOURCE);
  if (!m_graph.m_pGraph && (FAILED(com->CreateFilterGraph(m_graph.m_pGraph)) || !m_graph.m_pGraph)) {
    return fail(Txt::Msg_NOCREATESOURCE);
  }
  if (FAILED(m_graph.m_pCaptureBuilder->SetFiltergraph(m_graph.m_pGraph))) return fail(Txt::Msg_SETSOURCEERR);

  const HRESULT created = com->CreateFrameGrabber(m_graph.m_pGrabberFilter);
  (void)created;  // a grabber that was not made fails to be added just below
  if (!m_graph.m_pGrabberFilter || FAILED(m_graph.m_pGraph->AddFilter(m_graph.m_pGrabberFilter, kGrabberName))) {
    return fail(Txt::Msg_NOCREATEGRABBER);
  }
  auto callback = ::QueryInterface<IFrameGrabberCallback>(m_graph.m_pGrabberFilter);
  if (!callback) return fail(Txt::Msg_NOFINDINTERFACE);
  m_frameTimes.store(callback.get(), std::memory_order_release);
  callback->SetCallback(this);

  const HRESULT first = com->CreateNullRenderer(m_graph.m_pNullRenderer);
  (void)first;  // only the second renderer decides, as the first is checked by its add
  if (FAILED(com->CreateNullRenderer(m_graph.m_pNullRenderer2)) || !m_graph.m_pNullRenderer2) {
    return fail(Txt::Msg_NOCREATERENDER);
  }
  if (m_graph.m_pNullRenderer) {
    const HRESULT added = m_graph.m_pGraph->AddFilter(m_graph.m_pNullRenderer, kNullRendererName);
    (void)added;  // a missing first renderer shows as a failed connection later
  }
  if (FAILED(m_graph.m_pGraph->AddFilter(m_graph.m_pNullRenderer2, kNullRenderer2Name))) {
    return fail(Txt::Msg_NORENDER);
  }
  if (m_graph.m_pGraph->AddFilter(m_graph.m_pSourceFilter, m_graph.m_szDeviceName) != S_OK) {
    return fail(Txt::Msg_NOSOURCE);
  }
  return true;
}

void CaptureSession::BuildResolutionLists() {
  int count = 0;
  int size = 0;
  if (FAILED(m_graph.m_pStreamConfig->GetNumberOfCapabilities(count, size)) || size != kStreamConfigCapsSize) {
    // The lists shown stay as they are; no entry of them names this camera's formats.
    m_graph.m_nYuvFormatCount = 0;
    m_yuvEntries.clear();
    m_mjpgEntries.clear();
    return;
  }
  std::vector<std::uint8_t> caps(static_cast<std::size_t>(kStreamConfigCapsSize));
  // Every capability whose format block reads a width where a VIDEOINFOHEADER keeps it
  // is an entry of its family (a VIDEOINFOHEADER2 reads 0 there: each size is listed
  // once), in the order the camera lists them.
  m_yuvEntries.clear();
  m_mjpgEntries.clear();
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE mt;
    if (FAILED(m_graph.m_pStreamConfig->GetStreamCaps(i, mt, caps.data()))) continue;
    int width = 0;
    int height = 0;
    CapabilitySize(mt, width, height);
    if (width == 0) continue;
    std::vector<ResolutionEntry>& family = mt.subtype == MEDIASUBTYPE_MJPG ? m_mjpgEntries : m_yuvEntries;
    const FormatFamily kind = mt.subtype == MEDIASUBTYPE_MJPG ? FormatFamily::Mjpg : FormatFamily::Yuv;
    family.push_back({kind, static_cast<int>(family.size()), width, height, i});
  }
  m_graph.m_nYuvFormatCount = static_cast<int>(m_yuvEntries.size());
  // A stored family the camera does not offer gives way to the first entry of the one
  // it does.
  const bool stored = m_graph.m_bFormatMjpg;
  if (stored && m_mjpgEntries.empty() && !m_yuvEntries.empty()) m_graph.m_bFormatMjpg = false;
  if (!stored && m_yuvEntries.empty() && !m_mjpgEntries.empty()) m_graph.m_bFormatMjpg = true;
  if (m_graph.m_bFormatMjpg != stored) m_graph.m_nFormatIndex = 0;
  ShowResolutionLists();
}

const std::vector<ResolutionEntry>& CaptureSession::EntriesOf(FormatFamily family) const {
  return family == FormatFamily::Mjpg ? m_mjpgEntries : m_yuvEntries;
}

void CaptureSession::ShowResolutionLists() {
  ResolutionModel model;
  model.grouped = m_bServiceMode;
  if (m_bServiceMode) {
    model.entries = m_yuvEntries;
    model.entries.insert(model.entries.end(), m_mjpgEntries.begin(), m_mjpgEntries.end());
  } else {
    // Normal mode: one flat list, of the family in use.
    model.entries = EntriesOf(m_graph.m_bFormatMjpg ? FormatFamily::Mjpg : FormatFamily::Yuv);
  }
  m_resolutions = std::move(model);
  emit resolutionListsChanged(m_resolutions);
}

void CaptureSession::SelectStoredFormat() {
  const FormatFamily family = m_graph.m_bFormatMjpg ? FormatFamily::Mjpg : FormatFamily::Yuv;
  const std::vector<ResolutionEntry>& entries = EntriesOf(family);
  // An index past the end of its list (a flash written for another camera) takes the
  // family's first entry.
  if (m_graph.m_nFormatIndex < 0 || m_graph.m_nFormatIndex >= static_cast<int>(entries.size())) {
    m_graph.m_nFormatIndex = 0;
  }
  std::vector<std::uint8_t> caps(static_cast<std::size_t>(kStreamConfigCapsSize));
  AM_MEDIA_TYPE chosen;
  if (!entries.empty() &&
      SUCCEEDED(m_graph.m_pStreamConfig->GetStreamCaps(entries[static_cast<std::size_t>(m_graph.m_nFormatIndex)].capability,
                                                       chosen, caps.data()))) {
    const HRESULT set = m_graph.m_pStreamConfig->SetFormat(chosen);
    (void)set;  // the read-back below says what the camera now sends
  }
  AM_MEDIA_TYPE current;
  bool mjpg = false;
  int width = 0;
  int height = 0;
  if (SUCCEEDED(m_graph.m_pStreamConfig->GetFormat(current)) && platform::FrameSizeOf(current, width, height)) {
    m_view.m_nVideoWidth = width;
    m_view.m_nVideoHeight = std::abs(height);
    DerivePanCentre();
    mjpg = current.subtype == MEDIASUBTYPE_MJPG;
  }

  // Service mode marks the entry in the list of the format the camera now sends; the
  // flat list has one family only.
  m_resolutions.marked =
      ResolutionMark{m_bServiceMode ? (mjpg ? FormatFamily::Mjpg : FormatFamily::Yuv) : family, m_graph.m_nFormatIndex};
  emit resolutionMarked(m_resolutions);
}

void CaptureSession::DerivePanCentre() {
  const double w = m_view.m_nVideoWidth;
  const double h = m_view.m_nVideoHeight;
  m_view.m_nPanX = static_cast<int>((m_view.m_fPanOffsetX + 1.0) * w * 0.5);
  m_view.m_nPanY = static_cast<int>(h - (m_view.m_fPanOffsetY + 1.0) * h * 0.5);
}
