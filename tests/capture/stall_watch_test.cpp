// A camera that stays plugged but stops sending frames: its stream is restarted after
// the stall timeout, three times, and then it is taken away as if it had been unplugged.
// The watch runs on the test's own clock.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "support/session_fixture.h"

namespace {

using namespace std::chrono_literals;

class StallWatch : public testsupport::SessionTest {
 protected:
  void OpenRunning() {
    CreateWithCamera();
    session->m_clock = [this] { return now; };
    ASSERT_TRUE(session->OpenFirstCamera());
    ASSERT_TRUE(WaitForFrame());
  }
  // Time passes without a frame being taken in (the camera hangs), then the watch looks.
  void Advance(std::chrono::milliseconds span) {
    now += span;
    session->CheckStall();
  }
  // The camera hangs (no frame is under way once Stall returns); what came in so far
  // is progress.
  void Hang() {
    camera->Stall();
    session->CheckStall();
  }
  // One frame taken in, as the grabber hands it over.
  void DeliverFrame() {
    std::vector<std::uint8_t> frame(64 * 48 * 3, 50);
    session->FrameCB(frame.data(), 64, 48, 24);
  }

  std::chrono::steady_clock::time_point now{std::chrono::hours(5)};
  int stalled = 0;
};

TEST_F(StallWatch, ACameraThatSendsFramesIsLeftAlone) {
  OpenRunning();
  const int starts = reports.previewStarted;
  for (int i = 0; i < 5; ++i) {
    const std::uint64_t seen = camera->FramesDelivered();
    ASSERT_TRUE(testsupport::WaitFor([&] { return camera->FramesDelivered() > seen + 1; }));
    Advance(10s);
  }
  EXPECT_EQ(reports.previewStarted, starts);
  EXPECT_EQ(reports.cameraGone, 0);
}

TEST_F(StallWatch, AHungCameraIsRestartedThreeTimesThenTakenAway) {
  OpenRunning();
  const int starts = reports.previewStarted;
  Hang();
  Advance(2999ms);
  EXPECT_EQ(reports.previewStarted, starts);  // not yet
  Advance(1ms);
  EXPECT_EQ(reports.previewStarted, starts + 1);  // restart 1
  EXPECT_TRUE(session->m_graph.m_bPreviewing);
  Advance(3s);
  Advance(3s);
  EXPECT_EQ(reports.previewStarted, starts + 3);  // restarts 2 and 3
  EXPECT_EQ(reports.cameraGone, 0);
  EXPECT_TRUE(session->m_graph.m_bPreviewing);

  QObject::connect(session.get(), &CaptureSession::cameraStalled, [this] { ++stalled; });
  Advance(3s);  // nothing through three restarts: taken away
  EXPECT_EQ(reports.cameraGone, 1);
  EXPECT_EQ(stalled, 1);
  EXPECT_EQ(session->m_graph.m_pGraph, nullptr);
  EXPECT_FALSE(reports.powerLineAvailable);
  EXPECT_TRUE(session->HasFramePicture());  // the last picture stays
  Advance(30s);  // nothing runs any more to watch
  EXPECT_EQ(reports.cameraGone, 1);
}

TEST_F(StallWatch, AFrameAfterARestartStartsTheCountAgain) {
  OpenRunning();
  const int starts = reports.previewStarted;
  Hang();
  Advance(3s);
  Advance(3s);
  EXPECT_EQ(reports.previewStarted, starts + 2);
  DeliverFrame();  // the camera spoke again
  Advance(1s);
  // Three more restarts before it is given up.
  Advance(3s);
  Advance(3s);
  Advance(3s);
  EXPECT_EQ(reports.previewStarted, starts + 5);
  EXPECT_EQ(reports.cameraGone, 0);
}

TEST_F(StallWatch, AHungCameraTakenAwayComesBackWhenPluggedAgain) {
  OpenRunning();
  Hang();
  for (int i = 0; i < 4; ++i) Advance(3s);
  ASSERT_EQ(session->m_graph.m_pGraph, nullptr);
  camera->Unplug();
  camera->Plug();  // power cycled: the hang is over
  ASSERT_TRUE(testsupport::WaitFor([&] { return session->m_graph.m_bPreviewing; }));
  const std::uint64_t delivered = camera->FramesDelivered();
  EXPECT_TRUE(testsupport::WaitFor([&] { return camera->FramesDelivered() > delivered + 2; }));
}

TEST_F(StallWatch, AFrozenPictureIsNoStall) {
  OpenRunning();
  session->SetPreviewWanted(false);
  Advance(60s);
  EXPECT_EQ(reports.cameraGone, 0);
  EXPECT_NE(session->m_graph.m_pGraph, nullptr);
}

}  // namespace
