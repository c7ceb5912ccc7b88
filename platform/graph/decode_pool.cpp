#include "platform/graph/decode_pool.h"

#include <pthread.h>

#include <algorithm>
#include <system_error>

#include "platform/graph/graph_log.h"

namespace platform {

DecodePool::DecodePool(int threads, Deliver deliver, Damaged damaged)
    : m_deliver(std::move(deliver)), m_damaged(std::move(damaged)) {
  const int count = std::max(threads, 1);
  // A vector of jobs cannot grow once threads refer to them; it is sized here, before
  // any thread starts.
  m_jobs = std::vector<Job>(static_cast<std::size_t>(count + 1));
  m_threads.reserve(static_cast<std::size_t>(count));
  // The threads read m_threads (OnPoolThread) only after this lock is released.
  std::lock_guard lock(m_mutex);
  for (int i = 0; i < count; ++i) {
    try {
      m_threads.emplace_back(&DecodePool::Run, this);
    } catch (const std::system_error& e) {
      qCWarning(lcGraph) << "decoding threads: started" << i << "of" << count << ":" << e.what();
      break;
    }
  }
}

DecodePool::~DecodePool() {
  Discard();
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

bool DecodePool::OnPoolThread() const {
  const auto self = std::this_thread::get_id();
  return std::any_of(m_threads.begin(), m_threads.end(), [&](const std::thread& t) { return t.get_id() == self; });
}

bool DecodePool::Submit(const SourceFrame& frame) {
  if (m_threads.empty() || !frame.data) return false;
  Job* job = nullptr;
  std::uint64_t epoch = 0;
  {
    std::lock_guard lock(m_mutex);
    const auto free = std::find_if(m_jobs.begin(), m_jobs.end(), [](const Job& j) { return j.state == State::Free; });
    if (free == m_jobs.end()) return false;
    job = &*free;
    job->state = State::Filling;
    job->epoch = epoch = m_epoch;
  }
  // The copy is made outside the lock; the job is this thread's until it is queued.
  if (job->bytes.size() < frame.size) {
    // Room for somewhat larger frames than this one: JPEG sizes vary with the picture.
    job->bytes.resize(frame.size + frame.size / 4);
  }
  std::copy(frame.data, frame.data + frame.size, job->bytes.data());
  job->size = frame.size;
  job->format = frame.format;
  job->width = frame.width;
  job->height = frame.height;
  job->timestamp100ns = frame.timestamp100ns;

  bool queued = false;
  {
    std::lock_guard lock(m_mutex);
    if (epoch == m_epoch) {
      job->state = State::Queued;
      job->sequence = m_nextSequence++;
      queued = true;
    } else {
      job->state = State::Free;  // discarded while it was being copied
    }
  }
  m_changed.notify_all();
  return queued;
}

void DecodePool::Discard() {
  const int own = OnPoolThread() ? 1 : 0;
  std::unique_lock lock(m_mutex);
  const std::uint64_t current = ++m_epoch;
  m_nextOut = m_nextSequence;
  for (Job& job : m_jobs) {
    // Frames that wait, to be converted or handed out, are in no thread's hands.
    if (job.state == State::Queued || job.state == State::Converted) job.state = State::Free;
  }
  m_changed.notify_all();
  // Frames submitted meanwhile (the filter may run again while a delivery stops it) are
  // not waited for: they may be waiting for the very delivery that called this.
  m_changed.wait(lock, [&] { return JobsInHandBefore(current) <= own; });
}

DecodePool::Job* DecodePool::OldestQueued() {
  Job* oldest = nullptr;
  for (Job& job : m_jobs) {
    if (job.state == State::Queued && (!oldest || job.sequence < oldest->sequence)) oldest = &job;
  }
  return oldest;
}

int DecodePool::JobsInHandBefore(std::uint64_t epoch) const {
  return static_cast<int>(std::count_if(m_jobs.begin(), m_jobs.end(),
                                        [&](const Job& j) { return j.state != State::Free && j.epoch < epoch; }));
}

DecodePool::Job* DecodePool::InTurn() {
  for (Job& job : m_jobs) {
    if (job.state == State::Converted && job.sequence == m_nextOut) return &job;
  }
  return nullptr;
}

void DecodePool::Run() {
  pthread_setname_np(pthread_self(), "vistrel-decode");
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stop || InTurn() || OldestQueued(); });
    if (m_stop) return;
    // A frame in its turn goes out first: it is the oldest the camera sent.
    if (Job* job = InTurn()) {
      HandOut(*job, lock);
    } else {
      // The oldest first: a frame waiting for its turn never waits for one nobody converts.
      Convert(*OldestQueued(), lock);
    }
    m_changed.notify_all();
  }
}

void DecodePool::Convert(Job& job, std::unique_lock<std::mutex>& lock) {
  job.state = State::Converting;
  lock.unlock();
  const bool converted = job.converter.Convert(job.bytes.data(), job.size, job.format, job.width, job.height, job.out);
  lock.lock();
  job.converted = converted;
  job.state = job.epoch == m_epoch ? State::Converted : State::Free;
}

void DecodePool::HandOut(Job& job, std::unique_lock<std::mutex>& lock) {
  job.state = State::Delivering;
  lock.unlock();
  if (job.converted) {
    m_deliver(job.out, job.timestamp100ns);
  } else {
    m_damaged(job.converter.LastError());
  }
  lock.lock();
  if (job.epoch == m_epoch) ++m_nextOut;
  job.state = State::Free;
}

}  // namespace platform
