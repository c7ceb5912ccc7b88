#include "platform/virtualcam/virtual_camera.h"

#include <condition_variable>

#include <cmath>

#include "camera_controls.h"
#include "control_fifo.h"
#include "flash_image.h"
#include "frame_maker.h"
#include "frame_stream.h"
#include "listener_list.h"

namespace platform {

std::vector<Capability> VirtualCameraOptions::DefaultCapabilities() {
  static constexpr int kSizes[][2] = {{640, 480}, {1280, 720}, {1920, 1080}, {3840, 2160}};
  std::vector<Capability> list;
  for (WireFormat format : {WireFormat::YUY2, WireFormat::MJPG}) {
    for (const auto& size : kSizes) {
      for (bool videoInfo2 : {false, true}) list.push_back({format, size[0], size[1], videoInfo2, 30.0});
    }
  }
  return list;
}

class VirtualCamera::Impl {
 public:
  explicit Impl(const VirtualCameraOptions& options)
      : flash(options.flashPath),
        format(options.capabilities.empty() ? Capability{} : options.capabilities.front()),
        plugged(options.plugged),
        refuseGet(options.refuseGet),
        framesPerSecond(options.framesPerSecond) {
    flash.SetFailingReads(options.failingFlashReads);
    streamMaker.SetFieldShift(options.fieldShiftX, options.fieldShiftY);
    renderMaker.SetFieldShift(options.fieldShiftX, options.fieldShiftY);
    streamMaker.SetCounter(options.frameCounter);
    renderMaker.SetCounter(options.frameCounter);
  }

  // Fills frame from the stream's own maker: one frame of the run's format.
  bool Produce(const Capability& runFormat, SourceFrame& frame) {
    if (stalled.load()) {
      // Hung: the stream runs, no frame comes. The first time tells Stall that no frame
      // is under way any more.
      {
        std::lock_guard lock(stallMutex);
        stallSeen = true;
      }
      stallSeenCv.notify_all();
      return false;
    }
    controls.AdvanceAutoExposure();
    const std::shared_ptr<const vcam::ToneTables> tables = controls.Tables();
    if (!streamMaker.Make(runFormat, pictureNumber++, *tables)) return false;
    frame.data = streamMaker.Data();
    frame.size = streamMaker.Size();
    frame.format = runFormat.format;
    frame.width = runFormat.width;
    frame.height = runFormat.height;
    return true;
  }

  vcam::CameraControls controls;
  vcam::FlashImage flash;
  vcam::FrameStream stream;
  vcam::ControlFifo fifo;
  vcam::ListenerList<bool> plugListeners;
  vcam::ListenerList<> buttonListeners;

  std::mutex stateMutex;  // the format, and plugged as Start sees it
  Capability format;
  std::atomic<bool> plugged;
  std::atomic<bool> stalled{false};
  std::mutex stallMutex;  // guards stallSeen
  std::condition_variable stallSeenCv;
  bool stallSeen = false;  // the stream has met the hang
  std::atomic<bool> refuseGet;
  std::atomic<double> framesPerSecond;

  // The picture's frame counter runs on across streams, as a sensor's would.
  std::uint64_t pictureNumber = 0;  // stream thread only
  vcam::FrameMaker streamMaker;     // stream thread only

  std::mutex renderMutex;  // RenderFrame's own maker, apart from the stream's
  vcam::FrameMaker renderMaker;
};

VirtualCamera::VirtualCamera(VirtualCameraOptions options)
    : m_options(std::move(options)), m_impl(std::make_unique<Impl>(m_options)) {}

VirtualCamera::~VirtualCamera() {
  m_impl->fifo.Stop();
  m_impl->stream.Stop();
  // A destructor has no one to tell; a failed flush leaves the previous image file whole.
  [[maybe_unused]] const bool flushed = m_impl->flash.Flush();
}

void VirtualCamera::SetFramesPerSecond(double fps) {
  m_options.framesPerSecond = fps;
  m_impl->framesPerSecond.store(fps);
  m_impl->stream.SetFramesPerSecond(fps);
}

void VirtualCamera::SetRefuseGet(bool refuse) {
  m_options.refuseGet = refuse;
  m_impl->refuseGet.store(refuse);
}

void VirtualCamera::SetFailingFlashReads(std::set<std::uint32_t> addresses) {
  m_options.failingFlashReads = addresses;
  m_impl->flash.SetFailingReads(std::move(addresses));
}

QString VirtualCamera::InstanceId() const {
  return QString::asprintf("USB\\VID_%04X&PID_%04X\\%s", kVendorId, kProductId, kSerial);
}

bool VirtualCamera::IsPlugged() const { return m_impl->plugged.load(); }

void VirtualCamera::Plug() {
  {
    std::lock_guard lock(m_impl->stateMutex);
    if (m_impl->plugged.load()) return;
    // Power comes back: the controls start from their defaults, the flash keeps its bytes,
    // and a hung camera runs again.
    m_impl->controls.Reset();
    m_impl->stalled.store(false);
    std::lock_guard stallLock(m_impl->stallMutex);
    m_impl->stallSeen = false;
    m_impl->plugged.store(true);
  }
  m_impl->plugListeners.Call(true);
}

void VirtualCamera::Unplug() {
  {
    std::lock_guard lock(m_impl->stateMutex);
    if (!m_impl->plugged.load()) return;
    m_impl->plugged.store(false);
  }
  m_impl->stream.Stop();
  m_impl->plugListeners.Call(false);
}

void VirtualCamera::Stall() {
  m_impl->stalled.store(true);
  if (!m_impl->stream.IsRunning() || m_impl->stream.OnStreamThread()) return;
  // Returns once the stream has met the hang, so no frame is under way any more; a
  // stream that stops meanwhile ends the wait too.
  std::unique_lock lock(m_impl->stallMutex);
  m_impl->stallSeenCv.wait_for(lock, std::chrono::seconds(2),
                               [this] { return m_impl->stallSeen || !m_impl->stream.IsRunning(); });
}

bool VirtualCamera::IsStalled() const { return m_impl->stalled.load(); }

int VirtualCamera::AddPlugListener(std::function<void(bool plugged)> listener) {
  return m_impl->plugListeners.Add(std::move(listener));
}

void VirtualCamera::RemovePlugListener(int id) { m_impl->plugListeners.Remove(id); }

void VirtualCamera::PressButton() { m_impl->buttonListeners.Call(); }

int VirtualCamera::AddButtonListener(std::function<void()> listener) {
  return m_impl->buttonListeners.Add(std::move(listener));
}

void VirtualCamera::RemoveButtonListener(int id) { m_impl->buttonListeners.Remove(id); }

bool VirtualCamera::SetFormat(const Capability& format) {
  std::lock_guard lock(m_impl->stateMutex);
  if (m_impl->stream.IsRunning() || !vcam::FrameMaker::SupportsFormat(format)) return false;
  for (const Capability& listed : m_options.capabilities) {
    const bool rateMatches = format.framesPerSecond <= 0.0 ||
                             std::abs(format.framesPerSecond - listed.framesPerSecond) <= 0.01 * listed.framesPerSecond;
    if (listed.format == format.format && listed.width == format.width && listed.height == format.height &&
        rateMatches) {
      m_impl->format = listed;
      m_impl->format.videoInfo2 = format.videoInfo2;
      return true;
    }
  }
  return false;
}

Capability VirtualCamera::CurrentFormat() const {
  std::lock_guard lock(m_impl->stateMutex);
  return m_impl->format;
}

bool VirtualCamera::Start(std::function<void(const SourceFrame&)> onFrame) {
  // A run that ended from inside its own callback is joined here, before any lock is
  // taken that its last callback might still want.
  m_impl->stream.Reap();
  std::lock_guard lock(m_impl->stateMutex);
  if (!m_impl->plugged.load()) return false;
  const Capability runFormat = m_impl->format;
  if (!vcam::FrameMaker::SupportsFormat(runFormat)) return false;
  if (!onFrame) onFrame = [](const SourceFrame&) {};
  Impl* impl = m_impl.get();
  return m_impl->stream.Start(
      [impl, runFormat](std::uint64_t, SourceFrame& frame) { return impl->Produce(runFormat, frame); },
      std::move(onFrame), m_impl->framesPerSecond.load());
}

void VirtualCamera::Stop() { m_impl->stream.Stop(); }

bool VirtualCamera::IsStreaming() const { return m_impl->stream.IsRunning(); }

bool VirtualCamera::OnStreamThread() const { return m_impl->stream.OnStreamThread(); }

std::uint64_t VirtualCamera::FramesDelivered() const { return m_impl->stream.Delivered(); }

HRESULT VirtualCamera::GetRange(PropertySet set, long property, PropertyRange& range) const {
  if (!m_impl->plugged.load()) return E_DEVICE_GONE;
  return m_impl->controls.GetRange(set, property, range);
}

HRESULT VirtualCamera::Get(PropertySet set, long property, long& value, long& flags) const {
  if (!m_impl->plugged.load()) return E_DEVICE_GONE;
  PropertyRange range;
  const HRESULT known = m_impl->controls.GetRange(set, property, range);
  if (FAILED(known)) return known;
  if (m_impl->refuseGet.load()) return E_FAIL;
  return m_impl->controls.Get(set, property, value, flags);
}

HRESULT VirtualCamera::Set(PropertySet set, long property, long value, long flags) {
  if (!m_impl->plugged.load()) return E_DEVICE_GONE;
  return m_impl->controls.Set(set, property, value, flags);
}

bool VirtualCamera::ReadFlash(std::uint32_t address, std::uint8_t& value) const {
  return m_impl->flash.Read(address, value);
}

bool VirtualCamera::WriteFlash(std::uint32_t address, std::uint8_t value) { return m_impl->flash.Write(address, value); }

bool VirtualCamera::FlushFlash() { return m_impl->flash.Flush(); }

bool VirtualCamera::RenderFrame(const Capability& format, std::uint64_t frameNumber, std::vector<std::uint8_t>& out) {
  std::lock_guard lock(m_impl->renderMutex);
  const std::shared_ptr<const vcam::ToneTables> tables = m_impl->controls.Tables();
  if (!m_impl->renderMaker.Make(format, frameNumber, *tables)) return false;
  out.assign(m_impl->renderMaker.Data(), m_impl->renderMaker.Data() + m_impl->renderMaker.Size());
  return true;
}

bool VirtualCamera::StartControlFifo(const QString& path) {
  return m_impl->fifo.Start(path, [this](const std::string& line) {
    if (line == "button")
      PressButton();
    else if (line == "unplug")
      Unplug();
    else if (line == "plug")
      Plug();
    else if (line == "stall")
      Stall();
  });
}

void VirtualCamera::StopControlFifo() { m_impl->fifo.Stop(); }

}  // namespace platform
