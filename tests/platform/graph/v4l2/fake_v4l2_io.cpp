#include "fake_v4l2_io.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace fakev4l2 {
namespace {

constexpr off_t kOffsetStride = 1 << 20;

int Fail(int error) {
  errno = error;
  return -1;
}

std::string NameOf(unsigned long request) {
  switch (request) {
    case VIDIOC_QUERYCAP: return "QUERYCAP";
    case VIDIOC_ENUM_FMT: return "ENUM_FMT";
    case VIDIOC_ENUM_FRAMESIZES: return "ENUM_FRAMESIZES";
    case VIDIOC_ENUM_FRAMEINTERVALS: return "ENUM_FRAMEINTERVALS";
    case VIDIOC_G_FMT: return "G_FMT";
    case VIDIOC_S_FMT: return "S_FMT";
    case VIDIOC_G_PARM: return "G_PARM";
    case VIDIOC_S_PARM: return "S_PARM";
    case VIDIOC_REQBUFS: return "REQBUFS";
    case VIDIOC_QUERYBUF: return "QUERYBUF";
    case VIDIOC_QBUF: return "QBUF";
    case VIDIOC_DQBUF: return "DQBUF";
    case VIDIOC_STREAMON: return "STREAMON";
    case VIDIOC_STREAMOFF: return "STREAMOFF";
    case VIDIOC_QUERYCTRL: return "QUERYCTRL";
    case VIDIOC_QUERYMENU: return "QUERYMENU";
    case VIDIOC_G_CTRL: return "G_CTRL";
    case VIDIOC_S_CTRL: return "S_CTRL";
    default: return "ioctl?";
  }
}

const FakeFormat* FindFormat(const FakeNode& node, std::uint32_t pixelFormat) {
  for (const FakeFormat& f : node.formats) {
    if (f.pixelFormat == pixelFormat) return &f;
  }
  return nullptr;
}

bool AutoOn(const FakeNode& node, std::uint32_t autoId) {
  auto it = node.controls.find(autoId);
  if (it == node.controls.end()) return false;
  if (autoId == V4L2_CID_EXPOSURE_AUTO) return it->second.value != V4L2_EXPOSURE_MANUAL;
  return it->second.value != 0;
}

// Controls that a driver marks inactive while their automatic partner is on.
std::uint32_t PartnerOf(std::uint32_t id) {
  switch (id) {
    case V4L2_CID_WHITE_BALANCE_TEMPERATURE: return V4L2_CID_AUTO_WHITE_BALANCE;
    case V4L2_CID_EXPOSURE_ABSOLUTE: return V4L2_CID_EXPOSURE_AUTO;
    case V4L2_CID_GAIN: return V4L2_CID_AUTOGAIN;
    default: return 0;
  }
}

}  // namespace

FakeControl IntegerControl(std::uint32_t id, std::int32_t min, std::int32_t max, std::int32_t def, std::int32_t step) {
  FakeControl c;
  c.info.id = id;
  c.info.type = V4L2_CTRL_TYPE_INTEGER;
  c.info.minimum = min;
  c.info.maximum = max;
  c.info.step = step;
  c.info.default_value = def;
  c.value = def;
  return c;
}

FakeControl MenuControl(std::uint32_t id, std::int32_t min, std::int32_t max, std::int32_t def,
                        std::set<std::int32_t> offered) {
  FakeControl c = IntegerControl(id, min, max, def);
  c.info.type = V4L2_CTRL_TYPE_MENU;
  c.menu = std::move(offered);
  return c;
}

std::string KernelCardName(const std::string& product, const std::string& function) {
  std::string name = function.empty() ? product : product + ": " + function;
  constexpr std::size_t kCardBytes = 31;  // the driver's name buffer, less its terminator
  if (name.size() > kCardBytes) name.resize(kCardBytes);
  return name;
}

void SetUsbProduct(FakeNode& node, const std::string& product, const std::string& function) {
  node.usbProduct = product;
  node.card = KernelCardName(product, function);
}

FakeNode TypicalCamera() {
  FakeNode node;
  FakeSize vga{V4L2_FRMSIZE_TYPE_DISCRETE, 640, 480, {}};
  FakeSize hd{V4L2_FRMSIZE_TYPE_DISCRETE, 1280, 720, {}};
  node.formats.push_back({V4L2_PIX_FMT_YUYV, {vga, hd}, {{1, 15}, {1, 30}}});
  node.formats.push_back({V4L2_PIX_FMT_MJPEG, {hd}, {{1, 30}}});
  node.format.width = 640;
  node.format.height = 480;
  node.format.pixelformat = V4L2_PIX_FMT_YUYV;
  auto add = [&](FakeControl c) { node.controls[c.info.id] = c; };
  add(IntegerControl(V4L2_CID_BRIGHTNESS, -64, 64, 0));
  add(IntegerControl(V4L2_CID_CONTRAST, 0, 95, 32));
  add(IntegerControl(V4L2_CID_HUE, -2000, 2000, 0));
  add(IntegerControl(V4L2_CID_SATURATION, 0, 100, 55));
  add(IntegerControl(V4L2_CID_SHARPNESS, 0, 7, 2));
  add(IntegerControl(V4L2_CID_GAMMA, 100, 300, 100));
  add(IntegerControl(V4L2_CID_GAIN, 0, 255, 0));
  add(IntegerControl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 2800, 6500, 4600, 10));
  FakeControl awb = IntegerControl(V4L2_CID_AUTO_WHITE_BALANCE, 0, 1, 1);
  awb.info.type = V4L2_CTRL_TYPE_BOOLEAN;
  add(awb);
  add(MenuControl(V4L2_CID_POWER_LINE_FREQUENCY, 0, 2, 1, {0, 1, 2}));
  add(IntegerControl(V4L2_CID_EXPOSURE_ABSOLUTE, 3, 2047, 156));
  // UVC's menu: manual and aperture priority only.
  add(MenuControl(V4L2_CID_EXPOSURE_AUTO, 0, 3, V4L2_EXPOSURE_APERTURE_PRIORITY,
                  {V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_APERTURE_PRIORITY}));
  return node;
}

FakeV4l2Io::~FakeV4l2Io() {
  for (auto& [fd, path] : m_open) ::close(fd);
}

void FakeV4l2Io::AddNode(const std::string& path, FakeNode node) {
  std::lock_guard lock(m_mutex);
  m_nodes[path] = std::move(node);
}

bool FakeV4l2Io::PushFrame(const std::string& path, const std::vector<std::uint8_t>& bytes, std::uint32_t flags) {
  return With(path, [&](FakeNode& node) {
    if (!node.streaming || node.queued.empty()) return false;
    const std::uint32_t index = node.queued.front();
    node.queued.pop_front();
    std::vector<std::uint8_t>& buffer = node.buffers[index];
    const std::size_t n = std::min(bytes.size(), buffer.size());
    std::copy_n(bytes.begin(), n, buffer.begin());
    node.done.push_back({index, static_cast<std::uint32_t>(n), flags});
    return true;
  });
}

std::vector<std::string> FakeV4l2Io::TakeCalls() {
  std::lock_guard lock(m_mutex);
  return std::exchange(m_calls, {});
}

int FakeV4l2Io::OpenCount() const {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(m_open.size());
}

void FakeV4l2Io::WakeLocked(const std::string& path) {
  const std::uint64_t one = 1;
  for (auto& [fd, p] : m_open) {
    if (p == path && ::write(fd, &one, sizeof one) < 0) std::abort();
  }
}

platform::v4l2::UsbProductFinder FakeV4l2Io::UsbProducts() {
  return [this](const QString& node) -> std::optional<QString> {
    std::lock_guard lock(m_mutex);
    auto it = m_nodes.find(node.toStdString());
    if (it == m_nodes.end() || !it->second.usbProduct) return std::nullopt;
    return QString::fromStdString(*it->second.usbProduct);
  };
}

int FakeV4l2Io::Open(const char* path, int flags) {
  std::lock_guard lock(m_mutex);
  m_calls.push_back("open");
  if (!m_nodes.count(path)) return Fail(ENOENT);
  if (!(flags & O_NONBLOCK)) return Fail(EINVAL);  // the streaming loop relies on non-blocking DQBUF
  const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) return -1;
  m_open[fd] = path;
  return fd;
}

int FakeV4l2Io::Close(int fd) {
  std::lock_guard lock(m_mutex);
  m_calls.push_back("close");
  if (!m_open.erase(fd)) return Fail(EBADF);
  return ::close(fd);
}

int FakeV4l2Io::Ioctl(int fd, unsigned long request, void* arg) {
  std::lock_guard lock(m_mutex);
  auto open = m_open.find(fd);
  if (open == m_open.end()) return Fail(EBADF);
  FakeNode& node = m_nodes.at(open->second);
  if (node.interruptions > 0) {
    --node.interruptions;
    return Fail(EINTR);
  }
  const std::string name = NameOf(request);
  // Enumeration and polling calls are not part of the recorded sequence: tests compare
  // the order of the calls that change the device.
  if (request != VIDIOC_ENUM_FMT && request != VIDIOC_ENUM_FRAMESIZES && request != VIDIOC_ENUM_FRAMEINTERVALS &&
      request != VIDIOC_QUERYCTRL && request != VIDIOC_QUERYMENU && request != VIDIOC_DQBUF) {
    m_calls.push_back(name);
  }
  if (node.unplugged) return Fail(ENODEV);
  if (auto f = node.failures.find(name); f != node.failures.end()) return Fail(f->second);
  const int result = Handle(node, request, arg);
  if (result == 0 && request == VIDIOC_DQBUF) m_calls.push_back(name);
  return result;
}

int FakeV4l2Io::Handle(FakeNode& node, unsigned long request, void* arg) {
  switch (request) {
    case VIDIOC_QUERYCAP: {
      auto* caps = static_cast<v4l2_capability*>(arg);
      *caps = {};
      std::memcpy(caps->card, node.card.c_str(), std::min(node.card.size(), sizeof caps->card - 1));
      caps->device_caps = node.deviceCaps;
      caps->capabilities = node.deviceCaps | V4L2_CAP_DEVICE_CAPS | V4L2_CAP_META_CAPTURE;
      return 0;
    }
    case VIDIOC_ENUM_FMT: {
      auto* desc = static_cast<v4l2_fmtdesc*>(arg);
      if (desc->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || !(node.deviceCaps & V4L2_CAP_VIDEO_CAPTURE) ||
          desc->index >= node.formats.size()) {
        return Fail(EINVAL);
      }
      desc->pixelformat = node.formats[desc->index].pixelFormat;
      return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
      auto* size = static_cast<v4l2_frmsizeenum*>(arg);
      const FakeFormat* f = FindFormat(node, size->pixel_format);
      if (!f || size->index >= f->sizes.size()) return Fail(EINVAL);
      const FakeSize& s = f->sizes[size->index];
      size->type = s.type;
      if (s.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
        size->discrete = {s.width, s.height};
      } else {
        size->stepwise = s.range;
      }
      return 0;
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
      auto* ival = static_cast<v4l2_frmivalenum*>(arg);
      const FakeFormat* f = FindFormat(node, ival->pixel_format);
      if (!f || ival->index >= f->intervals.size()) return Fail(EINVAL);
      ival->type = V4L2_FRMIVAL_TYPE_DISCRETE;
      ival->discrete = f->intervals[ival->index];
      return 0;
    }
    case VIDIOC_G_FMT:
      static_cast<v4l2_format*>(arg)->fmt.pix = node.format;
      return 0;
    case VIDIOC_S_FMT: {
      if (!node.buffers.empty()) return Fail(EBUSY);
      v4l2_pix_format& pix = static_cast<v4l2_format*>(arg)->fmt.pix;
      if (node.answerWidth) pix.width = node.answerWidth;
      pix.bytesperline = pix.width * 2;
      pix.sizeimage = pix.width * pix.height * 2;
      node.format = pix;
      node.bufferSize = pix.sizeimage;
      return 0;
    }
    case VIDIOC_G_PARM: {
      auto* parm = static_cast<v4l2_streamparm*>(arg);
      parm->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
      parm->parm.capture.timeperframe = node.interval;
      return 0;
    }
    case VIDIOC_S_PARM:
      if (node.streaming) return Fail(EBUSY);
      node.interval = static_cast<v4l2_streamparm*>(arg)->parm.capture.timeperframe;
      return 0;
    case VIDIOC_QUERYCTRL:
    case VIDIOC_QUERYMENU:
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL:
      return HandleControl(node, request, arg);
    default:
      return HandleBuffers(node, request, arg);
  }
}

int FakeV4l2Io::HandleControl(FakeNode& node, unsigned long request, void* arg) {
  if (request == VIDIOC_QUERYMENU) {
    auto* item = static_cast<v4l2_querymenu*>(arg);
    auto it = node.controls.find(item->id);
    if (it == node.controls.end() || !it->second.menu.count(static_cast<std::int32_t>(item->index))) {
      return Fail(EINVAL);
    }
    return 0;
  }
  const std::uint32_t id = request == VIDIOC_QUERYCTRL ? static_cast<v4l2_queryctrl*>(arg)->id
                                                        : static_cast<v4l2_control*>(arg)->id;
  auto it = node.controls.find(id);
  if (it == node.controls.end()) return Fail(EINVAL);
  FakeControl& c = it->second;
  const std::uint32_t partner = PartnerOf(id);
  const bool inactive = partner && AutoOn(node, partner);
  switch (request) {
    case VIDIOC_QUERYCTRL: {
      auto* info = static_cast<v4l2_queryctrl*>(arg);
      *info = c.info;
      if (inactive) info->flags |= V4L2_CTRL_FLAG_INACTIVE;
      return 0;
    }
    case VIDIOC_G_CTRL:
      static_cast<v4l2_control*>(arg)->value = c.value;
      return 0;
    default: {
      const std::int32_t value = static_cast<v4l2_control*>(arg)->value;
      if (inactive || (c.info.flags & V4L2_CTRL_FLAG_READ_ONLY)) return Fail(EACCES);
      if (value < c.info.minimum || value > c.info.maximum) return Fail(ERANGE);
      if (c.info.type == V4L2_CTRL_TYPE_MENU && !c.menu.count(value)) return Fail(EINVAL);
      c.value = value;
      return 0;
    }
  }
}

int FakeV4l2Io::HandleBuffers(FakeNode& node, unsigned long request, void* arg) {
  switch (request) {
    case VIDIOC_REQBUFS: {
      auto* req = static_cast<v4l2_requestbuffers*>(arg);
      if (req->memory != V4L2_MEMORY_MMAP || req->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) return Fail(EINVAL);
      if (node.streaming) return Fail(EBUSY);
      if (req->count > 0 && !node.buffers.empty()) return Fail(EBUSY);
      if (req->count == 0 && node.mappings > 0) return Fail(EBUSY);
      if (req->count > 0 && node.grantBuffers) req->count = node.grantBuffers;
      node.buffers.assign(req->count, std::vector<std::uint8_t>(node.bufferSize));
      node.queued.clear();
      node.done.clear();
      return 0;
    }
    case VIDIOC_QUERYBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (buf->index >= node.buffers.size()) return Fail(EINVAL);
      buf->length = static_cast<std::uint32_t>(node.buffers[buf->index].size());
      buf->m.offset = static_cast<std::uint32_t>(buf->index * kOffsetStride);
      return 0;
    }
    case VIDIOC_QBUF: {
      auto* buf = static_cast<v4l2_buffer*>(arg);
      if (buf->index >= node.buffers.size()) return Fail(EINVAL);
      const bool busy = std::find(node.queued.begin(), node.queued.end(), buf->index) != node.queued.end() ||
                        std::any_of(node.done.begin(), node.done.end(),
                                    [&](const FakeNode::Done& d) { return d.index == buf->index; });
      if (busy) return Fail(EINVAL);
      node.queued.push_back(buf->index);
      return 0;
    }
    case VIDIOC_DQBUF: {
      if (node.dqbufError) return Fail(node.dqbufError);
      if (!node.streaming) return Fail(EINVAL);
      if (node.done.empty()) return Fail(EAGAIN);
      auto* buf = static_cast<v4l2_buffer*>(arg);
      const FakeNode::Done d = node.done.front();
      node.done.pop_front();
      buf->index = d.index;
      buf->bytesused = d.bytesused;
      buf->flags = d.flags;
      buf->timestamp = {12, 345};
      return 0;
    }
    case VIDIOC_STREAMON:
      if (node.queued.empty()) return Fail(EINVAL);
      node.streaming = true;
      return 0;
    case VIDIOC_STREAMOFF:
      node.streaming = false;
      for (const FakeNode::Done& d : node.done) node.queued.push_back(d.index);
      node.done.clear();
      return 0;
    default:
      return Fail(ENOTTY);
  }
}

void* FakeV4l2Io::Mmap(std::size_t length, int prot, int flags, int fd, off_t offset) {
  (void)prot;
  std::lock_guard lock(m_mutex);
  m_calls.push_back("mmap");
  auto open = m_open.find(fd);
  if (open == m_open.end() || !(flags & MAP_SHARED)) {
    errno = EINVAL;
    return MAP_FAILED;
  }
  FakeNode& node = m_nodes.at(open->second);
  const std::size_t index = static_cast<std::size_t>(offset / kOffsetStride);
  if (index >= node.buffers.size() || length > node.buffers[index].size()) {
    errno = EINVAL;
    return MAP_FAILED;
  }
  ++node.mappings;
  return node.buffers[index].data();
}

int FakeV4l2Io::Munmap(void* address, std::size_t length) {
  (void)length;
  std::lock_guard lock(m_mutex);
  m_calls.push_back("munmap");
  for (auto& [path, node] : m_nodes) {
    for (auto& buffer : node.buffers) {
      if (buffer.data() == address) {
        if (node.streaming && !node.unplugged) ++node.unmappedWhileStreaming;
        --node.mappings;
        return 0;
      }
    }
  }
  return Fail(EINVAL);
}

short FakeV4l2Io::Events(const FakeNode& node) const {
  short events = 0;
  if (node.unplugged) events |= POLLERR | POLLHUP;
  if (node.dqbufError || !node.done.empty()) events |= POLLIN;
  return events;
}

int FakeV4l2Io::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 1'000'000 : timeoutMs);
  for (;;) {
    int ready = 0;
    {
      std::lock_guard lock(m_mutex);
      for (nfds_t i = 0; i < count; ++i) {
        auto open = m_open.find(fds[i].fd);
        fds[i].revents = open == m_open.end() ? 0 : Events(m_nodes.at(open->second));
        if (fds[i].revents) ++ready;
      }
    }
    // Every fd is a real one: the node's fd is an eventfd written whenever its state
    // changes, so one system poll waits for the state and for the caller's own fds.
    std::vector<pollfd> real(fds, fds + count);
    for (pollfd& p : real) p.revents = 0;
    const int waitMs =
        ready ? 0 : static_cast<int>(std::max<long long>(
                        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    if (::poll(real.data(), count, waitMs) < 0) return -1;
    bool woken = false;
    {
      std::lock_guard lock(m_mutex);
      for (nfds_t i = 0; i < count; ++i) {
        if (m_open.count(fds[i].fd)) {
          if (real[i].revents) {
            std::uint64_t drained;
            woken = ::read(fds[i].fd, &drained, sizeof drained) > 0 || woken;
          }
        } else if (real[i].revents) {
          fds[i].revents = real[i].revents;
          ++ready;
        }
      }
    }
    if (ready) return ready;
    if (!woken && Clock::now() >= deadline) return 0;
  }
}

}  // namespace fakev4l2
