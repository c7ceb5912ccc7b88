// A named pipe from which scripts send the camera one-word commands, one per line.
//
// The reader keeps a write end of its own open, so writers may come and go without the
// reader ever seeing end-of-file. Lines are trimmed of surrounding blanks; empty lines
// and lines longer than kMaxLine are dropped.
#pragma once

#include <QString>

#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/shell/file_io.h"

namespace platform::vcam {

class ControlFifo {
 public:
  static constexpr std::size_t kMaxLine = 256;
  using LineHandler = std::function<void(const std::string& line)>;

  ControlFifo() = default;
  ~ControlFifo();
  ControlFifo(const ControlFifo&) = delete;
  ControlFifo& operator=(const ControlFifo&) = delete;

  // Makes the FIFO (mode 0600) when the path does not exist; fails when the path is
  // something else. The handler runs on the reader thread. A running reader is stopped
  // first.
  bool Start(const QString& path, LineHandler handler);
  // Stops and joins the reader. From inside the handler it only asks the reader to end
  // (the next Start or Stop on another thread joins it); Start from there fails.
  void Stop();
  bool IsRunning() const;

 private:
  void Run();
  void Consume(const char* data, std::size_t size);

  mutable std::mutex m_mutex;  // guards the thread object, its id and the descriptors
  std::thread m_thread;
  std::thread::id m_readerId;  // set from start until the reader is joined
  UniqueFd m_read;
  UniqueFd m_write;  // our own writer: keeps the FIFO from reporting end-of-file
  UniqueFd m_wake;   // eventfd that ends the reader
  LineHandler m_handler;
  std::string m_line;      // reader thread only
  bool m_overlong = false; // reader thread only: dropping the rest of a too long line
};

}  // namespace platform::vcam
