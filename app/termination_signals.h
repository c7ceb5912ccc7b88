// A desktop session ends programs with SIGTERM (and a terminal with SIGINT or SIGHUP).
// Those end this program through its one shut-down, as Exit does, so a recording is
// finished and every thread is joined. The handler only writes a byte to a socket; the
// UI thread reads it and asks the window to close.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  // Puts the default handlers back.
  ~TerminationSignals() override;

  // False when the signals cannot be caught; they then end the program as they always do.
  bool Install();

 signals:
  void requested();

 private:
  void OnReadable();

  int m_fds[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> m_notifier;
  bool m_installed = false;
};
