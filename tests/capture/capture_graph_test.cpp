// The capture graph on the virtual camera: filters and names, pins the camera lacks,
// the resolution lists of both modes, the stored format and the power-line frequency.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStringList>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "platform/graph/com_factory.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"

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

QStringList Texts(const QMenu* menu) {
  QStringList texts;
  if (menu) {
    for (QAction* a : menu->actions()) texts << a->text();
  }
  return texts;
}

QStringList SortedNames(QStringList names) {
  names.sort();
  return names;
}

class CaptureGraph : public testsupport::MainWindowTest {};

TEST_F(CaptureGraph, BuildConnectAndDisconnectNameTheFilters) {
  OpenWithCamera();
  const CaptureGraphState& g = dlg->m_graph;
  ASSERT_TRUE(g.m_bGraphConnected);
  ASSERT_TRUE(g.m_bPreviewing);
  EXPECT_EQ(g.m_szDeviceName, platform::VirtualCamera::kFriendlyName);
  EXPECT_EQ(FilterNames(g.m_pGraph.get()),
            SortedNames({"KT Sample grabber", "Null Renderer", "Null Renderer2", "SG Grabber",
                         platform::VirtualCamera::kFriendlyName}));
  ASSERT_TRUE(WaitForFrame());

  dlg->StopPreview();
  dlg->DisconnectGraph();
  EXPECT_FALSE(g.m_bGraphConnected);
  EXPECT_EQ(g.m_pStillGrabber, nullptr);
  EXPECT_EQ(FilterNames(g.m_pGraph.get()),
            SortedNames({"Capture source", "KT Sample grabber", "Null renderer", "Null renderer2"}));

  // Connected and running again, ready for another format.
  ASSERT_TRUE(dlg->ConnectGraph());
  ASSERT_TRUE(dlg->StartPreview());
  EXPECT_TRUE(FilterNames(g.m_pGraph.get()).contains("SG Grabber"));

  dlg->StopPreview();
  dlg->DisconnectGraph();
  dlg->ReleaseGraph();
  EXPECT_EQ(g.m_pGraph, nullptr);
  EXPECT_EQ(g.m_pSourceFilter, nullptr);
  EXPECT_EQ(g.m_pCaptureBuilder, nullptr);
}

TEST_F(CaptureGraph, CameraWithoutPreviewPinConnectsThroughTheSplitter) {
  VirtualCameraOptions options;
  options.previewPin = false;
  OpenWithCamera(options);
  EXPECT_TRUE(dlg->m_graph.m_bPreviewing);
  EXPECT_TRUE(FilterNames(dlg->m_graph.m_pGraph.get()).contains("Smart Tee"));
  EXPECT_TRUE(WaitForFrame());
}

TEST_F(CaptureGraph, CameraWithoutStillPinConnects) {
  VirtualCameraOptions options;
  options.stillPin = false;
  OpenWithCamera(options);
  EXPECT_TRUE(dlg->m_graph.m_bGraphConnected);
  EXPECT_TRUE(dlg->m_graph.m_bPreviewing);
  EXPECT_TRUE(WaitForFrame());
}

TEST_F(CaptureGraph, WithoutStreamConfigurationTheCameraRunsAtItsOwnSizeAndListsStay) {
  VirtualCameraOptions options;
  options.streamConfig = false;
  options.capabilities = {Capability{WireFormat::YUY2, 320, 240, false}, Capability{WireFormat::YUY2, 320, 240, true}};
  CreateWithCamera(options);
  const QStringList before = Texts(dlg->Menu()->ResolutionMenu());
  dlg->OnInitDialog();
  EXPECT_EQ(dlg->m_graph.m_pStreamConfig, nullptr);
  EXPECT_TRUE(dlg->m_graph.m_bPreviewing);
  EXPECT_EQ(Texts(dlg->Menu()->ResolutionMenu()), before);
  EXPECT_EQ(profile::getString(app->m_strLngPath, "WndMessage", "NOSUPPORT", ""),
            QString::fromUtf8("没有找到VCapture:IAMStreamConfig接口"));
  ASSERT_TRUE(WaitForFrame());
  // The first frame decides the size.
  EXPECT_EQ(dlg->m_view.m_nVideoWidth, 320);
  EXPECT_EQ(dlg->m_view.m_nVideoHeight, 240);
}

TEST_F(CaptureGraph, ServiceModeListsEveryCapabilityBySubtype) {
  OpenWithCamera({}, "-SERVICEMODE=1");
  QMenu* resolution = dlg->Menu()->ResolutionMenu();
  const QStringList sizes{"640 X 480", "1280 X 720", "1920 X 1080"};
  EXPECT_EQ(Texts(MainMenu::SubMenu(resolution, 0)), sizes);
  EXPECT_EQ(Texts(MainMenu::SubMenu(resolution, 1)), sizes);
  EXPECT_EQ(dlg->m_graph.m_nYuvFormatCount, 3);
  EXPECT_NE(dlg->Menu()->Item(cmd::ID_YUV_FIRST + 2), nullptr);
  EXPECT_NE(dlg->Menu()->Item(cmd::ID_MJPG_FIRST + 2), nullptr);
  EXPECT_EQ(dlg->Menu()->Item(cmd::ID_MJPG_FIRST + 3), nullptr);
  // The YUV family and its first entry carry the marks.
  EXPECT_TRUE(resolution->actions()[0]->isChecked());
  EXPECT_FALSE(resolution->actions()[1]->isChecked());
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
}

TEST_F(CaptureGraph, NormalModeListsTheFirstHalfFlat) {
  OpenWithCamera();
  QMenu* resolution = dlg->Menu()->ResolutionMenu();
  // Six YUY2 capabilities, each size twice: the VIDEOINFOHEADER2 ones get no entry.
  EXPECT_EQ(Texts(resolution), (QStringList{"640 X 480", "1280 X 720", "1920 X 1080"}));
  for (QAction* a : resolution->actions()) EXPECT_EQ(a->menu(), nullptr);
  EXPECT_EQ(dlg->m_graph.m_nYuvFormatCount, 3);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
}

TEST_F(CaptureGraph, StoredFormatIndexTwoSelectsCapabilityFour) {
  CreateWithCamera();
  dlg->m_graph.m_nFormatIndex = 2;
  dlg->OnInitDialog();
  const platform::Capability format = camera->CurrentFormat();
  EXPECT_EQ(format.format, WireFormat::YUY2);
  EXPECT_EQ(format.width, 1920);
  EXPECT_EQ(format.height, 1080);
  EXPECT_EQ(dlg->m_view.m_nVideoWidth, 1920);
  EXPECT_EQ(dlg->m_view.m_nVideoHeight, 1080);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST + 2));
}

TEST_F(CaptureGraph, StoredMjpgFormatCountsPastTheYuvList) {
  CreateWithCamera({}, "-SERVICEMODE=1");
  dlg->m_graph.m_bFormatMjpg = true;
  dlg->m_graph.m_nFormatIndex = 1;
  dlg->OnInitDialog();
  EXPECT_EQ(camera->CurrentFormat().format, WireFormat::MJPG);
  EXPECT_EQ(camera->CurrentFormat().width, 1280);
  QMenu* resolution = dlg->Menu()->ResolutionMenu();
  EXPECT_TRUE(resolution->actions()[1]->isChecked());
  EXPECT_FALSE(resolution->actions()[0]->isChecked());
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_MJPG_FIRST + 1));
}

TEST_F(CaptureGraph, PanCentreFollowsTheChosenFormat) {
  CreateWithCamera();
  dlg->m_view.m_fPanOffsetX = 0.5f;
  dlg->m_view.m_fPanOffsetY = -0.25f;
  dlg->OnInitDialog();
  EXPECT_EQ(dlg->m_view.m_nPanX, 480);  // (0.5 + 1) × 640 × 0.5
  EXPECT_EQ(dlg->m_view.m_nPanY, 300);  // 480 − (−0.25 + 1) × 480 × 0.5
}

TEST_F(CaptureGraph, PowerLineIsSentOnlyOnceAFrameHasArrived) {
  OpenWithCamera();
  long value = -1;
  long flags = 0;
  // The first build marks 60 Hz (nothing stored) but sends nothing before a frame.
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_60HZ));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_50HZ));
  EXPECT_EQ(dlg->m_camera.m_nPowerLineFreq, 0);
  ASSERT_EQ(camera->Get(platform::PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, value, flags),
            S_OK);
  EXPECT_EQ(value, 1);  // the camera's own default, untouched

  ASSERT_TRUE(WaitForFrame());
  dlg->OnCommand(cmd::ID_60HZ);
  ASSERT_EQ(camera->Get(platform::PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, value, flags),
            S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(dlg->m_camera.m_nPowerLineFreq, 2);
  dlg->OnCommand(cmd::ID_50HZ);
  ASSERT_EQ(camera->Get(platform::PropertySet::VideoProcAmp, KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY, value, flags),
            S_OK);
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_50HZ));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_60HZ));
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
  Open(QString(), services);
  EXPECT_EQ(app->m_nCameraCount, 1);
  EXPECT_EQ(dlg->m_graph.m_pGraph, nullptr);
  EXPECT_FALSE(dlg->m_graph.m_bPreviewing);
  EXPECT_EQ(profile::getString(app->m_strLngPath, "WndMessage", "NOOPENSOURCE", ""),
            QString::fromUtf8("错误：不能打开视频源！"));
}

}  // namespace
