// The service windows and the camera's flash from the main window: the property
// window, Save over a restart, Restore, their failures, the close-time write outside
// service mode, and the pan window coming back with the camera.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <array>

#include "adjust/camera_pro_wnd.h"
#include "adjust/move_wnd.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"
#include "texts/settings_keys.h"

namespace {

using platform::PropertySet;
using W = CCameraProWnd;

// What the camera holds: the nine values with their flags.
struct CameraState {
  std::array<long, 9> values{};
  std::array<long, 9> flags{};
  bool operator==(const CameraState&) const = default;
};

constexpr std::array<std::pair<PropertySet, long>, 9> kProperties{{
    {PropertySet::VideoProcAmp, VideoProcAmp_Brightness},
    {PropertySet::VideoProcAmp, VideoProcAmp_Contrast},
    {PropertySet::VideoProcAmp, VideoProcAmp_Hue},
    {PropertySet::VideoProcAmp, VideoProcAmp_Saturation},
    {PropertySet::VideoProcAmp, VideoProcAmp_Sharpness},
    {PropertySet::VideoProcAmp, VideoProcAmp_Gamma},
    {PropertySet::VideoProcAmp, VideoProcAmp_WhiteBalance},
    {PropertySet::CameraControl, CameraControl_Exposure},
    {PropertySet::VideoProcAmp, VideoProcAmp_Gain},
}};

class ServiceWindows : public testsupport::MainWindowTest {
 protected:
  platform::VirtualCameraOptions ChipOnDisk() {
    platform::VirtualCameraOptions options;
    options.flashPath = chip.filePath("camera.flash");
    return options;
  }
  // A restart of the program on the same camera, its flash kept on disk.
  void Restart(const QString& commandLine) {
    dlg->DestroyWindow();
    dlg.reset();
    app.reset();
    camera.reset();
    OpenWithCamera(ChipOnDisk(), commandLine);
    ASSERT_TRUE(WaitForFrame());
  }
  CameraState Camera() const {
    CameraState state;
    for (std::size_t i = 0; i < kProperties.size(); ++i) {
      EXPECT_EQ(camera->Get(kProperties[i].first, kProperties[i].second, state.values[i], state.flags[i]), S_OK) << i;
    }
    return state;
  }
  QString Pane(int i) const { return dlg->StatusBar()->PaneText(i); }
  QString Text(Txt t) const { return app->UiText(t); }
  // Runs the property window from the Property command; `act` runs inside it, once it
  // is shown and has reported, and must end it.
  void RunPropertyWindow(std::function<void(W&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
      auto* wnd = qobject_cast<W*>(QApplication::activeModalWidget());
      ASSERT_NE(wnd, nullptr) << "the property window is not the modal window";
      QCoreApplication::sendPostedEvents(wnd, QEvent::MetaCall);
      act(*wnd);
    });
    dlg->OnCommand(cmd::ID_PROPERTY);
  }
  static void Move(W& wnd, W::Row row, int value) {
    wnd.Slider(row)->setValue(value);
    QCoreApplication::sendPostedEvents(&wnd, QEvent::MetaCall);
  }
  static std::vector<CMoveWnd*> ShownPanWindows() {
    std::vector<CMoveWnd*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* pan = qobject_cast<CMoveWnd*>(w); pan && pan->isVisible()) shown.push_back(pan);
    }
    return shown;
  }

  QTemporaryDir chip;
};

TEST_F(ServiceWindows, SavedSettingsComeBackAfterARestartAndRestoreHandsBackToTheCamera) {
  ASSERT_TRUE(chip.isValid());
  OpenWithCamera(ChipOnDisk(), "-SERVICEMODE=1");
  ASSERT_TRUE(WaitForFrame());
  const CameraState fresh = Camera();

  // The six plain rows a third up their ranges, white balance made manual and moved;
  // Apply, then OK.
  RunPropertyWindow([](W& wnd) {
    for (W::Row row : {W::Brightness, W::Contrast, W::Hue, W::Saturation, W::Sharpness, W::Gamma}) {
      QSlider* s = wnd.Slider(row);
      Move(wnd, row, s->minimum() + (s->maximum() - s->minimum()) / 3);
    }
    wnd.AutoBox(W::WhiteBalance)->click();
    QCoreApplication::sendPostedEvents(&wnd, QEvent::MetaCall);
    QSlider* wb = wnd.Slider(W::WhiteBalance);
    Move(wnd, W::WhiteBalance, wb->maximum() - (wb->maximum() - wb->minimum()) / 4);
    static_cast<QPushButton*>(wnd.GetDlgItem(W::IDC_APPLY))->click();
    wnd.accept();
  });
  const CameraState set = Camera();
  ASSERT_NE(set.values[0], fresh.values[0]);  // brightness really moved
  ASSERT_NE(set.values[6], fresh.values[6]);

  // The overlays and the pan offset as the pan window would leave them; MJPG 1280x720.
  OverlaySettings& overlay = dlg->Session().m_overlay;
  overlay.m_fCrossSize = 0.3f;
  overlay.m_clrCross = 0x00FF00;
  overlay.m_bCrossOn = false;
  overlay.m_fMaskSize = 0.4f;
  overlay.m_clrMask = 0x0000FF;
  dlg->Session().m_view.m_fPanOffsetX = 0.25f;
  dlg->OnCommand(cmd::ID_MJPG_FIRST + 1);
  ASSERT_TRUE(WaitForFrame());

  dlg->OnCommand(cmd::ID_SAVEPARAM);
  EXPECT_EQ(Pane(2), Text(Txt::Main_STOREINFO));

  Restart("-SERVICEMODE=1");
  // A new camera starts at its defaults; the saved values were pushed into it.
  EXPECT_EQ(Camera(), set);
  const CameraParams& params = dlg->Session().m_camera;
  EXPECT_EQ(params.m_nBrightness, set.values[0]);
  EXPECT_EQ(params.m_nHue, set.values[2]);
  EXPECT_EQ(params.m_nWhiteBalance, set.values[6]);
  EXPECT_FALSE(params.m_bWhiteBalanceAuto);
  EXPECT_FLOAT_EQ(dlg->Session().m_overlay.m_fCrossSize, 0.3f);
  EXPECT_EQ(dlg->Session().m_overlay.m_clrCross, 0x00FF00u);
  EXPECT_FALSE(dlg->Session().m_overlay.m_bCrossOn);
  EXPECT_FLOAT_EQ(dlg->Session().m_overlay.m_fMaskSize, 0.4f);
  EXPECT_EQ(dlg->Session().m_overlay.m_clrMask, 0x0000FFu);
  EXPECT_TRUE(dlg->Session().m_overlay.m_bMaskOn);
  EXPECT_FLOAT_EQ(dlg->Session().m_view.m_fPanOffsetX, 0.25f);
  EXPECT_EQ(camera->CurrentFormat().format, platform::WireFormat::MJPG);
  EXPECT_EQ(camera->CurrentFormat().width, 1280);

  // Restore: the marker cleared, the capture folder back at the pictures folder, 50 Hz,
  // and the program takes the camera's own values again.
  profile::writeString(user.SettingPath(), settings::kPathSection, settings::kFileFolderKey, user.Home() + "/elsewhere/");
  dlg->OnCommand(cmd::ID_60HZ);
  ASSERT_TRUE(camera->Set(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, fresh.values[0], 2) == S_OK);
  dlg->OnCommand(cmd::ID_RESTORE);
  EXPECT_EQ(Pane(2), Text(Txt::Main_RESTOREINFO));
  std::uint8_t marker = 0;
  ASSERT_TRUE(camera->ReadFlash(0x1C17, marker));
  EXPECT_EQ(marker, 0);
  EXPECT_EQ(profile::getString(user.SettingPath(), settings::kPathSection, settings::kFileFolderKey, ""),
            user.Pictures() + "/");
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_50HZ));
  EXPECT_EQ(dlg->Session().m_camera.m_nBrightness, fresh.values[0]);
  // The default block rules again: format 0 (the first YUV size).
  EXPECT_EQ(camera->CurrentFormat().format, platform::WireFormat::YUY2);
  EXPECT_EQ(camera->CurrentFormat().width, 640);
}

// A store that takes no writes, as a camera whose flash file cannot be written.
class ReadOnlyStore : public testsupport::ScriptedAlcBackend {
 public:
  bool WriteFlash(std::uint32_t, std::uint8_t) override { return false; }
};

TEST_F(ServiceWindows, SaveAndRestoreSayWhenTheStoreCannotBeWritten) {
  OpenWithCamera({}, "-SERVICEMODE=1");
  ASSERT_TRUE(WaitForFrame());
  alc::InstallBackend(std::make_shared<ReadOnlyStore>());
  dlg->OnCommand(cmd::ID_SAVEPARAM);
  EXPECT_EQ(Pane(2), Text(Txt::Msg_STOREFAILED));
  dlg->OnCommand(cmd::ID_RESTORE);
  EXPECT_EQ(Pane(2), Text(Txt::Msg_RESTOREFAILED));
}

TEST_F(ServiceWindows, CloseWritesTheBasicParametersOnlyOutsideServiceMode) {
  for (const QString& mode : {QString(), QString("-SERVICEMODE=1")}) {
    OpenWithCamera({}, mode);
    ASSERT_TRUE(WaitForFrame());
    ASSERT_EQ(camera->Set(PropertySet::VideoProcAmp, VideoProcAmp_Brightness, 20, 2), S_OK);
    dlg->DestroyWindow();
    std::uint8_t brightness = 0;
    const bool read = camera->ReadFlash(0x1D21, brightness);
    if (mode.isEmpty()) {
      ASSERT_TRUE(read);
      EXPECT_EQ(brightness, 20) << "outside service mode the close writes the camera's brightness";
    } else {
      EXPECT_TRUE(!read || brightness == 0xFF) << "service mode writes nothing at close";
    }
    TearDown();
  }
}

TEST_F(ServiceWindows, PanWindowOpensOnMoveAndComesBackWithTheCamera) {
  OpenWithCamera({}, "-SERVICEMODE=1");
  ASSERT_TRUE(WaitForFrame());
  EXPECT_TRUE(ShownPanWindows().empty());
  dlg->OnCommand(cmd::ID_MOVE);
  ASSERT_EQ(ShownPanWindows().size(), 1u);
  QPointer<CMoveWnd> first = ShownPanWindows().front();

  // The property window opens below it.
  RunPropertyWindow([&first](W& wnd) {
    EXPECT_EQ(wnd.frameGeometry().top(), first->WindowRect().bottom() + 1);
    wnd.reject();
  });

  camera->Unplug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return !dlg->Session().HasCaptureSource(); }));
  camera->Plug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return ShownPanWindows().size() == 1u && ShownPanWindows().front() != first; }));
  EXPECT_TRUE(first.isNull()) << "the old window is destroyed when the new one opens";

  // The last one goes with the main window.
  QPointer<CMoveWnd> last = ShownPanWindows().front();
  dlg->DestroyWindow();
  EXPECT_TRUE(last.isNull());
}

TEST_F(ServiceWindows, PanWindowNeedsARunningCamera) {
  Open("-SERVICEMODE=1");
  dlg->OnCommand(cmd::ID_MOVE);
  EXPECT_TRUE(ShownPanWindows().empty());
}

}  // namespace
