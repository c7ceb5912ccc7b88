// The Snap command and the camera's button on the window: the picture on screen with its
// overlay, the status bar, and the still trigger.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "view/display_worker.h"
#include "mainwnd/main_status_bar.h"
#include "support/main_window_fixture.h"
#include "support/jpeg_file.h"

namespace {

using testsupport::DecodeJpeg;
using testsupport::Jpeg;

class SnapCommand : public testsupport::MainWindowTest {
 protected:
  void OpenRunning() {
    OpenWithCamera();
    dlg->m_localTime = [this] { return time; };
    dlg->m_strFileFolder = folder.path() + "/";
    ASSERT_TRUE(WaitForFrame());
    ASSERT_TRUE(testsupport::WaitFor([&] {
      const std::shared_ptr<const CxImage> shown = dlg->Session().ShownPicture();
      return shown && shown->IsValid();
    }));
  }
  QStringList Files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
  // The camera's button; the snapshot it asks for is taken on the UI thread.
  void Press() {
    camera->PressButton();
    QCoreApplication::sendPostedEvents(dlg.get());
  }
  QString Pane() const { return dlg->StatusBar()->PaneText(2); }

  QTemporaryDir folder;
  QDateTime time{QDate(2016, 3, 14), QTime(9, 5, 7, 42)};
};

TEST_F(SnapCommand, SavesThePictureOnScreenWithItsOverlay) {
  OpenRunning();
  dlg->Session().m_overlay.m_clrMask = 0x00FF00;  // green, to be seen in the corners
  dlg->BuildOverlay();
  ASSERT_TRUE(testsupport::WaitFor([&] {
    dlg->Display()->Request();
    const std::shared_ptr<const CxImage> shown = dlg->Session().ShownPicture();
    return shown && shown->GetBits(0)[1] == 0xFF;
  }));

  dlg->OnCommand(cmd::ID_SNAP);
  const QString expected = folder.path() + "/20160314-090507- 42.jpg";
  EXPECT_EQ(Files(), QStringList{"20160314-090507- 42.jpg"});
  EXPECT_EQ(Pane(), expected);
  const std::optional<Jpeg> jpeg = DecodeJpeg(expected);
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_EQ(jpeg->width, 640);
  EXPECT_EQ(jpeg->height, 480);
  // Top-left corner: the green mask, through JPEG's rounding.
  EXPECT_LT(jpeg->rgb[0], 40);
  EXPECT_GT(jpeg->rgb[1], 215);
  EXPECT_LT(jpeg->rgb[2], 40);

}

TEST_F(SnapCommand, NothingComposedYetWritesNothingAndSaysSo) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_PLAY);  // frozen: no composition replaces what the test clears
  dlg->Session().SetShownPicture(nullptr);
  dlg->OnCommand(cmd::ID_SNAP);
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_EQ(Pane(), QString::fromUtf8("拍照保存失败"));
}

TEST_F(SnapCommand, StillButtonArmsOnFirstPressThenSnaps) {
  OpenRunning();
  Press();  // the first still buffer after the connection only arms
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_TRUE(dlg->Session().m_bStillArmed);
  Press();
  EXPECT_EQ(Files().size(), 1);
  Press();
  EXPECT_EQ(Files().size(), 2);

  // Any device event re-arms: the next press is not a snapshot.
  dlg->Session().OnDeviceChange(0x0007);
  Press();
  EXPECT_EQ(Files().size(), 2);
  Press();
  EXPECT_EQ(Files().size(), 3);

  // So does a resolution change.
  dlg->OnCommand(cmd::ID_YUV_FIRST);
  ASSERT_TRUE(WaitForFrame());
  Press();
  EXPECT_EQ(Files().size(), 3);
}

}  // namespace
