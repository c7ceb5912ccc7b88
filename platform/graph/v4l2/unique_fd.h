// A file descriptor that closes itself (eventfds, input devices, pipes).
#pragma once

#include <utility>

namespace platform::v4l2 {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_fd, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return m_fd; }
  bool Valid() const { return m_fd >= 0; }
  void Reset(int fd = -1);

 private:
  int m_fd = -1;
};

// A fresh eventfd (non-blocking, close-on-exec); invalid when none can be made.
UniqueFd MakeEventFd();
// Makes an eventfd readable for every poller; false when the write failed.
bool SignalEventFd(int fd);

}  // namespace platform::v4l2
