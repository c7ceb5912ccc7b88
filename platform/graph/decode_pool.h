// Converts camera frames on a few threads of its own and hands them out in the order
// they came in, for cameras whose frames take one core longer to decode than the
// camera takes to send them.
//
// Submit copies a frame into one of `threads` job buffers (kept and reused from frame
// to frame) and returns at once; when every buffer is in hand, the frame is refused and
// the caller drops it, so no more than `threads` frames are ever held. Each thread
// converts with its own FrameConverter. A converted frame waits until every frame
// submitted before it has been handed out, then goes to the deliver function on its
// thread, which is why deliveries never overlap and come in submission order. A frame
// that does not convert goes to the damaged function instead, in its turn as well.
//
// Discard forgets every frame not yet handed out and returns once no delivery runs any
// more, except the calling thread's own: called from inside a delivery, it makes that
// delivery the last one. The destructor discards and joins the threads; it must not run
// on one of them (a delivery must not destroy its pool).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/graph/frame_converter.h"
#include "platform/graph/source_device.h"

namespace platform {

class DecodePool {
 public:
  using Deliver = std::function<void(const ConvertedFrame& frame, std::int64_t timestamp100ns)>;
  using Damaged = std::function<void(std::string_view why)>;

  // Starts up to `threads` threads (fewer when the system refuses more; see Threads()).
  DecodePool(int threads, Deliver deliver, Damaged damaged);
  ~DecodePool();
  DecodePool(const DecodePool&) = delete;
  DecodePool& operator=(const DecodePool&) = delete;

  // Copies the frame in; false when it is refused because every job buffer is in hand.
  [[nodiscard]] bool Submit(const SourceFrame& frame);
  void Discard();

  // The threads running; 0 when none could be started.
  int Threads() const { return static_cast<int>(m_threads.size()); }
  bool OnPoolThread() const;

 private:
  enum class State { Free, Filling, Queued, Converting, Delivering };
  struct Job {
    State state = State::Free;
    std::vector<std::uint8_t> bytes;  // capacity kept across frames
    std::size_t size = 0;
    WireFormat format = WireFormat::MJPG;
    int width = 0;
    int height = 0;
    std::int64_t timestamp100ns = 0;
    std::uint64_t sequence = 0;
    std::uint64_t epoch = 0;  // the epoch it was submitted in
  };

  void Run();
  Job* OldestQueued();  // with m_mutex held
  int JobsInHandBefore(std::uint64_t epoch) const;  // with m_mutex held

  const Deliver m_deliver;
  const Damaged m_damaged;

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;  // any job's state, the turn, the epoch or m_stop
  std::vector<Job> m_jobs;
  std::uint64_t m_nextSequence = 0;  // given to the next submitted frame
  std::uint64_t m_nextOut = 0;       // the frame whose turn it is to be handed out
  std::uint64_t m_epoch = 0;         // raised by Discard: jobs of an older epoch are dropped
  bool m_stop = false;

  std::vector<std::thread> m_threads;  // fixed once the constructor returns
};

}  // namespace platform
