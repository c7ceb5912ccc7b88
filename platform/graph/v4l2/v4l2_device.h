// An open V4L2 device node. Every call answers 0 or the errno value of the failure;
// nothing is thrown and nothing is dropped, so the caller decides what a failure means.
#pragma once

#include <QString>

#include <cstddef>
#include <memory>

#include "platform/graph/v4l2/v4l2_io.h"

namespace platform::v4l2 {

class V4l2Device {
 public:
  explicit V4l2Device(std::shared_ptr<V4l2Io> io);
  ~V4l2Device();
  V4l2Device(const V4l2Device&) = delete;
  V4l2Device& operator=(const V4l2Device&) = delete;

  // Opens the node read-write, non-blocking (the streaming thread waits in poll) and
  // close-on-exec. Closes a node opened before.
  int Open(const QString& path);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }
  int Fd() const { return m_fd; }
  const QString& Path() const { return m_path; }
  V4l2Io& Io() const { return *m_io; }

  // An ioctl, repeated while a signal interrupts it. Safe from several threads.
  int Ioctl(unsigned long request, void* arg) const;

 private:
  std::shared_ptr<V4l2Io> m_io;
  int m_fd = -1;
  QString m_path;
};

// One mmap'ed driver buffer, unmapped on destruction.
class V4l2Mapping {
 public:
  V4l2Mapping() = default;
  ~V4l2Mapping() { Reset(); }
  V4l2Mapping(V4l2Mapping&& other) noexcept;
  V4l2Mapping& operator=(V4l2Mapping&& other) noexcept;
  V4l2Mapping(const V4l2Mapping&) = delete;
  V4l2Mapping& operator=(const V4l2Mapping&) = delete;

  // Maps `length` bytes of the driver buffer at `offset` (shared); 0 or errno.
  int Map(const V4l2Device& device, std::size_t length, off_t offset);
  void Reset();
  const unsigned char* Data() const { return static_cast<const unsigned char*>(m_address); }
  std::size_t Length() const { return m_length; }

 private:
  V4l2Io* m_io = nullptr;
  void* m_address = nullptr;
  std::size_t m_length = 0;
};

}  // namespace platform::v4l2
