#include "view/display_worker.h"

DisplayWorker::DisplayWorker(std::function<void()> compose)
    : m_compose(std::move(compose)), m_thread([this] { Run(); }) {}

DisplayWorker::~DisplayWorker() { Stop(); }

void DisplayWorker::Request() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stopping) return;
    m_pending = true;
  }
  m_wake.notify_one();
}

void DisplayWorker::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = true;
  }
  m_wake.notify_one();
  if (m_thread.joinable()) m_thread.join();
}

void DisplayWorker::Run() {
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_wake.wait(lock, [this] { return m_pending || m_stopping; });
    if (m_stopping) return;
    m_pending = false;
    lock.unlock();
    m_compose();
    lock.lock();
  }
}
