// The capture graph on the virtual camera: filters and names, pins the camera lacks,
// the resolution lists of both modes, the stored format and the power-line frequency.
#include <gtest/gtest.h>

#include <QStringList>

#include "platform/graph/com_factory.h"
#include "platform/profile/profile.h"
#include "support/session_fixture.h"

namespace {

using platform::Capability;
using platform::VirtualCameraOptions;
using platform::WireFormat;

QStringList FilterNames(IGraphBuilder* graph) {
  QStringList names;
  std::vector<std::shared_ptr<IBaseFilter>> filters;
  if (!graph || FAILED(graph->EnumFilters(filters))) return names;
  for (const auto& filter : filters) {
    FILTER_INFO info;
    if (SUCCEEDED(filter->QueryFilterInfo(info))) names << info.achName;
  }
  names.sort();
  return names;
}

// The sizes listed in one family, in list order.
QStringList Sizes(const ResolutionModel& model, FormatFamily family) {
  QStringList sizes;
  for (const ResolutionEntry& e : model.entries) {
    if (e.family == family) sizes << QStringLiteral("%1 X %2").arg(e.width).arg(e.height);
  }
  return sizes;
}

QStringList SortedNames(QStringList names) {
  names.sort();
  return names;
}

class CaptureGraph : public testsupport::SessionTest {};

TEST_F(CaptureGraph, BuildConnectAndDisconnectNameTheFilters) {
  OpenWithCamera();
  const CaptureGraphState& g = session->m_graph;
  ASSERT_TRUE(g.m_bGraphConnected);
  ASSERT_TRUE(g.m_bPreviewing);
  EXPECT_EQ(g.m_szDeviceName, platform::VirtualCamera::kFriendlyName);
  EXPECT_EQ(FilterNames(g.m_pGraph.get()),
            SortedNames({"KT Sample grabber", "Null Renderer", "Null Renderer2", "SG Grabber",
                         platform::VirtualCamera::kFriendlyName}));
  ASSERT_TRUE(WaitForFrame());

  session->StopPreview();
  session->DisconnectGraph();
  EXPECT_FALSE(g.m_bGraphConnected);
  EXPECT_EQ(g.m_pStillGrabber, nullptr);
  EXPECT_EQ(FilterNames(g.m_pGraph.get()),
            SortedNames({"Capture source", "KT Sample grabber", "Null renderer", "Null renderer2"}));

  // Connected and running again, ready for another format.
  ASSERT_TRUE(session->ConnectGraph());
  ASSERT_TRUE(session->StartPreview());
  EXPECT_TRUE(FilterNames(g.m_pGraph.get()).contains("SG Grabber"));

  session->StopPreview();
  session->DisconnectGraph();
  session->ReleaseGraph();
  EXPECT_EQ(g.m_pGraph, nullptr);
  EXPECT_EQ(g.m_pSourceFilter, nullptr);
  EXPECT_EQ(g.m_pCaptureBuilder, nullptr);
}

TEST_F(CaptureGraph, CameraWithoutPreviewPinConnectsThroughTheSplitter) {
  VirtualCameraOptions options;
  options.previewPin = false;
  OpenWithCamera(options);
  EXPECT_TRUE(session->m_graph.m_bPreviewing);
  EXPECT_TRUE(FilterNames(session->m_graph.m_pGraph.get()).contains("Smart Tee"));
  EXPECT_TRUE(WaitForFrame());
}

TEST_F(CaptureGraph, CameraWithoutStillPinConnects) {
  VirtualCameraOptions options;
  options.stillPin = false;
  OpenWithCamera(options);
  EXPECT_TRUE(session->m_graph.m_bGraphConnected);
  EXPECT_TRUE(session->m_graph.m_bPreviewing);
  EXPECT_TRUE(WaitForFrame());
}

TEST_F(CaptureGraph, WithoutStreamConfigurationTheCameraRunsAtItsOwnSizeAndListsStay) {
  VirtualCameraOptions options;
  options.streamConfig = false;
  options.capabilities = {Capability{WireFormat::YUY2, 320, 240, false}, Capability{WireFormat::YUY2, 320, 240, true}};
  OpenWithCamera(options);
  EXPECT_EQ(session->m_graph.m_pStreamConfig, nullptr);
  EXPECT_TRUE(session->m_graph.m_bPreviewing);
  EXPECT_EQ(reports.listChanges, 0);
  EXPECT_FALSE(reports.lists.marked.has_value());
  EXPECT_EQ(profile::getString(files.m_strLngPath, "WndMessage", "NOSUPPORT", ""),
            QString::fromUtf8("没有找到VCapture:IAMStreamConfig接口"));
  ASSERT_TRUE(WaitForFrame());
  // The first frame decides the size.
  EXPECT_EQ(session->m_view.m_nVideoWidth, 320);
  EXPECT_EQ(session->m_view.m_nVideoHeight, 240);
}

TEST_F(CaptureGraph, ServiceModeListsEveryCapabilityBySubtype) {
  OpenWithCamera({}, true);
  const QStringList sizes{"640 X 480", "1280 X 720", "1920 X 1080", "3840 X 2160"};
  EXPECT_TRUE(reports.lists.grouped);
  EXPECT_EQ(Sizes(reports.lists, FormatFamily::Yuv), sizes);
  EXPECT_EQ(Sizes(reports.lists, FormatFamily::Mjpg), sizes);
  EXPECT_EQ(session->m_graph.m_nYuvFormatCount, 4);
  // The YUV family and its first entry carry the mark.
  ASSERT_TRUE(reports.lists.marked.has_value());
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Yuv, 0}));
}

TEST_F(CaptureGraph, NormalModeListsTheYuvFamilyFlat) {
  OpenWithCamera();
  // Eight YUY2 capabilities, each size twice: the VIDEOINFOHEADER2 ones get no entry.
  EXPECT_FALSE(reports.lists.grouped);
  EXPECT_EQ(Sizes(reports.lists, FormatFamily::Yuv),
            (QStringList{"640 X 480", "1280 X 720", "1920 X 1080", "3840 X 2160"}));
  EXPECT_EQ(reports.lists.entries.size(), 4u);
  EXPECT_EQ(session->m_graph.m_nYuvFormatCount, 4);
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Yuv, 0}));
}

TEST_F(CaptureGraph, StoredFormatIndexTwoSelectsCapabilityFour) {
  CreateWithCamera();
  WriteCameraFlash(0x1C00, {2});  // the default block's format index
  ASSERT_TRUE(session->OpenFirstCamera());
  const platform::Capability format = camera->CurrentFormat();
  EXPECT_EQ(format.format, WireFormat::YUY2);
  EXPECT_EQ(format.width, 1920);
  EXPECT_EQ(format.height, 1080);
  EXPECT_EQ(session->m_view.m_nVideoWidth, 1920);
  EXPECT_EQ(session->m_view.m_nVideoHeight, 1080);
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Yuv, 2}));
}

TEST_F(CaptureGraph, StoredMjpgFormatCountsPastTheYuvList) {
  CreateWithCamera({}, true);
  WriteCameraFlash(0x1C00, {1});  // format index
  WriteCameraFlash(0x1C20, {1});  // MJPG
  ASSERT_TRUE(session->OpenFirstCamera());
  EXPECT_EQ(camera->CurrentFormat().format, WireFormat::MJPG);
  EXPECT_EQ(camera->CurrentFormat().width, 1280);
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Mjpg, 1}));
}

TEST_F(CaptureGraph, PanCentreFollowsTheChosenFormat) {
  CreateWithCamera();
  WriteCameraFlash(0x1C0E, {0x00, 50, 0});  // pan offset x 0.5
  WriteCameraFlash(0x1C11, {0x00, 25, 0});  // pan offset y 0.25
  ASSERT_TRUE(session->OpenFirstCamera());
  EXPECT_EQ(session->m_view.m_nPanX, 480);  // (0.5 + 1) × 640 × 0.5
  EXPECT_EQ(session->m_view.m_nPanY, 180);  // 480 − (0.25 + 1) × 480 × 0.5
}

TEST_F(CaptureGraph, PowerLineIsSentOnlyOnceAFrameHasArrived) {
  OpenWithCamera();
  long value = -1;
  long flags = 0;
  // Nothing stored: the first build marks the camera's own frequency (50 Hz) and sends
  // nothing before a frame.
  EXPECT_EQ(reports.powerLine, 1);
  EXPECT_TRUE(reports.powerLineAvailable);
  EXPECT_EQ(session->m_camera.m_nPowerLineFreq, 1);
  ASSERT_EQ(camera->Get(platform::PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, value, flags),
            S_OK);
  EXPECT_EQ(value, 1);  // the camera's own default, untouched

  ASSERT_TRUE(WaitForFrame());
  session->SetPowerLine60Hz();
  ASSERT_EQ(camera->Get(platform::PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, value, flags),
            S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(session->m_camera.m_nPowerLineFreq, 2);
  session->SetPowerLine50Hz();
  ASSERT_EQ(camera->Get(platform::PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, value, flags),
            S_OK);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(reports.powerLine, 1);
}

TEST_F(CaptureGraph, FailedBuildLeavesNoGraphAndSaysWhy) {
  // A camera that cannot be opened: the source filter is missing.
  auto provider = std::make_shared<testsupport::ScriptedDeviceProvider>();
  provider->devices.push_back(std::make_shared<testsupport::NamedDevice>("Cam", "dead"));
  auto backend = std::make_shared<testsupport::ScriptedAlcBackend>();
  backend->ids = {{0x1234, 0x5678}};
  alc::InstallBackend(backend);
  PlatformServices services;
  services.usbDevices = std::make_shared<testsupport::ScriptedUsbSource>(
      std::vector<platform::UsbDeviceEntry>{{"USB\\VID_1234&PID_5678\\1", "Cam"}});
  services.com = std::make_shared<platform::ComFactory>();
  services.com->AddDeviceProvider(provider);
  Open(false, services);
  EXPECT_FALSE(opened);
  EXPECT_EQ(cameras->m_nCameraCount, 1);
  EXPECT_EQ(session->m_graph.m_pGraph, nullptr);
  EXPECT_FALSE(session->m_graph.m_bPreviewing);
  EXPECT_EQ(profile::getString(files.m_strLngPath, "WndMessage", "NOOPENSOURCE", ""),
            QString::fromUtf8("错误：不能打开视频源！"));
}

}  // namespace
