// The system calls the V4L2 source makes on a device node, behind one seam so the
// source can run against a fake device in tests.
#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cstddef>

namespace platform::v4l2 {

// Each call has the contract of the system call of the same name: a result of -1
// (or MAP_FAILED) with errno set on failure. Implementations must be safe to call
// from several threads at once.
class V4l2Io {
 public:
  virtual ~V4l2Io() = default;
  virtual int Open(const char* path, int flags) = 0;
  virtual int Close(int fd) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
  virtual void* Mmap(std::size_t length, int prot, int flags, int fd, off_t offset) = 0;
  virtual int Munmap(void* address, std::size_t length) = 0;
  virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
};

// The real system calls.
class SystemV4l2Io : public V4l2Io {
 public:
  int Open(const char* path, int flags) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* arg) override;
  void* Mmap(std::size_t length, int prot, int flags, int fd, off_t offset) override;
  int Munmap(void* address, std::size_t length) override;
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;
};

}  // namespace platform::v4l2
