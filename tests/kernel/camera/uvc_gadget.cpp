#include "uvc_gadget.h"

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/gadgetfs.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include "frame_pattern.h"

namespace testcam {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// UVC class requests and selectors.
constexpr std::uint8_t kSetCur = 0x01, kGetCur = 0x81, kGetMin = 0x82, kGetMax = 0x83, kGetRes = 0x84,
                       kGetLen = 0x85, kGetInfo = 0x86, kGetDef = 0x87;
constexpr std::uint8_t kProbe = 0x01, kCommit = 0x02;
constexpr std::uint8_t kRequestErrorCode = 0x02;
constexpr std::size_t kProbeSize = 34;  // UVC 1.1
constexpr std::size_t kBulkPacket = 512;
// Error codes of the request error code control.
constexpr std::uint8_t kErrorOutOfRange = 0x04, kErrorInvalidControl = 0x06, kErrorInvalidRequest = 0x07;

void PutLe(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetLe(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t size) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < size && at + i < b.size(); ++i) v |= std::uint32_t(b[at + i]) << (8 * i);
  return v;
}

std::vector<std::uint8_t> ValueBytes(std::int32_t value, std::size_t size) {
  std::vector<std::uint8_t> b(size);
  PutLe(b, 0, static_cast<std::uint32_t>(value), size);
  return b;
}

const Frame& FrameOf(std::uint8_t formatIndex, std::uint8_t frameIndex) {
  return Formats()[formatIndex - 1u].frames[frameIndex - 1u];
}

int OpenEndpoint(const std::string& path, const std::vector<std::uint8_t>& fs, const std::vector<std::uint8_t>& hs) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return -1;
  std::vector<std::uint8_t> config(4, 0);
  config[0] = 1;  // tag 1: full-speed then high-speed descriptor
  config.insert(config.end(), fs.begin(), fs.end());
  config.insert(config.end(), hs.begin(), hs.end());
  if (::write(fd, config.data(), config.size()) != static_cast<ssize_t>(config.size())) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

UvcGadget::UvcGadget(std::string gadgetDir, Log log) : m_dir(std::move(gadgetDir)), m_log(std::move(log)) {
  for (const Control& c : Controls()) m_values.push_back(c.def);
}

UvcGadget::~UvcGadget() { Unplug(); }

bool UvcGadget::Plug() {
  m_ep0 = ::open((m_dir + "/dummy_udc").c_str(), O_RDWR | O_CLOEXEC);
  if (m_ep0 < 0) {
    m_log(std::string("cannot open the controller: ") + std::strerror(errno));
    return false;
  }
  std::vector<std::uint8_t> all(4, 0);  // tag 0
  for (bool hs : {false, true}) {
    const std::vector<std::uint8_t> config = ConfigurationDescriptor(hs);
    all.insert(all.end(), config.begin(), config.end());
  }
  const std::vector<std::uint8_t> device = DeviceDescriptor();
  all.insert(all.end(), device.begin(), device.end());
  if (::write(m_ep0, all.data(), all.size()) != static_cast<ssize_t>(all.size())) {
    m_log(std::string("descriptors refused: ") + std::strerror(errno));
    ::close(m_ep0);
    m_ep0 = -1;
    return false;
  }
  // Non-blocking: a read for a request's data must not wait for data that the host's
  // next request has already taken away (see ReadOutData).
  ::fcntl(m_ep0, F_SETFL, ::fcntl(m_ep0, F_GETFL) | O_NONBLOCK);
  m_stopFd = ::eventfd(0, EFD_CLOEXEC);
  m_ep0Thread = std::thread(&UvcGadget::Ep0Loop, this);
  m_videoThread = std::thread(&UvcGadget::VideoLoop, this);
  m_buttonThread = std::thread(&UvcGadget::ButtonLoop, this);
  m_kickThread = std::thread(&UvcGadget::KickLoop, this);
  m_log("plugged");
  return true;
}

void UvcGadget::Unplug() {
  if (m_ep0 < 0) return;
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  const std::uint64_t one = 1;
  if (::write(m_stopFd, &one, sizeof one) != sizeof one) m_log("cannot stop the control thread");
  m_ep0Thread.join();
  m_kickThread.join();
  // A thread blocked in a write to an endpoint leaves it when a signal arrives.
  bool videoDone = false;
  bool buttonDone = false;
  std::thread videoJoiner([&] {
    m_videoThread.join();
    std::lock_guard lock(m_mutex);
    videoDone = true;
    m_changed.notify_all();
  });
  std::thread buttonJoiner([&] {
    m_buttonThread.join();
    std::lock_guard lock(m_mutex);
    buttonDone = true;
    m_changed.notify_all();
  });
  Interrupt(m_videoThread, [&] { return videoDone; });
  Interrupt(m_buttonThread, [&] { return buttonDone; });
  videoJoiner.join();
  buttonJoiner.join();
  if (m_videoEp >= 0) ::close(m_videoEp);
  if (m_statusEp >= 0) ::close(m_statusEp);
  ::close(m_ep0);  // the device leaves the bus
  ::close(m_stopFd);
  m_videoEp = m_statusEp = m_ep0 = m_stopFd = -1;
  m_log("unplugged");
}

void UvcGadget::Interrupt(std::thread& thread, const std::function<bool()>& done) {
  const pthread_t handle = thread.native_handle();
  std::unique_lock lock(m_mutex);
  for (int i = 0; i < 500 && !done(); ++i) {
    ::pthread_kill(handle, SIGUSR1);
    m_changed.wait_for(lock, 10ms);
  }
  if (!done()) m_log("a thread did not leave its write");
}

void UvcGadget::PressButton() {
  {
    std::lock_guard lock(m_mutex);
    ++m_pendingPresses;
  }
  m_changed.notify_all();
}

void UvcGadget::Ep0Loop() {
  // Real-time on the first processor, where the guest runs the host's side of the
  // camera: once the host's request has woken this thread, the host cannot send the
  // next one before this thread has taken the request and its data.
  sched_param priority{};
  priority.sched_priority = 50;
  if (::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &priority) != 0) m_log("control thread not real-time");
  cpu_set_t first;
  CPU_ZERO(&first);
  CPU_SET(0, &first);
  if (::pthread_setaffinity_np(::pthread_self(), sizeof first, &first) != 0) m_log("control thread not pinned");
  for (;;) {
    pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {m_ep0, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      m_log(std::string("poll: ") + std::strerror(errno));
      return;
    }
    if (fds[0].revents) return;
    usb_gadgetfs_event events[5];
    const ssize_t n = ::read(m_ep0, events, sizeof events);
    if (n < 0) {
      // EIDRM: the host gave up a request for a newer one; EL2HLT: a request left
      // unanswered was stalled. Either way the next event is what counts.
      if (errno == EINTR || errno == EAGAIN || errno == EIDRM || errno == EL2HLT || errno == ECANCELED) continue;
      m_log(std::string("ep0 read: ") + std::strerror(errno));
      return;
    }
    for (ssize_t i = 0; i < n / static_cast<ssize_t>(sizeof events[0]); ++i) {
      switch (events[i].type) {
        case GADGETFS_CONNECT: m_log("connected"); break;
        case GADGETFS_DISCONNECT: {
          std::lock_guard lock(m_mutex);
          m_streaming = false;
          m_log("disconnected");
          break;
        }
        case GADGETFS_SETUP: HandleSetup(events[i].u.setup); break;
        default: break;
      }
    }
  }
}

void UvcGadget::HandleSetup(const usb_ctrlrequest& setup) {
  const bool in = setup.bRequestType & USB_DIR_IN;
  const unsigned type = setup.bRequestType & USB_TYPE_MASK;
  const std::uint16_t value = setup.wValue;
  if (type == USB_TYPE_CLASS) {
    if (!HandleClassRequest(setup)) Stall(in);
    return;
  }
  if (type != USB_TYPE_STANDARD) {
    Stall(in);
    return;
  }
  switch (setup.bRequest) {
    case USB_REQ_GET_DESCRIPTOR: {
      if ((value >> 8) != USB_DT_STRING) break;
      const std::vector<std::uint8_t> s = StringDescriptor(static_cast<std::uint8_t>(value & 0xFF));
      if (s.empty()) break;
      Reply(s, setup.wLength);
      return;
    }
    case USB_REQ_SET_CONFIGURATION:
      if (value != 0 && !EnableEndpoints()) break;
      m_log(value ? "configured" : "unconfigured");
      Ack();
      return;
    case USB_REQ_SET_INTERFACE:
      // Alternate setting 0 of the streaming interface: the host wants no stream.
      if (setup.wIndex == 1) {
        std::lock_guard lock(m_mutex);
        m_streaming = false;
      }
      Ack();
      return;
    case USB_REQ_GET_INTERFACE:
      Reply({0}, setup.wLength);
      return;
    default: break;
  }
  Stall(in);
}

bool UvcGadget::HandleClassRequest(const usb_ctrlrequest& setup) {
  const std::uint8_t interface = setup.wIndex & 0xFF;
  const std::uint8_t entity = setup.wIndex >> 8;
  const std::uint8_t selector = setup.wValue >> 8;
  if ((setup.bRequestType & USB_RECIP_MASK) != USB_RECIP_INTERFACE) return false;
  if (interface == 0) return ControlRequest(setup.bRequest, entity, selector, setup.wLength);
  if (interface == 1 && entity == 0) return StreamingRequest(setup.bRequest, selector, setup.wLength);
  return false;
}

bool UvcGadget::ControlRequest(std::uint8_t request, std::uint8_t entity, std::uint8_t selector,
                               std::uint16_t length) {
  if (entity == 0) {
    if (selector != kRequestErrorCode) return false;
    if (request == kGetCur) Reply({m_lastError}, length);
    else if (request == kGetInfo) Reply({0x01}, length);
    else return false;
    return true;
  }
  const Control* c = FindControl(entity, selector);
  const std::size_t index = c ? static_cast<std::size_t>(c - Controls().data()) : 0;
  if (request == kSetCur) {
    // The data stage of a write has already been accepted; a bad value is ignored and
    // reported through the error code control.
    const std::vector<std::uint8_t> data = ReadOutData(length);
    if (!c) {
      m_lastError = kErrorInvalidControl;
      return true;
    }
    std::int32_t v = static_cast<std::int32_t>(GetLe(data, 0, c->size));
    if (c->isSigned && c->size < 4) {
      const int shift = 32 - 8 * c->size;
      v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << shift) >> shift;
    }
    const bool valid = data.size() == c->size &&
                       (c->selector == ct::kAeMode && c->entity == kCameraTerminal ? (v & c->res) && !(v & (v - 1))
                                                                                   : v >= c->min && v <= c->max);
    if (!valid) {
      m_lastError = kErrorOutOfRange;
      m_log("refused " + std::to_string(entity) + " " + std::to_string(selector) + " " + std::to_string(v));
      return true;
    }
    m_values[index] = v;
    m_lastError = 0;
    m_log("set " + std::to_string(entity) + " " + std::to_string(selector) + " " + std::to_string(v));
    return true;
  }
  if (!c) {
    m_lastError = kErrorInvalidControl;
    return false;
  }
  switch (request) {
    case kGetCur: Reply(ValueBytes(m_values[index], c->size), length); break;
    case kGetMin: Reply(ValueBytes(c->min, c->size), length); break;
    case kGetMax: Reply(ValueBytes(c->max, c->size), length); break;
    case kGetRes: Reply(ValueBytes(c->res, c->size), length); break;
    case kGetDef: Reply(ValueBytes(c->def, c->size), length); break;
    case kGetLen: Reply(ValueBytes(c->size, 2), length); break;
    case kGetInfo: Reply({0x03}, length); break;
    default: m_lastError = kErrorInvalidRequest; return false;
  }
  m_lastError = 0;
  return true;
}

bool UvcGadget::StreamingRequest(std::uint8_t request, std::uint8_t selector, std::uint16_t length) {
  if (selector != kProbe && selector != kCommit) {
    if (request == kSetCur) ReadOutData(length);
    return request == kSetCur;
  }
  switch (request) {
    case kSetCur: {
      const std::vector<std::uint8_t> data = ReadOutData(length);
      if (data.empty()) return true;
      const StreamParams params = Negotiate(data);
      if (selector == kProbe) {
        m_probe = params;
      } else {
        m_log("commit " + std::to_string(params.formatIndex) + " " + std::to_string(params.frameIndex) + " " +
              std::to_string(params.interval));
        StartStream(params);
      }
      return true;
    }
    case kGetCur: Reply(ProbeBytes(selector == kProbe ? m_probe : m_committed), length); return true;
    case kGetMin:
    case kGetMax:
    case kGetDef: Reply(ProbeBytes(Negotiate({})), length); return true;
    case kGetLen: Reply(ValueBytes(kProbeSize, 2), length); return true;
    case kGetInfo: Reply({0x03}, length); return true;
    default: return false;
  }
}

UvcGadget::StreamParams UvcGadget::Negotiate(const std::vector<std::uint8_t>& proposal) const {
  StreamParams p;
  const auto& formats = Formats();
  const unsigned format = GetLe(proposal, 2, 1);
  p.formatIndex = static_cast<std::uint8_t>(std::clamp<unsigned>(format, 1, static_cast<unsigned>(formats.size())));
  const auto& frames = formats[p.formatIndex - 1u].frames;
  const unsigned frame = GetLe(proposal, 3, 1);
  p.frameIndex = static_cast<std::uint8_t>(std::clamp<unsigned>(frame, 1, static_cast<unsigned>(frames.size())));
  const auto& intervals = frames[p.frameIndex - 1u].intervals;
  const std::uint32_t wanted = GetLe(proposal, 4, 4);
  p.interval = intervals.front();
  if (wanted != 0) {
    for (std::uint32_t i : intervals) {
      const auto distance = [wanted](std::uint32_t x) { return x > wanted ? x - wanted : wanted - x; };
      if (distance(i) < distance(p.interval)) p.interval = i;
    }
  }
  return p;
}

std::vector<std::uint8_t> UvcGadget::ProbeBytes(const StreamParams& params) const {
  std::vector<std::uint8_t> b(kProbeSize, 0);
  const Frame& f = FrameOf(params.formatIndex, params.frameIndex);
  PutLe(b, 0, 1, 2);  // bmHint: the frame interval is fixed
  b[2] = params.formatIndex;
  b[3] = params.frameIndex;
  PutLe(b, 4, params.interval, 4);
  PutLe(b, 18, static_cast<std::uint32_t>(f.width * f.height * 2), 4);
  PutLe(b, 22, kMaxPayload, 4);
  PutLe(b, 26, 48'000'000, 4);
  b[30] = 0x03;  // FID and EOF are used
  b[31] = b[32] = b[33] = 1;
  return b;
}

void UvcGadget::StartStream(const StreamParams& params) {
  {
    std::lock_guard lock(m_mutex);
    m_committed = params;
    m_streaming = true;
    ++m_generation;
  }
  m_changed.notify_all();
}

void UvcGadget::KickLoop() {
  // A write left over from the stream before is taken back before the new one starts.
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || (m_streaming && m_seenGeneration != m_generation); });
    if (m_stopping) return;
    ::pthread_kill(m_videoThread.native_handle(), SIGUSR1);
    m_changed.wait_for(lock, 10ms);
  }
}

bool UvcGadget::EnableEndpoints() {
  std::lock_guard lock(m_mutex);
  if (m_endpointsReady) return true;
  m_videoEp = OpenEndpoint(m_dir + "/ep1in-bulk", VideoEndpointDescriptor(false), VideoEndpointDescriptor(true));
  m_statusEp = OpenEndpoint(m_dir + "/ep5in-int", StatusEndpointDescriptor(false), StatusEndpointDescriptor(true));
  if (m_videoEp < 0 || m_statusEp < 0) {
    m_log(std::string("endpoints not enabled: ") + std::strerror(errno));
    return false;
  }
  m_endpointsReady = true;
  m_changed.notify_all();
  return true;
}

void UvcGadget::Reply(const std::vector<std::uint8_t>& data, std::uint16_t length) {
  const std::size_t n = std::min<std::size_t>(data.size(), length);
  if (::write(m_ep0, data.data(), n) < 0) m_log(std::string("ep0 reply: ") + std::strerror(errno));
}

void UvcGadget::Ack() {
  char none;
  if (::read(m_ep0, &none, 0) < 0) m_log(std::string("ep0 ack: ") + std::strerror(errno));
}

void UvcGadget::Stall(bool in) {
  // gadgetfs stalls a request when it is answered in the wrong direction.
  char none = 0;
  if (in) {
    (void)!::read(m_ep0, &none, 0);
  } else {
    (void)!::write(m_ep0, &none, 0);
  }
}

std::vector<std::uint8_t> UvcGadget::ReadOutData(std::uint16_t length) {
  std::vector<std::uint8_t> data(length);
  if (length == 0) {
    Ack();
    return data;
  }
  // The data stage may still be on its way; gadgetfs does not report it through poll.
  // A newer request from the host ends the wait (EIDRM) and the data is gone.
  ssize_t n = -1;
  for (int tries = 0; tries < 1000; ++tries) {
    n = ::read(m_ep0, data.data(), data.size());
    if (n >= 0 || (errno != EAGAIN && errno != EINTR)) break;
    ::usleep(100);
  }
  if (n < 0) m_log(std::string("request data lost: ") + std::strerror(errno));
  data.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
  return data;
}

void UvcGadget::VideoLoop() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || (m_streaming && m_generation != m_seenGeneration); });
    if (m_stopping) return;
    const std::uint64_t generation = m_generation;
    m_seenGeneration = generation;
    const StreamParams params = m_committed;
    m_changed.notify_all();
    const auto interval = std::chrono::nanoseconds(std::uint64_t(params.interval) * 100);
    auto next = Clock::now();
    for (;;) {
      // The camera's own clock: one frame per interval, never a burst to catch up.
      if (m_changed.wait_until(lock, next, [&] { return m_stopping || m_generation != generation; })) break;
      lock.unlock();
      const bool sent = SendFrame(params, m_counter++, generation);
      lock.lock();
      if (!sent) break;
      next += std::chrono::duration_cast<Clock::duration>(interval);
      if (next < Clock::now()) next = Clock::now();
    }
  }
}

bool UvcGadget::SendFrame(const StreamParams& params, std::uint16_t counter, std::uint64_t generation) {
  const Frame& f = FrameOf(params.formatIndex, params.frameIndex);
  const bool yuyv = Formats()[params.formatIndex - 1u].format == Format::Yuyv;
  const std::vector<std::uint8_t> picture =
      yuyv ? PaintYuyv(f.width, f.height, counter) : PaintJpeg(f.width, f.height, counter);
  if (picture.empty()) return false;
  const std::uint8_t fid = m_fid ? 1 : 0;
  m_fid = !m_fid;

  // Payloads of kMaxPayload bytes end where the host's reads end; a shorter payload
  // ends with a short packet, which needs a length that is no multiple of the packet
  // size. Each short payload ends a write, since only the end of a write is short.
  constexpr std::size_t kHeader = 2;
  constexpr std::size_t kData = kMaxPayload - kHeader;
  std::vector<std::uint8_t> batch;
  std::size_t pos = 0;
  while (pos < picture.size()) {
    std::size_t n = std::min(kData, picture.size() - pos);
    bool last = pos + n == picture.size();
    if (last && (n + kHeader) % kBulkPacket == 0 && n + kHeader != kMaxPayload) {
      --n;
      last = false;
    }
    batch.push_back(kHeader);
    batch.push_back(static_cast<std::uint8_t>(0x80 | fid | (last ? 0x02 : 0)));
    batch.insert(batch.end(), picture.begin() + static_cast<std::ptrdiff_t>(pos),
                 picture.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    if (n + kHeader != kMaxPayload || batch.size() >= 4 * kMaxPayload || last) {
      if (!WriteVideo(batch.data(), batch.size(), generation)) return false;
      batch.clear();
    }
  }
  return true;
}

bool UvcGadget::WriteVideo(const std::uint8_t* data, std::size_t size, std::uint64_t generation) {
  const ssize_t n = ::write(m_videoEp, data, size);
  if (n == static_cast<ssize_t>(size)) return true;
  if (n < 0 && errno == EINTR) {
    std::lock_guard lock(m_mutex);
    if (m_stopping || m_generation != generation) return false;
  }
  m_log(std::string("video write: ") + (n < 0 ? std::strerror(errno) : "short"));
  return false;
}

void UvcGadget::ButtonLoop() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || (m_pendingPresses > 0 && m_endpointsReady); });
    if (m_stopping) return;
    --m_pendingPresses;
    lock.unlock();
    // A streaming-interface status: the button (event 0) pressed, then released.
    bool ok = true;
    for (std::uint8_t state : {1, 0}) {
      const std::uint8_t status[4] = {0x02, 0x01, 0x00, state};
      ok = ok && ::write(m_statusEp, status, sizeof status) == static_cast<ssize_t>(sizeof status);
    }
    m_log(ok ? "button" : std::string("button not sent: ") + std::strerror(errno));
    lock.lock();
  }
}

}  // namespace testcam
