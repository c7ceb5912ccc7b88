#include "platform/graph/com_factory.h"

#include "platform/graph/capture_graph_builder.h"
#include "platform/graph/filter_graph.h"
#include "platform/graph/frame_grabber.h"
#include "platform/graph/null_renderer.h"
#include "platform/graph/sample_grabber.h"
#include "platform/graph/system_device_enum.h"

namespace platform {

ComFactory::ComFactory() = default;
ComFactory::~ComFactory() = default;

HRESULT ComFactory::CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>& builder) {
  builder = std::make_shared<CaptureGraphBuilder>();
  return S_OK;
}

HRESULT ComFactory::CreateFilterGraph(std::shared_ptr<IGraphBuilder>& graph) {
  graph = std::make_shared<FilterGraph>();
  return S_OK;
}

HRESULT ComFactory::CreateNullRenderer(std::shared_ptr<IBaseFilter>& filter) {
  filter = NullRenderer::Create();
  return S_OK;
}

HRESULT ComFactory::CreateSampleGrabber(std::shared_ptr<IBaseFilter>& filter) {
  filter = SampleGrabber::Create();
  return S_OK;
}

HRESULT ComFactory::CreateFrameGrabber(std::shared_ptr<IBaseFilter>& filter) {
  filter = FrameGrabber::Create();
  return S_OK;
}

HRESULT ComFactory::CreateSystemDeviceEnum(std::shared_ptr<ICreateDevEnum>& devEnum) {
  devEnum = std::make_shared<SystemDeviceEnum>(m_providers);
  return S_OK;
}

void ComFactory::AddDeviceProvider(std::shared_ptr<DeviceProvider> provider) {
  if (provider) m_providers.push_back(std::move(provider));
}

}  // namespace platform
