#include "platform/graph/v4l2/v4l2_device.h"

#include <fcntl.h>
#include <sys/mman.h>

#include <cerrno>
#include <utility>

namespace platform::v4l2 {

V4l2Device::V4l2Device(std::shared_ptr<V4l2Io> io) : m_io(std::move(io)) {}

V4l2Device::~V4l2Device() { Close(); }

int V4l2Device::Open(const QString& path) {
  Close();
  const QByteArray native = path.toLocal8Bit();
  int fd;
  do {
    fd = m_io->Open(native.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno ? errno : EIO;
  m_fd = fd;
  m_path = path;
  return 0;
}

void V4l2Device::Close() {
  if (m_fd < 0) return;
  // close() is not retried on EINTR: Linux releases the descriptor either way.
  m_io->Close(m_fd);
  m_fd = -1;
}

int V4l2Device::Ioctl(unsigned long request, void* arg) const {
  if (m_fd < 0) return EBADF;
  for (;;) {
    if (m_io->Ioctl(m_fd, request, arg) >= 0) return 0;
    const int error = errno;
    if (error != EINTR) return error ? error : EIO;
  }
}

V4l2Mapping::V4l2Mapping(V4l2Mapping&& other) noexcept
    : m_io(std::exchange(other.m_io, nullptr)),
      m_address(std::exchange(other.m_address, nullptr)),
      m_length(std::exchange(other.m_length, 0)) {}

V4l2Mapping& V4l2Mapping::operator=(V4l2Mapping&& other) noexcept {
  if (this != &other) {
    Reset();
    m_io = std::exchange(other.m_io, nullptr);
    m_address = std::exchange(other.m_address, nullptr);
    m_length = std::exchange(other.m_length, 0);
  }
  return *this;
}

int V4l2Mapping::Map(const V4l2Device& device, std::size_t length, off_t offset) {
  Reset();
  void* address = device.Io().Mmap(length, PROT_READ | PROT_WRITE, MAP_SHARED, device.Fd(), offset);
  if (address == MAP_FAILED) return errno ? errno : ENOMEM;
  m_io = &device.Io();
  m_address = address;
  m_length = length;
  return 0;
}

void V4l2Mapping::Reset() {
  if (m_address) m_io->Munmap(m_address, m_length);
  m_io = nullptr;
  m_address = nullptr;
  m_length = 0;
}

}  // namespace platform::v4l2
