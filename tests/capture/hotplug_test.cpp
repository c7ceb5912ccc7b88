// The camera unplugged and plugged back while the program runs.
#include <gtest/gtest.h>

#include "platform/usb/device_monitor.h"
#include "support/session_fixture.h"

namespace {

class HotPlug : public testsupport::SessionTest {};

TEST_F(HotPlug, UnplugTearsTheGraphDownAndPlugBuildsItAgain) {
  OpenWithCamera();
  ASSERT_TRUE(WaitForFrame());
  const std::shared_ptr<IMoniker> first = session->m_graph.m_pMoniker;
  const int lists = reports.listChanges;

  camera->Unplug();  // the removal event comes through the device monitor
  ASSERT_TRUE(testsupport::WaitFor([&] { return session->m_graph.m_pGraph == nullptr; }));
  EXPECT_EQ(session->m_graph.m_pSourceFilter, nullptr);
  EXPECT_FALSE(session->m_graph.m_bPreviewing);
  EXPECT_EQ(reports.cameraGone, 1);
  EXPECT_FALSE(reports.powerLineAvailable);
  EXPECT_TRUE(session->HasFramePicture());  // the last frame stays on screen

  camera->Plug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return session->m_graph.m_bPreviewing; }));
  EXPECT_EQ(reports.cameraArriving, 1);
  EXPECT_NE(session->m_graph.m_pMoniker, first);
  EXPECT_TRUE(reports.powerLineAvailable);
  EXPECT_EQ(reports.listChanges, lists + 1);  // the lists are made anew for the camera
  const std::uint64_t before = camera->FramesDelivered();
  EXPECT_TRUE(testsupport::WaitFor([&] { return camera->FramesDelivered() > before + 2; }));
}

TEST_F(HotPlug, OtherDevicesComingAndGoingChangeNothing) {
  OpenWithCamera();
  ASSERT_TRUE(WaitForFrame());
  const std::shared_ptr<IGraphBuilder> graph = session->m_graph.m_pGraph;
  session->m_bStillPending = false;
  session->m_bStillArmed = true;
  // A removal while the camera-control library still reaches the camera, and an
  // arrival while a camera is in use.
  session->OnDeviceChange(platform::DBT_DEVICEREMOVECOMPLETE);
  session->OnDeviceChange(platform::DBT_DEVICEARRIVAL);
  EXPECT_EQ(session->m_graph.m_pGraph, graph);
  EXPECT_TRUE(session->m_graph.m_bPreviewing);
  EXPECT_EQ(reports.cameraGone, 0);
  EXPECT_EQ(reports.cameraArriving, 0);
  // Any device event re-arms the still trigger.
  EXPECT_TRUE(session->m_bStillPending);
  EXPECT_FALSE(session->m_bStillArmed);
}

TEST_F(HotPlug, ARearmWhileAStillBufferIsHandledIsKept) {
  OpenWithCamera();
  session->m_bStillPending = false;
  session->m_bStillArmed = true;
  // A device event handled on another thread just as the press is reported: the
  // press still counts, and the re-arm holds for the next buffer.
  QObject::connect(session.get(), &CaptureSession::stillPressed, session.get(),
                   [this] { session->OnDeviceChange(0x0007); }, Qt::DirectConnection);
  session->BufferCB(0.0, nullptr, 0);
  EXPECT_EQ(reports.stills, 1);
  EXPECT_TRUE(session->m_bStillPending);
  EXPECT_FALSE(session->m_bStillArmed);
  session->BufferCB(0.0, nullptr, 0);  // only arms
  EXPECT_EQ(reports.stills, 1);
  session->BufferCB(0.0, nullptr, 0);
  EXPECT_EQ(reports.stills, 2);
}

TEST_F(HotPlug, ProgramStartedWithoutTheCameraPicksItUpWhenItArrives) {
  platform::VirtualCameraOptions options;
  options.plugged = false;
  OpenWithCamera(options);
  EXPECT_FALSE(opened);
  EXPECT_EQ(session->m_graph.m_pGraph, nullptr);
  camera->Plug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return session->m_graph.m_bPreviewing; }));
  EXPECT_TRUE(WaitForFrame());
}

}  // namespace
