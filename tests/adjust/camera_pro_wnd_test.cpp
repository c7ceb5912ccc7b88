// The camera property window over recorded property interfaces: what goes to the camera
// when it opens, when sliders move, from the auto boxes, Default and Apply, and which
// rows a camera without a property or an interface leaves disabled.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <memory>

#include "adjust/camera_pro_wnd.h"
#include "platform/profile/profile.h"
#include "recording_camera.h"
#include "texts/user_files.h"

using adjusttest::RecordingCamera;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using W = CCameraProWnd;

namespace {

class CameraProWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_files.Prepare();
    // Values as read from a camera at opening: brightness 0 is not sent again.
    params.m_nBrightness = 0;
    params.m_nContrast = 32;
    params.m_nHue = -500;
    params.m_nSaturation = 64;
    params.m_nSharpness = 2;
    params.m_nGamma = 150;
    params.m_nWhiteBalance = 4600;
    params.m_bWhiteBalanceAuto = true;
    params.m_nExposure = -6;
    params.m_bExposureAuto = false;
    params.m_nGain = 20;
    params.m_bGainAuto = false;
  }

  // Builds and initialises the window; shows it and lets its first reports run.
  W& Open(const CameraProperties& interfaces) {
    m_wnd = std::make_unique<W>(interfaces, params, m_files, placement);
    m_wnd->OnInitDialog();
    m_wnd->show();
    Settle();
    return *m_wnd;
  }
  W& Open() { return Open(camera.Properties()); }

  // Runs the slider reports the window has queued, as its event loop would.
  void Settle() { QCoreApplication::sendPostedEvents(m_wnd.get(), QEvent::MetaCall); }
  bool ApplyEnabled() const { return m_wnd->GetDlgItem(W::IDC_APPLY)->isEnabled(); }
  void Click(int id) { static_cast<QAbstractButton*>(m_wnd->GetDlgItem(id))->click(); }

  RecordingCamera camera;
  CameraParams params;
  ProWndRects placement{{0, 0, 400, 300}, std::nullopt, 1366};
  UserFiles m_files;
  std::unique_ptr<W> m_wnd;
};

}  // namespace

TEST_F(CameraProWndTest, FirstReportsSendTheOpeningValuesOnceAndEnableApply) {
  m_wnd = std::make_unique<W>(camera.Properties(), params, m_files, placement);
  m_wnd->OnInitDialog();
  // Nothing goes to the camera before the window is shown.
  EXPECT_THAT(camera.Sets(), IsEmpty());
  EXPECT_FALSE(ApplyEnabled());

  m_wnd->show();
  Settle();
  // Every value but 0 goes out again once; white balance as manual although its box is
  // ticked and its slider disabled; gain with its own mode.
  EXPECT_THAT(camera.Sets(), ElementsAre("contrast=32/2", "hue=-500/2", "saturation=64/2", "sharpness=2/2",
                                         "gamma=150/2", "whitebalance=4600/2", "exposure=-6/2", "gain=20/2"));
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_TRUE(m_wnd->AutoBox(W::WhiteBalance)->isChecked());
  EXPECT_FALSE(m_wnd->Slider(W::WhiteBalance)->isEnabled());
  EXPECT_TRUE(m_wnd->Slider(W::Exposure)->isEnabled());
  EXPECT_EQ(m_wnd->ValueBox(W::Brightness)->text(), "0");
  EXPECT_EQ(m_wnd->ValueBox(W::Hue)->text(), "-500");
  EXPECT_EQ(m_wnd->ValueBox(W::Exposure)->text(), "-6");

  // Showing again is no new first report.
  camera.Clear();
  m_wnd->hide();
  m_wnd->show();
  Settle();
  EXPECT_THAT(camera.Sets(), IsEmpty());
}

TEST_F(CameraProWndTest, AutomaticExposureAtOpeningMakesGainAutomaticToo) {
  params.m_bExposureAuto = true;
  params.m_bGainAuto = false;  // the box follows the exposure's mode
  Open();
  EXPECT_THAT(camera.Sets(), ElementsAre("contrast=32/2", "hue=-500/2", "saturation=64/2", "sharpness=2/2",
                                         "gamma=150/2", "whitebalance=4600/2", "exposure=-6/1", "gain=20/1"));
  EXPECT_TRUE(m_wnd->AutoBox(W::Gain)->isChecked());
  EXPECT_FALSE(m_wnd->Slider(W::Exposure)->isEnabled());
  EXPECT_FALSE(m_wnd->Slider(W::Gain)->isEnabled());
}

TEST_F(CameraProWndTest, ValuesOutsideTheRangeAreShownAndSentAtTheSlidersEnd) {
  params.m_nBrightness = 100;
  params.m_nHue = -3000;
  params.m_nWhiteBalance = 9000;
  params.m_nExposure = -20;
  Open();
  EXPECT_EQ(m_wnd->Slider(W::Brightness)->value(), 64);
  EXPECT_EQ(m_wnd->ValueBox(W::Brightness)->text(), "64");
  EXPECT_EQ(m_wnd->ValueBox(W::WhiteBalance)->text(), "6500");
  const auto sets = camera.Sets();
  EXPECT_THAT(sets, testing::Contains("brightness=64/2"));
  EXPECT_THAT(sets, testing::Contains("hue=-2000/2"));
  EXPECT_THAT(sets, testing::Contains("whitebalance=6500/2"));
  EXPECT_THAT(sets, testing::Contains("exposure=-13/2"));
}

TEST_F(CameraProWndTest, AMovedSliderSendsItsNewValueOnceAndEnablesApply) {
  Open();
  Click(W::IDC_APPLY);
  ASSERT_FALSE(ApplyEnabled());
  camera.Clear();

  m_wnd->Slider(W::Brightness)->setValue(20);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("brightness=20/2"));
  EXPECT_EQ(m_wnd->ValueBox(W::Brightness)->text(), "20");
  EXPECT_TRUE(ApplyEnabled());

  // Moves before the report runs make one report; back where it was, nothing is sent.
  camera.Clear();
  m_wnd->Slider(W::Brightness)->setValue(21);
  m_wnd->Slider(W::Brightness)->setValue(22);
  Settle();
  m_wnd->Slider(W::Brightness)->setValue(30);
  m_wnd->Slider(W::Brightness)->setValue(22);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("brightness=22/2"));

  // Exposure keeps no last value and does not enable Apply.
  Click(W::IDC_APPLY);
  camera.Clear();
  m_wnd->Slider(W::Exposure)->setValue(-5);
  Settle();
  m_wnd->Slider(W::Exposure)->setValue(-4);
  m_wnd->Slider(W::Exposure)->setValue(-5);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("exposure=-5/2", "exposure=-5/2"));
  EXPECT_FALSE(ApplyEnabled());
}

TEST_F(CameraProWndTest, ExposureBoxChecksGainBoxAndSendsOnlyExposure) {
  Open();
  Click(W::IDC_APPLY);
  camera.Clear();

  Click(1013);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("exposure=-6/1"));
  EXPECT_TRUE(m_wnd->AutoBox(W::Gain)->isChecked());
  EXPECT_FALSE(m_wnd->Slider(W::Exposure)->isEnabled());
  EXPECT_FALSE(m_wnd->Slider(W::Gain)->isEnabled());
  EXPECT_TRUE(ApplyEnabled());

  // The gain box likewise sends only the gain and takes the exposure box along.
  Click(W::IDC_APPLY);
  camera.Clear();
  Click(1064);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("gain=20/2"));
  EXPECT_FALSE(m_wnd->AutoBox(W::Exposure)->isChecked());
  EXPECT_TRUE(m_wnd->Slider(W::Exposure)->isEnabled());
  EXPECT_TRUE(m_wnd->Slider(W::Gain)->isEnabled());
  EXPECT_TRUE(ApplyEnabled());

  // Gain reports carry the gain box's mode.
  Click(1064);
  camera.Clear();
  m_wnd->Slider(W::Gain)->setValue(50);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("gain=50/1"));
}

TEST_F(CameraProWndTest, WhiteBalanceBoxSwitchesTheModeAndTheSlider) {
  Open();
  camera.Clear();
  Click(1012);
  EXPECT_THAT(camera.Sets(), ElementsAre("whitebalance=4600/2"));
  EXPECT_TRUE(m_wnd->Slider(W::WhiteBalance)->isEnabled());
  m_wnd->Slider(W::WhiteBalance)->setValue(5200);
  Settle();
  Click(1012);
  EXPECT_THAT(camera.Sets(), ElementsAre("whitebalance=4600/2", "whitebalance=5200/2", "whitebalance=5200/1"));
  EXPECT_FALSE(m_wnd->Slider(W::WhiteBalance)->isEnabled());
  // The exposure and gain boxes are not the white balance's business.
  EXPECT_FALSE(m_wnd->AutoBox(W::Exposure)->isChecked());
  EXPECT_FALSE(m_wnd->AutoBox(W::Gain)->isChecked());
}

TEST_F(CameraProWndTest, DefaultReturnsTheCameraToItsDefaultsWithExposureAndGainAutomatic) {
  params.m_nBrightness = 10;
  params.m_nSharpness = 5;
  params.m_nGain = 20;
  params.m_nExposure = -8;
  params.m_nWhiteBalance = 3000;
  camera.Amp(VideoProcAmp_Gain).def = 4;
  Open();
  Click(W::IDC_APPLY);
  camera.Clear();

  Click(W::IDC_DEFAULT);
  EXPECT_THAT(camera.Sets(),
              ElementsAre("brightness=0/2", "contrast=32/2", "saturation=64/2", "hue=0/2", "gamma=100/2",
                          "sharpness=2/2", "whitebalance=4600/2", "gain=4/1", "exposure=-6/1"));
  EXPECT_FALSE(m_wnd->AutoBox(W::WhiteBalance)->isChecked());
  EXPECT_TRUE(m_wnd->AutoBox(W::Exposure)->isChecked());
  EXPECT_TRUE(m_wnd->AutoBox(W::Gain)->isChecked());
  // The sliders keep their enabled state, Apply too.
  EXPECT_FALSE(m_wnd->Slider(W::WhiteBalance)->isEnabled());
  EXPECT_TRUE(m_wnd->Slider(W::Exposure)->isEnabled());
  EXPECT_TRUE(m_wnd->Slider(W::Gain)->isEnabled());
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(m_wnd->Slider(W::Exposure)->value(), -6);
  EXPECT_EQ(m_wnd->Slider(W::Gain)->value(), 4);

  // The moved sliders then report: values unlike the last ones sent go out again.
  camera.Clear();
  Settle();
  EXPECT_THAT(camera.Sets(), UnorderedElementsAre("brightness=0/2", "hue=0/2", "gamma=100/2", "sharpness=2/2",
                                                  "whitebalance=4600/2", "exposure=-6/1", "gain=4/1"));
  EXPECT_TRUE(ApplyEnabled());
}

TEST_F(CameraProWndTest, DefaultWithoutAnExposureRangeLeavesExposureAndGainAlone) {
  camera.RemoveExposure();
  camera.RemoveAmp(VideoProcAmp_Gamma);
  Open();
  camera.Clear();
  Click(W::IDC_DEFAULT);
  EXPECT_THAT(camera.Sets(), ElementsAre("brightness=0/2", "contrast=32/2", "saturation=64/2", "hue=0/2",
                                         "sharpness=2/2", "whitebalance=4600/2"));
  EXPECT_FALSE(m_wnd->AutoBox(W::Exposure)->isChecked());
  EXPECT_FALSE(m_wnd->AutoBox(W::Gain)->isChecked());
  EXPECT_EQ(m_wnd->Slider(W::Gain)->value(), 20);
}

TEST_F(CameraProWndTest, ApplyTakesTheCamerasValuesNotTheSliders) {
  params.m_bWhiteBalanceAuto = false;
  Open();
  m_wnd->Slider(W::WhiteBalance)->setValue(5203);  // the camera keeps it on its 10 K step
  m_wnd->Slider(W::Contrast)->setValue(40);
  Settle();
  camera.Exposure().failGet = true;
  params.m_nExposure = 99;
  Click(W::IDC_APPLY);
  EXPECT_EQ(params.m_nWhiteBalance, 5200);
  EXPECT_FALSE(params.m_bWhiteBalanceAuto);
  EXPECT_EQ(params.m_nContrast, 40);
  EXPECT_EQ(params.m_nGain, 20);
  EXPECT_EQ(params.m_nExposure, 99);  // a failed exposure read keeps the member
  EXPECT_FALSE(ApplyEnabled());

  // Apply stays disabled until something is sent again.
  camera.Exposure().failGet = false;
  camera.Amp(VideoProcAmp_Gain).flags = 1;
  Click(W::IDC_APPLY);
  EXPECT_EQ(params.m_nExposure, 99);
  m_wnd->Slider(W::Contrast)->setValue(41);
  Settle();
  Click(W::IDC_APPLY);
  EXPECT_EQ(params.m_nExposure, -6);
  EXPECT_FALSE(params.m_bExposureAuto);
  EXPECT_TRUE(params.m_bGainAuto);
}

TEST_F(CameraProWndTest, APropertyTheCameraLacksHasItsRowDisabledAndIsNeverSet) {
  camera.RemoveAmp(VideoProcAmp_Gamma);
  camera.RemoveAmp(VideoProcAmp_Gain);
  Open();
  for (QWidget* w : {m_wnd->GetDlgItem(1037), m_wnd->GetDlgItem(1045), m_wnd->GetDlgItem(1053),
                     m_wnd->GetDlgItem(1065), m_wnd->GetDlgItem(1063), m_wnd->GetDlgItem(1066),
                     m_wnd->GetDlgItem(1064)}) {
    EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
  }
  EXPECT_TRUE(m_wnd->Slider(W::Exposure)->isEnabled());
  Click(1013);
  Click(1013);
  EXPECT_THAT(camera.Sets(), ElementsAre("contrast=32/2", "hue=-500/2", "saturation=64/2", "sharpness=2/2",
                                         "whitebalance=4600/2", "exposure=-6/2", "exposure=-6/1", "exposure=-6/2"));
  // Unchecking the exposure box does not enable the missing gain's slider.
  EXPECT_FALSE(m_wnd->Slider(W::Gain)->isEnabled());
}

TEST_F(CameraProWndTest, ASourceWithoutCameraControlHasNoExposureRow) {
  Open(camera.WithoutCameraControl());
  EXPECT_FALSE(m_wnd->Slider(W::Exposure)->isEnabled());
  EXPECT_FALSE(m_wnd->AutoBox(W::Exposure)->isEnabled());
  EXPECT_TRUE(m_wnd->ValueBox(W::Exposure)->text().isEmpty());
  EXPECT_THAT(camera.Sets(), ElementsAre("contrast=32/2", "hue=-500/2", "saturation=64/2", "sharpness=2/2",
                                         "gamma=150/2", "whitebalance=4600/2", "gain=20/2"));
  camera.Clear();
  Click(1064);  // the gain box still takes the exposure box along
  Click(W::IDC_DEFAULT);
  Click(W::IDC_APPLY);
  EXPECT_THAT(camera.Sets(), ElementsAre("gain=20/1", "brightness=0/2", "contrast=32/2", "saturation=64/2", "hue=0/2",
                                         "gamma=100/2", "sharpness=2/2", "whitebalance=4600/2"));
  EXPECT_TRUE(m_wnd->AutoBox(W::Exposure)->isChecked());
  EXPECT_EQ(params.m_nExposure, -6);
}

TEST_F(CameraProWndTest, ASourceWithoutVideoProcAmpHasOnlyTheExposureRow) {
  Open(camera.WithoutVideoProcAmp());
  for (int r = 0; r < W::kRows; ++r) {
    EXPECT_EQ(m_wnd->Slider(static_cast<W::Row>(r))->isEnabled(), r == W::Exposure) << r;
  }
  EXPECT_THAT(camera.Sets(), ElementsAre("exposure=-6/2"));
  camera.Clear();
  Click(1013);
  Click(W::IDC_DEFAULT);
  Click(W::IDC_APPLY);
  Settle();
  EXPECT_THAT(camera.Sets(), ElementsAre("exposure=-6/1", "exposure=-6/1"));
  EXPECT_THAT(camera.Calls(), testing::Each(testing::HasSubstr("exposure")));
  EXPECT_EQ(params.m_nContrast, 32);
}

TEST_F(CameraProWndTest, TextsComeFromTheLanguageFile) {
  ASSERT_TRUE(profile::writeString(m_files.m_strLngPath, "CameraProWnd", "SHARP", "Sharpness"));
  Open();
  EXPECT_EQ(m_wnd->windowTitle(), QString::fromUtf8(u8"相机属性"));
  EXPECT_EQ(static_cast<QLabel*>(m_wnd->GetDlgItem(1056))->text(), "Sharpness");
  EXPECT_EQ(static_cast<QLabel*>(m_wnd->GetDlgItem(1066))->text(), QString::fromUtf8(u8"增益"));
  EXPECT_EQ(static_cast<QLabel*>(m_wnd->GetDlgItem(W::IDC_AUTO_LABEL))->text(), QString::fromUtf8(u8"自动"));
  EXPECT_EQ(static_cast<QPushButton*>(m_wnd->GetDlgItem(W::IDC_DEFAULT))->text(), QString::fromUtf8(u8"默认值"));
  EXPECT_EQ(static_cast<QPushButton*>(m_wnd->GetDlgItem(W::IDC_APPLY))->text(), QString::fromUtf8(u8"应用"));
  // The lookups fill the language file.
  EXPECT_EQ(profile::getString(m_files.m_strLngPath, "CameraProWnd", "CANCEL", ""), QString::fromUtf8(u8"取消"));
}

TEST(CameraProWndPlacement, BesideTheMainWindowOrBelowThePanWindowAndInsideTheScreen) {
  const QRect window(0, 0, 387, 346);
  // Beside the main window, level with its top.
  EXPECT_EQ(ProWndPosition({{100, 50, 500, 400}, std::nullopt, 1366}, window), QPoint(600, 50));
  // Below the pan and zoom window when there is one.
  EXPECT_EQ(ProWndPosition({{100, 50, 500, 400}, QRect(600, 50, 300, 200), 1366}, window), QPoint(600, 250));
  // Not past the screen's right edge: flush with it.
  EXPECT_EQ(ProWndPosition({{600, 50, 500, 400}, std::nullopt, 1366}, window), QPoint(979, 50));
  // Exactly fitting is beside.
  EXPECT_EQ(ProWndPosition({{479, 50, 500, 400}, std::nullopt, 1366}, window), QPoint(979, 50));
  // The window's right edge counts where the window stands before the move.
  EXPECT_EQ(ProWndPosition({{600, 50, 500, 400}, std::nullopt, 1366}, QRect(100, 0, 387, 346)), QPoint(879, 50));
  // A main window on a second screen to the right.
  EXPECT_EQ(ProWndPosition({{1400, 0, 500, 400}, std::nullopt, 3286}, window), QPoint(1900, 0));
}

TEST_F(CameraProWndTest, OpensAtTheScreensRightEdgeBelowThePanWindow) {
  placement = {{900, 40, 500, 400}, QRect(1000, 40, 300, 220), 1366};
  Open();
  EXPECT_EQ(m_wnd->size(), QSize(387, 346));  // 258 × 213 dialog units
  EXPECT_EQ(m_wnd->pos(), QPoint(1366 - 387, 260));
}
