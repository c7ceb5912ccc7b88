#include "fake_source_device.h"

#include <chrono>

using namespace platform;

namespace graphtest {

FakeSourceDevice::FakeSourceDevice(FakeOptions options) : m_options(std::move(options)) {
  if (m_options.capabilities.empty()) {
    for (WireFormat f : {WireFormat::YUY2, WireFormat::MJPG}) {
      m_options.capabilities.push_back(Capability{f, 160, 120, false, 30.0});
      m_options.capabilities.push_back(Capability{f, 160, 120, true, 30.0});
    }
  }
  m_current = m_options.capabilities.front();
}

FakeSourceDevice::~FakeSourceDevice() { Stop(); }

void FakeSourceDevice::SetFrame(std::vector<std::uint8_t> bytes, WireFormat format, int width, int height) {
  std::lock_guard lock(m_lock);
  m_frame = std::move(bytes);
  m_frameFormat = format;
  m_frameWidth = width;
  m_frameHeight = height;
}

void FakeSourceDevice::PressStill() {
  std::lock_guard lock(m_lock);
  ++m_stillsPending;
  m_wake.notify_all();
}

void FakeSourceDevice::Lose() {
  std::lock_guard lock(m_lock);
  m_losePending = true;
  m_wake.notify_all();
}

long FakeSourceDevice::SetCalls(long property, long* value, long* flags) const {
  std::lock_guard lock(m_lock);
  const auto it = m_procAmp.find(property);
  if (it != m_procAmp.end()) {
    if (value) *value = it->second.first;
    if (flags) *flags = it->second.second;
  }
  const auto calls = m_setCalls.find(property);
  return calls == m_setCalls.end() ? 0 : calls->second;
}

bool FakeSourceDevice::SetFormat(const Capability& format) {
  if (m_streaming) return false;
  for (const Capability& c : m_options.capabilities) {
    if (c == format) {
      std::lock_guard lock(m_lock);
      m_current = format;
      return true;
    }
  }
  return false;
}

Capability FakeSourceDevice::CurrentFormat() const {
  std::lock_guard lock(m_lock);
  return m_current;
}

bool FakeSourceDevice::Start(Callbacks callbacks) {
  if (m_failStart || m_streaming) return false;
  {
    std::lock_guard lock(m_lock);
    if (m_frame.empty()) {
      m_frameFormat = WireFormat::YUY2;
      m_frameWidth = m_current.width;
      m_frameHeight = m_current.height;
      m_frame.assign(static_cast<std::size_t>(m_frameWidth) * m_frameHeight * 2, 0x80);
    }
    m_callbacks = std::move(callbacks);
    m_stopRequested = false;
    m_losePending = false;
  }
  m_streaming = true;
  m_thread = std::thread([this] { Stream(); });
  return true;
}

void FakeSourceDevice::Stop() {
  {
    std::lock_guard lock(m_lock);
    m_stopRequested = true;
    m_wake.notify_all();
  }
  if (m_thread.joinable()) m_thread.join();
  m_streaming = false;
}

void FakeSourceDevice::Stream() {
  std::unique_lock lock(m_lock);
  bool lost = false;
  while (!m_stopRequested) {
    if (m_losePending && !lost) {
      lost = true;
      lock.unlock();
      m_callbacks.lost();
      lock.lock();
    }
    while (m_stillsPending > 0) {
      --m_stillsPending;
      lock.unlock();
      m_callbacks.still();
      lock.lock();
    }
    if (!lost || m_options.framesAfterLoss) {
      const std::vector<std::uint8_t> bytes = m_frame;
      SourceFrame frame{bytes.data(), bytes.size(), m_frameFormat, m_frameWidth, m_frameHeight,
                        m_framesSent.load() * 333333};
      lock.unlock();
      m_callbacks.frame(frame);
      ++m_framesSent;
      lock.lock();
    }
    // Paces the stream; a still press, a loss or Stop wakes it at once.
    m_wake.wait_for(lock, std::chrono::milliseconds(2),
                    [this] { return m_stopRequested || m_stillsPending > 0 || m_losePending; });
  }
}

bool FakeSourceDevice::OffersPropertySet(PropertySet set) const {
  return set == PropertySet::VideoProcAmp ? m_options.procAmp : m_options.cameraControl;
}

HRESULT FakeSourceDevice::GetRange(PropertySet set, long property, PropertyRange& range) {
  if (!OffersPropertySet(set)) return E_PROP_ID_UNSUPPORTED;
  range = PropertyRange{0, 255, 1, 128 + property, 3};
  return S_OK;
}

HRESULT FakeSourceDevice::Get(PropertySet set, long property, long& value, long& flags) {
  if (!OffersPropertySet(set)) return E_PROP_ID_UNSUPPORTED;
  std::lock_guard lock(m_lock);
  const auto it = m_procAmp.find(property);
  value = it == m_procAmp.end() ? 0 : it->second.first;
  flags = it == m_procAmp.end() ? 2 : it->second.second;
  return S_OK;
}

HRESULT FakeSourceDevice::Set(PropertySet set, long property, long value, long flags) {
  if (!OffersPropertySet(set)) return E_PROP_ID_UNSUPPORTED;
  std::lock_guard lock(m_lock);
  m_procAmp[property] = {value, flags};
  ++m_setCalls[property];
  return S_OK;
}

}  // namespace graphtest
