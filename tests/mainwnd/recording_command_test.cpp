// The Record command on the window: the Record picture, the menu mark, the status bar,
// and recordings that cannot start or are cut short by closing the window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"
#include "support/mpeg_readback.h"

namespace {

class RecordCommand : public testsupport::MainWindowTest {
 protected:
  void OpenRunning() {
    OpenWithCamera();
    dlg->m_localTime = [] { return QDateTime(QDate(2016, 3, 14), QTime(9, 5, 7, 42)); };
    dlg->m_strFileFolder = folder.path() + "/";
    ASSERT_TRUE(WaitForFrame());
  }
  QString RecordFile() const { return folder.path() + "/20160314-090507- 42.mpeg"; }
  // The file is open and a picture composed that the recording can take.
  bool WaitForOpenFile() {
    return testsupport::WaitFor([&] {
      const std::shared_ptr<const CxImage> shown = dlg->Session().ShownPicture();
      return dlg->Recording().IsFileOpen() && shown && shown->IsValid();
    });
  }

  QTemporaryDir folder;
};

TEST_F(RecordCommand, RecordTwiceStartsAndStopsWithPictureMarkAndFile) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_TRUE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 156);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  ASSERT_TRUE(WaitForOpenFile());
  dlg->Recording().OnTimer(2);
  dlg->Recording().OnTimer(1);
  EXPECT_TRUE(dlg->StatusBar()->PaneText(2).startsWith(QString::fromUtf8("开始时间:2016-03-14 09:05:07  时长:00:00:0")))
      << dlg->StatusBar()->PaneText(2).toStdString();

  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  EXPECT_EQ(dlg->StatusBar()->PaneText(2), RecordFile());
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(RecordFile().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_GE(video.frames, 1);
}

TEST_F(RecordCommand, RecordPressedTwiceAtOnceReturnsToIdle) {
  OpenRunning();
  // Stopped at once, whether or not a frame opened the file meanwhile.
  dlg->OnCommand(cmd::ID_RECORD);
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->StatusBar()->PaneText(2), RecordFile());
}

TEST_F(RecordCommand, RecordWithThePreviewStoppedDoesNothing) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_PLAY);
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
}

TEST_F(RecordCommand, AFolderTwoLevelsDownReturnsToIdleAndSaysSo) {
  OpenRunning();
  dlg->m_strFileFolder = folder.path() + "/missing/deeper/";
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(testsupport::WaitFor([&] { return !dlg->IsRecording(); }));
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  EXPECT_FALSE(QDir(folder.path() + "/missing").exists());
  EXPECT_EQ(dlg->StatusBar()->PaneText(2), QString::fromUtf8("视频创建失败"));
  EXPECT_EQ(profile::getString(app->m_strLngPath, "WndMessage", "NOVIDEO", ""), QString::fromUtf8("视频创建失败"));
}

TEST_F(RecordCommand, AMissingCaptureFolderIsMadeAsForSnapshots) {
  OpenRunning();
  dlg->m_strFileFolder = folder.path() + "/Pictures/";  // a fresh account has none yet
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(WaitForOpenFile());
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_TRUE(QFile::exists(folder.path() + "/Pictures/20160314-090507- 42.mpeg"));
}

TEST_F(RecordCommand, ARecordingCanBeStoppedWhileFrozen) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(WaitForOpenFile());
  dlg->Recording().OnTimer(2);
  dlg->OnCommand(cmd::ID_PLAY);  // frozen
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(RecordFile().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_GE(video.frames, 1);
}

TEST_F(RecordCommand, TheCameraGoingAwayEndsTheRecordingAtOnce) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(WaitForOpenFile());
  dlg->Recording().OnTimer(2);
  camera->Unplug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return !dlg->IsRecording(); }));
  EXPECT_EQ(dlg->StatusBar()->PaneText(2), RecordFile());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(RecordFile().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_GE(video.frames, 1);
}

TEST_F(RecordCommand, ClosingTheWindowFinishesTheFile) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(WaitForOpenFile());
  dlg->Recording().OnTimer(2);
  dlg->DestroyWindow();
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(RecordFile().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_GE(video.frames, 1);
}

}  // namespace
