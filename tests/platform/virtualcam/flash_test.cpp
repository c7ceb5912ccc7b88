// The virtual camera's flash: persistence in its image file, erased bytes, failing reads.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/virtualcam/virtual_camera.h"

using platform::VirtualCamera;
using platform::VirtualCameraOptions;

namespace {

VirtualCameraOptions WithFlash(const QString& path) {
  VirtualCameraOptions options;
  options.flashPath = path;
  return options;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int Byte(const VirtualCamera& camera, std::uint32_t address) {
  std::uint8_t value = 0;
  return camera.ReadFlash(address, value) ? value : -1;
}

}  // namespace

TEST(VirtualCameraFlash, PersistsBetweenCamerasOnTheSameFile) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/not/yet/there/flash.bin";  // folders made on the first flush
  {
    VirtualCamera camera(WithFlash(path));
    EXPECT_EQ(Byte(camera, 0x1D00), 0xFF);
    EXPECT_TRUE(camera.FlushFlash());  // nothing written: no file yet
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(camera.WriteFlash(0x1D00, 0x42));
    ASSERT_TRUE(camera.WriteFlash(0x1FFF, 0x00));
    EXPECT_FALSE(camera.WriteFlash(0x2000, 0x01));
    EXPECT_EQ(Byte(camera, 0x1D00), 0x42);
    ASSERT_TRUE(camera.FlushFlash());
    const QByteArray image = ReadFile(path);
    ASSERT_EQ(image.size(), 8192);
    EXPECT_EQ(static_cast<std::uint8_t>(image[0x1D00]), 0x42);
    EXPECT_EQ(static_cast<std::uint8_t>(image[0x1C00]), 0xFF);
    // A write that is not flushed by hand is flushed when the camera goes away.
    ASSERT_TRUE(camera.WriteFlash(0x1C17, 0x01));
  }
  VirtualCamera again(WithFlash(path));
  EXPECT_EQ(Byte(again, 0x1D00), 0x42);
  EXPECT_EQ(Byte(again, 0x1FFF), 0x00);
  EXPECT_EQ(Byte(again, 0x1C17), 0x01);
  EXPECT_EQ(Byte(again, 0x1C00), 0xFF);
  // Only the image file itself is left in the folder: no temporary files.
  EXPECT_EQ(QDir(dir.path() + "/not/yet/there").entryList(QDir::Files), QStringList{"flash.bin"});
}

TEST(VirtualCameraFlash, ShortFilesReadAsErasedAndLongFilesAreCut) {
  QTemporaryDir dir;
  const QString shortPath = dir.path() + "/short.bin";
  WriteFile(shortPath, QByteArray("\x01\x02\x03", 3));
  VirtualCamera shortCamera(WithFlash(shortPath));
  EXPECT_EQ(Byte(shortCamera, 0), 1);
  EXPECT_EQ(Byte(shortCamera, 2), 3);
  EXPECT_EQ(Byte(shortCamera, 3), 0xFF);
  EXPECT_EQ(Byte(shortCamera, 8191), 0xFF);

  const QString longPath = dir.path() + "/long.bin";
  QByteArray longImage(9000, '\x11');
  longImage[8191] = '\x22';
  WriteFile(longPath, longImage);
  VirtualCamera longCamera(WithFlash(longPath));
  EXPECT_EQ(Byte(longCamera, 8191), 0x22);
  EXPECT_EQ(Byte(longCamera, 8192), -1);
  ASSERT_TRUE(longCamera.WriteFlash(0, 0x33));
  ASSERT_TRUE(longCamera.FlushFlash());
  EXPECT_EQ(ReadFile(longPath).size(), 8192);
}

TEST(VirtualCameraFlash, ReadsFailAtChosenAddresses) {
  VirtualCameraOptions options;
  options.failingFlashReads = {0x1C00, 0x1C17};
  VirtualCamera camera(options);  // no file: kept in memory
  ASSERT_TRUE(camera.WriteFlash(0x1C00, 5));
  EXPECT_EQ(Byte(camera, 0x1C00), -1);
  EXPECT_EQ(Byte(camera, 0x1C17), -1);
  EXPECT_EQ(Byte(camera, 0x1C01), 0xFF);
  camera.SetFailingFlashReads({0x1C01});
  EXPECT_EQ(Byte(camera, 0x1C00), 5);
  EXPECT_EQ(Byte(camera, 0x1C01), -1);
  EXPECT_TRUE(camera.FlushFlash());
}

TEST(VirtualCameraFlash, FailedFlushKeepsTheWritesForTheNextOne) {
  QTemporaryDir dir;
  const QString blocker = dir.path() + "/blocker";
  WriteFile(blocker, "a file where the folder should be");
  const QString path = blocker + "/flash.bin";
  VirtualCamera camera(WithFlash(path));
  ASSERT_TRUE(camera.WriteFlash(10, 0x5A));
  EXPECT_FALSE(camera.FlushFlash());
  ASSERT_TRUE(QFile::remove(blocker));
  ASSERT_TRUE(camera.FlushFlash());
  const QByteArray image = ReadFile(path);
  ASSERT_EQ(image.size(), 8192);
  EXPECT_EQ(static_cast<std::uint8_t>(image[10]), 0x5A);
}
