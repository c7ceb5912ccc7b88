// The streaming thread: makes frames at a steady rate and hands each to a callback.
//
// Frames are paced against absolute deadlines on the steady clock (start + n periods),
// so the rate does not drift with the time a frame takes. When the thread falls behind
// by more than a period (a slow callback), it skips ahead instead of bursting to catch up,
// as a camera drops frames nobody takes.
//
// Stop returns after the last callback has returned; none comes later. Stop called from
// inside the callback cannot wait for itself: it ends the run (the current callback is
// the last one, IsRunning is false at once) and returns at once; the finished thread is
// joined by the next Start, Stop or the destructor on another thread. Start from inside
// the callback fails. The stream must not be destroyed from inside its own callback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/graph/source_device.h"

namespace platform::vcam {

class FrameStream {
 public:
  // Makes frame `index` of the run; the frame's bytes must stay valid until the next call.
  // A frame that cannot be made is skipped.
  using Produce = std::function<bool(std::uint64_t index, SourceFrame& frame)>;
  using Deliver = std::function<void(const SourceFrame&)>;

  FrameStream() = default;
  ~FrameStream();
  FrameStream(const FrameStream&) = delete;
  FrameStream& operator=(const FrameStream&) = delete;

  // framesPerSecond 0: as fast as frames can be made.
  bool Start(Produce produce, Deliver deliver, double framesPerSecond);
  void Stop();
  // Joins a run that was ended from inside its own callback, if any.
  void Reap();
  bool IsRunning() const;
  bool OnStreamThread() const;
  // Frames delivered in the current (or last) run.
  std::uint64_t Delivered() const { return m_delivered.load(); }
  // Takes effect from the next frame of a running stream.
  void SetFramesPerSecond(double framesPerSecond) { m_framesPerSecond.store(framesPerSecond); }

 private:
  void Run(Produce produce, Deliver deliver);
  void JoinFinished();  // with m_joinMutex held

  mutable std::mutex m_mutex;     // guards m_thread, m_threadId, and the stop flag for waits
  std::mutex m_joinMutex;         // one joiner at a time; never taken by the stream thread
  std::condition_variable m_wake;
  std::thread m_thread;
  std::thread::id m_threadId;
  std::atomic<bool> m_stop{true};
  std::atomic<double> m_framesPerSecond{30.0};
  std::atomic<std::uint64_t> m_delivered{0};
};

}  // namespace platform::vcam
