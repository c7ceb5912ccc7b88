#include "graph_test_support.h"

#include <gtest/gtest.h>

namespace graphtest {

int FrameCounter::FrameCB(std::uint8_t* pixels, int w, int h, int bitsPerPixel) {
  if (stopped) ++framesAfterStop;
  width = w;
  height = h;
  bpp = bitsPerPixel;
  firstBlue = pixels[0];
  ++frames;
  return 0;
}

HRESULT StillCounter::SampleCB(double, IMediaSample* sample) {
  lastLength = sample->GetActualDataLength();
  ++samples;
  return S_OK;
}

HRESULT StillCounter::BufferCB(double, std::uint8_t*, long length) {
  lastLength = length;
  ++buffers;
  return S_OK;
}

AppGraph::AppGraph(FakeOptions options, std::optional<platform::FrameGrabberOptions> grabberOptions)
    : device(std::make_shared<FakeSourceDevice>(std::move(options))) {
  EXPECT_EQ(factory.CreateCaptureGraphBuilder(builder), S_OK);
  EXPECT_EQ(factory.CreateFilterGraph(graph), S_OK);
  control = QueryInterface<IMediaControl>(graph);
  EXPECT_EQ(builder->SetFiltergraph(graph), S_OK);
  source = CreateCaptureSourceFilter(device);
  if (grabberOptions) {
    grabber = platform::FrameGrabber::Create(*grabberOptions);
  } else {
    EXPECT_EQ(factory.CreateFrameGrabber(grabber), S_OK);
  }
  EXPECT_EQ(graph->AddFilter(grabber, "KT Sample grabber"), S_OK);
  auto callback = QueryInterface<IFrameGrabberCallback>(grabber);
  EXPECT_TRUE(callback);
  if (callback) callback->SetCallback(&frames);
  EXPECT_EQ(factory.CreateNullRenderer(nullRenderer), S_OK);
  EXPECT_EQ(factory.CreateNullRenderer(nullRenderer2), S_OK);
  EXPECT_EQ(graph->AddFilter(nullRenderer, "Null Renderer"), S_OK);
  EXPECT_EQ(graph->AddFilter(nullRenderer2, "Null Renderer2"), S_OK);
  EXPECT_EQ(graph->AddFilter(source, device->FriendlyName()), S_OK);
}

AppGraph::~AppGraph() {
  if (control) control->Stop();
  if (auto callback = QueryInterface<IFrameGrabberCallback>(grabber)) callback->SetCallback(nullptr);
  if (auto still = QueryInterface<ISampleGrabber>(stillGrabber)) still->SetCallback(nullptr, 1);
}

HRESULT AppGraph::ConnectCapture() {
  HRESULT hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, source, grabber, nullRenderer);
  if (hr != S_OK && hr != VFW_S_NOPREVIEWPIN) {
    hr = builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, source, grabber, nullRenderer);
  }
  return hr;
}

HRESULT AppGraph::ConnectStill() {
  EXPECT_EQ(factory.CreateSampleGrabber(stillGrabber), S_OK);
  EXPECT_EQ(graph->AddFilter(stillGrabber, "SG Grabber"), S_OK);
  auto sampleGrabber = QueryInterface<ISampleGrabber>(stillGrabber);
  sampleGrabber->SetBufferSamples(true);
  sampleGrabber->SetOneShot(false);
  sampleGrabber->SetCallback(&stills, 1);
  HRESULT hr = builder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Interleaved, source, stillGrabber, nullRenderer2);
  if (FAILED(hr)) hr = builder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, source, stillGrabber, nullRenderer2);
  return hr;
}

std::shared_ptr<IPin> AppGraph::PinOf(const std::shared_ptr<IBaseFilter>& filter, const QString& name) const {
  std::vector<std::shared_ptr<IPin>> pins;
  filter->EnumPins(pins);
  for (const auto& pin : pins) {
    PIN_INFO info;
    pin->QueryPinInfo(info);
    if (info.achName == name) return pin;
  }
  return nullptr;
}

}  // namespace graphtest
