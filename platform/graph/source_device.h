// A camera as the capture filter sees it: one source interface with two
// implementations, V4L2 for real UVC cameras and the virtual camera.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "com.h"

namespace platform {

// Pixel formats on the wire.
enum class WireFormat { YUY2, MJPG };

// One stream capability, as the stream configuration lists it. A UVC camera lists
// each (format, size) twice in a row: first with a VIDEOINFOHEADER, then with a
// VIDEOINFOHEADER2 format block (videoInfo2).
struct Capability {
  WireFormat format = WireFormat::YUY2;
  int width = 640;
  int height = 480;
  bool videoInfo2 = false;
  double framesPerSecond = 30.0;
  friend bool operator==(const Capability&, const Capability&) = default;
};

// One frame in the wire format, valid only during the frame callback.
struct SourceFrame {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  WireFormat format = WireFormat::YUY2;
  int width = 0;
  int height = 0;
  // When the frame was captured, in 100 ns units on the monotonic clock (CLOCK_MONOTONIC,
  // the epoch of std::chrono::steady_clock).
  std::int64_t timestamp100ns = 0;
};

// Property sets, in the graph's units (exposure in log2 seconds, flags 1 = auto,
// 2 = manual). The power-line frequency is property 13 of the VideoProcAmp set
// (0 off, 1 = 50 Hz, 2 = 60 Hz).
enum class PropertySet { VideoProcAmp, CameraControl };

struct PropertyRange {
  long min = 0;
  long max = 0;
  long step = 1;
  long def = 0;
  long caps = 2;  // flags the property accepts: 1 auto, 2 manual, 3 both
};

class SourceDevice {
 public:
  virtual ~SourceDevice() = default;

  virtual QString FriendlyName() const = 0;

  // Pins of the capture filter: a capture pin always; preview and still pins when the
  // camera has them. Without stream configuration the camera runs at its own format.
  virtual bool HasPreviewPin() const = 0;
  virtual bool HasStillPin() const = 0;
  virtual bool HasStreamConfig() const = 0;

  // The capabilities in the order the stream configuration lists them.
  virtual std::vector<Capability> Capabilities() const = 0;
  // Fails while streaming or for a capability the camera does not have.
  virtual bool SetFormat(const Capability& format) = 0;
  virtual Capability CurrentFormat() const = 0;

  struct Callbacks {
    std::function<void(const SourceFrame&)> frame;  // streaming thread, one frame at a time
    std::function<void()> still;                    // still thread, once per button press
    std::function<void()> lost;                     // the camera went away or stalled; no frame follows
  };
  // Fails while streaming, and when called from inside one of the source's callbacks.
  virtual bool Start(Callbacks callbacks) = 0;
  // From any other thread: returns after the last frame, still and lost callback have
  // returned; none comes later.
  //
  // From inside one of the source's own callbacks, Stop cannot wait for the thread it
  // runs on: it ends delivery and returns at once. The callback that called it is the
  // last one of its thread, nothing that begins on the source's other threads after
  // the call is delivered (one already under way there may still finish), and
  // IsStreaming is false from then on. The threads are joined by the next Start or
  // Stop from another thread, or by the destructor, which must not run inside a
  // callback.
  virtual void Stop() = 0;
  virtual bool IsStreaming() const = 0;

  // Property access; E_PROP_ID_UNSUPPORTED for a property the camera lacks.
  virtual bool OffersPropertySet(PropertySet set) const = 0;
  virtual HRESULT GetRange(PropertySet set, long property, PropertyRange& range) = 0;
  virtual HRESULT Get(PropertySet set, long property, long& value, long& flags) = 0;
  virtual HRESULT Set(PropertySet set, long property, long value, long flags) = 0;
};

// A present capture device before it is opened.
class DeviceHandle {
 public:
  virtual ~DeviceHandle() = default;
  virtual QString FriendlyName() const = 0;
  // Names the device for equality (a device node, or "virtual").
  virtual QString Id() const = 0;
  // Opens the device; null when it cannot be opened (gone, busy, not a camera).
  virtual std::shared_ptr<SourceDevice> Open() = 0;
};

// A source of present capture devices (V4L2 nodes, the virtual camera).
class DeviceProvider {
 public:
  virtual ~DeviceProvider() = default;
  virtual std::vector<std::shared_ptr<DeviceHandle>> Devices() = 0;
};

}  // namespace platform
