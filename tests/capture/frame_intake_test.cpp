// Frame intake: sizes, the frame and raw pictures, one report per frame, pictures never
// written while they are read, and no frame after the preview stopped.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "support/session_fixture.h"

namespace {

std::vector<std::uint8_t> Frame(int w, int h, std::uint8_t value) {
  return std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 3, value);
}

class FrameIntake : public testsupport::SessionTest {
 protected:
  int Deliver(int w, int h, std::uint8_t value = 100) {
    std::vector<std::uint8_t> frame = Frame(w, h, value);
    return session->FrameCB(frame.data(), w, h, 24);
  }
};

TEST_F(FrameIntake, FirstFrameSizeIsTakenOnceAndPicturesFollowTheSize) {
  Open();
  ASSERT_FALSE(session->HasFramePicture());
  EXPECT_EQ(Deliver(1280, 720), 0);
  EXPECT_EQ(session->m_view.m_nVideoWidth, 1280);
  EXPECT_EQ(session->m_view.m_nVideoHeight, 720);
  EXPECT_EQ(session->FramePicture()->GetWidth(), 1280u);

  Deliver(640, 480);
  EXPECT_EQ(session->m_view.m_nVideoWidth, 1280);  // later frames do not change it
  const std::shared_ptr<const CxImage> picture = session->FramePicture();
  EXPECT_EQ(picture->GetWidth(), 640u);
  EXPECT_EQ(picture->GetHeight(), 480u);
  std::lock_guard<std::mutex> lock(session->m_frame.m_csFrame);
  EXPECT_EQ(session->m_frame.m_nFrameWidth, 640);
  EXPECT_EQ(session->m_frame.m_nFrameBpp, 24);
}

TEST_F(FrameIntake, OneReportPerFrameWithItsSize) {
  Open();
  for (int i = 0; i < 7; ++i) Deliver(64, 48, static_cast<std::uint8_t>(i));
  EXPECT_EQ(reports.Frames(), 7);
  EXPECT_EQ(reports.lastFrameWidth, 64);
  EXPECT_EQ(reports.lastFrameHeight, 48);
}

TEST_F(FrameIntake, APictureHeldByAReaderIsNeverWrittenAgain) {
  Open();
  // The pan square on the middle of the frame; its centre pixel shows the frame's.
  session->m_view.m_nPanX = 32;
  session->m_view.m_nPanY = 24;
  const auto centre = [](const CxImage& picture) { return picture.GetBits(24)[32 * 3]; };
  Deliver(64, 48, 10);
  // A reader (the display, a snapshot) holds the frame picture while frames go on.
  const std::shared_ptr<const CxImage> held = session->FramePicture();
  for (int i = 0; i < 10; ++i) Deliver(64, 48, static_cast<std::uint8_t>(20 + i));
  EXPECT_EQ(centre(*held), 10);
  EXPECT_NE(session->FramePicture(), held);
  EXPECT_EQ(centre(*session->FramePicture()), 29);
}

TEST_F(FrameIntake, RawPictureInServiceModeOnly) {
  Open();
  Deliver(64, 48);
  EXPECT_EQ(session->RawPicture(), nullptr);
  TearDown();

  Open(true);
  Deliver(64, 48, 77);
  const std::shared_ptr<const CxImage> raw = session->RawPicture();
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(raw->GetWidth(), 64u);
  EXPECT_EQ(raw->GetBits(0)[0], 77);
}

TEST_F(FrameIntake, BadFramesAreIgnored) {
  Open();
  EXPECT_EQ(session->FrameCB(nullptr, 64, 48, 24), 0);
  std::vector<std::uint8_t> frame = Frame(64, 48, 1);
  EXPECT_EQ(session->FrameCB(frame.data(), 0, 48, 24), 0);
  EXPECT_EQ(session->FrameCB(frame.data(), 64, 48, 12), 0);
  EXPECT_FALSE(session->HasFramePicture());
  EXPECT_EQ(reports.Frames(), 0);
}

TEST_F(FrameIntake, NoFrameArrivesAfterStopPreviewReturns) {
  OpenWithCamera();
  ASSERT_TRUE(WaitForFrame());
  ASSERT_TRUE(session->StopPreview());
  EXPECT_FALSE(camera->IsStreaming());
  const std::uint64_t delivered = camera->FramesDelivered();
  const int reported = reports.Frames();
  // Every frame delivered before the stop has been reported; none after.
  ASSERT_TRUE(testsupport::WaitFor([&] { return true; }));
  EXPECT_EQ(camera->FramesDelivered(), delivered);
  EXPECT_EQ(reports.Frames(), reported);
  EXPECT_LE(static_cast<std::uint64_t>(reported), delivered);
}

TEST_F(FrameIntake, EachFramePictureCarriesItsNumberInTheRunAndTheCamerasCaptureTime) {
  Open();
  FrameStamp stamp;
  EXPECT_EQ(session->FramePicture(stamp), nullptr);
  EXPECT_EQ(stamp.sequence, 0u);
  Deliver(64, 48);
  Deliver(64, 48);
  ASSERT_TRUE(session->FramePicture(stamp));
  EXPECT_EQ(stamp.sequence, 2u);
  EXPECT_EQ(stamp.captureNs, 0);  // not from a frame grabber: no capture time known
}

TEST_F(FrameIntake, AFrameFromTheCameraCarriesItsCaptureTime) {
  const auto steadyNs = [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  const std::int64_t before = steadyNs();
  OpenWithCamera();
  ASSERT_TRUE(WaitForFrame());
  FrameStamp stamp;
  ASSERT_TRUE(session->FramePicture(stamp));
  const std::int64_t after = steadyNs();
  ASSERT_TRUE(session->StopPreview());
  // The virtual camera's time of making the frame, on the steady clock's epoch.
  EXPECT_GE(stamp.captureNs, before);
  EXPECT_LE(stamp.captureNs, after);
  EXPECT_GE(stamp.sequence, 1u);
}

TEST_F(FrameIntake, SampleGrabberCallbackAnswersOnlyItsInterfaces) {
  Open();
  void* object = nullptr;
  EXPECT_EQ(session->QueryInterface(IID_ISampleGrabberCB, &object), S_OK);
  EXPECT_EQ(object, static_cast<ISampleGrabberCB*>(session.get()));
  EXPECT_EQ(session->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(session->QueryInterface(IID_IAMStreamConfig, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(session->AddRef(), 2u);
  EXPECT_EQ(session->Release(), 1u);
}

}  // namespace
