#include "platform/graph/capture_source_filter.h"

#include "platform/graph/capture_source.h"
#include "platform/graph/media_format.h"

namespace platform {

std::shared_ptr<CaptureSourceFilter> CaptureSourceFilter::Create(std::shared_ptr<SourceDevice> device) {
  if (!device) return nullptr;
  std::shared_ptr<CaptureSourceFilter> filter(new CaptureSourceFilter(std::move(device)));
  filter->MakePins();
  return filter;
}

CaptureSourceFilter::CaptureSourceFilter(std::shared_ptr<SourceDevice> device)
    : VideoProcAmpAccess(device), CameraControlAccess(device), KsPropertyAccess(device), m_device(std::move(device)) {}

CaptureSourceFilter::~CaptureSourceFilter() {
  if (IsRunning() || m_device->IsStreaming()) m_device->Stop();
}

void CaptureSourceFilter::MakePins() {
  m_capture = std::make_shared<SourcePin>(weak_from_this(), QStringLiteral("Capture"), PIN_CATEGORY_CAPTURE, m_device);
  AddPin(m_capture);
  if (m_device->HasPreviewPin()) {
    m_preview =
        std::make_shared<SourcePin>(weak_from_this(), QStringLiteral("Preview"), PIN_CATEGORY_PREVIEW, m_device);
    AddPin(m_preview);
  }
  if (m_device->HasStillPin()) {
    m_still = std::make_shared<SourcePin>(weak_from_this(), QStringLiteral("Still"), PIN_CATEGORY_STILL, m_device);
    AddPin(m_still);
  }
}

bool CaptureSourceFilter::OffersInterface(const std::type_info& iface) const {
  if (iface == typeid(IAMVideoProcAmp)) return m_device->OffersPropertySet(PropertySet::VideoProcAmp);
  if (iface == typeid(IAMCameraControl)) return m_device->OffersPropertySet(PropertySet::CameraControl);
  return true;
}

HRESULT CaptureSourceFilter::Run() {
  if (IsRunning()) return S_OK;
  m_lost.store(false);
  m_runStart = std::chrono::steady_clock::now();
  SourceDevice::Callbacks callbacks;
  callbacks.frame = [this](const SourceFrame& frame) { OnFrame(frame); };
  callbacks.still = [this] { OnStill(); };
  callbacks.lost = [this] { m_lost.store(true); };
  if (!m_device->Start(std::move(callbacks))) return E_FAIL;
  SetRunning(true);
  return S_OK;
}

void CaptureSourceFilter::Stop() {
  if (IsRunning() || m_device->IsStreaming()) m_device->Stop();
  SetRunning(false);
}

HRESULT CaptureSourceFilter::GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) {
  (void)output;
  Capability current = m_device->CurrentFormat();
  current.videoInfo2 = false;
  mt = MediaTypeOf(current);
  return S_OK;
}

void CaptureSourceFilter::OnFrame(const SourceFrame& frame) {
  if (m_lost.load(std::memory_order_relaxed)) return;
  const SampleFormat format{frame.format == WireFormat::MJPG ? MEDIASUBTYPE_MJPG : MEDIASUBTYPE_YUY2, frame.width,
                            frame.height};
  const MediaSample sample(frame.data, frame.size, format, frame.timestamp100ns);
  // One stream of frames: out of the preview pin when it is connected, else out of
  // the capture pin (which a splitter may share between capture and preview).
  if (m_preview && m_preview->Deliver(sample)) return;
  m_capture->Deliver(sample);
}

void CaptureSourceFilter::OnStill() {
  if (m_lost.load(std::memory_order_relaxed) || !m_still) return;
  // A still sample carries no pixels: the still stream is a trigger (one sample per
  // button press), and its receiver counts samples without reading them.
  const auto elapsed = std::chrono::steady_clock::now() - m_runStart;
  const auto time100ns = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count() / 100;
  const MediaSample sample(nullptr, 0, SampleFormat{}, time100ns);
  m_still->Deliver(sample);
}

}  // namespace platform

std::shared_ptr<IBaseFilter> CreateCaptureSourceFilter(std::shared_ptr<platform::SourceDevice> device) {
  return platform::CaptureSourceFilter::Create(std::move(device));
}
