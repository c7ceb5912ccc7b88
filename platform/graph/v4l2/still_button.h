// The camera's still button. A UVC camera with a button exposes it as an input
// device that reports KEY_CAMERA; a thread reads its events while the source runs.
#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

#include "platform/graph/v4l2/event_fd.h"

namespace platform::v4l2 {

// Opens the button for reading input_event records (non-blocking); an invalid fd when
// it cannot be opened.
using StillButtonOpener = std::function<UniqueFd()>;
// The button of the camera at a video node: an opener, or an empty function when the
// camera has no button. Injected so tests can hand a pipe carrying input events.
using StillButtonFinder = std::function<StillButtonOpener(const QString& videoNode)>;

// Calls `pressed` once per press of KEY_CAMERA (value 1; repeats and releases are
// ignored) until Stop, or until the device goes away or the writer closes the pipe.
class StillButtonReader {
 public:
  StillButtonReader() = default;
  ~StillButtonReader() { Stop(); }
  StillButtonReader(const StillButtonReader&) = delete;
  StillButtonReader& operator=(const StillButtonReader&) = delete;

  // Reads `device` on a thread of its own; false when the thread cannot be set up.
  bool Start(UniqueFd device, std::function<void()> pressed);
  // Returns after the last `pressed` call has returned. Not from the reading thread:
  // it cannot join itself (see RequestStop).
  void Stop();
  // From inside `pressed`: the thread ends once the call returns; Stop from another
  // thread joins it.
  void RequestStop();
  bool IsRunning() const { return m_thread.joinable(); }
  bool OnReaderThread() const { return m_threadId.load() == std::this_thread::get_id(); }

 private:
  void Run(int device, int stop);

  UniqueFd m_device;
  UniqueFd m_stop;
  std::function<void()> m_pressed;
  std::thread m_thread;
  std::atomic<std::thread::id> m_threadId{};  // set by the thread before its first call
};

// True when an input device's key bitmap (sysfs capabilities/key: hex words of the
// width of a long, most significant first) has the bit of `code`.
bool KeyBitmapHas(const QString& bitmap, int code);

}  // namespace platform::v4l2
