// The stall watch over a V4L2 camera (the fake device behind the ioctl seam): when the
// frames stop, the stream is restarted with the driver's own calls, and the third
// restart that brings no frame takes the camera away.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "platform/graph/com_factory.h"
#include "platform/graph/v4l2/fake_v4l2_io.h"  // the test's fake, beside the platform's tests
#include "platform/graph/v4l2/v4l2_device_provider.h"
#include "support/session_fixture.h"

namespace {

using namespace std::chrono_literals;
using fakev4l2::FakeV4l2Io;

const std::string kNode = "/dev/video0";
const std::vector<std::uint8_t> kYuyvFrame(640 * 480 * 2, 0x80);

class V4l2StallWatch : public testsupport::SessionTest {
 protected:
  void SetUp() override {
    io->AddNode(kNode, fakev4l2::TypicalCamera());
    platform::v4l2::V4l2Source::Options options;
    options.stallTimeout = 1h;  // the session's watch decides here, on the test's clock
    options.findStillButton = [](const QString&) { return platform::v4l2::StillButtonOpener(); };
    options.findUsbProduct = io->UsbProducts();
    PlatformServices services;
    services.com = std::make_shared<platform::ComFactory>();
    services.com->AddDeviceProvider(std::make_shared<platform::v4l2::V4l2DeviceProvider>(
        io, [] { return QStringList{QString::fromStdString(kNode)}; }, options));
    services.usbDevices = std::make_shared<testsupport::ScriptedUsbSource>(
        std::vector<platform::UsbDeviceEntry>{{"USB\\VID_1234&PID_5678\\1", "Fake Camera"}});
    backend->ids = {{0x1234, 0x5678}};
    alc::InstallBackend(backend);
    Create(false, services);
    session->m_clock = [this] { return now; };
    ASSERT_TRUE(session->OpenFirstCamera());
    ASSERT_TRUE(session->m_graph.m_bPreviewing);
  }
  bool Frame() {
    return testsupport::WaitFor([&] { return io->PushFrame(kNode, kYuyvFrame); }) &&
           testsupport::WaitFor([&] { return reports.Frames() > 0; });
  }
  void Advance(std::chrono::milliseconds span) {
    now += span;
    session->CheckStall();
  }
  static long Count(const std::vector<std::string>& calls, const std::string& name) {
    return std::count(calls.begin(), calls.end(), name);
  }

  std::shared_ptr<FakeV4l2Io> io = std::make_shared<FakeV4l2Io>();
  std::shared_ptr<testsupport::ScriptedAlcBackend> backend = std::make_shared<testsupport::ScriptedAlcBackend>();
  std::chrono::steady_clock::time_point now{std::chrono::hours(3)};
};

TEST_F(V4l2StallWatch, FramesThatStopAreRestartedWithTheDriverThenTheCameraIsTakenAway) {
  ASSERT_TRUE(Frame());
  ASSERT_TRUE(WaitForFrame());
  session->CheckStall();  // the frame is progress
  io->TakeCalls();

  for (int restart = 1; restart <= 3; ++restart) {
    Advance(3s);
    const std::vector<std::string> calls = io->TakeCalls();
    // Streaming off and the buffers given back, then set up and on again.
    EXPECT_EQ(Count(calls, "STREAMOFF"), 1) << "restart " << restart;
    EXPECT_EQ(Count(calls, "REQBUFS"), 2) << "restart " << restart;
    EXPECT_EQ(Count(calls, "STREAMON"), 1) << "restart " << restart;
    EXPECT_TRUE(session->m_graph.m_bPreviewing);
    EXPECT_EQ(reports.cameraGone, 0);
  }

  Advance(3s);  // the third restart brought nothing either
  const std::vector<std::string> calls = io->TakeCalls();
  EXPECT_EQ(Count(calls, "STREAMOFF"), 1);
  EXPECT_EQ(Count(calls, "STREAMON"), 0);
  EXPECT_EQ(reports.cameraGone, 1);
  EXPECT_EQ(session->m_graph.m_pGraph, nullptr);
  EXPECT_FALSE(reports.powerLineAvailable);
  const fakev4l2::FakeNode node = io->With(kNode, [](fakev4l2::FakeNode& n) { return n; });
  EXPECT_FALSE(node.streaming);
  EXPECT_EQ(node.mappings, 0);

  // Play builds it again: the camera is still there.
  session->m_graph.m_bPreviewWanted = true;
  ASSERT_TRUE(session->Play());
  EXPECT_TRUE(session->m_graph.m_bPreviewing);
}

}  // namespace
