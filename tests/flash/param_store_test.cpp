#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "flash/param_store.h"
#include "flash_fakes.h"
#include "outside/acam.h"
#include "outside/flash_file_backend.h"

namespace {

using namespace flashtest;
using Bytes = std::vector<std::pair<std::uint32_t, std::uint8_t>>;

Log Join(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
Log Writes(const Bytes& bytes) {
  Log log;
  for (const auto& [address, value] : bytes) log.push_back(Write(address, value));
  return log;
}
Log ReadsOf(const Bytes& bytes) {
  Log log;
  for (const auto& [address, value] : bytes) log.push_back(Read(address));
  return log;
}
Log Reads(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> ranges) {
  Log log;
  for (const auto& [first, last] : ranges)
    for (std::uint32_t a = first; a <= last; ++a) log.push_back(Read(a));
  return log;
}

// The members the blocks feed, the recording flash installed, and a camera whose
// properties answer 0, manual, until a test says otherwise.
class ParamStore : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = alc::InstallBackend(flash);
    for (long p : {0, 1, 2, 3, 4, 5, 7, 9}) amp->values[p] = {0, 2};
    control->values[CameraControl_Exposure] = {0, 2};
  }
  void TearDown() override {
    EXPECT_EQ(alc::BracketDepth(), 0);
    alc::InstallBackend(previous);
  }
  FlashParams Params() { return {formatIndex, formatMjpg, view, overlay, camera}; }
  CameraProperties Camera() { return {amp, control, power}; }
  void Store(const Bytes& bytes) {
    for (const auto& [address, value] : bytes) flash->image[address] = value;
  }
  void SetMembersAndCamera() {
    formatMjpg = true;
    formatIndex = 3;
    view.m_fZoom = 1.7f;
    overlay = {false, 0x00112233, 0.4f, true, 0x00AABBCC, 0.2f};
    view.m_fPanZoom = 2.5f;
    view.m_fPanOffsetX = -0.25f;
    view.m_fPanOffsetY = 0.123f;
    camera.m_nPowerLineFreq = 2;
    amp->values = {{0, {-1, 2}}, {1, {40, 2}}, {3, {200, 2}}, {2, {-5, 2}},
                   {5, {300, 2}}, {4, {7, 2}},  {9, {64, 2}},  {7, {5120, 1}}};
    control->values[CameraControl_Exposure] = {-7, 2};
  }

  Log log;
  std::shared_ptr<RecordingFlash> flash = std::make_shared<RecordingFlash>(log);
  std::shared_ptr<alc::Backend> previous;
  std::shared_ptr<FakeProcAmp> amp = std::make_shared<FakeProcAmp>(log, "amp");
  std::shared_ptr<FakeCameraControl> control = std::make_shared<FakeCameraControl>(log, "control");
  std::shared_ptr<FakePowerLine> power = std::make_shared<FakePowerLine>(log);
  int formatIndex = 99;
  bool formatMjpg = true;
  ViewSettings view;
  OverlaySettings overlay;
  CameraParams camera;
};

const Log kMarkerReadAndDefaultBlock = Join({{"open"}, Reads({{0x1C17, 0x1C17}, {0x1C00, 0x1C16}, {0x1C20, 0x1C20}})});

TEST_F(ParamStore, SaveSetsTheMarkerThenWritesTheWholeBlockByteByByteAndReadsItBack) {
  SetMembersAndCamera();
  const Bytes marker = {{0x1C17, 1}};
  const Bytes viewPart = {{0x1D20, 0x01}, {0x1D00, 0x03}, {0x1D01, 0x00}, {0x1D02, 0x64}, {0x1D03, 0x00},
                          {0x1D04, 0x50}, {0x1D05, 0x33}, {0x1D06, 0x22}, {0x1D07, 0x11}, {0x1D08, 0x00},
                          {0x1D09, 0x28}, {0x1D0A, 0xCC}, {0x1D0B, 0xBB}, {0x1D0C, 0xAA}, {0x1D0D, 0x01},
                          {0x1D14, 0x00}, {0x1D15, 0xFA}, {0x1D16, 0x00}, {0x1D0E, 0xFF}, {0x1D0F, 0xE7},
                          {0x1D10, 0x00}, {0x1D11, 0x00}, {0x1D12, 0x0C}, {0x1D13, 0x03}};
  const Bytes cameraPart = {{0x1D21, 0xFF}, {0x1D23, 0x28}, {0x1D25, 0xC8}, {0x1D2A, 0x02},
                            {0x1D27, 0xFF}, {0x1D28, 0xFB}, {0x1D2B, 0x07}, {0x1D2D, 0x01},
                            {0x1D2E, 0x2C}, {0x1D30, 0x14}, {0x1D31, 0x00}, {0x1D32, 0x01},
                            {0x1D33, 0xF9}, {0x1D34, 0x00}, {0x1D35, 0x40}, {0x1D36, 0x00}};
  const Log gets = {"amp get 0", "amp get 1", "amp get 3", "amp get 2", "amp get 5",
                    "amp get 4", "amp get 9", "amp get 7", "control get 4"};
  const auto erased = flash->image;

  ASSERT_TRUE(SaveAllParams(Params(), Camera()));

  EXPECT_EQ(log, Join({{"open", "size 8192"}, Writes(marker), {"open", "size 8192"}, Writes(viewPart), gets,
                       Writes(cameraPart), {"close", "close", "open"}, ReadsOf(marker), ReadsOf(viewPart),
                       ReadsOf(cameraPart), {"close"}}));
  auto image = erased;
  for (const Bytes* part : {&marker, &viewPart, &cameraPart})
    for (const auto& [address, value] : *part) image[address] = value;
  EXPECT_EQ(flash->image, image);
}

TEST_F(ParamStore, CloseTimeWriteTakesFourValuesFromTheCameraThenWritesElevenBytesAndLeavesTheMarker) {
  Store({{0x1C17, 1}});
  const auto before = flash->image;
  formatMjpg = false;
  formatIndex = 2;
  view.m_fZoom = 1.5f;
  camera.m_nPowerLineFreq = 1;
  amp->values = {{0, {-1, 2}}, {1, {40, 2}}, {3, {200, 2}}, {2, {300, 2}}};
  const Bytes written = {{0x1D20, 0x00}, {0x1D00, 0x02}, {0x1D21, 0xFF}, {0x1D23, 0x28},
                         {0x1D25, 0xC8}, {0x1D2A, 0x01}, {0x1D01, 0x00}, {0x1D02, 0x96},
                         {0x1D03, 0x00}, {0x1D27, 0x01}, {0x1D28, 0x2C}};

  ASSERT_TRUE(WriteBasicParams(Params(), Camera()));

  EXPECT_EQ(log, Join({{"amp get 0", "amp get 1", "amp get 3", "amp get 2", "open", "size 8192"}, Writes(written),
                       {"close", "open"}, ReadsOf(written), {"close"}}));
  auto image = before;
  for (const auto& [address, value] : written) image[address] = value;
  EXPECT_EQ(flash->image, image);
}

TEST_F(ParamStore, GraphBuildWithoutTheMarkerReadsTwentyFiveBytesAndTakesTheCameraValues) {
  ReadCameraParams(Params(), Camera(), true);
  EXPECT_EQ(log, Join({kMarkerReadAndDefaultBlock,
                       {"amp get 0", "amp get 1", "amp get 3", "amp get 2", "amp get 9", "amp get 5", "amp get 4",
                        "amp get 7", "control get 4", "power get 13", "close"}}));
}

TEST_F(ParamStore, GraphBuildWithTheMarkerReadsSixtyFiveBytesZoomLastAndPushesTheSavedBlock) {
  Store({{0x1C17, 1}});
  ReadCameraParams(Params(), Camera(), true);
  const Log saved = Reads({{0x1D04, 0x1D16}, {0x1D20, 0x1D20}, {0x1D00, 0x1D00}, {0x1D21, 0x1D21}, {0x1D23, 0x1D23},
                           {0x1D25, 0x1D25}, {0x1D2B, 0x1D2B}, {0x1D27, 0x1D28}, {0x1D2D, 0x1D2E}, {0x1D30, 0x1D32},
                           {0x1D2A, 0x1D2A}, {0x1D33, 0x1D36}, {0x1D01, 0x1D03}});
  // An erased saved block: contrast and saturation 255, hue -1 and white balance 65535
  // (a high byte of 0xFF is data there), the rest absent.
  const Log sets = {"amp set 0 0 2", "amp set 1 255 2", "amp set 3 255 2", "amp set 2 -1 2", "amp set 4 0 2",
                    "amp set 5 0 2", "amp set 9 0 2", "amp set 7 65535 2", "control set 4 0 2", "power set 13 1 2"};
  EXPECT_EQ(log, Join({kMarkerReadAndDefaultBlock, saved, sets, {"close"}}));
  EXPECT_EQ(saved.size(), 40u);
  // Unlike the default block's, erased colours are black here and an erased size byte is 0.5.
  EXPECT_EQ(overlay.m_clrMask, 0x000000u);
  EXPECT_EQ(overlay.m_clrCross, 0x000000u);
  EXPECT_EQ(overlay.m_fCrossSize, 0.5f);
}

TEST_F(ParamStore, ErasedFlashGivesTheDefaultsAndTheCameraValuesAndOutsideServiceModeNoCrosshair) {
  overlay = {false, 0x123456, 0.3f, false, 0x654321, 0.3f};
  view.m_fZoom = 2.0f;
  view.m_fPanZoom = 3.0f;
  view.m_fPanOffsetX = 0.5f;
  view.m_fPanOffsetY = 0.5f;
  SetMembersAndCamera();

  ReadCameraParams(Params(), Camera(), true);
  EXPECT_EQ(formatIndex, 0);
  EXPECT_FALSE(formatMjpg);
  EXPECT_EQ(view.m_fZoom.load(), 1.0f);
  EXPECT_EQ(std::make_tuple(overlay.m_fMaskSize, overlay.m_clrMask, overlay.m_bMaskOn), std::make_tuple(0.5f, 0u, true));
  EXPECT_EQ(std::make_tuple(overlay.m_fCrossSize, overlay.m_clrCross, overlay.m_bCrossOn),
            std::make_tuple(0.15f, 0xFFFFFFu, true));
  EXPECT_EQ(view.m_fPanOffsetX.load(), 0.0f);
  EXPECT_EQ(view.m_fPanOffsetY.load(), 0.0f);
  EXPECT_EQ(view.m_fPanZoom.load(), 1.0f);
  const CameraParams& c = camera;
  EXPECT_EQ(std::vector<int>({c.m_nBrightness, c.m_nContrast, c.m_nSaturation, c.m_nHue, c.m_nGamma, c.m_nSharpness,
                              c.m_nGain, c.m_nWhiteBalance, c.m_nExposure, c.m_nPowerLineFreq}),
            std::vector<int>({-1, 40, 200, -5, 300, 7, 64, 5120, -7, 1}));
  EXPECT_EQ(std::make_tuple(c.m_bGainAuto, c.m_bWhiteBalanceAuto, c.m_bExposureAuto),
            std::make_tuple(false, true, false));

  ReadCameraParams(Params(), Camera(), false);
  EXPECT_FALSE(overlay.m_bCrossOn);
  EXPECT_TRUE(overlay.m_bMaskOn);
}

TEST_F(ParamStore, RefusedExposureKeepsItsMembersAndARefusedPowerLineGivesSixtyHertz) {
  control->values.clear();
  power->refuse = true;
  camera.m_nExposure = -4;
  camera.m_bExposureAuto = true;
  ReadCameraParams(Params(), Camera(), true);
  EXPECT_EQ(std::make_tuple(camera.m_nExposure, camera.m_bExposureAuto, camera.m_nPowerLineFreq),
            std::make_tuple(-4, true, 2));
}

TEST_F(ParamStore, AMissingInterfaceIsSkippedAndTheOverlayRuleStillHolds) {
  Store({{0x1C17, 1}, {0x1D08, 0}});  // mask off
  ReadCameraParams(Params(), {amp, nullptr, nullptr}, false);
  EXPECT_EQ(Log(log.end() - 2, log.end()), Log({"amp set 7 65535 2", "close"}));
  EXPECT_TRUE(overlay.m_bMaskOn);
  EXPECT_FALSE(overlay.m_bCrossOn);
}

TEST_F(ParamStore, SavedValuesComeBackAtTheNextGraphBuildWithTheKeptQuirksAndGoToTheCamera) {
  SetMembersAndCamera();
  overlay.m_fMaskSize = 0.45f;
  view.m_fPanOffsetX = 0.003f;
  amp->values[2] = {300, 2};
  amp->values[9] = {64, 1};
  control->values[CameraControl_Exposure] = {-1, 1};
  camera.m_nPowerLineFreq = 1;
  ASSERT_TRUE(SaveAllParams(Params(), Camera()));

  log.clear();
  ReadCameraParams(Params(), Camera(), true);
  EXPECT_EQ(std::make_tuple(formatIndex, formatMjpg, view.m_fZoom.load()), std::make_tuple(3, true, 1.0f));
  EXPECT_EQ(overlay.m_fMaskSize, 0.44f);
  EXPECT_EQ(view.m_fPanOffsetX.load(), -0.003f);
  EXPECT_EQ(view.m_fPanOffsetY.load(), 0.123f);
  EXPECT_EQ(Log(log.end() - 11, log.end() - 1),
            Log({"amp set 0 0 2", "amp set 1 40 2", "amp set 3 200 2", "amp set 2 300 2", "amp set 4 7 2",
                 "amp set 5 300 2", "amp set 9 64 1", "amp set 7 5120 1", "control set 4 0 1", "power set 13 1 2"}));
}

TEST_F(ParamStore, DefaultBlockBytesThatFailOrAreErasedTakeTheirOwnValues) {
  flash->failingReads = {0x1C00, 0x1C03, 0x1C04, 0x1C08, 0x1C0A, 0x1C0D, 0x1C11, 0x1C16, 0x1C17, 0x1C20};
  Store({{0x1C01, 0x00}, {0x1C02, 0x96}, {0x1C03, 0x00}, {0x1C09, 0x10}, {0x1C0B, 0x20}, {0x1C0C, 0x30},
         {0x1C0E, 0x00}, {0x1C0F, 0x19}, {0x1C12, 0x19}, {0x1C13, 0x00}, {0x1C14, 0x00}, {0x1C15, 0x96},
         {0x1C16, 0x00}});
  ReadCameraParams(Params(), {}, true);
  EXPECT_EQ(std::make_tuple(formatIndex, formatMjpg, view.m_fZoom.load(), view.m_fPanZoom.load()),
            std::make_tuple(0, false, 1.0f, 1.0f));
  EXPECT_EQ(std::make_tuple(overlay.m_fMaskSize, overlay.m_bMaskOn, overlay.m_bCrossOn), std::make_tuple(0.5f, true, true));
  EXPECT_EQ(overlay.m_fCrossSize, 0.15f);     // raised from 0.08
  EXPECT_EQ(overlay.m_clrCross, 0x3020FFu);   // an unread red is full red
  EXPECT_EQ(view.m_fPanOffsetX.load(), 0.25f);  // an erased digit counts as 0
  EXPECT_EQ(view.m_fPanOffsetY.load(), 0.25f);  // so does an unread high byte

  flash->failingReads.clear();
  Store({{0x1C04, 0x10}, {0x1C09, 0xFF}});
  ReadCameraParams(Params(), {}, true);
  EXPECT_EQ(std::make_tuple(overlay.m_fMaskSize, overlay.m_fCrossSize), std::make_tuple(0.25f, 0.15f));
  EXPECT_EQ(std::make_tuple(view.m_fZoom.load(), view.m_fPanZoom.load()), std::make_tuple(1.5f, 1.5f));
}

TEST_F(ParamStore, SavedBlockBytesThatFailOrAreErasedTakeTheirOwnValues) {
  flash->failingReads = {0x1D03, 0x1D04, 0x1D07, 0x1D09, 0x1D0C, 0x1D10, 0x1D16, 0x1D28, 0x1D2A, 0x1D31};
  Store({{0x1C17, 1},    {0x1D01, 0x00}, {0x1D02, 0x96}, {0x1D0E, 0x00}, {0x1D0F, 0x19}, {0x1D11, 0xFF},
         {0x1D12, 0xE7}, {0x1D13, 0x00}, {0x1D14, 0x00}, {0x1D15, 0x96}, {0x1D16, 0x00}, {0x1D27, 0x01},
         {0x1D2D, 0xFF}, {0x1D2E, 0x10}, {0x1D30, 0x14}, {0x1D33, 0x02}});
  ReadCameraParams(Params(), {}, true);
  EXPECT_EQ(std::make_tuple(overlay.m_fMaskSize, overlay.m_clrMask), std::make_tuple(0.5f, 0u));
  EXPECT_EQ(std::make_tuple(overlay.m_fCrossSize, overlay.m_clrCross), std::make_tuple(0.15f, 0x0000FFu));
  EXPECT_EQ(std::make_tuple(view.m_fPanOffsetX.load(), view.m_fPanOffsetY.load()), std::make_tuple(0.0f, -0.25f));
  EXPECT_EQ(std::make_tuple(view.m_fZoom.load(), view.m_fPanZoom.load()), std::make_tuple(1.0f, 1.0f));
  EXPECT_EQ(std::vector<int>({camera.m_nHue, camera.m_nPowerLineFreq, camera.m_nGamma, camera.m_nWhiteBalance,
                              camera.m_nExposure}),
            std::vector<int>({0, 1, 0, 0, -254}));

  flash->failingReads.clear();
  Store({{0x1D01, 0x01}, {0x1D02, 0x91}, {0x1D03, 0x00}});  // zoom 4.01
  ReadCameraParams(Params(), {}, true);
  EXPECT_EQ(std::make_tuple(view.m_fZoom.load(), view.m_fPanZoom.load()), std::make_tuple(1.0f, 1.5f));
  EXPECT_EQ(std::make_tuple(camera.m_nHue, camera.m_nWhiteBalance), std::make_tuple(0x01FF, 0x14FF));
}

TEST_F(ParamStore, NothingIsReportedStoredThatTheStoreDidNotKeep) {
  for (bool refuse : {true, false}) {
    flash->refuseWrites = refuse;
    flash->forgetWrites = !refuse;
    EXPECT_FALSE(SaveAllParams(Params(), Camera()));
    EXPECT_FALSE(WriteAllParams(Params(), Camera()));
    EXPECT_FALSE(WriteBasicParams(Params(), Camera()));
    EXPECT_FALSE(ClearSavedBlockMarker());
  }
  flash->forgetWrites = false;
  EXPECT_TRUE(ClearSavedBlockMarker());
  EXPECT_EQ(flash->image[0x1C17], 0);
  alc::InstallBackend(nullptr);
  EXPECT_FALSE(SaveAllParams(Params(), Camera()));
}

TEST_F(ParamStore, AFlashFileThatCannotBeWrittenIsNotReportedSavedAndOneThatCanIsReadBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile blocker(dir.filePath("blocked"));  // a file where the flash folder would be
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const auto camera = [] {
    return std::optional<platform::UsbIdentity>(platform::UsbIdentity{0x1D6B, 0x0102, QStringLiteral("A1")});
  };
  alc::InstallBackend(std::make_shared<FlashFileBackend>(dir.filePath("blocked"), camera));
  EXPECT_FALSE(SaveAllParams(Params(), Camera()));

  alc::InstallBackend(std::make_shared<FlashFileBackend>(dir.filePath("flash"), camera));
  SetMembersAndCamera();
  ASSERT_TRUE(SaveAllParams(Params(), Camera()));
  alc::InstallBackend(std::make_shared<FlashFileBackend>(dir.filePath("flash"), camera));
  formatIndex = 0;
  ReadCameraParams(Params(), Camera(), true);
  EXPECT_EQ(std::make_tuple(formatIndex, view.m_fPanOffsetX.load()), std::make_tuple(3, -0.25f));
}

}  // namespace
