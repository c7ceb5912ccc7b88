#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "outside/acam.h"
#include "outside/alc_backend.h"
#include "outside/alc_ids.h"

namespace {

// Logs every call it receives; keeps written bytes so they can be read back.
class RecordingBackend : public alc::Backend {
 public:
  void Open() override { log.push_back("Open"); }
  void Close() override { log.push_back("Close"); }
  bool GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) override {
    log.push_back("GetPidVid");
    vendorId = 0x1234;
    productId = 0xABCD;
    return true;
  }
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) override {
    log.push_back("Read " + std::to_string(address));
    if (failingReads.count(address)) return false;
    const auto it = flash.find(address);
    value = it == flash.end() ? 0xFF : it->second;
    return true;
  }
  bool WriteFlash(std::uint32_t address, std::uint8_t value) override {
    log.push_back("Write " + std::to_string(address) + "=" + std::to_string(value));
    flash[address] = value;
    return true;
  }
  bool SetFlashSize(std::uint32_t size) override {
    log.push_back("SetFlashSize " + std::to_string(size));
    return true;
  }

  std::vector<std::string> log;
  std::map<std::uint32_t, std::uint8_t> flash;
  std::set<std::uint32_t> failingReads;
};

using Log = std::vector<std::string>;

// The library's state is process-wide: every test starts and ends outside any bracket
// with no backend installed.
class AlcLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(alc::BracketDepth(), 0);
    backend = std::make_shared<RecordingBackend>();
    alc::InstallBackend(backend);
  }
  void TearDown() override {
    while (alc::BracketDepth() > 0) ALC_UnInitialize();
    alc::InstallBackend(nullptr);
  }

  std::shared_ptr<RecordingBackend> backend;
};

TEST_F(AlcLibrary, CallsOutsideABracketFailWithoutReachingTheBackend) {
  unsigned short vid = 0, pid = 0;
  unsigned char byte = 7;
  EXPECT_EQ(ALC_GetPIDVID(&vid, &pid), 0);
  EXPECT_EQ(ALC_ReadFlash(0, 1, &byte), 0);
  EXPECT_EQ(ALC_WriteFlash(0, 1, &byte), 0);
  EXPECT_EQ(ALC_SetFlashSize(8192), 0);
  ALC_UnInitialize();  // no bracket open: nothing happens
  EXPECT_EQ(alc::BracketDepth(), 0);
  EXPECT_TRUE(backend->log.empty());
  EXPECT_EQ(byte, 7);

  // After a bracket is closed, calls fail again.
  EXPECT_NE(ALC_Initialize(), 0);
  ALC_UnInitialize();
  EXPECT_EQ(ALC_ReadFlash(0, 1, &byte), 0);
  EXPECT_EQ(backend->log, (Log{"Open", "Close"}));
}

TEST_F(AlcLibrary, NestedBracketsAreCountedAndEveryOpenIsClosed) {
  ALC_Initialize();
  EXPECT_EQ(alc::BracketDepth(), 1);
  EXPECT_NE(ALC_SetFlashSize(8192), 0);
  ALC_Initialize();
  EXPECT_EQ(alc::BracketDepth(), 2);
  const unsigned char value = 0x5A;
  EXPECT_NE(ALC_WriteFlash(40, 1, &value), 0);
  ALC_UnInitialize();
  EXPECT_EQ(alc::BracketDepth(), 1);
  unsigned char read = 0;
  EXPECT_NE(ALC_ReadFlash(40, 1, &read), 0);  // the outer bracket is still open
  EXPECT_EQ(read, 0x5A);
  ALC_UnInitialize();
  EXPECT_EQ(alc::BracketDepth(), 0);
  ALC_UnInitialize();  // one too many: ignored, the depth never goes below zero
  EXPECT_EQ(alc::BracketDepth(), 0);

  EXPECT_EQ(backend->log,
            (Log{"Open", "SetFlashSize 8192", "Open", "Write 40=90", "Close", "Read 40", "Close"}));
}

TEST_F(AlcLibrary, IdentityAndByteRunsGoThroughTheBackend) {
  ALC_Initialize();
  unsigned short vid = 0, pid = 0;
  ASSERT_NE(ALC_GetPIDVID(&vid, &pid), 0);
  EXPECT_EQ(vid, 0x1234);  // first: vendor id
  EXPECT_EQ(pid, 0xABCD);  // second: product id

  const unsigned char src[3] = {1, 2, 3};
  EXPECT_NE(ALC_WriteFlash(100, 3, src), 0);
  unsigned char dest[3] = {};
  EXPECT_NE(ALC_ReadFlash(100, 3, dest), 0);
  EXPECT_EQ(dest[0], 1);
  EXPECT_EQ(dest[1], 2);
  EXPECT_EQ(dest[2], 3);
  EXPECT_EQ(backend->log, (Log{"Open", "GetPidVid", "Write 100=1", "Write 101=2", "Write 102=3", "Read 100",
                               "Read 101", "Read 102"}));

  // Null pointers fail before the backend is asked.
  backend->log.clear();
  EXPECT_EQ(ALC_GetPIDVID(nullptr, &pid), 0);
  EXPECT_EQ(ALC_GetPIDVID(&vid, nullptr), 0);
  EXPECT_EQ(ALC_ReadFlash(0, 1, nullptr), 0);
  EXPECT_EQ(ALC_WriteFlash(0, 1, nullptr), 0);
  EXPECT_TRUE(backend->log.empty());

  // A failing byte fails the call.
  backend->failingReads = {201};
  unsigned char two[2] = {};
  EXPECT_EQ(ALC_ReadFlash(200, 2, two), 0);
  ALC_UnInitialize();
}

TEST_F(AlcLibrary, WithoutBackendEveryCallFailsButBracketsStillBalance) {
  alc::InstallBackend(nullptr);
  EXPECT_EQ(ALC_Initialize(), 0);
  EXPECT_EQ(alc::BracketDepth(), 1);
  unsigned short vid = 0, pid = 0;
  unsigned char byte = 0;
  EXPECT_EQ(ALC_GetPIDVID(&vid, &pid), 0);
  EXPECT_EQ(ALC_ReadFlash(0, 1, &byte), 0);
  EXPECT_EQ(ALC_WriteFlash(0, 1, &byte), 0);
  EXPECT_EQ(ALC_SetFlashSize(8192), 0);
  ALC_UnInitialize();
  EXPECT_EQ(alc::BracketDepth(), 0);
  EXPECT_TRUE(backend->log.empty());
}

TEST_F(AlcLibrary, ReplacingTheBackendInsideABracketKeepsBothBalanced) {
  EXPECT_EQ(alc::InstalledBackend(), backend);
  ALC_Initialize();
  ALC_Initialize();
  auto second = std::make_shared<RecordingBackend>();
  EXPECT_EQ(alc::InstallBackend(second), backend);
  EXPECT_EQ(alc::InstalledBackend(), second);
  ALC_UnInitialize();
  ALC_UnInitialize();
  EXPECT_EQ(backend->log, (Log{"Open", "Open", "Close", "Close"}));
  EXPECT_EQ(second->log, (Log{"Open", "Open", "Close", "Close"}));
}

TEST(AlcIdText, FourUpperCaseHexDigitsWithLeadingZeros) {
  EXPECT_EQ(AlcIdText(0x9ABC), "9ABC");
  EXPECT_EQ(AlcIdText(0x1), "0001");
  EXPECT_EQ(AlcIdText(0x00ef), "00EF");
  EXPECT_EQ(AlcIdText(0), "0000");
  EXPECT_EQ(AlcIdText(0xFFFF), "FFFF");
}

}  // namespace
