// The capture graph as the capture code builds it, over a fake camera, and
// callbacks that count what reaches them.
#pragma once

#include <atomic>
#include <memory>
#include <optional>

#include "fake_source_device.h"
#include "platform/graph/capture_source.h"
#include "platform/graph/com_factory.h"
#include "platform/graph/frame_grabber.h"
#include "platform/graph/interfaces.h"

namespace graphtest {

class FrameCounter final : public CBCLS {
 public:
  int FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) override;
  std::atomic<long> frames{0};
  std::atomic<long> framesAfterStop{0};
  std::atomic<bool> stopped{false};
  std::atomic<int> width{0}, height{0}, bpp{0};
  std::atomic<int> firstBlue{-1};  // blue of the first stored pixel
};

class StillCounter final : public ISampleGrabberCB {
 public:
  HRESULT QueryInterface(const GUID&, void**) override { return E_NOINTERFACE; }
  unsigned long AddRef() override { return 2; }
  unsigned long Release() override { return 1; }
  HRESULT SampleCB(double, IMediaSample* sample) override;
  HRESULT BufferCB(double, std::uint8_t*, long length) override;
  std::atomic<long> samples{0};
  std::atomic<long> buffers{0};
  std::atomic<long> lastLength{-1};
};

struct AppGraph {
  // The frame grabber is the factory's, or one made with the options given.
  explicit AppGraph(FakeOptions options = {}, std::optional<platform::FrameGrabberOptions> grabberOptions = {});
  ~AppGraph();
  // Both streams as the capture code renders them: capture / interleaved, else
  // preview / video; then the still stream, interleaved, else video.
  HRESULT ConnectCapture();
  HRESULT ConnectStill();
  std::shared_ptr<IPin> PinOf(const std::shared_ptr<IBaseFilter>& filter, const QString& name) const;

  platform::ComFactory factory;
  std::shared_ptr<FakeSourceDevice> device;
  std::shared_ptr<IGraphBuilder> graph;
  std::shared_ptr<IMediaControl> control;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  std::shared_ptr<IBaseFilter> source, grabber, nullRenderer, stillGrabber, nullRenderer2;
  FrameCounter frames;
  StillCounter stills;
};

}  // namespace graphtest
