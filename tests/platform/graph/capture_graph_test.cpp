#include <gtest/gtest.h>

#include "graph_test_support.h"
#include "platform/graph/media_format.h"
#include "test_pictures.h"
#include "support/wait.h"

using namespace graphtest;
using platform::Capability;
using platform::WireFormat;

namespace {

bool ConnectedTo(const std::shared_ptr<IPin>& a, const std::shared_ptr<IPin>& b) {
  std::shared_ptr<IPin> peer;
  return a && SUCCEEDED(a->ConnectedTo(peer)) && peer == b;
}

}  // namespace

TEST(CaptureGraph, CaptureRenderFailsThenPreviewRenderConnectsAndFramesFlow) {
  AppGraph app;
  EXPECT_TRUE(FAILED(
      app.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, app.source, app.grabber, app.nullRenderer)));
  EXPECT_EQ(app.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, app.source, app.grabber, app.nullRenderer),
            S_OK);
  EXPECT_TRUE(ConnectedTo(app.PinOf(app.source, "Preview"), app.PinOf(app.grabber, "Input")));
  EXPECT_TRUE(ConnectedTo(app.PinOf(app.grabber, "Output"), app.PinOf(app.nullRenderer, "In")));
  std::shared_ptr<IPin> peer;
  EXPECT_EQ(app.PinOf(app.source, "Capture")->ConnectedTo(peer), VFW_E_NOT_CONNECTED);

  EXPECT_EQ(app.ConnectStill(), S_OK);
  EXPECT_TRUE(ConnectedTo(app.PinOf(app.source, "Still"), app.PinOf(app.stillGrabber, "Input")));

  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 2; }));
  EXPECT_EQ(app.frames.width, 160);
  EXPECT_EQ(app.frames.height, 120);
  EXPECT_EQ(app.frames.bpp, 24);

  // The still stream reaches BufferCB once per press; a still sample has no pixels.
  app.device->PressStill();
  app.device->PressStill();
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.stills.buffers == 2; }));
  EXPECT_EQ(app.stills.lastLength, 0);
  EXPECT_EQ(app.stills.samples, 0);
  EXPECT_EQ(app.control->Stop(), S_OK);
}

TEST(CaptureGraph, CameraWithoutPreviewPinIsPreviewedThroughASmartTee) {
  AppGraph app(Without(&FakeOptions::previewPin));
  EXPECT_EQ(app.PinOf(app.source, "Preview"), nullptr);
  EXPECT_EQ(app.ConnectCapture(), VFW_S_NOPREVIEWPIN);

  std::shared_ptr<IBaseFilter> tee;
  ASSERT_EQ(app.graph->FindFilterByName("Smart Tee", tee), S_OK);
  EXPECT_TRUE(ConnectedTo(app.PinOf(app.source, "Capture"), app.PinOf(tee, "Input")));
  EXPECT_TRUE(ConnectedTo(app.PinOf(tee, "Preview"), app.PinOf(app.grabber, "Input")));
  // The tee's capture output stays free for a capture render.
  std::shared_ptr<IBaseFilter> renderer;
  app.factory.CreateNullRenderer(renderer);
  app.graph->AddFilter(renderer, "Capture sink");
  EXPECT_EQ(app.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, app.source, nullptr, renderer), S_OK);
  EXPECT_TRUE(ConnectedTo(app.PinOf(tee, "Capture"), app.PinOf(renderer, "In")));

  ASSERT_EQ(app.control->Run(), S_OK);
  EXPECT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 2; }));
}

TEST(CaptureGraph, StillRendersFailQuietlyWithoutStillPinAndTheGraphStillRuns) {
  AppGraph app(Without(&FakeOptions::stillPin));
  EXPECT_EQ(app.ConnectCapture(), S_OK);
  EXPECT_TRUE(FAILED(app.ConnectStill()));
  for (const char* pin : {"Input", "Output"}) {
    std::shared_ptr<IPin> peer;
    EXPECT_EQ(app.PinOf(app.stillGrabber, pin)->ConnectedTo(peer), VFW_E_NOT_CONNECTED) << pin;
  }
  ASSERT_EQ(app.control->Run(), S_OK);
  EXPECT_TRUE(testsupport::WaitFor([&] { return app.frames.frames > 2; }));
}

TEST(CaptureGraph, FindInterfaceFindsTheCapturePinsStreamConfigByVideoType) {
  AppGraph app;
  std::shared_ptr<IAMStreamConfig> config;
  EXPECT_TRUE(FAILED(app.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, app.source, config)));
  EXPECT_FALSE(config);
  EXPECT_EQ(app.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, app.source, config), S_OK);
  EXPECT_TRUE(config);
  EXPECT_TRUE(FAILED(app.builder->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, app.source, config)));

  AppGraph plain(Without(&FakeOptions::streamConfig));
  EXPECT_EQ(plain.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, plain.source, config), E_NOINTERFACE);
  EXPECT_FALSE(config);
  // Without stream configuration the camera still connects and runs at its own format.
  EXPECT_EQ(plain.ConnectCapture(), S_OK);
  ASSERT_EQ(plain.control->Run(), S_OK);
  EXPECT_TRUE(testsupport::WaitFor([&] { return plain.frames.frames > 0; }));
}

TEST(CaptureGraph, FailedRendersUndoWhatTheyConnectedOrInserted) {
  AppGraph app(Without(&FakeOptions::previewPin));
  std::shared_ptr<ICaptureGraphBuilder2> lone;
  app.factory.CreateCaptureGraphBuilder(lone);
  EXPECT_EQ(lone->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, app.source, app.grabber, app.nullRenderer),
            E_UNEXPECTED);
  std::shared_ptr<IBaseFilter> outsider;
  app.factory.CreateNullRenderer(outsider);
  EXPECT_EQ(app.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, app.source, app.grabber, outsider),
            VFW_E_NOT_IN_GRAPH);

  // A sink that refuses the frames: the tee and the first connections are taken back.
  std::shared_ptr<IBaseFilter> picky;
  app.factory.CreateSampleGrabber(picky);
  AM_MEDIA_TYPE audio;
  audio.majortype = GUID{0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  QueryInterface<ISampleGrabber>(picky)->SetMediaType(audio);
  app.graph->AddFilter(picky, "Picky");
  EXPECT_EQ(app.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, app.source, app.grabber, picky),
            VFW_E_CANNOT_CONNECT);
  std::shared_ptr<IBaseFilter> tee;
  EXPECT_TRUE(FAILED(app.graph->FindFilterByName("Smart Tee", tee)));
  std::shared_ptr<IPin> peer;
  EXPECT_EQ(app.PinOf(app.source, "Capture")->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(app.PinOf(app.grabber, "Input")->ConnectedTo(peer), VFW_E_NOT_CONNECTED);

  // Afterwards the same filters connect normally, the tee under its usual name.
  EXPECT_EQ(app.ConnectCapture(), VFW_S_NOPREVIEWPIN);
  EXPECT_EQ(app.graph->FindFilterByName("Smart Tee", tee), S_OK);
}

TEST(StreamConfig, CapabilityRecordsFormatsAndSelection) {
  AppGraph app;
  std::shared_ptr<IAMStreamConfig> config;
  ASSERT_EQ(app.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, app.source, config), S_OK);
  int count = 0;
  int size = 0;
  ASSERT_EQ(config->GetNumberOfCapabilities(count, size), S_OK);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(size, 128);

  std::vector<AM_MEDIA_TYPE> types(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::uint8_t caps[128] = {};
    ASSERT_EQ(config->GetStreamCaps(i, types[i], caps), S_OK);
    // The width at byte 52: the bitmap header's in a VIDEOINFOHEADER, the copy
    // protection flags (0) in a VIDEOINFOHEADER2.
    EXPECT_EQ(platform::ReadInt32(types[i].pbFormat, 52), i % 2 ? 0 : 160) << i;
    if (i % 2 == 0) {
      EXPECT_EQ(platform::ReadInt32(types[i].pbFormat, 56), 120);
    }
  }
  std::uint8_t caps[128];
  AM_MEDIA_TYPE none;
  EXPECT_EQ(config->GetStreamCaps(count, none, caps), S_FALSE);

  // A capability's media type selects that very capability.
  EXPECT_EQ(config->SetFormat(types[2]), S_OK);
  EXPECT_EQ(app.device->CurrentFormat(), (Capability{WireFormat::MJPG, 160, 120, false, 30.0}));
  EXPECT_EQ(config->SetFormat(types[1]), S_OK);
  EXPECT_EQ(app.device->CurrentFormat(), (Capability{WireFormat::YUY2, 160, 120, true, 30.0}));
  AM_MEDIA_TYPE current;
  ASSERT_EQ(config->GetFormat(current), S_OK);
  EXPECT_EQ(current.formattype, FORMAT_VideoInfo);
  EXPECT_EQ(current.subtype, MEDIASUBTYPE_YUY2);
  EXPECT_EQ(platform::ReadInt32(current.pbFormat, 52), 160);

  AM_MEDIA_TYPE unknown = types[0];
  platform::WriteInt32(unknown.pbFormat, 52, 1234);
  EXPECT_TRUE(FAILED(config->SetFormat(unknown)));

  ASSERT_EQ(app.ConnectCapture(), S_OK);
  ASSERT_EQ(app.control->Run(), S_OK);
  EXPECT_EQ(config->SetFormat(types[0]), VFW_E_NOT_STOPPED);
}

TEST(CaptureSource, PropertyInterfacesReachTheCamera) {
  AppGraph app(Without(&FakeOptions::cameraControl));
  auto ks = QueryInterface<IKsPropertySet>(app.source);
  ASSERT_TRUE(ks);
  KSPROPERTY_VIDEOPROCAMP_S record{PROPSETID_VIDCAP_VIDEOPROCAMP, 13, 0, 1, 2, 0, 0};
  EXPECT_EQ(ks->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, 13, &record.Value, 16, &record, sizeof record), S_OK);
  long value = 0;
  long flags = 0;
  EXPECT_EQ(app.device->SetCalls(13, &value, &flags), 1);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(flags, 2);
  // The instance data alone carry the value too.
  record.Value = 2;
  EXPECT_EQ(ks->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, 13, &record.Value, 16, nullptr, 0), S_OK);
  app.device->SetCalls(13, &value, &flags);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(ks->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, 13, nullptr, 0, nullptr, 0), E_INVALIDARG);

  auto procAmp = QueryInterface<IAMVideoProcAmp>(app.source);
  ASSERT_TRUE(procAmp);
  EXPECT_EQ(procAmp->Set(VideoProcAmp_Gain, 77, 2), S_OK);
  EXPECT_EQ(procAmp->Get(VideoProcAmp_Gain, &value, &flags), S_OK);
  EXPECT_EQ(value, 77);
  long min, max, step, def, caps;
  EXPECT_EQ(procAmp->GetRange(VideoProcAmp_Gain, &min, &max, &step, &def, &caps), S_OK);
  EXPECT_EQ(def, 128 + VideoProcAmp_Gain);
  EXPECT_FALSE(QueryInterface<IAMCameraControl>(app.source));
}

TEST(FrameGrabber, PassesConvertedFramesOnAndDropsDamagedOnes) {
  AppGraph app;
  std::shared_ptr<IBaseFilter> sink;
  app.factory.CreateSampleGrabber(sink);
  app.graph->AddFilter(sink, "After grabber");
  StillCounter after;
  QueryInterface<ISampleGrabber>(sink)->SetCallback(&after, 1);
  ASSERT_EQ(app.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, app.source, app.grabber, sink), S_OK);
  AM_MEDIA_TYPE out;
  ASSERT_EQ(app.PinOf(sink, "Input")->ConnectionMediaType(out), S_OK);
  EXPECT_EQ(out.subtype, MEDIASUBTYPE_RGB24);

  auto jpeg = MakeJpeg(160, 120, [](int, int) { return Bgr{0, 0, 255}; });
  jpeg.resize(jpeg.size() / 2);
  app.device->SetFrame(jpeg, WireFormat::MJPG, 160, 120);
  ASSERT_EQ(app.control->Run(), S_OK);
  ASSERT_TRUE(testsupport::WaitFor([&] { return app.device->FramesSent() > 3; }));
  EXPECT_EQ(app.frames.frames, 0);
  EXPECT_EQ(after.buffers, 0);

  app.device->SetFrame(MakeJpeg(160, 120, [](int, int) { return Bgr{0, 0, 255}; }), WireFormat::MJPG, 160, 120);
  ASSERT_TRUE(testsupport::WaitFor([&] { return after.buffers > 0; }));
  EXPECT_EQ(after.lastLength, 160 * 120 * 3);
  EXPECT_GT(app.frames.frames, 0);
  app.control->Stop();
  QueryInterface<ISampleGrabber>(sink)->SetCallback(nullptr, 1);
}
