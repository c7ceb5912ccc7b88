// A camera streaming MJPEG through the capture graph as the program builds it (capture
// source, frame grabber, null renderer) for a while: how many of the camera's frames
// reach the frame callback each second, how many the grabber skipped or dropped, and the
// delay from capture to the callback (median and 99th percentile).
//
//   stream_rate_bench [--seconds 60] [--size 3840x2160] [--fps 30] [--source replay|virtual]
//                     [--threads N] [--no-copy]
//
// The callback copies each frame into a picture of its own, as the program's frame
// intake does (--no-copy leaves that out). The "virtual" source is the virtual camera,
// which paints and encodes every frame on the same processors; the "replay" source sends
// a few of the virtual camera's frames made beforehand, paced by the clock, as a real
// camera does whose frames cost the machine nothing to make.
#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/graph/capture_source.h"
#include "platform/graph/com_factory.h"
#include "platform/graph/frame_grabber.h"
#include "platform/virtualcam/virtual_camera.h"
#include "platform/virtualcam/virtual_camera_source.h"

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

struct Settings {
  int seconds = 60;
  int width = 3840;
  int height = 2160;
  double fps = 30.0;
  bool replay = true;
  int threads = FrameGrabberOptions::DefaultDecodeThreads();
  bool copy = true;
};

bool Parse(int argc, char** argv, Settings& s) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--no-copy") {
      s.copy = false;
      continue;
    }
    if (!value) return false;
    ++i;
    if (arg == "--seconds") {
      s.seconds = std::atoi(value);
    } else if (arg == "--size") {
      if (std::sscanf(value, "%dx%d", &s.width, &s.height) != 2) return false;
    } else if (arg == "--fps") {
      s.fps = std::atof(value);
    } else if (arg == "--source") {
      s.replay = std::strcmp(value, "replay") == 0;
      if (!s.replay && std::strcmp(value, "virtual") != 0) return false;
    } else if (arg == "--threads") {
      s.threads = std::atoi(value);
    } else {
      return false;
    }
  }
  return s.seconds > 0 && s.width > 0 && s.height > 0 && s.fps > 0 && s.threads > 0;
}

// Sends frames made beforehand at a steady rate on its own thread, each stamped with
// the time it is sent.
class ReplaySource final : public SourceDevice {
 public:
  ReplaySource(std::vector<std::vector<std::uint8_t>> frames, Capability format)
      : m_frames(std::move(frames)), m_format(format) {}
  ~ReplaySource() override { Stop(); }

  QString FriendlyName() const override { return QStringLiteral("Replay"); }
  bool HasPreviewPin() const override { return true; }
  bool HasStillPin() const override { return false; }
  bool HasStreamConfig() const override { return true; }
  std::vector<Capability> Capabilities() const override { return {m_format}; }
  bool SetFormat(const Capability& format) override { return format.width == m_format.width; }
  Capability CurrentFormat() const override { return m_format; }
  bool Start(Callbacks callbacks) override {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable()) return false;
    m_stop = false;
    m_thread = std::thread([this, frame = std::move(callbacks.frame)] { Run(frame); });
    return true;
  }
  void Stop() override {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
  }
  bool IsStreaming() const override { return m_thread.joinable(); }
  bool OffersPropertySet(PropertySet) const override { return false; }
  HRESULT GetRange(PropertySet, long, PropertyRange&) override { return E_PROP_ID_UNSUPPORTED; }
  HRESULT Get(PropertySet, long, long&, long&) override { return E_PROP_ID_UNSUPPORTED; }
  HRESULT Set(PropertySet, long, long, long) override { return E_PROP_ID_UNSUPPORTED; }
  long Sent() const { return m_sent.load(); }

 private:
  void Run(const std::function<void(const SourceFrame&)>& deliver) {
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / m_format.framesPerSecond));
    Clock::time_point deadline = Clock::now();
    for (std::size_t n = 0;; ++n) {
      const auto& bytes = m_frames[n % m_frames.size()];
      SourceFrame frame{bytes.data(), bytes.size(), WireFormat::MJPG, m_format.width, m_format.height,
                        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count() /
                            100};
      deliver(frame);
      ++m_sent;
      deadline += period;
      std::unique_lock lock(m_mutex);
      if (m_wake.wait_until(lock, deadline, [this] { return m_stop; })) return;
    }
  }

  const std::vector<std::vector<std::uint8_t>> m_frames;
  const Capability m_format;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  std::thread m_thread;
  std::atomic<long> m_sent{0};
};

// Counts frames and keeps each one's delay from capture, in room set aside beforehand.
class Receiver final : public CBCLS {
 public:
  Receiver(const FrameGrabber& grabber, std::size_t capacity, bool copy) : m_grabber(grabber), m_copy(copy) {
    m_delaysMs.reserve(capacity);
  }
  int FrameCB(std::uint8_t* pixels, int width, int height, int) override {
    const std::size_t size = static_cast<std::size_t>(width) * height * 3;
    if (m_copy) {
      if (m_picture.size() != size) m_picture.resize(size);
      std::memcpy(m_picture.data(), pixels, size);
    }
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    std::lock_guard lock(m_mutex);
    if (m_delaysMs.size() < m_delaysMs.capacity()) {
      m_delaysMs.push_back(static_cast<double>(now - m_grabber.FrameCaptureTimeNs()) / 1e6);
    }
    ++m_frames;
    return 0;
  }
  long Frames() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
  }
  std::vector<double> Delays() const {
    std::lock_guard lock(m_mutex);
    return m_delaysMs;
  }

 private:
  const FrameGrabber& m_grabber;
  const bool m_copy;
  std::vector<std::uint8_t> m_picture;
  mutable std::mutex m_mutex;
  std::vector<double> m_delaysMs;
  long m_frames = 0;
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto i = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(i, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Settings s;
  if (!Parse(argc, argv, s)) {
    std::fprintf(stderr,
                 "usage: %s [--seconds N] [--size WxH] [--fps F] [--source replay|virtual] [--threads N] "
                 "[--no-copy]\n",
                 argv[0]);
    return 2;
  }
  const Capability format{WireFormat::MJPG, s.width, s.height, false, s.fps};

  VirtualCameraOptions cameraOptions;
  cameraOptions.capabilities = {format};
  cameraOptions.framesPerSecond = s.fps;
  cameraOptions.stillPin = false;
  auto camera = std::make_shared<VirtualCamera>(cameraOptions);
  std::shared_ptr<SourceDevice> device;
  ReplaySource* replay = nullptr;
  if (s.replay) {
    std::vector<std::vector<std::uint8_t>> frames(8);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      if (!camera->RenderFrame(format, i, frames[i])) {
        std::fprintf(stderr, "the virtual camera cannot make %dx%d\n", s.width, s.height);
        return 1;
      }
    }
    auto source = std::make_shared<ReplaySource>(std::move(frames), format);
    replay = source.get();
    device = source;
  } else {
    device = std::make_shared<VirtualCameraSource>(camera);
  }

  ComFactory factory;
  std::shared_ptr<IGraphBuilder> graph;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  std::shared_ptr<IBaseFilter> renderer;
  (void)factory.CreateFilterGraph(graph);
  (void)factory.CreateCaptureGraphBuilder(builder);
  (void)factory.CreateNullRenderer(renderer);
  const std::shared_ptr<FrameGrabber> grabber = FrameGrabber::Create(FrameGrabberOptions{s.threads, 1920LL * 1080});
  const std::shared_ptr<IBaseFilter> source = CreateCaptureSourceFilter(device);
  Receiver receiver(*grabber, static_cast<std::size_t>(s.seconds * s.fps * 2 + 100), s.copy);
  (void)grabber->SetCallback(&receiver);
  const bool built = SUCCEEDED(builder->SetFiltergraph(graph)) && SUCCEEDED(graph->AddFilter(source, "Camera")) &&
                     SUCCEEDED(graph->AddFilter(grabber, "Grabber")) &&
                     SUCCEEDED(graph->AddFilter(renderer, "Renderer")) &&
                     SUCCEEDED(builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, source, grabber, renderer));
  const auto control = QueryInterface<IMediaControl>(graph);
  if (!built || !control || FAILED(control->Run())) {
    std::fprintf(stderr, "the graph does not run\n");
    return 1;
  }
  std::printf("%dx%d MJPEG at %.0f fps from the %s, %d decoding threads, %s\n", s.width, s.height, s.fps,
              s.replay ? "replay source" : "virtual camera", s.threads, s.copy ? "frames copied" : "frames not copied");
  const Clock::time_point start = Clock::now();
  long lastFrames = 0;
  for (int second = 1; second <= s.seconds; ++second) {
    std::this_thread::sleep_until(start + std::chrono::seconds(second));  // the measuring interval
    const long frames = receiver.Frames();
    std::printf("  second %3d: %ld frames\n", second, frames - lastFrames);
    std::fflush(stdout);
    lastFrames = frames;
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  (void)control->Stop();
  (void)grabber->SetCallback(nullptr);

  const long sent = replay ? replay->Sent() : static_cast<long>(camera->FramesDelivered());
  const std::vector<double> delays = receiver.Delays();
  std::printf("camera sent %.1f fps, callback got %.1f fps (%ld of %ld frames); skipped %llu, damaged %llu\n",
              static_cast<double>(sent) / elapsed, static_cast<double>(receiver.Frames()) / elapsed, receiver.Frames(),
              sent, static_cast<unsigned long long>(grabber->SkippedFrames()),
              static_cast<unsigned long long>(grabber->DamagedFrames()));
  std::printf("capture to callback: median %.1f ms, 99th percentile %.1f ms\n", Percentile(delays, 0.5),
              Percentile(delays, 0.99));
  return 0;
}
