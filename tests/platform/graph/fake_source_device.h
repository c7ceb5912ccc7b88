// A camera for graph tests: pins and stream configuration chosen per test, frames
// delivered from a script on its own thread, still presses and loss on demand.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/graph/source_device.h"

namespace graphtest {

struct FakeOptions {
  bool previewPin = true;
  bool stillPin = true;
  bool streamConfig = true;
  bool procAmp = true;
  bool cameraControl = true;
  bool framesAfterLoss = false;  // a driver that keeps sending after reporting the loss
  std::vector<platform::Capability> capabilities;  // empty: YUY2 and MJPG 160×120, each VIH then VIH2
};

// Default options with one flag cleared, e.g. Without(&FakeOptions::previewPin).
inline FakeOptions Without(bool FakeOptions::*flag) {
  FakeOptions options;
  options.*flag = false;
  return options;
}

class FakeSourceDevice final : public platform::SourceDevice {
 public:
  explicit FakeSourceDevice(FakeOptions options = {});
  ~FakeSourceDevice() override;

  // The frame sent over and over while streaming (default: a grey YUYV frame of the current size).
  void SetFrame(std::vector<std::uint8_t> bytes, platform::WireFormat format, int width, int height);
  void PressStill();    // a still event on the streaming thread
  void Lose();          // the lost callback, then no more frames
  void FailStart(bool fail) { m_failStart = fail; }
  long FramesSent() const { return m_framesSent.load(); }
  long SetCalls(long property, long* value = nullptr, long* flags = nullptr) const;

  QString FriendlyName() const override { return QStringLiteral("Fake Camera"); }
  bool HasPreviewPin() const override { return m_options.previewPin; }
  bool HasStillPin() const override { return m_options.stillPin; }
  bool HasStreamConfig() const override { return m_options.streamConfig; }
  std::vector<platform::Capability> Capabilities() const override { return m_options.capabilities; }
  bool SetFormat(const platform::Capability& format) override;
  platform::Capability CurrentFormat() const override;
  bool Start(Callbacks callbacks) override;
  void Stop() override;
  bool IsStreaming() const override { return m_streaming.load(); }
  bool OffersPropertySet(platform::PropertySet set) const override;
  HRESULT GetRange(platform::PropertySet set, long property, platform::PropertyRange& range) override;
  HRESULT Get(platform::PropertySet set, long property, long& value, long& flags) override;
  HRESULT Set(platform::PropertySet set, long property, long value, long flags) override;

 private:
  void Stream();

  FakeOptions m_options;
  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  platform::Capability m_current;
  std::vector<std::uint8_t> m_frame;
  platform::WireFormat m_frameFormat = platform::WireFormat::YUY2;
  int m_frameWidth = 0;
  int m_frameHeight = 0;
  int m_stillsPending = 0;
  bool m_losePending = false;
  bool m_stopRequested = false;
  Callbacks m_callbacks;
  std::map<long, std::pair<long, long>> m_procAmp;  // property → value, flags
  std::map<long, long> m_setCalls;

  std::thread m_thread;
  std::atomic<bool> m_streaming{false};
  std::atomic<bool> m_failStart{false};
  std::atomic<long> m_framesSent{0};
};

}  // namespace graphtest
