#include "platform/graph/v4l2/still_button.h"

#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include <QStringList>

#include <cerrno>
#include <cstring>

#include "platform/graph/v4l2/v4l2_log.h"

namespace platform::v4l2 {

bool StillButtonReader::Start(UniqueFd device, std::function<void()> pressed) {
  Stop();
  if (!device.Valid()) return false;
  UniqueFd stop = MakeEventFd();
  if (!stop.Valid()) return false;
  m_device = std::move(device);
  m_stop = std::move(stop);
  m_pressed = std::move(pressed);
  m_thread = std::thread(&StillButtonReader::Run, this, m_device.Get(), m_stop.Get());
  return true;
}

void StillButtonReader::RequestStop() {
  if (!SignalEventFd(m_stop.Get())) qCWarning(lcV4l2) << "cannot end the still button thread:" << qt_error_string(errno);
}

void StillButtonReader::Stop() {
  if (!m_thread.joinable()) return;
  if (!SignalEventFd(m_stop.Get())) qCWarning(lcV4l2) << "cannot wake the still button thread:" << qt_error_string(errno);
  m_thread.join();
  m_threadId.store({});
  m_device.Reset();
  m_stop.Reset();
  m_pressed = nullptr;
}

void StillButtonReader::Run(int device, int stop) {
  m_threadId.store(std::this_thread::get_id());
  // Records may arrive split (a pipe); the tail of an incomplete one waits for the rest.
  unsigned char pending[sizeof(input_event) * 16];
  std::size_t filled = 0;
  for (;;) {
    pollfd fds[2] = {{stop, POLLIN, 0}, {device, POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      qCWarning(lcV4l2) << "still button poll failed:" << qt_error_string(errno);
      return;
    }
    if (fds[0].revents) return;
    if (fds[1].revents & POLLNVAL) return;
    if (!(fds[1].revents & POLLIN)) {
      // POLLERR or POLLHUP without data: the button (or its camera) went away.
      if (fds[1].revents) return;
      continue;
    }
    const ssize_t n = ::read(device, pending + filled, sizeof pending - filled);
    if (n == 0) return;  // the writer closed
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      if (errno != ENODEV) qCWarning(lcV4l2) << "still button read failed:" << qt_error_string(errno);
      return;
    }
    filled += static_cast<std::size_t>(n);
    std::size_t used = 0;
    for (; filled - used >= sizeof(input_event); used += sizeof(input_event)) {
      input_event event;
      std::memcpy(&event, pending + used, sizeof event);
      if (event.type == EV_KEY && event.code == KEY_CAMERA && event.value == 1 && m_pressed) m_pressed();
    }
    std::memmove(pending, pending + used, filled - used);
    filled -= used;
  }
}

bool KeyBitmapHas(const QString& bitmap, int code) {
  if (code < 0) return false;
  const QStringList words = bitmap.simplified().split(' ', Qt::SkipEmptyParts);
  constexpr int kBitsPerWord = static_cast<int>(sizeof(long) * 8);
  const int word = code / kBitsPerWord;
  if (word >= words.size()) return false;
  bool ok = false;
  const qulonglong bits = words[words.size() - 1 - word].toULongLong(&ok, 16);
  return ok && ((bits >> (code % kBitsPerWord)) & 1u);
}

}  // namespace platform::v4l2
