#include "app/termination_signals.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end for the signal handler. A handler can reach nothing but process-wide
// state, and may only make async-signal-safe calls: it writes one byte, nothing else.
volatile sig_atomic_t g_signalFd = -1;

void OnSignal(int /*signal*/) {
  const int savedErrno = errno;
  const char byte = 1;
  const int fd = g_signalFd;
  if (fd >= 0) {
    const ssize_t written = ::write(fd, &byte, 1);
    (void)written;  // a full socket already holds a request
  }
  errno = savedErrno;
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

static_assert(std::size(kSignals) == 3, "one previous handler per caught signal");

TerminationSignals::~TerminationSignals() {
  Uninstall(m_installed ? static_cast<int>(std::size(kSignals)) : 0);
}

void TerminationSignals::Uninstall(int count) {
  // The handlers go first: once none is left, nothing writes to the socket any more.
  for (int i = 0; i < count; ++i) (void)::sigaction(kSignals[i], &m_previous[i], nullptr);
  g_signalFd = -1;
  m_installed = false;
  m_notifier.reset();
  for (int& fd : m_fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

bool TerminationSignals::Install() {
  if (m_installed) return true;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_fds) != 0) return false;
  m_notifier = std::make_unique<QSocketNotifier>(m_fds[1], QSocketNotifier::Read);
  connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
  g_signalFd = m_fds[0];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < static_cast<int>(std::size(kSignals)); ++i) {
    if (m_sigaction(kSignals[i], &action, &m_previous[i]) != 0) {
      Uninstall(i);
      return false;
    }
  }
  m_installed = true;
  return true;
}

void TerminationSignals::OnReadable() {
  char bytes[16];
  while (::read(m_fds[1], bytes, sizeof bytes) > 0) {
  }
  emit requested();
}
