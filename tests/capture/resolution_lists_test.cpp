// The resolution lists of cameras whose YUYV and MJPEG size lists differ in length: the
// entry marked, its label and the size the camera runs at always agree.
#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

#include "support/session_fixture.h"

namespace {

using platform::Capability;
using platform::WireFormat;

// Each size listed twice, VIDEOINFOHEADER then VIDEOINFOHEADER2, as a UVC camera does;
// all YUYV sizes first.
std::vector<Capability> Camera(const std::vector<std::pair<int, int>>& yuyv, const std::vector<std::pair<int, int>>& mjpg) {
  std::vector<Capability> caps;
  for (auto [w, h] : yuyv) {
    caps.push_back({WireFormat::YUY2, w, h, false, 30.0});
    caps.push_back({WireFormat::YUY2, w, h, true, 30.0});
  }
  for (auto [w, h] : mjpg) {
    caps.push_back({WireFormat::MJPG, w, h, false, 30.0});
    caps.push_back({WireFormat::MJPG, w, h, true, 30.0});
  }
  return caps;
}

const std::vector<std::pair<int, int>> kTwo = {{640, 480}, {1280, 720}};
const std::vector<std::pair<int, int>> kFive = {{320, 240}, {640, 480}, {800, 600}, {1280, 720}, {1920, 1080}};

QString Label(int w, int h) { return QStringLiteral("%1 X %2").arg(w).arg(h); }

class ResolutionLists : public testsupport::SessionTest {
 protected:
  // A camera whose flash stores format `index` of the MJPG family or not (the default
  // block: format index at 0x1C00, MJPG flag at 0x1C20).
  void OpenStored(const std::vector<Capability>& caps, int index, bool mjpg, bool serviceMode) {
    platform::VirtualCameraOptions options;
    options.capabilities = caps;
    options.framesPerSecond = 0.0;
    CreateWithCamera(options, serviceMode);
    ASSERT_TRUE(camera->WriteFlash(0x1C00, static_cast<std::uint8_t>(index)));
    ASSERT_TRUE(camera->WriteFlash(0x1C20, mjpg ? 1 : 0));
    ASSERT_TRUE(session->OpenFirstCamera());
  }
  // The marked entry's label, the camera's running size and format.
  void ExpectMarkedRuns(const char* what) {
    ASSERT_TRUE(reports.lists.marked.has_value()) << what;
    const ResolutionMark mark = *reports.lists.marked;
    const auto entry = std::find_if(reports.lists.entries.begin(), reports.lists.entries.end(),
                                    [&](const ResolutionEntry& e) { return e.family == mark.family && e.index == mark.index; });
    ASSERT_NE(entry, reports.lists.entries.end()) << what << ": the mark names no entry";
    const Capability running = camera->CurrentFormat();
    EXPECT_EQ(Label(entry->width, entry->height), Label(running.width, running.height)) << what;
    EXPECT_EQ(mark.family == FormatFamily::Mjpg, running.format == WireFormat::MJPG) << what;
    EXPECT_EQ(session->m_view.m_nVideoWidth, running.width) << what;
  }
  QStringList Labels(FormatFamily family) const {
    QStringList labels;
    for (const ResolutionEntry& e : reports.lists.entries) {
      if (e.family == family) labels << Label(e.width, e.height);
    }
    return labels;
  }
};

TEST_F(ResolutionLists, NormalModeListsTheFamilyInUseWhateverTheOtherHolds) {
  for (const auto& [yuyv, mjpg] : {std::pair{kTwo, kFive}, std::pair{kFive, kTwo}}) {
    for (bool useMjpg : {false, true}) {
      const auto& shown = useMjpg ? mjpg : yuyv;
      SCOPED_TRACE(QStringLiteral("%1 YUYV, %2 MJPEG, %3").arg(yuyv.size()).arg(mjpg.size()).arg(useMjpg ? "MJPG" : "YUV").toStdString());
      const int last = static_cast<int>(shown.size()) - 1;
      OpenStored(Camera(yuyv, mjpg), last, useMjpg, false);
      const FormatFamily family = useMjpg ? FormatFamily::Mjpg : FormatFamily::Yuv;
      EXPECT_EQ(reports.lists.entries.size(), shown.size());
      EXPECT_EQ(Labels(family).size(), static_cast<int>(shown.size()));  // one family only
      EXPECT_EQ(session->m_graph.m_nYuvFormatCount, static_cast<int>(yuyv.size()));
      EXPECT_EQ(*reports.lists.marked, (ResolutionMark{family, last}));
      ExpectMarkedRuns("stored: the family's last size");
      // Each entry of the shown family runs its own size.
      for (int k = 0; k <= last; ++k) {
        session->SelectResolution(family, k);
        ExpectMarkedRuns("chosen");
        EXPECT_EQ(camera->CurrentFormat().width, shown[static_cast<std::size_t>(k)].first);
      }
      TearDown();
    }
  }
}

TEST_F(ResolutionLists, ServiceModeListsBothFamiliesAndEachEntryRunsItsOwnSize) {
  OpenStored(Camera(kTwo, kFive), 4, true, true);
  EXPECT_EQ(Labels(FormatFamily::Yuv), (QStringList{"640 X 480", "1280 X 720"}));
  EXPECT_EQ(Labels(FormatFamily::Mjpg), (QStringList{"320 X 240", "640 X 480", "800 X 600", "1280 X 720", "1920 X 1080"}));
  ExpectMarkedRuns("stored MJPG 4");
  EXPECT_EQ(camera->CurrentFormat().width, 1920);
  session->SelectResolution(FormatFamily::Yuv, 1);
  ExpectMarkedRuns("YUV 1");
  session->SelectResolution(FormatFamily::Mjpg, 2);
  ExpectMarkedRuns("MJPG 2");
  EXPECT_EQ(camera->CurrentFormat().width, 800);
}

TEST_F(ResolutionLists, AStoredIndexPastItsListTakesTheFirstEntry) {
  OpenStored(Camera(kTwo, kFive), 4, false, false);  // YUV has two sizes only
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Yuv, 0}));
  ExpectMarkedRuns("YUV 4 of 2");
  EXPECT_EQ(camera->CurrentFormat().width, 640);
  TearDown();

  // MJPG stored on a camera without MJPEG: the first YUV entry.
  OpenStored(Camera(kFive, {}), 3, true, false);
  EXPECT_FALSE(session->m_graph.m_bFormatMjpg);
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Yuv, 0}));
  ExpectMarkedRuns("MJPG on a YUYV camera");
}

TEST_F(ResolutionLists, EqualListsStayAsTheyWere) {
  OpenStored(Camera({{640, 480}, {1280, 720}, {1920, 1080}}, {{640, 480}, {1280, 720}, {1920, 1080}}), 2, false, false);
  EXPECT_EQ(Labels(FormatFamily::Yuv), (QStringList{"640 X 480", "1280 X 720", "1920 X 1080"}));
  EXPECT_EQ(reports.lists.entries.size(), 3u);
  // Capability 2 × J, as ever.
  EXPECT_EQ(reports.lists.entries[2].capability, 4);
  ExpectMarkedRuns("YUV 2");
  TearDown();
  OpenStored(Camera({{640, 480}, {1280, 720}, {1920, 1080}}, {{640, 480}, {1280, 720}, {1920, 1080}}), 1, true, false);
  EXPECT_EQ(reports.lists.entries[1].capability, 2 * (3 + 1));
  ExpectMarkedRuns("MJPG 1");
}

TEST_F(ResolutionLists, ACommandForAnEntryTheCameraLacksChangesNothing) {
  OpenStored(Camera(kTwo, kFive), 1, false, false);
  const Capability before = camera->CurrentFormat();
  session->SelectResolution(FormatFamily::Yuv, 5);
  EXPECT_EQ(camera->CurrentFormat(), before);
  EXPECT_EQ(*reports.lists.marked, (ResolutionMark{FormatFamily::Yuv, 1}));
}

}  // namespace
