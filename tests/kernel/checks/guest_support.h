// What the guest's checks share: the emulated camera's command FIFO and event log,
// and the capture graph as the program builds it, over the camera found by discovery.
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/graph/com_factory.h"
#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

namespace guest {

using namespace std::chrono_literals;

// The emulated camera's state folder (VISTREL_TEST_CAMERA_STATE).
class TestCamera {
 public:
  // Sends one command: "button", "unplug" or "plug".
  static bool Send(const QString& command);
  // The camera's event lines so far.
  static QStringList Events();
  // Waits until a line equal to `line` appears after the first `after` lines.
  static bool WaitForEvent(const QString& line, int after, std::chrono::milliseconds timeout = 30s);
  // The last "commit <format> <frame> <interval>" line, split.
  static std::optional<std::vector<int>> LastCommit();
};

// The capture device of our camera as discovery lists it (matched by name).
std::shared_ptr<platform::DeviceHandle> FindTestCamera();
// Waits until discovery lists the camera again, or the timeout passes.
std::shared_ptr<platform::DeviceHandle> WaitForTestCamera(
    std::chrono::milliseconds timeout = 60s);

// What reached the frame grabber's callback.
class FrameLog final : public CBCLS {
 public:
  int FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) override;
  struct Entry {
    int width, height, bpp;
    std::optional<std::uint16_t> counter;  // nullopt: the pattern was not there
    std::chrono::steady_clock::time_point arrived;
  };
  std::vector<Entry> Take();
  std::size_t Count() const { return m_count; }

 private:
  mutable std::mutex m_mutex;
  std::vector<Entry> m_entries;
  std::atomic<std::size_t> m_count{0};
};

class StillLog final : public ISampleGrabberCB {
 public:
  HRESULT QueryInterface(const GUID&, void**) override { return E_NOINTERFACE; }
  unsigned long AddRef() override { return 2; }
  unsigned long Release() override { return 1; }
  HRESULT SampleCB(double, IMediaSample*) override { return S_OK; }
  HRESULT BufferCB(double, std::uint8_t*, long) override {
    ++presses;
    return S_OK;
  }
  std::atomic<int> presses{0};
};

// The graph the program builds: source → frame grabber → null renderer (through a
// splitter, the camera having no preview pin), still pin → sample grabber.
struct Graph {
  Graph(platform::ComFactory& factory, std::shared_ptr<IBaseFilter> source);
  ~Graph();
  // Chooses capability `index` through the stream configuration.
  bool SelectCapability(int index, int& width, int& height);
  bool Connect();
  bool Run();
  void Stop();

  platform::ComFactory& factory;
  std::shared_ptr<IGraphBuilder> graph;
  std::shared_ptr<IMediaControl> control;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  std::shared_ptr<IBaseFilter> source, grabber, renderer, stillGrabber, stillRenderer;
  FrameLog frames;
  StillLog stills;
};

// The factory of graph objects with the V4L2 cameras as its only capture devices.
std::unique_ptr<platform::ComFactory> MakeFactory();

}  // namespace guest
