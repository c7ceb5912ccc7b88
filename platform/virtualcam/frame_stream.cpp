#include "frame_stream.h"

#include <pthread.h>

#include <chrono>

namespace platform::vcam {

using Clock = std::chrono::steady_clock;

FrameStream::~FrameStream() { Stop(); }

bool FrameStream::OnStreamThread() const {
  std::lock_guard lock(m_mutex);
  return m_threadId == std::this_thread::get_id();
}

bool FrameStream::IsRunning() const {
  std::lock_guard lock(m_mutex);
  return m_thread.joinable() && !m_stop.load();
}

void FrameStream::JoinFinished() {
  std::thread finished;
  {
    std::lock_guard lock(m_mutex);
    finished = std::move(m_thread);
  }
  if (!finished.joinable()) return;
  // m_threadId stays set until the join is done: the last callback may still be running
  // and must keep recognising its own thread (its Start and Stop must not wait for us).
  finished.join();
  std::lock_guard lock(m_mutex);
  m_threadId = {};
}

bool FrameStream::Start(Produce produce, Deliver deliver, double framesPerSecond) {
  if (OnStreamThread()) return false;
  std::lock_guard join(m_joinMutex);
  {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable() && !m_stop.load()) return false;
  }
  JoinFinished();
  std::lock_guard lock(m_mutex);
  m_stop.store(false);
  m_delivered.store(0);
  m_framesPerSecond.store(framesPerSecond);
  m_thread = std::thread(&FrameStream::Run, this, std::move(produce), std::move(deliver));
  m_threadId = m_thread.get_id();
  return true;
}

void FrameStream::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stop.store(true);
    m_wake.notify_all();
    if (m_threadId == std::this_thread::get_id()) return;
  }
  std::lock_guard join(m_joinMutex);
  JoinFinished();
}

void FrameStream::Reap() {
  if (OnStreamThread()) return;
  std::lock_guard join(m_joinMutex);
  {
    std::lock_guard lock(m_mutex);
    if (!m_stop.load()) return;
  }
  JoinFinished();
}

void FrameStream::Run(Produce produce, Deliver deliver) {
  pthread_setname_np(pthread_self(), "vcam-stream");
  // Wait for Start to finish publishing this thread, so a Stop from the first callback
  // recognises its own thread.
  { std::lock_guard lock(m_mutex); }

  const Clock::time_point start = Clock::now();
  Clock::time_point deadline = start;
  for (std::uint64_t index = 0; !m_stop.load(); ++index) {
    SourceFrame frame;
    const bool made = produce(index, frame);
    if (m_stop.load()) break;
    if (made) {
      // Made just now: its capture time, on the steady clock's own epoch as a camera driver's.
      frame.timestamp100ns =
          std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count() / 100;
      deliver(frame);
      m_delivered.fetch_add(1);
    }

    const double fps = m_framesPerSecond.load();
    const Clock::time_point now = Clock::now();
    if (fps <= 0.0) {
      deadline = now;
      continue;
    }
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps));
    deadline += period;
    if (now - deadline > period) deadline = now;
    std::unique_lock lock(m_mutex);
    m_wake.wait_until(lock, deadline, [this] { return m_stop.load(); });
  }
}

}  // namespace platform::vcam
