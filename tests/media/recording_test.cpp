// Recording on the virtual camera: the file's length, the status text, and recordings
// that cannot start or are cut short by closing the window.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <chrono>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "media/record_length.h"
#include "media/mpeg_writer_readback.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"

namespace {

using namespace std::chrono_literals;

class Recording : public testsupport::MainWindowTest {
 protected:
  void OpenRunning() {
    OpenWithCamera();
    dlg->m_localTime = [] { return QDateTime(QDate(2016, 3, 14), QTime(9, 5, 7, 42)); };
    dlg->m_strFileFolder = folder.path() + "/";
    ASSERT_TRUE(WaitForFrame());
  }
  QString RecordFile() const { return folder.path() + "/20160314-090507- 42.mpeg"; }
  bool WaitForOpenFile() {
    return testsupport::WaitFor([&] {
      std::lock_guard<std::mutex> lock(dlg->m_frame.m_csFrame);
      return dlg->m_rec.m_bRecordOpen;
    });
  }
  // Runs the event loop (timers, frames) for a while.
  static void RunFor(std::chrono::milliseconds span) {
    const auto until = std::chrono::steady_clock::now() + span;
    testsupport::WaitFor([&] { return std::chrono::steady_clock::now() >= until; }, span + 5s);
  }

  QTemporaryDir folder;
};

TEST(RecordLength, FormatsHoursMinutesSeconds) {
  EXPECT_EQ(FormatRecordLength(65400), "00:01:05");
  EXPECT_EQ(FormatRecordLength(3725000), "01:02:05");
  EXPECT_EQ(FormatRecordLength(999), "00:00:00");
  EXPECT_EQ(FormatRecordLength(90000000), "25:00:00");  // hours are not cut at a day
  EXPECT_EQ(PicturesDue(0, 24), 1);
  EXPECT_EQ(PicturesDue(999, 24), 24);
  EXPECT_EQ(PicturesDue(1000, 24), 25);
  EXPECT_EQ(PicturesDue(-1, 24), 0);
}

TEST_F(Recording, PlaysAsLongAsTheRecordingLasted) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_TRUE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 156);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  ASSERT_TRUE(WaitForOpenFile());
  const auto started = std::chrono::steady_clock::now();
  RunFor(2s);
  const QString status = dlg->StatusBar()->PaneText(2);
  dlg->OnCommand(cmd::ID_RECORD);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_RECORD));
  EXPECT_EQ(dlg->StatusBar()->PaneText(2), RecordFile());
  EXPECT_TRUE(status.startsWith(QString::fromUtf8("开始时间:2016-03-14 09:05:07  时长:00:00:0"))) << status.toStdString();

  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(RecordFile().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_EQ(video.container, "mpeg");
  EXPECT_EQ(video.codec, AV_CODEC_ID_MPEG1VIDEO);
  EXPECT_EQ(video.frameRate.num, 24);
  EXPECT_EQ(video.frameRate.den, 1);
  EXPECT_EQ(video.width, 640);
  const double plays = video.frames / 24.0;
  EXPECT_NEAR(plays, seconds, 0.2) << video.frames << " frames";
  EXPECT_NEAR(plays, 2.0, 0.25);
}

TEST_F(Recording, RecordWithThePreviewStoppedDoesNothing) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_PLAY);
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
}

TEST_F(Recording, UnwritableFolderReturnsToIdleWithoutAFile) {
  OpenRunning();
  dlg->m_strFileFolder = folder.path() + "/missing/";
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(testsupport::WaitFor([&] { return !dlg->IsRecording(); }));
  EXPECT_EQ(dlg->ToolBar()->Picture(2), 146);
  EXPECT_FALSE(QDir(folder.path() + "/missing").exists());
  EXPECT_EQ(profile::getString(app->m_strLngPath, "WndMessage", "NOVIDEO", ""), QString::fromUtf8("视频创建失败"));
}

TEST_F(Recording, RecordPressedTwiceReturnsToIdle) {
  OpenRunning();
  // Stopped at once, whether or not a frame opened the file meanwhile.
  dlg->OnCommand(cmd::ID_RECORD);
  dlg->OnCommand(cmd::ID_RECORD);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->StatusBar()->PaneText(2), RecordFile());
}

TEST_F(Recording, ClosingTheWindowFinishesTheFile) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_RECORD);
  ASSERT_TRUE(WaitForOpenFile());
  RunFor(500ms);
  dlg->DestroyWindow();
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(RecordFile().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_GE(video.frames, 6);
}

}  // namespace
