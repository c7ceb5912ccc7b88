// The frame grabber filter: converts every camera frame into 24-bit BGR rows stored
// bottom row first, calls the frame callback with it on the streaming thread, and
// passes the converted frame on through its output pin.
#pragma once

#include <memory>
#include <mutex>

#include "platform/graph/base_filter.h"
#include "platform/graph/frame_converter.h"

namespace platform {

class FrameGrabber final : public BaseFilter, public IFrameGrabberCallback {
 public:
  static std::shared_ptr<FrameGrabber> Create();

  // Returns after a FrameCB in progress has returned, so a callback cleared here is
  // never called again.
  HRESULT SetCallback(CBCLS* callback) override;

  // The input takes video in YUY2 or MJPG.
  bool CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) override;
  // The output offers RGB24 at the input's frame size; nothing while the input is free.
  HRESULT GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) override;
  void Receive(const Pin& input, const MediaSample& sample) override;

 private:
  FrameGrabber() = default;

  std::shared_ptr<Pin> m_input;
  std::shared_ptr<Pin> m_output;

  std::mutex m_callbackLock;  // held while FrameCB runs
  CBCLS* m_callback = nullptr;

  // Used by the streaming thread only (one sample at a time comes through a pin).
  FrameConverter m_converter;
};

}  // namespace platform
