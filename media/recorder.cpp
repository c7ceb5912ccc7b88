#include "media/recorder.h"

#include <utility>

Recorder::Recorder() : m_thread([this] { Run(); }) {}

Recorder::~Recorder() {
  Close();
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopping = true;
  }
  m_wake.notify_one();
  if (m_thread.joinable()) m_thread.join();
}

void Recorder::Push(Job job) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_jobs.push_back(std::move(job));
  }
  m_wake.notify_one();
}

void Recorder::Open(std::string fileName, int width, int height, float frameRate, float bitRate,
                    std::function<void(bool)> done) {
  Job job;
  job.kind = Job::Kind::Open;
  job.fileName = std::move(fileName);
  job.width = width;
  job.height = height;
  job.frameRate = frameRate;
  job.bitRate = bitRate;
  job.done = std::move(done);
  Push(std::move(job));
}

void Recorder::Write(std::shared_ptr<const CxImage> picture, int count) {
  if (count <= 0 || !picture || !picture->IsValid()) return;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_queuedPictures >= kMaxQueuedPictures && m_jobs.back().kind == Job::Kind::Write) {
      // The encoder is behind: the newest waiting picture gives way to this one.
      Job& last = m_jobs.back();
      last.skipped += last.count;
      last.count = count;
      last.picture = std::move(picture);
      return;
    }
    Job job;
    job.kind = Job::Kind::Write;
    job.picture = std::move(picture);
    job.count = count;
    m_jobs.push_back(std::move(job));
    ++m_queuedPictures;
  }
  m_wake.notify_one();
}

void Recorder::CollapseQueuedPictures() {
  // Each run of waiting pictures becomes its newest picture, at its own place in time.
  std::deque<Job> kept;
  for (Job& job : m_jobs) {
    if (job.kind == Job::Kind::Write && !kept.empty() && kept.back().kind == Job::Kind::Write) {
      Job& run = kept.back();
      job.skipped += run.skipped + run.count;
      run = std::move(job);
      --m_queuedPictures;
    } else {
      kept.push_back(std::move(job));
    }
  }
  m_jobs.swap(kept);
}

void Recorder::Close() {
  Job close;
  close.kind = Job::Kind::Close;
  std::unique_lock<std::mutex> lock(m_lock);
  CollapseQueuedPictures();
  m_jobs.push_back(std::move(close));
  m_wake.notify_one();
  m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

int Recorder::QueuedPictures() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_queuedPictures;
}

void Recorder::Run() {
  std::unique_lock<std::mutex> lock(m_lock);
  for (;;) {
    m_wake.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
    if (m_jobs.empty()) return;  // stopping, and nothing left to do
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    if (job.kind == Job::Kind::Write) --m_queuedPictures;
    m_busy = true;
    lock.unlock();
    if (m_beforeJob) m_beforeJob();
    Execute(job);
    lock.lock();
    m_busy = false;
    job.picture.reset();  // back to the display worker's pool, outside the writer's work
    if (m_jobs.empty()) m_idle.notify_all();
  }
}

void Recorder::Execute(Job& job) {
  switch (job.kind) {
    case Job::Kind::Open: {
      if (IsVideoFileOpen(m_writer)) CloseVideoFile(m_writer);
      m_writer.nTarget = kMpegTargetFromFileName;
      m_writer.nWidth = job.width;
      m_writer.nHeight = job.height;
      m_writer.fFrameRate = job.frameRate;
      m_writer.fBitRate = job.bitRate;
      const bool opened = OpenVideoFile(m_writer, job.fileName.c_str());
      if (job.done) job.done(opened);
      break;
    }
    case Job::Kind::Write: {
      if (!IsVideoFileOpen(m_writer)) break;
      const CxImage& picture = *job.picture;
      if (static_cast<int>(picture.GetWidth()) != m_writer.nWidth ||
          static_cast<int>(picture.GetHeight()) != m_writer.nHeight) {
        break;
      }
      if (!DibToRgb24(m_writer, picture.GetBits(0), m_writer.nWidth, m_writer.nHeight,
                      static_cast<int>(picture.GetBpp()))) {
        break;
      }
      // The slots of pictures dropped for a slow encoder are filled with this one: a
      // program stream's sparse time stamps would not keep a gap, and a repeated
      // picture encodes far faster than a new one, so the encoder catches up.
      for (int i = 0; i < job.skipped + job.count; ++i) {
        // A failed write is not retried; the next picture tries again.
        if (!WriteVideoFrame(m_writer.pFormatCtx, m_writer.pVideoStream, m_writer)) break;
      }
      break;
    }
    case Job::Kind::Close: {
      if (IsVideoFileOpen(m_writer)) {
        const bool finished = CloseVideoFile(m_writer);
        (void)finished;  // nothing more can be done for a file that failed to finish
      }
      break;
    }
  }
}
