#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <optional>

#include "outside/acam.h"
#include "outside/flash_file_backend.h"

namespace {

platform::UsbIdentity TestCamera() { return {0x1D6B, 0x00C2, QStringLiteral("SN-42")}; }

// The flash file backend installed in the camera-control library, over a temporary folder.
class FlashFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(alc::BracketDepth(), 0);
    folder = dir.filePath("flash");
    Install(TestCamera());
  }
  void TearDown() override {
    while (alc::BracketDepth() > 0) ALC_UnInitialize();
    alc::InstallBackend(nullptr);
  }

  void Install(std::optional<platform::UsbIdentity> camera) {
    backend = std::make_shared<FlashFileBackend>(folder, [this, camera] {
      ++finds;
      return camera;
    });
    alc::InstallBackend(backend);
  }
  QString FilePath() const { return backend->FlashFilePath(TestCamera()); }
  QByteArray FileBytes() const {
    QFile file(FilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void WriteFile(const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }
  // One byte read in its own bracket; -1 when the read fails.
  int ReadByte(unsigned int address) {
    ALC_Initialize();
    unsigned char value = 0;
    const bool ok = ALC_ReadFlash(address, 1, &value) != 0;
    ALC_UnInitialize();
    return ok ? value : -1;
  }

  QTemporaryDir dir;
  QString folder;
  std::shared_ptr<FlashFileBackend> backend;
  int finds = 0;
};

TEST_F(FlashFile, WrittenBytesAreOnDiskWhenTheBracketClosesAndReadBack) {
  ALC_Initialize();
  ALC_SetFlashSize(8192);
  const unsigned char values[3] = {0x00, 0x7E, 0xA5};
  const unsigned int addresses[3] = {0, 1000, 8191};
  for (int i = 0; i < 3; ++i) EXPECT_NE(ALC_WriteFlash(addresses[i], 1, &values[i]), 0);
  ALC_UnInitialize();

  // The folder was created; the file is the whole flash, erased where nothing was written.
  const QByteArray bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 8192);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<unsigned char>(bytes[addresses[i]]), values[i]);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[8190]), 0xFF);
  // Only the flash file is left in the folder: no temporary file stays behind.
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(FilePath()).fileName()});

  // A fresh backend (as after a restart) reads the bytes back from the file.
  Install(TestCamera());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadByte(addresses[i]), values[i]);
  EXPECT_EQ(ReadByte(2), 0xFF);
}

TEST_F(FlashFile, AnInnerBracketPutsItsWritesOnDiskBeforeTheOuterOneCloses) {
  ALC_Initialize();
  ALC_Initialize();
  const unsigned char value = 0x33;
  ALC_WriteFlash(12, 1, &value);
  ALC_UnInitialize();
  EXPECT_EQ(FileBytes().size(), 8192);
  EXPECT_EQ(FileBytes()[12], 0x33);
  unsigned char read = 0;
  EXPECT_NE(ALC_ReadFlash(12, 1, &read), 0);
  EXPECT_EQ(read, 0x33);
  ALC_UnInitialize();
  // The camera is looked for once per outermost bracket.
  EXPECT_EQ(finds, 1);
}

TEST_F(FlashFile, MissingShortAndLongFilesReadAsErasedBeyondTheirContent) {
  // No file at all: an erased flash.
  EXPECT_EQ(ReadByte(0), 0xFF);
  EXPECT_EQ(ReadByte(8191), 0xFF);
  EXPECT_FALSE(QFile::exists(FilePath()));  // reading writes nothing

  WriteFile(QByteArray("\x01\x02\x03", 3));
  EXPECT_EQ(ReadByte(0), 1);
  EXPECT_EQ(ReadByte(2), 3);
  EXPECT_EQ(ReadByte(3), 0xFF);
  EXPECT_EQ(ReadByte(8191), 0xFF);

  QByteArray longer(9000, '\x11');
  longer[8191] = '\x22';
  WriteFile(longer);
  EXPECT_EQ(ReadByte(8191), 0x22);
  EXPECT_EQ(ReadByte(8192), -1);

  // A directory where the file should be counts as erased too.
  ASSERT_TRUE(QFile::remove(FilePath()));
  ASSERT_TRUE(QDir().mkpath(FilePath()));
  EXPECT_EQ(ReadByte(5), 0xFF);
}

TEST_F(FlashFile, AddressesOutsideTheFlashFail) {
  ALC_Initialize();
  const unsigned char values[2] = {1, 2};
  EXPECT_EQ(ALC_WriteFlash(8192, 1, values), 0);
  EXPECT_EQ(ALC_WriteFlash(8191, 2, values), 0);  // runs past the end
  unsigned char read[2] = {};
  EXPECT_EQ(ALC_ReadFlash(0xFFFFFFFFu, 2, read), 0);
  EXPECT_EQ(ALC_SetFlashSize(8193), 0);
  EXPECT_NE(ALC_SetFlashSize(8192), 0);
  ALC_UnInitialize();
}

TEST_F(FlashFile, WithoutACameraEveryCallFailsAndNothingIsWritten) {
  Install(std::nullopt);
  ALC_Initialize();
  unsigned short vid = 0, pid = 0;
  EXPECT_EQ(ALC_GetPIDVID(&vid, &pid), 0);
  const unsigned char value = 0;
  EXPECT_EQ(ALC_WriteFlash(0, 1, &value), 0);
  unsigned char read = 0;
  EXPECT_EQ(ALC_ReadFlash(0, 1, &read), 0);
  ALC_UnInitialize();
  EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(FlashFile, IdentityComesFromTheCameraFoundAtOpen) {
  ALC_Initialize();
  unsigned short vid = 0, pid = 0;
  ASSERT_NE(ALC_GetPIDVID(&vid, &pid), 0);
  EXPECT_EQ(vid, 0x1D6B);
  EXPECT_EQ(pid, 0x00C2);
  ALC_UnInitialize();
  // Outside a bracket the camera is forgotten.
  EXPECT_FALSE(backend->GetPidVid(vid, pid));
}

TEST_F(FlashFile, FileNamesUseUpperCaseIdsAndAnEscapedSerial) {
  EXPECT_EQ(QFileInfo(backend->FlashFilePath({0xabcd, 0x1, QStringLiteral("A1b2")})).fileName(),
            "ABCD-0001-A1b2.flash");
  // Serials with separators or dots never leave the folder, and distinct serials keep
  // distinct files.
  const QString hostile = backend->FlashFilePath({1, 2, QStringLiteral("../../x/y")});
  EXPECT_EQ(QFileInfo(hostile).absolutePath(), QDir(folder).absolutePath());
  EXPECT_NE(backend->FlashFilePath({1, 2, QStringLiteral("a/b")}), backend->FlashFilePath({1, 2, QStringLiteral("a_b")}));
  EXPECT_NE(backend->FlashFilePath({1, 2, QStringLiteral("a/b")}), backend->FlashFilePath({1, 2, QStringLiteral("a%2Fb")}));
  // A very long serial still gives a usable file name.
  const QString longSerial = QFileInfo(backend->FlashFilePath({1, 2, QString(400, QChar(0x00E9))})).fileName();
  EXPECT_LT(longSerial.toUtf8().size(), 255);

  // A camera with such a serial keeps its flash like any other.
  const platform::UsbIdentity odd{0x0BDA, 0x5830, QStringLiteral("../odd serial")};
  Install(odd);
  ALC_Initialize();
  const unsigned char value = 0x44;
  ALC_WriteFlash(7, 1, &value);
  ALC_UnInitialize();
  ASSERT_TRUE(QFile::exists(backend->FlashFilePath(odd)));
  EXPECT_EQ(ReadByte(7), 0x44);
}

}  // namespace
