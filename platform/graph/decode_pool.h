// Converts camera frames on a few threads of its own and hands them out in the order
// they came in, for cameras whose frames take one core longer to decode than the
// camera takes to send them.
//
// Submit copies a frame into one of the job buffers (kept and reused from frame to
// frame) and returns at once; when every buffer is in hand, the frame is refused and
// the caller drops it. There is one buffer more than there are threads, so at most one
// frame waits for a thread, and a thread that finished a frame out of turn goes on
// with the waiting one instead of idling until the frames before its own are out.
// Each job converts into its own FrameConverter, whose picture stays valid until the
// job is handed out. A converted frame is handed out once every frame submitted before
// it has been: the deliver function runs on whichever pool thread finds it in turn, so
// deliveries never overlap and come in submission order. A frame that does not convert
// goes to the damaged function instead, in its turn as well.
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

  // Starts up to `threads` threads (fewer when the system refuses more; see Threads()),
  // with one job buffer more than that.
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
  enum class State { Free, Filling, Queued, Converting, Converted, Delivering };
  struct Job {
    State state = State::Free;
    FrameConverter converter;  // its picture is this job's until the job is handed out
    ConvertedFrame out;
    bool converted = false;
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
  Job* InTurn();        // the converted job whose turn it is, with m_mutex held
  void Convert(Job& job, std::unique_lock<std::mutex>& lock);
  void HandOut(Job& job, std::unique_lock<std::mutex>& lock);
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
