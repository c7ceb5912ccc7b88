// The virtual camera as the graph's capture device, and the provider that lists it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/graph/source_device.h"
#include "platform/virtualcam/virtual_camera.h"

namespace platform {

// Frames go straight from the camera's thread to callbacks.frame; the still button
// reaches callbacks.still on the pressing thread while the source runs; an unplug while
// running stops the frames and calls callbacks.lost once, on the unplugging thread. An
// unplug while Start is under way makes Start fail instead. Start and Stop are called
// from one controlling thread (the graph's); Stop waits for a still or lost callback in
// progress, so those callbacks must not wait for that thread. Stop and Start from inside
// a callback keep the source contract: Stop ends delivery at once, Start fails.
class VirtualCameraSource : public SourceDevice {
 public:
  explicit VirtualCameraSource(std::shared_ptr<VirtualCamera> camera);
  ~VirtualCameraSource() override;
  VirtualCameraSource(const VirtualCameraSource&) = delete;
  VirtualCameraSource& operator=(const VirtualCameraSource&) = delete;

  QString FriendlyName() const override;
  bool HasPreviewPin() const override;
  bool HasStillPin() const override;
  bool HasStreamConfig() const override;
  std::vector<Capability> Capabilities() const override;
  bool SetFormat(const Capability& format) override;
  Capability CurrentFormat() const override;
  bool Start(Callbacks callbacks) override;
  void Stop() override;
  bool IsStreaming() const override;
  bool OffersPropertySet(PropertySet set) const override;
  HRESULT GetRange(PropertySet set, long property, PropertyRange& range) override;
  HRESULT Get(PropertySet set, long property, long& value, long& flags) override;
  HRESULT Set(PropertySet set, long property, long value, long flags) override;

 private:
  void OnPlug(bool plugged);

  const std::shared_ptr<VirtualCamera> m_camera;
  enum class State { Idle, Starting, Running };

  mutable std::mutex m_mutex;
  State m_state = State::Idle;
  bool m_lostWhileStarting = false;
  bool m_stopWhileStarting = false;  // Stop came (from a callback) before Start returned
  bool m_lost = false;  // lost was reported for this run
  std::function<void()> m_lostCallback;
  int m_buttonListener = 0;
  int m_plugListener = 0;
  // The threads running a still or lost callback, to tell a Start from inside one.
  std::atomic<std::thread::id> m_stillThread{};
  // Cleared by Stop, also from inside a callback; a still or lost callback begins only
  // while it is set.
  std::atomic<bool> m_delivering{false};
  std::atomic<std::thread::id> m_lostThread{};
};

// Lists the virtual camera while it is plugged (Id "virtual"), nothing while unplugged.
class VirtualCameraProvider : public DeviceProvider {
 public:
  explicit VirtualCameraProvider(std::shared_ptr<VirtualCamera> camera);
  std::vector<std::shared_ptr<DeviceHandle>> Devices() override;

 private:
  const std::shared_ptr<VirtualCamera> m_camera;
};

}  // namespace platform
