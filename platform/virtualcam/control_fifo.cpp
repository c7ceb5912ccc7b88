#include "control_fifo.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform::vcam {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Makes the FIFO when the path is free; true when a FIFO is there afterwards.
bool EnsureFifo(const QByteArray& path) {
  struct stat st {};
  if (::stat(path.constData(), &st) == 0) return S_ISFIFO(st.st_mode);
  if (errno != ENOENT) return false;
  if (::mkfifo(path.constData(), 0600) == 0) return true;
  // Someone else made it in between: fine when it is a FIFO.
  return errno == EEXIST && ::stat(path.constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

}  // namespace

ControlFifo::~ControlFifo() { Stop(); }

bool ControlFifo::IsRunning() const {
  std::lock_guard lock(m_mutex);
  return m_thread.joinable();
}

bool ControlFifo::Start(const QString& path, LineHandler handler) {
  Stop();
  {
    // From inside the handler the old reader cannot be joined, so no new one is started.
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable() || m_readerId == std::this_thread::get_id()) return false;
  }
  const QByteArray name = QFile::encodeName(path);
  if (path.isEmpty() || !EnsureFifo(name)) return false;
  UniqueFd reader(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!reader.Valid()) return false;
  // With a reader present, opening the write end does not block.
  UniqueFd writer(::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  UniqueFd wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!writer.Valid() || !wake.Valid()) return false;

  std::lock_guard lock(m_mutex);
  m_read = std::move(reader);
  m_write = std::move(writer);
  m_wake = std::move(wake);
  m_handler = std::move(handler);
  m_line.clear();
  m_overlong = false;
  m_thread = std::thread(&ControlFifo::Run, this);
  m_readerId = m_thread.get_id();
  return true;
}

void ControlFifo::Stop() {
  std::thread reader;
  UniqueFd read, write, wake;  // closed once the reader is gone
  {
    std::lock_guard lock(m_mutex);
    if (!m_thread.joinable()) return;
    // An eventfd write fails only when its counter is saturated, which wakes the reader
    // just the same.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake.Get(), &one, sizeof one);
    if (m_readerId == std::this_thread::get_id()) return;
    reader = std::move(m_thread);
    read = std::move(m_read);
    write = std::move(m_write);
    wake = std::move(m_wake);
  }
  // m_readerId stays set during the join, so the handler's last call still knows its own
  // thread (a Start from there fails instead of racing this Stop).
  reader.join();
  std::lock_guard lock(m_mutex);
  m_readerId = {};
}

void ControlFifo::Run() {
  pthread_setname_np(pthread_self(), "vcam-fifo");
  int readFd;
  int wakeFd;
  {
    std::lock_guard lock(m_mutex);
    readFd = m_read.Get();
    wakeFd = m_wake.Get();
  }
  char buffer[512];
  for (;;) {
    pollfd fds[2] = {{readFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (fds[0].revents & (POLLERR | POLLNVAL)) return;
    if (!(fds[0].revents & (POLLIN | POLLHUP))) continue;
    for (;;) {
      const ssize_t n = ::read(readFd, buffer, sizeof buffer);
      if (n > 0) {
        Consume(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      break;  // EAGAIN: drained
    }
  }
}

void ControlFifo::Consume(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c != '\n') {
      if (m_line.size() < kMaxLine)
        m_line.push_back(c);
      else
        m_overlong = true;
      continue;
    }
    std::size_t begin = 0;
    std::size_t end = m_line.size();
    while (begin < end && IsBlank(m_line[begin])) ++begin;
    while (end > begin && IsBlank(m_line[end - 1])) --end;
    if (!m_overlong && end > begin) m_handler(m_line.substr(begin, end - begin));
    m_line.clear();
    m_overlong = false;
  }
}

}  // namespace platform::vcam
