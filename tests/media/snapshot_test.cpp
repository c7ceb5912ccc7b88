// Snapshots written from a picture: names, content and folders.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <vector>

#include "media/snapshot.h"
#include "outside/ximage.h"
#include "support/jpeg_file.h"

namespace {

using testsupport::DecodeJpeg;
using testsupport::Jpeg;

// A 640 × 480 picture, dark grey, with its first 16 stored rows (the bottom of the
// picture on screen) green.
CxImage GreenBottomRow() {
  CxImage picture(640, 480, 24);
  picture.Clear(0x20);
  for (std::uint32_t y = 0; y < 16; ++y) {
    std::uint8_t* row = picture.GetBits(y);
    for (int x = 0; x < 640; ++x) {
      row[3 * x] = 0;
      row[3 * x + 1] = 0xFF;
      row[3 * x + 2] = 0;
    }
  }
  return picture;
}

class Snapshot : public ::testing::Test {
 protected:
  QStringList Files() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
  QString Folder() const { return folder.path() + "/"; }

  QTemporaryDir folder;
  QDateTime time{QDate(2016, 3, 14), QTime(9, 5, 7, 42)};
};

TEST_F(Snapshot, NamedAfterTheTimeWithBlankPaddedMilliseconds) {
  EXPECT_EQ(CaptureFileBase("/f/", time), "/f/20160314-090507- 42");
  EXPECT_EQ(CaptureFileBase("/f/", QDateTime(QDate(2016, 3, 14), QTime(9, 5, 7, 5))), "/f/20160314-090507-  5");
  EXPECT_EQ(CaptureFileBase("/f/", QDateTime(QDate(2016, 3, 14), QTime(23, 59, 59, 999))), "/f/20160314-235959-999");
}

TEST_F(Snapshot, WritesTheJpegUprightAtItsSize) {
  const std::optional<QString> file = SaveSnapshot(GreenBottomRow(), Folder(), time);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(*file, Folder() + "20160314-090507- 42.jpg");
  const std::optional<Jpeg> jpeg = DecodeJpeg(*file);
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_EQ(jpeg->width, 640);
  EXPECT_EQ(jpeg->height, 480);
  // The first stored rows are the bottom of the file; the top row is grey.
  const std::size_t bottom = static_cast<std::size_t>(479) * 640 * 3;
  EXPECT_LT(jpeg->rgb[bottom], 40);
  EXPECT_GT(jpeg->rgb[bottom + 1], 215);
  EXPECT_NEAR(jpeg->rgb[1], 0x20, 8);
}

TEST_F(Snapshot, TwoInOneMillisecondKeepTwoFiles) {
  const CxImage picture = GreenBottomRow();
  EXPECT_EQ(SaveSnapshot(picture, Folder(), time), Folder() + "20160314-090507- 42.jpg");
  EXPECT_EQ(SaveSnapshot(picture, Folder(), time), Folder() + "20160314-090507- 42_2.jpg");
  EXPECT_EQ(Files(), (QStringList{"20160314-090507- 42.jpg", "20160314-090507- 42_2.jpg"}));
}

TEST_F(Snapshot, AMissingFolderIsMadeOneLevelDeepOnly) {
  const CxImage picture = GreenBottomRow();
  EXPECT_FALSE(SaveSnapshot(picture, Folder() + "a/b/", time).has_value());
  EXPECT_FALSE(QDir(Folder() + "a").exists());
  EXPECT_TRUE(SaveSnapshot(picture, Folder() + "a/", time).has_value());
  EXPECT_TRUE(QFile::exists(Folder() + "a/20160314-090507- 42.jpg"));
}

TEST_F(Snapshot, AnEmptyPictureWritesNothing) {
  EXPECT_FALSE(SaveSnapshot(CxImage(), Folder(), time).has_value());
  EXPECT_TRUE(Files().isEmpty());
}

}  // namespace
