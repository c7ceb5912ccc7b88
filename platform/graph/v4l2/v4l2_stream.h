// The capture stream of an open node: the driver's buffers and the thread that
// dequeues them.
#pragma once

#include <linux/videodev2.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "platform/graph/source_device.h"
#include "platform/graph/v4l2/event_fd.h"
#include "platform/graph/v4l2/v4l2_device.h"

namespace platform::v4l2 {

class V4l2Stream {
 public:
  struct Settings {
    WireFormat format = WireFormat::YUY2;
    int width = 0;
    int height = 0;
    unsigned bufferCount = 4;  // the fewest mmap buffers streaming runs with
    std::chrono::milliseconds stallTimeout{3000};
  };

  explicit V4l2Stream(const V4l2Device& device);
  ~V4l2Stream() { Stop(); }
  V4l2Stream(const V4l2Stream&) = delete;
  V4l2Stream& operator=(const V4l2Stream&) = delete;

  // Requests and maps the buffers, queues them all, turns streaming on and starts the
  // streaming thread. 0, or the errno of the step that failed (ENOBUFS when the driver
  // grants fewer buffers than asked); on failure nothing stays allocated.
  //
  // The thread calls `frame` for each complete frame and `lost` once when the device
  // goes away (ENODEV, POLLERR, POLLHUP) or no frame came within the stall timeout; it
  // ends after `lost`.
  int Start(const Settings& settings, std::function<void(const SourceFrame&)> frame, std::function<void()> lost);
  // Stops the thread (returns after its last callback), turns streaming off, unmaps the
  // buffers and gives them back. Safe after a loss and when not started. Not from the
  // streaming thread: it cannot join itself (see RequestStop).
  void Stop();
  // From inside a callback on the streaming thread: the thread ends once the callback
  // returns; the buffers stay until Stop from another thread.
  void RequestStop();
  bool IsStarted() const { return m_started; }
  bool OnStreamThread() const { return m_threadId.load() == std::this_thread::get_id(); }

 private:
  int MapAndQueue(unsigned count);
  void ReleaseBuffers();
  void Run();
  // Dequeues, delivers and requeues one buffer; false when the stream cannot go on.
  bool HandleBuffer(std::chrono::steady_clock::time_point& lastBuffer);
  bool Deliverable(const v4l2_buffer& buffer) const;

  const V4l2Device& m_device;
  Settings m_settings;
  std::function<void(const SourceFrame&)> m_frame;
  std::function<void()> m_lost;
  std::vector<V4l2Mapping> m_buffers;
  bool m_requested = false;
  bool m_started = false;
  bool m_streamOn = false;
  UniqueFd m_stop;
  std::thread m_thread;
  // Set by the thread itself before its first callback, so a Stop from inside one
  // always recognises its own thread.
  std::atomic<std::thread::id> m_threadId{};
};

}  // namespace platform::v4l2
