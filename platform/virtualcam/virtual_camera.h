// The virtual camera: one simulated UVC camera, end to end.
//
// It has a USB identity, a capability list, a streaming thread that makes frames in
// the wire format (YUYV bytes, real JPEG for MJPG), controls with the ranges of a
// typical UVC camera that visibly change the picture, a still button, an 8192-byte
// flash image file that persists between runs, and plug / unplug. Tests turn its
// knobs in process; scripts and demos reach it through a FIFO.
#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/graph/source_device.h"

namespace platform {

struct VirtualCameraOptions {
  // YUY2 then MJPG, each at 640×480, 1280×720, 1920×1080 and 3840×2160, each listed
  // twice (VIDEOINFOHEADER, then VIDEOINFOHEADER2).
  std::vector<Capability> capabilities = DefaultCapabilities();
  bool previewPin = true;
  bool stillPin = true;
  bool streamConfig = true;
  double framesPerSecond = 30.0;  // 0: as fast as frames can be made
  bool refuseGet = false;         // every property Get fails
  std::set<std::uint32_t> failingFlashReads;  // flash addresses whose reads fail
  QString flashPath;              // the flash image file; empty: kept in memory only
  bool plugged = true;            // at construction; IsPlugged() tells the state since
  // The bright field's centre moved right and down from the frame's centre, in
  // fractions of the frame height (at construction).
  double fieldShiftX = 0.0;
  double fieldShiftY = 0.0;
  // The frame number drawn in the top-left corner; off for a picture of the field alone.
  bool frameCounter = true;

  static std::vector<Capability> DefaultCapabilities();
};

class VirtualCamera {
 public:
  static constexpr std::uint16_t kVendorId = 0x1D6C;
  static constexpr std::uint16_t kProductId = 0x0A51;
  static constexpr const char* kSerial = "VC0001";
  static constexpr const char* kFriendlyName = "Vistrel Virtual Camera";  // at most 24 characters
  static constexpr std::uint32_t kFlashSize = 8192;

  explicit VirtualCamera(VirtualCameraOptions options = {});
  ~VirtualCamera();
  VirtualCamera(const VirtualCamera&) = delete;
  VirtualCamera& operator=(const VirtualCamera&) = delete;

  const VirtualCameraOptions& Options() const { return m_options; }
  // Knobs that may change between runs of the graph.
  void SetFramesPerSecond(double fps);
  void SetRefuseGet(bool refuse);
  void SetFailingFlashReads(std::set<std::uint32_t> addresses);

  // USB identity: instance id "USB\VID_xxxx&PID_yyyy\serial" and the product string.
  QString InstanceId() const;

  // Plug state. Listeners run on the thread that plugs or unplugs, once per change (a
  // second Unplug or Plug in a row does nothing). Plugging in powers the camera up: its
  // controls are back at their defaults; the flash keeps its contents.
  bool IsPlugged() const;
  void Plug();
  void Unplug();  // stops the stream first; the source reports the camera lost
  int AddPlugListener(std::function<void(bool plugged)> listener);
  // A hang while plugged (a firmware fault, a USB bandwidth stall): no frame comes, from
  // this stream or a restarted one, until the camera is unplugged and plugged again.
  // Returns once a running stream has met the hang (within a frame period), so no frame
  // is under way any more.
  void Stall();
  bool IsStalled() const;
  // Returns when no call of that listener runs on another thread any more.
  void RemovePlugListener(int id);

  // The still button. Listeners run on the pressing thread.
  void PressButton();
  int AddButtonListener(std::function<void()> listener);
  // Returns when no call of that listener runs on another thread any more.
  void RemoveButtonListener(int id);

  // Streaming. Frames come on the camera's own thread, paced by Options().framesPerSecond.
  // SetFormat takes a listed capability (its videoInfo2 flag is kept but does not change
  // the stream) and fails while streaming. Start fails while unplugged or streaming.
  bool SetFormat(const Capability& format);
  Capability CurrentFormat() const;
  bool Start(std::function<void(const SourceFrame&)> onFrame);
  // Returns after the last frame callback has returned; none comes later. Called from
  // inside the frame callback it cannot wait for itself: the running callback is the last
  // one, IsStreaming() is false at once, and the thread is joined by the next Start or
  // Stop on another thread (Start from inside the callback fails).
  void Stop();
  bool IsStreaming() const;
  // Whether the caller runs on the camera's streaming thread (inside a frame callback).
  bool OnStreamThread() const;
  // Frames whose callback has returned, in the current (or last) stream.
  std::uint64_t FramesDelivered() const;

  // Controls in the graph's units; fail (E_PROP_ID_UNSUPPORTED) for unknown properties,
  // E_DEVICE_GONE while unplugged. Set fails (E_INVALIDARG) for a manual value out of
  // range or a flag the property does not take; with the automatic flag the value is not
  // used. Get fails (E_FAIL) while refuseGet is set.
  HRESULT GetRange(PropertySet set, long property, PropertyRange& range) const;
  HRESULT Get(PropertySet set, long property, long& value, long& flags) const;
  HRESULT Set(PropertySet set, long property, long value, long flags);

  // Flash, byte by byte. Writes are kept in memory until FlushFlash, which replaces the
  // image file atomically.
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) const;
  bool WriteFlash(std::uint32_t address, std::uint8_t value);
  bool FlushFlash();

  // One frame of the given format into out (YUYV bytes or a JPEG), as the stream makes it.
  // For tests and benchmarks; frameNumber drives the moving detail and the counter.
  bool RenderFrame(const Capability& format, std::uint64_t frameNumber, std::vector<std::uint8_t>& out);

  // Reads lines "button", "unplug", "plug" and "stall" from the FIFO at path (made when missing)
  // on a thread of its own, until the camera is destroyed or StopControlFifo.
  bool StartControlFifo(const QString& path);
  void StopControlFifo();

 private:
  class Impl;
  VirtualCameraOptions m_options;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
