#include "platform/virtualcam/virtual_camera_source.h"

namespace platform {

VirtualCameraSource::VirtualCameraSource(std::shared_ptr<VirtualCamera> camera) : m_camera(std::move(camera)) {}

VirtualCameraSource::~VirtualCameraSource() { Stop(); }

QString VirtualCameraSource::FriendlyName() const { return QString::fromUtf8(VirtualCamera::kFriendlyName); }
bool VirtualCameraSource::HasPreviewPin() const { return m_camera->Options().previewPin; }
bool VirtualCameraSource::HasStillPin() const { return m_camera->Options().stillPin; }
bool VirtualCameraSource::HasStreamConfig() const { return m_camera->Options().streamConfig; }
std::vector<Capability> VirtualCameraSource::Capabilities() const { return m_camera->Options().capabilities; }
bool VirtualCameraSource::SetFormat(const Capability& format) { return m_camera->SetFormat(format); }
Capability VirtualCameraSource::CurrentFormat() const { return m_camera->CurrentFormat(); }

namespace {
// Marks the thread as running one of the source's callbacks while it does.
class InCallback {
 public:
  explicit InCallback(std::atomic<std::thread::id>& thread) : m_thread(thread) {
    m_thread.store(std::this_thread::get_id());
  }
  ~InCallback() { m_thread.store(std::thread::id()); }
  InCallback(const InCallback&) = delete;
  InCallback& operator=(const InCallback&) = delete;

 private:
  std::atomic<std::thread::id>& m_thread;
};
}  // namespace

bool VirtualCameraSource::Start(Callbacks callbacks) {
  const std::thread::id self = std::this_thread::get_id();
  if (m_camera->OnStreamThread() || m_stillThread.load() == self || m_lostThread.load() == self) return false;
  {
    std::lock_guard lock(m_mutex);
    if (m_state != State::Idle || !m_camera->IsPlugged()) return false;
    m_state = State::Starting;
    m_lost = false;
    m_lostWhileStarting = false;
    m_stopWhileStarting = false;
    m_delivering = true;
    m_lostCallback = std::move(callbacks.lost);
    // The plug listener is in place before the stream starts, so no unplug goes unseen.
    m_plugListener = m_camera->AddPlugListener([this](bool plugged) { OnPlug(plugged); });
    if (m_camera->Options().stillPin && callbacks.still)
      m_buttonListener = m_camera->AddButtonListener([this, still = std::move(callbacks.still)] {
        if (!m_delivering) return;
        InCallback marked(m_stillThread);
        still();
      });
  }
  // No lock of ours is held here: an unplug on another thread calls OnPlug meanwhile.
  const bool started = m_camera->Start(std::move(callbacks.frame));
  int buttonListener;
  int plugListener;
  {
    std::lock_guard lock(m_mutex);
    if (started && !m_lostWhileStarting && !m_stopWhileStarting) {
      m_state = State::Running;
      return true;
    }
    m_state = State::Idle;
    m_delivering = false;
    m_lostCallback = nullptr;
    buttonListener = std::exchange(m_buttonListener, 0);
    plugListener = std::exchange(m_plugListener, 0);
  }
  if (buttonListener) m_camera->RemoveButtonListener(buttonListener);
  m_camera->Stop();
  m_camera->RemovePlugListener(plugListener);
  // Stopped by one of its own callbacks while starting: it did start, and has stopped.
  std::lock_guard lock(m_mutex);
  return started && !m_lostWhileStarting && m_stopWhileStarting;
}

void VirtualCameraSource::OnPlug(bool plugged) {
  if (plugged) return;
  std::function<void()> lost;
  {
    std::lock_guard lock(m_mutex);
    if (m_state == State::Starting) m_lostWhileStarting = true;
    if (m_state != State::Running || m_lost) return;
    m_lost = true;
    lost = m_lostCallback;
  }
  // Outside the lock: the graph may stop this source from inside the callback.
  if (lost && m_delivering) {
    InCallback marked(m_lostThread);
    lost();
  }
}

void VirtualCameraSource::Stop() {
  int buttonListener = 0;
  int plugListener = 0;
  bool starting = false;
  {
    std::lock_guard lock(m_mutex);
    m_delivering = false;
    if (m_state == State::Starting) {
      // A callback that came before Start returned: the frames end here, and Start
      // takes the rest of the run down.
      m_stopWhileStarting = true;
      starting = true;
    } else if (m_state != State::Running) {
      return;
    } else {
      m_state = State::Idle;
      buttonListener = std::exchange(m_buttonListener, 0);
      plugListener = std::exchange(m_plugListener, 0);
    }
  }
  if (starting) {
    m_camera->Stop();
    return;
  }
  // Each removal waits for a call in progress on another thread, so no still or lost
  // callback comes after Stop returns; the camera's Stop does the same for frames.
  if (buttonListener) m_camera->RemoveButtonListener(buttonListener);
  m_camera->Stop();
  m_camera->RemovePlugListener(plugListener);
  std::lock_guard lock(m_mutex);
  if (m_state == State::Idle) m_lostCallback = nullptr;
}

bool VirtualCameraSource::IsStreaming() const {
  std::lock_guard lock(m_mutex);
  return m_state == State::Running && !m_lost && m_camera->IsStreaming();
}

bool VirtualCameraSource::OffersPropertySet(PropertySet) const { return true; }

HRESULT VirtualCameraSource::GetRange(PropertySet set, long property, PropertyRange& range) {
  return m_camera->GetRange(set, property, range);
}

HRESULT VirtualCameraSource::Get(PropertySet set, long property, long& value, long& flags) {
  return m_camera->Get(set, property, value, flags);
}

HRESULT VirtualCameraSource::Set(PropertySet set, long property, long value, long flags) {
  return m_camera->Set(set, property, value, flags);
}

namespace {

class VirtualCameraHandle : public DeviceHandle {
 public:
  explicit VirtualCameraHandle(std::shared_ptr<VirtualCamera> camera) : m_camera(std::move(camera)) {}
  QString FriendlyName() const override { return QString::fromUtf8(VirtualCamera::kFriendlyName); }
  QString Id() const override { return QStringLiteral("virtual"); }
  std::shared_ptr<SourceDevice> Open() override {
    if (!m_camera->IsPlugged()) return nullptr;
    return std::make_shared<VirtualCameraSource>(m_camera);
  }

 private:
  const std::shared_ptr<VirtualCamera> m_camera;
};

}  // namespace

VirtualCameraProvider::VirtualCameraProvider(std::shared_ptr<VirtualCamera> camera) : m_camera(std::move(camera)) {}

std::vector<std::shared_ptr<DeviceHandle>> VirtualCameraProvider::Devices() {
  if (!m_camera || !m_camera->IsPlugged()) return {};
  return {std::make_shared<VirtualCameraHandle>(m_camera)};
}

}  // namespace platform
