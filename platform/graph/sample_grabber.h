// The standard sample grabber: hands every sample passing through it to a callback
// (SampleCB or BufferCB), can keep a copy of the last one, and passes samples on.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/graph/base_filter.h"

namespace platform {

class SampleGrabber final : public BaseFilter, public ISampleGrabber {
 public:
  static std::shared_ptr<SampleGrabber> Create();

  // One shot: only the first sample after Run (or after this call) is taken.
  HRESULT SetOneShot(bool oneShot) override;
  // The types the input accepts: a zero major type, subtype or format type matches any.
  HRESULT SetMediaType(const AM_MEDIA_TYPE& mt) override;
  HRESULT SetBufferSamples(bool bufferThem) override;
  // Returns after a callback in progress has returned, so a callback cleared here is
  // never called again.
  HRESULT SetCallback(ISampleGrabberCB* callback, long whichMethod) override;

  // The kept copy of the last sample: with a null buffer, its size; otherwise copied
  // into buffer (size in, bytes written out). E_UNEXPECTED when nothing is kept.
  HRESULT GetCurrentBuffer(long* size, std::uint8_t* buffer);

  HRESULT Run() override;
  bool CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) override;
  // The output offers what the input was connected with.
  HRESULT GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) override;
  void Receive(const Pin& input, const MediaSample& sample) override;

 private:
  SampleGrabber() = default;

  std::shared_ptr<Pin> m_input;
  std::shared_ptr<Pin> m_output;

  std::atomic<bool> m_oneShot{false};
  std::atomic<bool> m_shotTaken{false};
  std::atomic<bool> m_bufferSamples{false};

  std::mutex m_typeLock;
  std::optional<AM_MEDIA_TYPE> m_acceptedType;

  std::mutex m_callbackLock;  // held while the callback runs
  ISampleGrabberCB* m_callback = nullptr;
  long m_method = 0;

  std::mutex m_bufferLock;
  std::vector<std::uint8_t> m_buffer;  // reused: its capacity grows to the largest sample
  bool m_hasBuffer = false;
};

}  // namespace platform
