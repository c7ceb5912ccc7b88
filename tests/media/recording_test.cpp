// The recording control on its own: the file opened by the first frame, the pictures due
// at 24 a second by the test's own clock, the status, and recordings that cannot start
// or end before their file opened.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <vector>

#include "support/mpeg_readback.h"
#include "media/record_length.h"
#include "media/recording_control.h"
#include "outside/ximage.h"
#include "support/wait.h"

namespace {

using namespace std::chrono_literals;

// What a recording reported.
struct Reports {
  explicit Reports(RecordingControl& control) {
    QObject::connect(&control, &RecordingControl::opened, [this] { ++opened; });
    QObject::connect(&control, &RecordingControl::failed, [this] { ++failed; });
    QObject::connect(&control, &RecordingControl::status,
                     [this](const QString& start, const QString& length) { statuses.push_back(start + " / " + length); });
  }
  int opened = 0;
  int failed = 0;
  std::vector<QString> statuses;
};

std::shared_ptr<const CxImage> Picture(int width, int height) {
  auto picture = std::make_shared<CxImage>(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
  picture->Clear(0x80);
  return picture;
}

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    control.m_clock = [this] { return now; };
    control.m_localTime = [] { return QDateTime(QDate(2016, 3, 14), QTime(9, 5, 7, 42)); };
    control.m_tickCount = [this] { return tick; };
    control.m_ownTimers = false;
  }
  QString File(const QString& name = "20160314-090507- 42.mpeg") const { return folder.path() + "/" + name; }
  // The first frame opens the file; waits for the recorder's answer.
  bool OpenWithFrame(int width = 640, int height = 480) {
    control.OnFrame(width, height);
    return testsupport::WaitFor([&] { return reports.opened + reports.failed > 0; }) && reports.opened == 1;
  }
  // Time passes; the picture timer fires once at the end. The encoder keeps up, as it
  // does in real time, so no picture is dropped for a backlog.
  void Advance(std::chrono::milliseconds span) {
    now += span;
    tick += static_cast<std::uint32_t>(span.count());
    control.OnTimer(2);
    ASSERT_TRUE(testsupport::WaitFor([&] { return control.QueuedPictures() == 0; }));
  }

  QTemporaryDir folder;
  std::shared_ptr<const CxImage> shown = Picture(640, 480);
  RecordingControl control{[this] { return shown; }};
  Reports reports{control};
  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  std::uint32_t tick = 0xFFFFF000u;  // the length is measured across the tick count's wrap
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

TEST_F(Recording, FilePlaysAsLongAsTheRecordingLastedWithItsStatus) {
  ASSERT_TRUE(control.Start(File()));
  EXPECT_TRUE(control.IsRecording());
  EXPECT_FALSE(control.IsFileOpen());
  ASSERT_TRUE(OpenWithFrame());
  EXPECT_TRUE(control.IsFileOpen());
  for (int i = 0; i < 59; ++i) Advance(34ms);  // 2006 ms of recording
  control.OnTimer(1);
  ASSERT_TRUE(control.Stop());
  EXPECT_FALSE(control.IsRecording());
  EXPECT_FALSE(control.Stop());  // nothing left to stop

  ASSERT_EQ(reports.statuses.size(), 1u);
  EXPECT_EQ(reports.statuses[0], "2016-03-14 09:05:07 / 00:00:02");
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(File().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_EQ(video.container, "mpeg");
  EXPECT_EQ(video.codec, AV_CODEC_ID_MPEG1VIDEO);
  EXPECT_EQ(video.frameRate.num, 24);
  EXPECT_EQ(video.frameRate.den, 1);
  EXPECT_EQ(video.width, 640);
  EXPECT_EQ(video.frames, PicturesDue(2006, 24));
}

TEST_F(Recording, ATimerFiringLateStillFillsTheFileToItsLength) {
  ASSERT_TRUE(control.Start(File()));
  ASSERT_TRUE(OpenWithFrame());
  Advance(0ms);
  Advance(1500ms);  // a busy UI thread: one tick after a second and a half
  ASSERT_TRUE(control.Stop());
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(File().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_EQ(video.frames, PicturesDue(1500, 24));
}

TEST_F(Recording, PicturesOfAnotherSizeThanTheFileAreLeftOut) {
  ASSERT_TRUE(control.Start(File()));
  ASSERT_TRUE(OpenWithFrame());
  Advance(0ms);  // one picture
  shown = Picture(320, 240);
  Advance(500ms);  // none of another size
  shown = Picture(640, 480);
  Advance(500ms);  // those due since the start, less the one written
  ASSERT_TRUE(control.Stop());
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(File().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_EQ(video.frames, PicturesDue(1000, 24));
}

TEST_F(Recording, AFileThatCannotBeMadeEndsTheRecording) {
  ASSERT_TRUE(control.Start(folder.path() + "/missing/x.mpeg"));
  EXPECT_FALSE(OpenWithFrame());
  EXPECT_EQ(reports.failed, 1);
  EXPECT_FALSE(control.IsRecording());
  EXPECT_FALSE(QDir(folder.path() + "/missing").exists());
  Advance(100ms);  // nothing to write to
  EXPECT_TRUE(control.Start(File()));  // a new recording may start
}

TEST_F(Recording, StartWhileRecordingIsRefused) {
  ASSERT_TRUE(control.Start(File()));
  EXPECT_FALSE(control.Start(File("other.mpeg")));
  EXPECT_EQ(control.File(), File());
}

TEST_F(Recording, StoppedBeforeTheFileOpenedLeavesNoRecordingRunning) {
  ASSERT_TRUE(control.Start(File()));
  EXPECT_TRUE(control.Stop());
  control.OnFrame(640, 480);  // no file is opened for a stopped recording
  EXPECT_FALSE(control.IsRecording());
  EXPECT_FALSE(QFile::exists(File()));

  // Stopped while the file was opening: the file is finished, and the answer that comes
  // afterwards starts nothing.
  ASSERT_TRUE(control.Start(File("second.mpeg")));
  control.OnFrame(640, 480);
  ASSERT_TRUE(control.Stop());  // returns once the recorder has opened and closed the file
  EXPECT_TRUE(QFile::exists(File("second.mpeg")));
  QCoreApplication::sendPostedEvents();  // the open answer, posted before the file closed
  EXPECT_EQ(reports.opened, 0);
  EXPECT_FALSE(control.IsRecording());
}

TEST_F(Recording, DestroyingTheControlFinishesTheFile) {
  auto own = std::make_unique<RecordingControl>([this] { return shown; });
  Reports ownReports(*own);
  own->m_clock = [this] { return now; };
  own->m_ownTimers = false;
  ASSERT_TRUE(own->Start(File()));
  own->OnFrame(640, 480);
  ASSERT_TRUE(testsupport::WaitFor([&] { return ownReports.opened == 1; }));
  now += 400ms;
  own->OnTimer(2);
  own.reset();
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(File().toStdString());
  ASSERT_TRUE(video.ok);
  EXPECT_EQ(video.frames, PicturesDue(400, 24));
}

}  // namespace
