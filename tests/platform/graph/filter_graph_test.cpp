#include <gtest/gtest.h>

#include "graph_test_support.h"
#include "platform/graph/base_filter.h"
#include "platform/graph/sample_grabber.h"
#include "support/wait.h"
#include "test_pictures.h"

using namespace graphtest;
using platform::Capability;
using platform::WireFormat;

namespace {

QString NameOf(const std::shared_ptr<IBaseFilter>& filter, IGraphBuilder** graph = nullptr) {
  FILTER_INFO info;
  filter->QueryFilterInfo(info);
  if (graph) *graph = info.pGraph;
  return info.achName;
}

bool IsRunning(const std::shared_ptr<IBaseFilter>& filter) {
  const auto base = std::dynamic_pointer_cast<platform::BaseFilter>(filter);
  return base && base->IsRunning();
}

// What the capture code does to take the streams apart: for every pin connected
// to another filter's input, first that filter's own downstream part, then both
// sides of the connection, then the filter itself.
void RemoveDownstream(IGraphBuilder& graph, const std::shared_ptr<IBaseFilter>& filter) {
  std::vector<std::shared_ptr<IPin>> pins;
  filter->EnumPins(pins);
  for (const auto& pin : pins) {
    std::shared_ptr<IPin> peer;
    if (FAILED(pin->ConnectedTo(peer))) continue;
    PIN_DIRECTION dir;
    peer->QueryDirection(dir);
    if (dir != PINDIR_INPUT) continue;
    PIN_INFO info;
    peer->QueryPinInfo(info);
    RemoveDownstream(graph, info.pFilter);
    EXPECT_EQ(graph.Disconnect(peer), S_OK);
    EXPECT_EQ(graph.Disconnect(pin), S_OK);
    EXPECT_EQ(graph.RemoveFilter(info.pFilter), S_OK);
  }
}

}  // namespace

TEST(FilterGraph, FiltersAreHeldByUniqueNameInTheOrderAdded) {
  AppGraph app;
  std::shared_ptr<IBaseFilter> another;
  app.factory.CreateNullRenderer(another);
  EXPECT_EQ(app.graph->AddFilter(another, "Null Renderer"), VFW_E_DUPLICATE_NAME);
  IGraphBuilder* graph = nullptr;
  EXPECT_EQ(NameOf(another, &graph), "");
  EXPECT_EQ(graph, nullptr);

  std::vector<std::shared_ptr<IBaseFilter>> filters;
  app.graph->EnumFilters(filters);
  ASSERT_EQ(filters.size(), 4u);
  EXPECT_EQ(filters[0], app.grabber);
  EXPECT_EQ(filters[3], app.source);
  EXPECT_EQ(NameOf(app.source, &graph), "Fake Camera");
  EXPECT_EQ(graph, app.graph.get());

  // A filter in one graph joins no other; removed, its name is free again.
  std::shared_ptr<IGraphBuilder> other;
  app.factory.CreateFilterGraph(other);
  EXPECT_TRUE(FAILED(other->AddFilter(app.nullRenderer, "Elsewhere")));
  EXPECT_EQ(app.graph->RemoveFilter(app.nullRenderer), S_OK);
  EXPECT_EQ(app.graph->RemoveFilter(app.nullRenderer), VFW_E_NOT_IN_GRAPH);
  EXPECT_EQ(NameOf(app.nullRenderer, &graph), "");
  EXPECT_EQ(app.graph->AddFilter(another, "Null Renderer"), S_OK);
  std::shared_ptr<IBaseFilter> found;
  EXPECT_EQ(app.graph->FindFilterByName("Null Renderer", found), S_OK);
  EXPECT_EQ(found, another);
}

TEST(FilterGraph, DisconnectBreaksOneSideAndRemoveFilterBoth) {
  AppGraph app;
  ASSERT_EQ(app.ConnectCapture(), S_OK);
  const auto grabberOut = app.PinOf(app.grabber, "Output");
  const auto rendererIn = app.PinOf(app.nullRenderer, "In");
  EXPECT_EQ(app.graph->Disconnect(rendererIn), S_OK);
  std::shared_ptr<IPin> peer;
  EXPECT_EQ(rendererIn->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(grabberOut->ConnectedTo(peer), S_OK);
  EXPECT_EQ(peer, rendererIn);
  EXPECT_EQ(app.graph->Disconnect(rendererIn), S_FALSE);

  EXPECT_EQ(app.graph->RemoveFilter(app.grabber), S_OK);
  EXPECT_EQ(grabberOut->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(app.PinOf(app.source, "Preview")->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
}

TEST(FilterGraph, StreamsTakenApartAndRenderedAgainUnderOtherNamesWithANewFormat) {
  AppGraph app(Without(&FakeOptions::previewPin));
  ASSERT_EQ(app.ConnectCapture(), VFW_S_NOPREVIEWPIN);
  ASSERT_EQ(app.ConnectStill(), S_OK);
  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 0; }));
  ASSERT_EQ(app.control->Stop(), S_OK);

  for (const auto& f : {app.source, app.grabber, app.stillGrabber, app.nullRenderer, app.nullRenderer2}) {
    RemoveDownstream(*app.graph, f);
  }
  for (const auto& f : {app.source, app.grabber, app.stillGrabber, app.nullRenderer, app.nullRenderer2}) {
    app.graph->RemoveFilter(f);
  }
  std::vector<std::shared_ptr<IBaseFilter>> filters;
  app.graph->EnumFilters(filters);
  EXPECT_TRUE(filters.empty());  // the tee went with the downstream walk
  app.stillGrabber.reset();
  EXPECT_EQ(app.graph->AddFilter(app.nullRenderer, "Null renderer"), S_OK);
  EXPECT_EQ(app.graph->AddFilter(app.nullRenderer2, "Null renderer2"), S_OK);
  EXPECT_EQ(app.graph->AddFilter(app.grabber, "KT Sample grabber"), S_OK);
  EXPECT_EQ(app.graph->AddFilter(app.source, "Capture source"), S_OK);

  // A new format while disconnected: MJPEG frames from now on.
  std::shared_ptr<IAMStreamConfig> config;
  ASSERT_EQ(app.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, app.source, config), S_OK);
  AM_MEDIA_TYPE mjpg;
  std::uint8_t caps[128];
  ASSERT_EQ(config->GetStreamCaps(2, mjpg, caps), S_OK);
  ASSERT_EQ(config->SetFormat(mjpg), S_OK);
  app.device->SetFrame(MakeJpeg(160, 120, [](int, int) { return Bgr{200, 100, 50}; }), WireFormat::MJPG, 160, 120);

  EXPECT_EQ(app.ConnectCapture(), VFW_S_NOPREVIEWPIN);
  EXPECT_EQ(app.ConnectStill(), S_OK);
  app.frames.frames = 0;
  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 0; }));
  EXPECT_NEAR(app.frames.firstBlue.load(), 200, 8);
  app.device->PressStill();
  EXPECT_TRUE(testsupport::WaitFor([&] { return app.stills.buffers == 1; }));
}

TEST(FilterGraph, NoFrameReachesTheCallbackAfterStopReturns) {
  AppGraph app;
  ASSERT_EQ(app.ConnectCapture(), S_OK);
  for (int round = 0; round < 3; ++round) {
    app.frames.stopped = false;
    const long before = app.frames.frames;
    ASSERT_EQ(app.control->Run(), S_OK);
    EXPECT_TRUE(IsRunning(app.grabber));
    ASSERT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > before + 2; }));
    ASSERT_EQ(app.control->Stop(), S_OK);
    app.frames.stopped = true;
    EXPECT_FALSE(app.device->IsStreaming());
    EXPECT_FALSE(IsRunning(app.source));
  }
  // A late frame would have to come within this time.
  EXPECT_FALSE(testsupport::WaitFor([&] { return app.frames.framesAfterStop > 0; }, std::chrono::milliseconds(100)));
}

TEST(FilterGraph, RunFailsAndLeavesEverythingStoppedWhenTheCameraCannotStart) {
  AppGraph app;
  ASSERT_EQ(app.ConnectCapture(), S_OK);
  app.device->FailStart(true);
  EXPECT_TRUE(FAILED(app.control->Run()));
  for (const auto& f : {app.source, app.grabber, app.nullRenderer}) EXPECT_FALSE(IsRunning(f));
  app.device->FailStart(false);
  EXPECT_EQ(app.control->Run(), S_OK);
  EXPECT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 0; }));
}

TEST(FilterGraph, ALostCameraDeliversNoMoreFrames) {
  FakeOptions options;
  options.framesAfterLoss = true;
  AppGraph app(options);
  ASSERT_EQ(app.ConnectCapture(), S_OK);
  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 0; }));
  app.device->Lose();
  // The camera goes on sending; none of it may come through.
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.device->FramesSent() > 3; }));
  const long sentAtLoss = app.device->FramesSent();
  const long seen = app.frames.frames;
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.device->FramesSent() > sentAtLoss + 3; }));
  EXPECT_EQ(app.frames.frames, seen);
}

TEST(SampleGrabber, CallbackModesBufferingAndOneShot) {
  AppGraph app;
  std::shared_ptr<IBaseFilter> filter;
  app.factory.CreateSampleGrabber(filter);
  app.graph->AddFilter(filter, "Grabber");
  auto grabber = QueryInterface<ISampleGrabber>(filter);
  auto* concrete = dynamic_cast<platform::SampleGrabber*>(filter.get());
  ASSERT_TRUE(grabber && concrete);
  AM_MEDIA_TYPE yuy2;
  yuy2.majortype = MEDIATYPE_Video;
  yuy2.subtype = MEDIASUBTYPE_YUY2;
  EXPECT_EQ(grabber->SetMediaType(yuy2), S_OK);
  EXPECT_EQ(grabber->SetCallback(&app.stills, 2), E_INVALIDARG);
  grabber->SetCallback(&app.stills, 0);
  grabber->SetBufferSamples(true);
  grabber->SetOneShot(true);
  ASSERT_EQ(app.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, app.source, filter, app.nullRenderer),
            S_OK);
  long size = 0;
  EXPECT_EQ(concrete->GetCurrentBuffer(&size, nullptr), E_UNEXPECTED);

  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.device->FramesSent() > 3; }));
  app.control->Stop();
  EXPECT_EQ(app.stills.samples, 1);  // one shot
  EXPECT_EQ(app.stills.lastLength, 160 * 120 * 2);
  EXPECT_EQ(concrete->GetCurrentBuffer(&size, nullptr), S_OK);
  EXPECT_EQ(size, 160 * 120 * 2);
  std::vector<std::uint8_t> copy(static_cast<std::size_t>(size));
  EXPECT_EQ(concrete->GetCurrentBuffer(&size, copy.data()), S_OK);
  EXPECT_EQ(copy[0], 0x80);

  grabber->SetOneShot(false);
  grabber->SetCallback(nullptr, 0);
  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.device->FramesSent() > 3; }));
  app.control->Stop();
  EXPECT_EQ(app.stills.samples, 1);  // no callback any more
}
