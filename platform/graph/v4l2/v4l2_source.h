// A real UVC camera as the capture filter's source, over its V4L2 node.
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/graph/source_device.h"
#include "platform/graph/v4l2/still_button.h"
#include "platform/graph/v4l2/v4l2_controls.h"
#include "platform/graph/v4l2/v4l2_device.h"
#include "platform/graph/v4l2/v4l2_formats.h"
#include "platform/graph/v4l2/v4l2_io.h"
#include "platform/graph/v4l2/v4l2_stream.h"

namespace platform::v4l2 {

// The product string of the USB device behind a video node (see UsbProductOf).
using UsbProductFinder = std::function<std::optional<QString>(const QString& node)>;

class V4l2Source : public SourceDevice {
 public:
  struct Options {
    // No frame for this long while streaming counts as a lost camera.
    std::chrono::milliseconds stallTimeout{3000};
    // Finds the camera's still button; empty: look it up through udev.
    StillButtonFinder findStillButton;
    // Finds the product string of the node's USB device; empty: look it up through udev.
    UsbProductFinder findUsbProduct;
  };

  // Opens a capture node; null when it is no streaming video capture device with
  // YUYV or MJPEG frames, or cannot be opened.
  static std::shared_ptr<V4l2Source> Open(std::shared_ptr<V4l2Io> io, const QString& node, Options options);
  static std::shared_ptr<V4l2Source> Open(const QString& node);

  explicit V4l2Source(std::shared_ptr<V4l2Io> io);
  ~V4l2Source() override;

  const QString& Node() const { return m_device.Path(); }

  QString FriendlyName() const override { return m_name; }
  // A UVC camera on Linux has one stream, so there is no preview pin: the graph puts
  // its splitter after the capture pin instead.
  bool HasPreviewPin() const override { return false; }
  bool HasStillPin() const override { return static_cast<bool>(m_stillButton); }
  bool HasStreamConfig() const override { return true; }

  std::vector<Capability> Capabilities() const override;
  bool SetFormat(const Capability& format) override;
  Capability CurrentFormat() const override;

  // Applies the current format, then streams. After a loss the source stays started
  // (IsStreaming true, no more frames) until Stop.
  bool Start(Callbacks callbacks) override;
  // Waits for the streaming and still threads; from inside a callback it only ends
  // delivery (the source's contract).
  void Stop() override;
  bool IsStreaming() const override { return m_streaming && m_delivering; }

  bool OffersPropertySet(PropertySet set) const override;
  HRESULT GetRange(PropertySet set, long property, PropertyRange& range) override;
  HRESULT Get(PropertySet set, long property, long& value, long& flags) override;
  HRESULT Set(PropertySet set, long property, long value, long flags) override;

 private:
  bool Initialise(const QString& node, Options options);
  const V4l2FrameFormat* FindFrameFormat(const Capability& format) const;
  bool ApplyFormat(const V4l2FrameFormat& format);
  void ReadCurrentFormat();

  V4l2Device m_device;
  V4l2Controls m_controls;
  V4l2Stream m_stream;
  StillButtonReader m_stillReader;
  Options m_options;
  QString m_name;
  std::vector<V4l2FrameFormat> m_formats;
  std::vector<Capability> m_capabilities;
  StillButtonOpener m_stillButton;

  // Start, Stop and SetFormat come from the graph's thread; the lock keeps a stray
  // call from another thread from tearing the stream down under them. Stop holds it
  // while it waits for the callbacks, so what a callback may call (CurrentFormat,
  // IsStreaming, the properties) never takes it.
  std::mutex m_runMutex;
  mutable std::mutex m_formatMutex;
  Capability m_current;
  std::atomic<bool> m_streaming{false};
  // Cleared by Stop, also from inside a callback; a callback only begins while it is set.
  std::atomic<bool> m_delivering{false};
};

}  // namespace platform::v4l2
