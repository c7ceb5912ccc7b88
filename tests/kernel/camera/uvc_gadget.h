// The emulated camera on the device side of the kernel's dummy USB controller, through
// gadgetfs: the descriptors of camera_model.h, the class requests of the video control
// and streaming interfaces, frames on the bulk endpoint and button presses on the
// status endpoint.
//
// The bulk endpoint hands a frame to the host only when the host has a read pending,
// and the dummy controller does not tell the device when the host stops streaming:
// the video thread then stays blocked in its write until the host commits a new
// stream (the write is interrupted and the new stream begins) or the device goes.
//
// gadgetfs completes the data stage of a host-to-device request before the device has
// read it, and drops that data when the host's next request arrives first; the
// control thread therefore runs at real-time priority and never waits on the others.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <linux/usb/ch9.h>

#include "camera_model.h"

namespace testcam {

// One plugged-in session of the camera: from Plug (the device appears on the bus) to
// Unplug (it disappears). Events are reported as text lines through `log`.
class UvcGadget {
 public:
  using Log = std::function<void(const std::string&)>;

  explicit UvcGadget(std::string gadgetDir, Log log);
  ~UvcGadget();
  UvcGadget(const UvcGadget&) = delete;
  UvcGadget& operator=(const UvcGadget&) = delete;

  // False when gadgetfs refused the device.
  bool Plug();
  void Unplug();
  // One press and release of the still button.
  void PressButton();

 private:
  struct StreamParams {
    std::uint8_t formatIndex = 1;
    std::uint8_t frameIndex = 1;
    std::uint32_t interval = 0;
  };

  void Ep0Loop();
  void HandleSetup(const usb_ctrlrequest& setup);
  bool HandleClassRequest(const usb_ctrlrequest& setup);
  bool ControlRequest(std::uint8_t request, std::uint8_t entity, std::uint8_t selector, std::uint16_t length);
  bool StreamingRequest(std::uint8_t request, std::uint8_t selector, std::uint16_t length);
  bool EnableEndpoints();
  void Reply(const std::vector<std::uint8_t>& data, std::uint16_t length);
  void Ack();
  void Stall(bool in);
  std::vector<std::uint8_t> ReadOutData(std::uint16_t length);

  StreamParams Negotiate(const std::vector<std::uint8_t>& proposal) const;
  std::vector<std::uint8_t> ProbeBytes(const StreamParams& params) const;
  void StartStream(const StreamParams& params);

  void VideoLoop();
  bool SendFrame(const StreamParams& params, std::uint16_t counter, std::uint64_t generation);
  bool WriteVideo(const std::uint8_t* data, std::size_t size, std::uint64_t generation);
  void ButtonLoop();
  // Wakes the video thread out of a write until it has taken up the newest stream.
  void KickLoop();
  // Breaks a thread out of a blocking gadgetfs write until it has seen `done`.
  void Interrupt(std::thread& thread, const std::function<bool()>& done);

  const std::string m_dir;
  const Log m_log;

  int m_ep0 = -1;
  int m_stopFd = -1;
  int m_videoEp = -1;
  int m_statusEp = -1;
  std::thread m_ep0Thread;
  std::thread m_videoThread;
  std::thread m_buttonThread;
  std::thread m_kickThread;

  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_stopping = false;
  bool m_endpointsReady = false;
  std::uint64_t m_generation = 0;      // a new committed stream
  std::uint64_t m_seenGeneration = 0;  // what the video thread has taken up
  bool m_streaming = false;
  StreamParams m_committed;
  StreamParams m_probe;
  int m_pendingPresses = 0;
  std::atomic<bool> m_buttonIdle{true};
  std::vector<std::int32_t> m_values;  // current value of each of Controls()
  std::uint8_t m_lastError = 0;
  std::uint16_t m_counter = 0;
  bool m_fid = false;
};

}  // namespace testcam
