// Creation of the graph objects by class: what a media framework's object factory
// does elsewhere. The capture code creates everything through one factory, so tests
// can hand it one that fails at a chosen step.
#pragma once

#include <memory>
#include <vector>

#include "interfaces.h"
#include "source_device.h"

namespace platform {

class ComFactory {
 public:
  ComFactory();
  virtual ~ComFactory();

  virtual HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>& builder);
  virtual HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>& graph);
  virtual HRESULT CreateNullRenderer(std::shared_ptr<IBaseFilter>& filter);
  virtual HRESULT CreateSampleGrabber(std::shared_ptr<IBaseFilter>& filter);
  // The frame grabber filter (class CLSID_KtSampleGrabber).
  virtual HRESULT CreateFrameGrabber(std::shared_ptr<IBaseFilter>& filter);
  // The system device enumerator over the providers added below.
  virtual HRESULT CreateSystemDeviceEnum(std::shared_ptr<ICreateDevEnum>& devEnum);

  // Capture devices are listed provider by provider, in the order added.
  void AddDeviceProvider(std::shared_ptr<DeviceProvider> provider);

 private:
  std::vector<std::shared_ptr<DeviceProvider>> m_providers;
};

}  // namespace platform
