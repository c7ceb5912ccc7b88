// Frame intake: sizes, the frame and raw pictures, one paint request per frame, and
// no frame after the preview stopped.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <vector>

#include "support/main_window_fixture.h"

namespace {

// Counts the paint requests the frames post to the window.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == CVistrelDlg::FramePaintEvent()) ++count;
    return QObject::eventFilter(watched, event);
  }
  int count = 0;
};

std::vector<std::uint8_t> Frame(int w, int h, std::uint8_t value) {
  return std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 3, value);
}

class FrameIntake : public testsupport::MainWindowTest {
 protected:
  int Deliver(int w, int h, std::uint8_t value = 100) {
    std::vector<std::uint8_t> frame = Frame(w, h, value);
    return dlg->FrameCB(frame.data(), w, h, 24);
  }
  CxImage FramePicture() {
    std::lock_guard<std::mutex> lock(dlg->m_frame.m_csFrame);
    return dlg->m_frame.m_pFrameImage ? *dlg->m_frame.m_pFrameImage : CxImage();
  }
};

TEST_F(FrameIntake, FirstFrameSizeIsTakenOnceAndPicturesFollowTheSize) {
  Open();
  ASSERT_FALSE(dlg->HasFramePicture());
  EXPECT_EQ(Deliver(1280, 720), 0);
  EXPECT_EQ(dlg->m_view.m_nVideoWidth, 1280);
  EXPECT_EQ(dlg->m_view.m_nVideoHeight, 720);
  EXPECT_EQ(FramePicture().GetWidth(), 1280u);

  Deliver(640, 480);
  EXPECT_EQ(dlg->m_view.m_nVideoWidth, 1280);  // later frames do not change it
  const CxImage picture = FramePicture();
  EXPECT_EQ(picture.GetWidth(), 640u);
  EXPECT_EQ(picture.GetHeight(), 480u);
  EXPECT_EQ(dlg->m_frame.m_nFrameWidth, 640);
  EXPECT_EQ(dlg->m_frame.m_nFrameBpp, 24);
}

TEST_F(FrameIntake, OnePaintRequestPerFrame) {
  Open();
  PaintCounter counter;
  dlg->installEventFilter(&counter);
  for (int i = 0; i < 7; ++i) Deliver(64, 48, static_cast<std::uint8_t>(i));
  QCoreApplication::sendPostedEvents(dlg.get());
  EXPECT_EQ(counter.count, 7);
  dlg->removeEventFilter(&counter);
}

TEST_F(FrameIntake, RawPictureInServiceModeOnly) {
  Open();
  Deliver(64, 48);
  EXPECT_EQ(dlg->m_frame.m_pRawImage, nullptr);
  dlg->DestroyWindow();

  Open("-SERVICEMODE=1");
  Deliver(64, 48, 77);
  ASSERT_NE(dlg->m_frame.m_pRawImage, nullptr);
  EXPECT_EQ(dlg->m_frame.m_pRawImage->GetWidth(), 64u);
  EXPECT_EQ(dlg->m_frame.m_pRawImage->GetBits(0)[0], 77);
}

TEST_F(FrameIntake, BadFramesAreIgnored) {
  Open();
  EXPECT_EQ(dlg->FrameCB(nullptr, 64, 48, 24), 0);
  std::vector<std::uint8_t> frame = Frame(64, 48, 1);
  EXPECT_EQ(dlg->FrameCB(frame.data(), 0, 48, 24), 0);
  EXPECT_EQ(dlg->FrameCB(frame.data(), 64, 48, 12), 0);
  EXPECT_FALSE(dlg->HasFramePicture());
}

TEST_F(FrameIntake, NoFrameArrivesAfterStopPreviewReturns) {
  OpenWithCamera();
  PaintCounter counter;
  dlg->installEventFilter(&counter);
  ASSERT_TRUE(WaitForFrame());
  ASSERT_TRUE(dlg->StopPreview());
  EXPECT_FALSE(camera->IsStreaming());
  const std::uint64_t delivered = camera->FramesDelivered();
  // Every frame delivered before the stop has posted its paint request; none after.
  QCoreApplication::sendPostedEvents(dlg.get());
  const int painted = counter.count;
  ASSERT_TRUE(testsupport::WaitFor([&] {
    QCoreApplication::sendPostedEvents(dlg.get());
    return true;
  }));
  EXPECT_EQ(camera->FramesDelivered(), delivered);
  EXPECT_EQ(counter.count, painted);
  EXPECT_LE(static_cast<std::uint64_t>(painted), delivered);
  dlg->removeEventFilter(&counter);
}

TEST_F(FrameIntake, SampleGrabberCallbackAnswersOnlyItsInterfaces) {
  Open();
  void* object = nullptr;
  EXPECT_EQ(dlg->QueryInterface(IID_ISampleGrabberCB, &object), S_OK);
  EXPECT_EQ(object, static_cast<ISampleGrabberCB*>(dlg.get()));
  EXPECT_EQ(dlg->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(dlg->QueryInterface(IID_IAMStreamConfig, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(dlg->AddRef(), 2u);
  EXPECT_EQ(dlg->Release(), 1u);
}

}  // namespace
