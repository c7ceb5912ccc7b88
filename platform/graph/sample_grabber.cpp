#include "platform/graph/sample_grabber.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

bool Matches(const GUID& wanted, const GUID& actual) { return wanted == GUID{} || wanted == actual; }

}  // namespace

std::shared_ptr<SampleGrabber> SampleGrabber::Create() {
  std::shared_ptr<SampleGrabber> grabber(new SampleGrabber());
  grabber->m_input = grabber->AddPin(PINDIR_INPUT, QStringLiteral("Input"));
  grabber->m_output = grabber->AddPin(PINDIR_OUTPUT, QStringLiteral("Output"));
  return grabber;
}

HRESULT SampleGrabber::SetOneShot(bool oneShot) {
  m_oneShot.store(oneShot);
  m_shotTaken.store(false);
  return S_OK;
}

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE& mt) {
  std::lock_guard lock(m_typeLock);
  m_acceptedType = mt;
  return S_OK;
}

HRESULT SampleGrabber::SetBufferSamples(bool bufferThem) {
  m_bufferSamples.store(bufferThem);
  return S_OK;
}

HRESULT SampleGrabber::SetCallback(ISampleGrabberCB* callback, long whichMethod) {
  if (whichMethod != 0 && whichMethod != 1) return E_INVALIDARG;
  std::lock_guard lock(m_callbackLock);
  m_callback = callback;
  m_method = whichMethod;
  return S_OK;
}

HRESULT SampleGrabber::GetCurrentBuffer(long* size, std::uint8_t* buffer) {
  if (!size) return E_POINTER;
  std::lock_guard lock(m_bufferLock);
  if (!m_hasBuffer) return E_UNEXPECTED;
  const long kept = static_cast<long>(m_buffer.size());
  if (!buffer) {
    *size = kept;
    return S_OK;
  }
  if (*size < kept) return E_OUTOFMEMORY;
  std::copy(m_buffer.begin(), m_buffer.end(), buffer);
  *size = kept;
  return S_OK;
}

HRESULT SampleGrabber::Run() {
  m_shotTaken.store(false);
  return BaseFilter::Run();
}

bool SampleGrabber::CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) {
  (void)input;
  std::lock_guard lock(m_typeLock);
  if (!m_acceptedType) return true;
  return Matches(m_acceptedType->majortype, mt.majortype) && Matches(m_acceptedType->subtype, mt.subtype) &&
         Matches(m_acceptedType->formattype, mt.formattype);
}

HRESULT SampleGrabber::GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) {
  (void)output;
  return SUCCEEDED(m_input->ConnectionMediaType(mt)) ? S_OK : VFW_E_NOT_CONNECTED;
}

void SampleGrabber::Receive(const Pin& input, const MediaSample& sample) {
  (void)input;
  if (m_oneShot.load() && m_shotTaken.exchange(true)) return;

  if (m_bufferSamples.load()) {
    std::lock_guard lock(m_bufferLock);
    m_buffer.assign(sample.Data(), sample.Data() + sample.Size());
    m_hasBuffer = true;
  }
  {
    std::lock_guard lock(m_callbackLock);
    // What the callback answers does not change the stream: the sample goes on.
    if (m_callback) {
      if (m_method == 0) {
        MediaSample own(sample.Data(), sample.Size(), sample.Format(), sample.Time100ns());
        (void)m_callback->SampleCB(sample.TimeSeconds(), &own);
      } else {
        (void)m_callback->BufferCB(sample.TimeSeconds(), const_cast<std::uint8_t*>(sample.Data()),
                                   static_cast<long>(sample.Size()));
      }
    }
  }
  m_output->Deliver(sample);
}

}  // namespace platform
