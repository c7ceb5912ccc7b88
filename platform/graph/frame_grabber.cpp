#include "platform/graph/frame_grabber.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "platform/graph/graph_log.h"
#include "platform/graph/media_format.h"

namespace platform {

int FrameGrabberOptions::DefaultDecodeThreads() {
  const unsigned processors = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(processors, 1u, 4u));
}

std::shared_ptr<FrameGrabber> FrameGrabber::Create(FrameGrabberOptions options) {
  std::shared_ptr<FrameGrabber> grabber(new FrameGrabber(options));
  grabber->m_input = grabber->AddPin(PINDIR_INPUT, QStringLiteral("Input"));
  grabber->m_output = grabber->AddPin(PINDIR_OUTPUT, QStringLiteral("Output"));
  return grabber;
}

FrameGrabber::~FrameGrabber() {
  // First, while every member the deliveries use is still there.
  m_pool.reset();
}

HRESULT FrameGrabber::SetCallback(CBCLS* callback) {
  std::lock_guard lock(m_callbackLock);
  m_callback = callback;
  m_hasCallback.store(callback != nullptr);
  return S_OK;
}

HRESULT FrameGrabber::Run() {
  m_damagedAtRun.store(m_damaged.load());
  m_skippedAtRun.store(m_skipped.load());
  return BaseFilter::Run();
}

void FrameGrabber::Stop() {
  BaseFilter::Stop();
  std::unique_ptr<DecodePool> finished;
  DecodePool* own = nullptr;
  {
    std::lock_guard lock(m_poolLock);
    if (m_pool && m_pool->OnPoolThread()) {
      own = m_pool.get();
    } else {
      finished = std::move(m_pool);
    }
  }
  // The lock is not held while waiting: the delivery waited for may be one that stops
  // the graph itself. From inside a delivery, the pool and its threads stay for the
  // next run (a thread cannot join itself).
  if (own) own->Discard();
  finished.reset();

  const std::uint64_t damaged = m_damaged.load() - m_damagedAtRun.load();
  const std::uint64_t skipped = m_skipped.load() - m_skippedAtRun.load();
  if (damaged || skipped) {
    qCInfo(lcGraph) << "frame grabber:" << damaged << "damaged frames dropped," << skipped
                    << "frames skipped while the decoders were busy";
  }
  m_damagedAtRun.store(m_damaged.load());
  m_skippedAtRun.store(m_skipped.load());
}

bool FrameGrabber::CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) {
  (void)input;
  WireFormat format;
  return mt.majortype == MEDIATYPE_Video && WireFormatOf(mt.subtype, format);
}

HRESULT FrameGrabber::GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) {
  (void)output;
  AM_MEDIA_TYPE input;
  int width = 0;
  int height = 0;
  if (FAILED(m_input->ConnectionMediaType(input))) return VFW_E_NOT_CONNECTED;
  if (!FrameSizeOf(input, width, height)) return E_FAIL;
  mt = Rgb24MediaTypeOf(width, std::abs(height));
  return S_OK;
}

bool FrameGrabber::DecodesInPool(WireFormat format, const SampleFormat& sample) const {
  return format == WireFormat::MJPG && m_options.decodeThreads > 1 &&
         static_cast<long long>(sample.width) * sample.height > m_options.parallelAbovePixels;
}

void FrameGrabber::Receive(const Pin& input, const MediaSample& sample) {
  (void)input;
  WireFormat format;
  if (!WireFormatOf(sample.Format().subtype, format)) return;
  // Nobody takes the frame: spare the conversion.
  if (!m_hasCallback.load() && !m_output->IsConnected()) return;
  if (DecodesInPool(format, sample.Format()) && SubmitToPool(sample, format)) return;
  ConvertedFrame frame;
  if (!m_converter.Convert(sample.Data(), sample.Size(), format, sample.Format().width, sample.Format().height,
                           frame)) {
    CountDamaged(m_converter.LastError());  // a damaged frame is dropped, never passed on
    return;
  }
  Deliver(frame, sample.Time100ns());
}

bool FrameGrabber::SubmitToPool(const MediaSample& sample, WireFormat format) {
  const SourceFrame frame{sample.Data(), sample.Size(), format, sample.Format().width, sample.Format().height,
                          sample.Time100ns()};
  std::lock_guard lock(m_poolLock);
  // Checked under the lock Stop takes: a frame submitted after Stop would outlive it.
  if (!IsRunning()) return true;
  if (!m_pool) {
    m_pool = std::make_unique<DecodePool>(
        m_options.decodeThreads, [this](const ConvertedFrame& f, std::int64_t time) { Deliver(f, time); },
        [this](std::string_view why) { CountDamaged(why); });
  }
  // Without threads (the system refused them all) frames are converted here as before.
  if (m_pool->Threads() == 0) return false;
  if (!m_pool->Submit(frame)) m_skipped.fetch_add(1);
  return true;
}

void FrameGrabber::Deliver(const ConvertedFrame& frame, std::int64_t timestamp100ns) {
  {
    std::lock_guard lock(m_callbackLock);
    m_captureTimeNs.store(timestamp100ns * 100, std::memory_order_relaxed);
    // FrameCB always answers 0; the frame goes on whatever it says.
    if (m_callback) (void)m_callback->FrameCB(frame.pixels, frame.width, frame.height, 24);
  }
  const std::size_t size = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 3;
  const MediaSample converted(frame.pixels, size, SampleFormat{MEDIASUBTYPE_RGB24, frame.width, frame.height},
                              timestamp100ns);
  m_output->Deliver(converted);
}

void FrameGrabber::CountDamaged(std::string_view why) {
  // The first of a run is told with its reason; Stop tells how many there were.
  if (m_damaged.fetch_add(1) == m_damagedAtRun.load()) {
    qCInfo(lcGraph) << "frame grabber: dropping a damaged frame:" << QByteArrayView(why.data(), why.size());
  }
}

}  // namespace platform
