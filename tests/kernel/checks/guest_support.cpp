#include "guest_support.h"

#include <QFile>
#include <QTextStream>

#include "camera_model.h"
#include "frame_pattern.h"
#include "platform/graph/media_format.h"
#include "platform/graph/v4l2/v4l2_device_provider.h"
#include "support/wait.h"

namespace guest {

namespace {
QString StatePath(const QString& name) { return qEnvironmentVariable("VISTREL_TEST_CAMERA_STATE") + "/" + name; }
}  // namespace

bool TestCamera::Send(const QString& command) {
  QFile fifo(StatePath("ctl"));
  if (!fifo.open(QIODevice::WriteOnly)) return false;
  const QByteArray line = command.toUtf8() + '\n';
  return fifo.write(line) == line.size();
}

QStringList TestCamera::Events() {
  QFile file(StatePath("events"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

bool TestCamera::WaitForEvent(const QString& line, int after, std::chrono::milliseconds timeout) {
  return testsupport::WaitFor([&] { return Events().mid(after).contains(line); }, timeout);
}

std::optional<std::vector<int>> TestCamera::LastCommit() {
  const QStringList events = Events();
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (!it->startsWith("commit ")) continue;
    std::vector<int> fields;
    for (const QString& f : it->split(' ').mid(1)) fields.push_back(f.toInt());
    return fields;
  }
  return std::nullopt;
}

std::unique_ptr<platform::ComFactory> MakeFactory() {
  auto factory = std::make_unique<platform::ComFactory>();
  factory->AddDeviceProvider(std::make_shared<platform::v4l2::V4l2DeviceProvider>());
  return factory;
}

std::shared_ptr<platform::DeviceHandle> FindTestCamera() {
  platform::v4l2::V4l2DeviceProvider provider;
  for (const auto& device : provider.Devices()) {
    if (device->FriendlyName() == QString::fromStdString(testcam::kProduct)) return device;
  }
  return nullptr;
}

std::shared_ptr<platform::DeviceHandle> WaitForTestCamera(std::chrono::milliseconds timeout) {
  std::shared_ptr<platform::DeviceHandle> found;
  testsupport::WaitFor([&] { return (found = FindTestCamera()) != nullptr; }, timeout);
  return found;
}

int FrameLog::FrameCB(std::uint8_t* pixels, int width, int height, int bitsPerPixel) {
  Entry e{width, height, bitsPerPixel, std::nullopt, std::chrono::steady_clock::now()};
  if (bitsPerPixel == 24) e.counter = testcam::ReadBgrBottomUp(pixels, width, height);
  std::lock_guard lock(m_mutex);
  m_entries.push_back(e);
  ++m_count;
  return 0;
}

std::vector<FrameLog::Entry> FrameLog::Take() {
  std::lock_guard lock(m_mutex);
  m_count = 0;
  return std::exchange(m_entries, {});
}

Graph::Graph(platform::ComFactory& f, std::shared_ptr<IBaseFilter> src) : factory(f), source(std::move(src)) {
  factory.CreateCaptureGraphBuilder(builder);
  factory.CreateFilterGraph(graph);
  control = QueryInterface<IMediaControl>(graph);
  if (builder && graph) builder->SetFiltergraph(graph);
  factory.CreateFrameGrabber(grabber);
  factory.CreateNullRenderer(renderer);
  factory.CreateSampleGrabber(stillGrabber);
  factory.CreateNullRenderer(stillRenderer);
  if (auto callback = QueryInterface<IFrameGrabberCallback>(grabber)) callback->SetCallback(&frames);
  if (auto still = QueryInterface<ISampleGrabber>(stillGrabber)) {
    still->SetBufferSamples(true);
    still->SetOneShot(false);
    still->SetCallback(&stills, 1);
  }
  if (graph) {
    graph->AddFilter(grabber, "KT Sample grabber");
    graph->AddFilter(renderer, "Null Renderer");
    graph->AddFilter(stillGrabber, "SG Grabber");
    graph->AddFilter(stillRenderer, "Null Renderer2");
    graph->AddFilter(source, "Camera");
  }
}

Graph::~Graph() {
  Stop();
  if (auto callback = QueryInterface<IFrameGrabberCallback>(grabber)) callback->SetCallback(nullptr);
  if (auto still = QueryInterface<ISampleGrabber>(stillGrabber)) still->SetCallback(nullptr, 1);
}

bool Graph::SelectCapability(int index, int& width, int& height) {
  std::shared_ptr<IAMStreamConfig> config;
  if (FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source, config)) || !config) return false;
  std::vector<std::uint8_t> caps(kStreamConfigCapsSize);
  AM_MEDIA_TYPE mt;
  if (FAILED(config->GetStreamCaps(index, mt, caps.data()))) return false;
  if (FAILED(config->SetFormat(mt))) return false;
  AM_MEDIA_TYPE current;
  return SUCCEEDED(config->GetFormat(current)) && platform::FrameSizeOf(current, width, height);
}

bool Graph::Connect() {
  const HRESULT capture =
      builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, source, grabber, renderer);
  if (FAILED(capture)) return false;
  return SUCCEEDED(builder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, source, stillGrabber, stillRenderer));
}

bool Graph::Run() { return control && SUCCEEDED(control->Run()); }

void Graph::Stop() {
  if (control) control->Stop();
}

}  // namespace guest
