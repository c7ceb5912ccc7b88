// The recorder: runs the MPEG writer on a thread of its own, so neither the UI thread
// nor the frame lock ever waits for an encode. Jobs run in the order given: open the
// file, write pictures, close it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <memory>

#include "media/mpeg_writer.h"
#include "outside/ximage.h"

class Recorder {
 public:
  Recorder();
  ~Recorder();  // finishes an open file
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Opens fileName for width × height pictures at frameRate and bitRate; done(opened)
  // is called on the recorder thread once the file is open or has failed.
  void Open(std::string fileName, int width, int height, float frameRate, float bitRate,
            std::function<void(bool opened)> done);
  // Writes the picture `count` times in a row (a picture repeated while no newer one
  // came). Pictures of another size than the file's are not written. The picture is
  // shared and not changed by anyone while the recorder holds it.
  //
  // At most kMaxQueuedPictures pictures wait for the encoder. When it falls behind, a
  // new picture takes the place of the newest one waiting and fills its time slots
  // too: the file still holds one picture per 1/frame-rate and plays as long as the
  // recording lasted, and memory stays bounded however slow the encoder is.
  void Write(std::shared_ptr<const CxImage> picture, int count);
  // Finishes the file and returns once it is closed. The pictures still waiting are
  // cut to the newest one, repeated over their time slots, so the caller waits for
  // repeats of one picture rather than for a backlog of new ones.
  void Close();
  // Pictures waiting for the encoder.
  int QueuedPictures() const;

  static constexpr int kMaxQueuedPictures = 12;  // half a second at 24 a second

  // Tests only: called on the recorder thread before each job runs, so a test can hold
  // the encoder back as a slow machine would. Set before the first job is given.
  std::function<void()> m_beforeJob;


 private:
  struct Job {
    enum class Kind { Open, Write, Close };
    Kind kind = Kind::Close;
    std::string fileName;
    int width = 0;
    int height = 0;
    float frameRate = 0.0f;
    float bitRate = 0.0f;
    std::function<void(bool)> done;
    std::shared_ptr<const CxImage> picture;
    int count = 0;
    int skipped = 0;  // slots of pictures dropped for a slow encoder, filled with this one
  };
  void Run();
  void Execute(Job& job);
  void Push(Job job);
  void CollapseQueuedPictures();  // m_lock held

  MpegWriter m_writer;  // recorder thread only
  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::condition_variable m_idle;
  std::deque<Job> m_jobs;
  int m_queuedPictures = 0;  // Write jobs in m_jobs
  bool m_busy = false;
  bool m_stopping = false;
  std::thread m_thread;
};
