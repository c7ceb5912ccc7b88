// A desktop session ends programs with SIGTERM (and a terminal with SIGINT or SIGHUP).
// Those end this program through its one shut-down, as Exit does, so a recording is
// finished and every thread is joined. The handler only writes a byte to a socket; the
// UI thread reads it and asks the window to close.
#pragma once

#include <QObject>

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  // Puts the default handlers back.
  ~TerminationSignals() override;

  // False when the signals cannot be caught; they then end the program as they always
  // do: a handler installed before a later one failed is taken back, and the socket is
  // closed only once no handler can write to it.
  bool Install();

  // The call that installs a handler, replaceable by tests to make one fail.
  std::function<int(int, const struct sigaction*, struct sigaction*)> m_sigaction = ::sigaction;

 signals:
  void requested();

 private:
  void OnReadable();
  // Puts back the handlers of the first `count` signals, then stops the handler's
  // writes and closes the socket.
  void Uninstall(int count);

  int m_fds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> m_notifier;
  struct sigaction m_previous[3] {};  // the handlers found, one per caught signal
  bool m_installed = false;
};
