#include "platform/graph/v4l2/v4l2_stream.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

#include "platform/graph/v4l2/v4l2_log.h"

namespace platform::v4l2 {
namespace {

constexpr v4l2_buf_type kCapture = V4L2_BUF_TYPE_VIDEO_CAPTURE;

v4l2_buffer CaptureBuffer(std::uint32_t index) {
  v4l2_buffer buffer{};
  buffer.type = kCapture;
  buffer.memory = V4L2_MEMORY_MMAP;
  buffer.index = index;
  return buffer;
}

// The driver's buffer timestamp when it is taken on the monotonic clock (as uvcvideo's
// are); otherwise, or when the driver gave none, the time the frame is dequeued.
std::int64_t CaptureTime100ns(const v4l2_buffer& buffer) {
  const timeval& t = buffer.timestamp;
  const bool monotonic = (buffer.flags & V4L2_BUF_FLAG_TIMESTAMP_MASK) == V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
  if (monotonic && (t.tv_sec > 0 || t.tv_usec > 0)) {
    return static_cast<std::int64_t>(t.tv_sec) * 10'000'000 + static_cast<std::int64_t>(t.tv_usec) * 10;
  }
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
}

}  // namespace

V4l2Stream::V4l2Stream(const V4l2Device& device) : m_device(device) {}

int V4l2Stream::Start(const Settings& settings, std::function<void(const SourceFrame&)> frame,
                      std::function<void()> lost) {
  if (m_started) return EBUSY;
  m_settings = settings;
  m_settings.bufferCount = std::max(settings.bufferCount, 1u);
  UniqueFd stop = MakeEventFd();
  if (!stop.Valid()) return errno ? errno : EMFILE;

  v4l2_requestbuffers request{};
  request.count = m_settings.bufferCount;
  request.type = kCapture;
  request.memory = V4L2_MEMORY_MMAP;
  if (const int error = m_device.Ioctl(VIDIOC_REQBUFS, &request); error != 0) return error;
  m_requested = true;
  if (request.count < m_settings.bufferCount) {
    qCWarning(lcV4l2) << m_device.Path() << "granted" << request.count << "buffers of" << m_settings.bufferCount;
    ReleaseBuffers();
    return ENOBUFS;
  }
  if (const int error = MapAndQueue(request.count); error != 0) {
    ReleaseBuffers();
    return error;
  }
  v4l2_buf_type type = kCapture;
  if (const int error = m_device.Ioctl(VIDIOC_STREAMON, &type); error != 0) {
    ReleaseBuffers();
    return error;
  }
  m_streamOn = true;
  m_frame = std::move(frame);
  m_lost = std::move(lost);
  m_stop = std::move(stop);
  m_started = true;
  m_thread = std::thread(&V4l2Stream::Run, this);
  return 0;
}

int V4l2Stream::MapAndQueue(unsigned count) {
  m_buffers.resize(count);
  for (unsigned i = 0; i < count; ++i) {
    v4l2_buffer buffer = CaptureBuffer(i);
    if (const int error = m_device.Ioctl(VIDIOC_QUERYBUF, &buffer); error != 0) return error;
    if (const int error = m_buffers[i].Map(m_device, buffer.length, buffer.m.offset); error != 0) return error;
  }
  for (unsigned i = 0; i < count; ++i) {
    v4l2_buffer buffer = CaptureBuffer(i);
    if (const int error = m_device.Ioctl(VIDIOC_QBUF, &buffer); error != 0) return error;
  }
  return 0;
}

void V4l2Stream::ReleaseBuffers() {
  // The driver must stop writing into the buffers before they are unmapped.
  if (m_streamOn) {
    v4l2_buf_type type = kCapture;
    const int error = m_device.Ioctl(VIDIOC_STREAMOFF, &type);
    if (error != 0 && error != ENODEV) qCWarning(lcV4l2) << m_device.Path() << "STREAMOFF:" << qt_error_string(error);
    m_streamOn = false;
  }
  m_buffers.clear();
  if (m_requested) {
    v4l2_requestbuffers request{};
    request.count = 0;
    request.type = kCapture;
    request.memory = V4L2_MEMORY_MMAP;
    const int error = m_device.Ioctl(VIDIOC_REQBUFS, &request);
    if (error != 0 && error != ENODEV) qCWarning(lcV4l2) << m_device.Path() << "freeing buffers:" << qt_error_string(error);
    m_requested = false;
  }
}

void V4l2Stream::RequestStop() {
  // The stop descriptor lives as long as the thread this runs on.
  if (!SignalEventFd(m_stop.Get())) qCCritical(lcV4l2) << "cannot end the streaming thread:" << qt_error_string(errno);
}

void V4l2Stream::Stop() {
  if (!m_started) return;
  if (m_thread.joinable()) {
    if (!SignalEventFd(m_stop.Get())) {
      qCCritical(lcV4l2) << "cannot wake the streaming thread:" << qt_error_string(errno);
    }
    m_thread.join();
    m_threadId.store({});
  }
  ReleaseBuffers();
  m_stop.Reset();
  m_frame = nullptr;
  m_lost = nullptr;
  m_started = false;
}

void V4l2Stream::Run() {
  m_threadId.store(std::this_thread::get_id());
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastBuffer = Clock::now();
  for (;;) {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastBuffer);
    const auto left = m_settings.stallTimeout - waited;
    if (left.count() <= 0) {
      qCWarning(lcV4l2) << m_device.Path() << "delivered no frame for" << waited.count() << "ms";
      break;
    }
    pollfd fds[2] = {{m_stop.Get(), POLLIN, 0}, {m_device.Fd(), POLLIN, 0}};
    const int ready = m_device.Io().Poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      qCWarning(lcV4l2) << m_device.Path() << "poll:" << qt_error_string(errno);
      break;
    }
    if (fds[0].revents) return;  // stopped: no loss to report
    if (ready == 0) continue;
    if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      qCInfo(lcV4l2) << m_device.Path() << "is gone (poll events" << fds[1].revents << ")";
      break;
    }
    if ((fds[1].revents & POLLIN) && !HandleBuffer(lastBuffer)) break;
  }
  if (m_lost) m_lost();
}

bool V4l2Stream::HandleBuffer(std::chrono::steady_clock::time_point& lastBuffer) {
  v4l2_buffer buffer = CaptureBuffer(0);
  const int error = m_device.Ioctl(VIDIOC_DQBUF, &buffer);
  // EAGAIN: woken without a buffer. EIO: the driver's word for a transient fault; if it
  // persists, the stall timeout notices.
  if (error == EAGAIN || error == EIO) return true;
  if (error != 0) {
    qCInfo(lcV4l2) << m_device.Path() << "DQBUF:" << qt_error_string(error);
    return false;
  }
  if (buffer.index >= m_buffers.size()) {
    qCWarning(lcV4l2) << m_device.Path() << "dequeued unknown buffer" << buffer.index;
    return false;
  }
  lastBuffer = std::chrono::steady_clock::now();
  if (Deliverable(buffer) && m_frame) {
    SourceFrame frame;
    frame.data = m_buffers[buffer.index].Data();
    frame.size = buffer.bytesused;
    frame.format = m_settings.format;
    frame.width = m_settings.width;
    frame.height = m_settings.height;
    frame.timestamp100ns = CaptureTime100ns(buffer);
    m_frame(frame);
  }
  v4l2_buffer requeue = CaptureBuffer(buffer.index);
  if (const int qerror = m_device.Ioctl(VIDIOC_QBUF, &requeue); qerror != 0) {
    qCInfo(lcV4l2) << m_device.Path() << "QBUF:" << qt_error_string(qerror);
    return false;
  }
  return true;
}

bool V4l2Stream::Deliverable(const v4l2_buffer& buffer) const {
  // A frame the driver flags as damaged, or one shorter than its picture, is dropped:
  // the grabber would convert garbage.
  if (buffer.flags & V4L2_BUF_FLAG_ERROR) return false;
  if (buffer.bytesused == 0 || buffer.bytesused > m_buffers[buffer.index].Length()) return false;
  if (m_settings.format == WireFormat::YUY2) {
    const std::size_t picture = static_cast<std::size_t>(m_settings.width) * m_settings.height * 2;
    if (buffer.bytesused < picture) return false;
  }
  return true;
}

}  // namespace platform::v4l2
