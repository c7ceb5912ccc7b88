#include "platform/graph/v4l2/v4l2_io.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform::v4l2 {

int SystemV4l2Io::Open(const char* path, int flags) { return ::open(path, flags); }

int SystemV4l2Io::Close(int fd) { return ::close(fd); }

int SystemV4l2Io::Ioctl(int fd, unsigned long request, void* arg) { return ::ioctl(fd, request, arg); }

void* SystemV4l2Io::Mmap(std::size_t length, int prot, int flags, int fd, off_t offset) {
  return ::mmap(nullptr, length, prot, flags, fd, offset);
}

int SystemV4l2Io::Munmap(void* address, std::size_t length) { return ::munmap(address, length); }

int SystemV4l2Io::Poll(pollfd* fds, nfds_t count, int timeoutMs) { return ::poll(fds, count, timeoutMs); }

}  // namespace platform::v4l2
