// The frame grabber filter: converts every camera frame into 24-bit BGR rows stored
// bottom row first, calls the frame callback with it, and passes the converted frame
// on through its output pin.
//
// Frames are converted on the streaming thread as they arrive, except MJPEG frames
// too large for one core to decode at the camera's rate: those go to a small pool of
// decoding threads (see DecodePool) and reach the callback from those threads, one at
// a time and in the order the camera captured them. A frame that arrives while the
// pool already holds one frame more than it has threads is skipped; a damaged frame
// is dropped. Neither is passed on; both are counted.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/graph/base_filter.h"
#include "platform/graph/decode_pool.h"
#include "platform/graph/frame_converter.h"

namespace platform {

struct FrameGrabberOptions {
  // Threads that decode large MJPEG frames at once: the processor count, at most 4.
  // With one, every frame is converted on the streaming thread.
  int decodeThreads = DefaultDecodeThreads();
  // MJPEG frames of more pixels than this go to the decoding threads; smaller ones,
  // which one core decodes in time, are converted on the streaming thread without
  // the hand-over's delay.
  long long parallelAbovePixels = 1920LL * 1080;

  static int DefaultDecodeThreads();
};

class FrameGrabber final : public BaseFilter, public IFrameGrabberCallback {
 public:
  static std::shared_ptr<FrameGrabber> Create(FrameGrabberOptions options = {});
  // Joins the decoding threads. Must not run inside the frame callback.
  ~FrameGrabber() override;

  // Returns after a FrameCB in progress has returned, so a callback cleared here is
  // never called again.
  HRESULT SetCallback(CBCLS* callback) override;
  std::int64_t FrameCaptureTimeNs() const override { return m_captureTimeNs.load(std::memory_order_relaxed); }

  HRESULT Run() override;
  // Frames not yet handed to the callback are dropped; returns after a FrameCB in
  // progress has returned (called from inside FrameCB: that call is the last one).
  void Stop() override;

  // The input takes video in YUY2 or MJPG.
  bool CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) override;
  // The output offers RGB24 at the input's frame size; nothing while the input is free.
  HRESULT GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) override;
  void Receive(const Pin& input, const MediaSample& sample) override;

  // Since the filter was made: frames dropped because they did not convert, and
  // frames skipped because the decoding threads were all busy.
  std::uint64_t DamagedFrames() const { return m_damaged.load(); }
  std::uint64_t SkippedFrames() const { return m_skipped.load(); }

 private:
  explicit FrameGrabber(FrameGrabberOptions options) : m_options(options) {}
  bool DecodesInPool(WireFormat format, const SampleFormat& sample) const;
  // False when the pool has no threads: the caller converts the frame itself.
  bool SubmitToPool(const MediaSample& sample, WireFormat format);
  // Calls FrameCB and passes the frame on; one call at a time.
  void Deliver(const ConvertedFrame& frame, std::int64_t timestamp100ns);
  void CountDamaged(std::string_view why);

  const FrameGrabberOptions m_options;
  std::shared_ptr<Pin> m_input;
  std::shared_ptr<Pin> m_output;

  std::mutex m_callbackLock;  // held while FrameCB runs
  CBCLS* m_callback = nullptr;
  // Whether a callback is set, read without the lock: a thread waiting for the lock
  // could be one that a FrameCB stopping the graph waits for.
  std::atomic<bool> m_hasCallback{false};
  std::atomic<std::int64_t> m_captureTimeNs{0};

  std::atomic<std::uint64_t> m_damaged{0};
  std::atomic<std::uint64_t> m_skipped{0};
  std::atomic<std::uint64_t> m_damagedAtRun{0};
  std::atomic<std::uint64_t> m_skippedAtRun{0};

  // Used by the streaming thread only (one sample at a time comes through a pin).
  FrameConverter m_converter;

  // Made on the first frame that needs it, ended by Stop (see there).
  std::mutex m_poolLock;
  std::unique_ptr<DecodePool> m_pool;
};

}  // namespace platform
