#include "platform/graph/v4l2/event_fd.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform::v4l2 {

UniqueFd MakeEventFd() { return UniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)); }

bool SignalEventFd(int fd) {
  const std::uint64_t one = 1;
  for (;;) {
    const ssize_t n = ::write(fd, &one, sizeof one);
    if (n == static_cast<ssize_t>(sizeof one)) return true;
    // EAGAIN: the counter is already at its maximum, so it is readable anyway.
    if (n < 0 && errno == EAGAIN) return true;
    if (n < 0 && errno == EINTR) continue;
    return false;
  }
}

}  // namespace platform::v4l2
