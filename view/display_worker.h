// One display worker: composes the shown picture off the UI thread. Requests coalesce:
// at most one composition runs and one waits, so the newest frame wins and a slow
// composition never piles up threads or work.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class DisplayWorker {
 public:
  explicit DisplayWorker(std::function<void()> compose);
  ~DisplayWorker();
  DisplayWorker(const DisplayWorker&) = delete;
  DisplayWorker& operator=(const DisplayWorker&) = delete;

  // Asks for one composition; any thread.
  void Request();
  // Waits for a composition in progress and ends the worker; later requests are dropped.
  void Stop();

 private:
  void Run();

  std::function<void()> m_compose;
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_pending = false;
  bool m_stopping = false;
  std::thread m_thread;
};
