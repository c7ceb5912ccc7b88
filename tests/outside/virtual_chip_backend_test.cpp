// The camera-control library's backend over the virtual camera's chip.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "outside/virtual_chip_backend.h"

namespace {

using platform::VirtualCamera;
using platform::VirtualCameraOptions;

TEST(VirtualChipBackend, AnswersWhileTheCameraIsPlugged) {
  QTemporaryDir dir;
  VirtualCameraOptions options;
  options.flashPath = dir.path() + "/flash.bin";
  auto camera = std::make_shared<VirtualCamera>(options);
  VirtualChipBackend chip(camera);

  std::uint16_t vid = 0, pid = 0;
  ASSERT_TRUE(chip.GetPidVid(vid, pid));
  EXPECT_EQ(vid, 0x1D6C);
  EXPECT_EQ(pid, 0x0A51);
  EXPECT_TRUE(chip.SetFlashSize(8192));
  EXPECT_FALSE(chip.SetFlashSize(8193));

  // A bracket's writes are on disk when it closes.
  chip.Open();
  ASSERT_TRUE(chip.WriteFlash(0x1D05, 0x77));
  chip.Close();
  QFile file(options.flashPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray image = file.readAll();
  ASSERT_EQ(image.size(), 8192);
  EXPECT_EQ(static_cast<std::uint8_t>(image[0x1D05]), 0x77);

  camera->Unplug();
  vid = pid = 0;
  std::uint8_t value = 0;
  EXPECT_FALSE(chip.GetPidVid(vid, pid));
  EXPECT_FALSE(chip.ReadFlash(0x1D05, value));
  EXPECT_FALSE(chip.WriteFlash(0x1D05, 0x01));
  camera->Plug();
  ASSERT_TRUE(chip.ReadFlash(0x1D05, value));
  EXPECT_EQ(value, 0x77);
}

TEST(VirtualChipBackend, WritesItsImageFileDidNotTakeAreNotReadBack) {
  QTemporaryDir dir;
  // The image's folder is a file: no flush can write it.
  QFile blocker(dir.path() + "/not-a-folder");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  VirtualCameraOptions options;
  options.flashPath = blocker.fileName() + "/flash.bin";
  auto camera = std::make_shared<VirtualCamera>(options);
  VirtualChipBackend chip(camera);

  chip.Open();
  ASSERT_TRUE(chip.WriteFlash(0x1D05, 0x77));
  std::uint8_t value = 0;
  EXPECT_TRUE(chip.ReadFlash(0x1D05, value));  // within the bracket, before any flush
  chip.Close();
  chip.Open();
  EXPECT_FALSE(chip.ReadFlash(0x1D05, value)) << "a write the file never took reads back as stored";
  chip.Close();

  // Once the folder can be made, the next bracket stores the pending writes and reads
  // answer again.
  ASSERT_TRUE(QFile::remove(blocker.fileName()));
  ASSERT_TRUE(QDir().mkpath(blocker.fileName()));
  chip.Open();
  ASSERT_TRUE(chip.ReadFlash(0x1D05, value));
  EXPECT_EQ(value, 0x77);
  chip.Close();
  EXPECT_TRUE(QFile::exists(options.flashPath));
}

}  // namespace
