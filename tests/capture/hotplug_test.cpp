// The camera unplugged and plugged back while the program runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "platform/usb/device_monitor.h"
#include "support/main_window_fixture.h"

namespace {

class HotPlug : public testsupport::MainWindowTest {};

TEST_F(HotPlug, UnplugTearsTheGraphDownAndPlugBuildsItAgain) {
  OpenWithCamera();
  ASSERT_TRUE(WaitForFrame());
  const std::shared_ptr<IMoniker> first = dlg->m_graph.m_pMoniker;

  camera->Unplug();  // the removal event comes through the device monitor
  ASSERT_TRUE(testsupport::WaitFor([&] { return dlg->m_graph.m_pGraph == nullptr; }));
  EXPECT_EQ(dlg->m_graph.m_pSourceFilter, nullptr);
  EXPECT_FALSE(dlg->m_graph.m_bPreviewing);
  EXPECT_FALSE(dlg->Menu()->IsEnabled(cmd::ID_50HZ));
  EXPECT_FALSE(dlg->Menu()->IsEnabled(cmd::ID_60HZ));
  for (QAction* entry : dlg->Menu()->ResolutionMenu()->actions()) EXPECT_FALSE(entry->isEnabled());
  EXPECT_TRUE(dlg->HasFramePicture());  // the last frame stays on screen

  camera->Plug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return dlg->m_graph.m_bPreviewing; }));
  EXPECT_NE(dlg->m_graph.m_pMoniker, first);
  EXPECT_TRUE(dlg->Menu()->IsEnabled(cmd::ID_50HZ));
  for (QAction* entry : dlg->Menu()->ResolutionMenu()->actions()) EXPECT_TRUE(entry->isEnabled());
  const std::uint64_t before = camera->FramesDelivered();
  EXPECT_TRUE(testsupport::WaitFor([&] { return camera->FramesDelivered() > before + 2; }));
}

TEST_F(HotPlug, OtherDevicesComingAndGoingChangeNothing) {
  OpenWithCamera();
  ASSERT_TRUE(WaitForFrame());
  const std::shared_ptr<IGraphBuilder> graph = dlg->m_graph.m_pGraph;
  // A removal while the camera-control library still reaches the camera, and an
  // arrival while a camera is in use.
  dlg->OnDeviceChange(platform::DBT_DEVICEREMOVECOMPLETE);
  dlg->OnDeviceChange(platform::DBT_DEVICEARRIVAL);
  EXPECT_EQ(dlg->m_graph.m_pGraph, graph);
  EXPECT_TRUE(dlg->m_graph.m_bPreviewing);
  EXPECT_TRUE(dlg->m_bStillPending);
  EXPECT_FALSE(dlg->m_bStillArmed);
}

TEST_F(HotPlug, ProgramStartedWithoutTheCameraPicksItUpWhenItArrives) {
  platform::VirtualCameraOptions options;
  options.plugged = false;
  OpenWithCamera(options);
  EXPECT_EQ(dlg->m_graph.m_pGraph, nullptr);
  camera->Plug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return dlg->m_graph.m_bPreviewing; }));
  EXPECT_TRUE(WaitForFrame());
}

}  // namespace
