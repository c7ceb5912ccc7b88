// The main window's commands on the virtual camera, by command id.
#include <gtest/gtest.h>

#include <QMenu>
#include <QScreen>

#include "mainwnd/command_ids.h"
#include "view/display_worker.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "view/overlay_picture.h"
#include "mainwnd/video_view.h"
#include "mainwnd/window_layout.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"

namespace {

using platform::PropertySet;

class Commands : public testsupport::MainWindowTest {
 protected:
  void OpenRunning(const QString& commandLine = QString()) {
    OpenWithCamera({}, commandLine);
    ASSERT_TRUE(WaitForFrame());
  }
  QString Pane(int i) const { return dlg->StatusBar()->PaneText(i); }
  int Picture(int index) const { return dlg->ToolBar()->Picture(index); }
  // Waits for a frame made after this call (the frame picture is re-made per frame).
  bool WaitForNewFrame() {
    const std::uint64_t seen = camera->FramesDelivered();
    return testsupport::WaitFor([&] { return camera->FramesDelivered() > seen + 1 && dlg->HasFramePicture(); });
  }
};

TEST_F(Commands, ZoomStepsByTenPercentUpTo200) {
  OpenRunning();
  EXPECT_EQ(Pane(1), "100%");
  EXPECT_FALSE(dlg->ToolBar()->IsButtonEnabled(cmd::ID_ZOOMOUT));
  for (int i = 1; i <= 10; ++i) {
    dlg->OnCommand(cmd::ID_ZOOMIN);
    EXPECT_EQ(Pane(1), QString("%1%").arg(100 + 10 * i)) << i;
  }
  EXPECT_GE(dlg->Session().m_view.m_fZoom, 2.0f);
  EXPECT_EQ(Picture(3), 157);
  EXPECT_TRUE(dlg->ToolBar()->IsButtonEnabled(cmd::ID_ZOOMOUT));
  const float top = dlg->Session().m_view.m_fZoom;
  dlg->OnCommand(cmd::ID_ZOOMIN);
  EXPECT_EQ(dlg->Session().m_view.m_fZoom, top);
  EXPECT_EQ(Pane(1), "200%");

  dlg->OnCommand(cmd::ID_REZOOM);
  EXPECT_EQ(dlg->Session().m_view.m_fZoom, 1.0f);
  EXPECT_EQ(Pane(1), "100%");
  EXPECT_EQ(Picture(3), 147);
  EXPECT_FALSE(dlg->ToolBar()->IsButtonEnabled(cmd::ID_ZOOMOUT));
}

TEST_F(Commands, ZoomOutFrom110GivesExactly100AndDisablesItself) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_ZOOMIN);
  ASSERT_EQ(Pane(1), "110%");
  dlg->OnCommand(cmd::ID_ZOOMOUT);
  EXPECT_EQ(dlg->Session().m_view.m_fZoom, 1.0f);
  EXPECT_EQ(Pane(1), "100%");
  EXPECT_FALSE(dlg->ToolBar()->IsButtonEnabled(cmd::ID_ZOOMOUT));
  EXPECT_EQ(Picture(4), 148);
}

TEST_F(Commands, MirrorsAndTheirReset) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_VMIRROR);
  EXPECT_EQ(dlg->Session().m_view.m_bVMirror, 1);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_VMIRROR));
  EXPECT_TRUE(dlg->ToolBar()->IsButtonChecked(cmd::ID_VMIRROR));
  EXPECT_EQ(Picture(7), 161);
  EXPECT_EQ(Picture(8), 162);

  dlg->OnCommand(cmd::ID_REMIRROR);
  EXPECT_EQ(dlg->Session().m_view.m_bVMirror, 0);
  EXPECT_EQ(dlg->Session().m_view.m_bHMirror, 0);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_VMIRROR));
  EXPECT_FALSE(dlg->ToolBar()->IsButtonChecked(cmd::ID_VMIRROR));
  EXPECT_EQ(Picture(7), 151);
  EXPECT_EQ(Picture(8), 152);

  dlg->OnCommand(cmd::ID_HMIRROR);
  EXPECT_EQ(Picture(6), 160);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_HMIRROR));
}

TEST_F(Commands, PlayFreezesAndPlaysAgain) {
  OpenRunning();
  const CaptureGraphState& g = dlg->Session().m_graph;
  EXPECT_EQ(dlg->ToolBar()->TooltipFor(cmd::ID_PLAY), dlg->m_strTexts[static_cast<int>(Txt::Main_STOP)]);
  EXPECT_EQ(Picture(0), 144);

  dlg->OnCommand(cmd::ID_PLAY);  // freeze
  EXPECT_FALSE(g.m_bPreviewWanted);
  EXPECT_FALSE(g.m_bPreviewing);
  EXPECT_FALSE(camera->IsStreaming());
  EXPECT_EQ(Picture(0), 154);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_PLAY));
  EXPECT_TRUE(dlg->HasFramePicture());  // the last frame stays
  EXPECT_EQ(dlg->ToolBar()->TooltipFor(cmd::ID_PLAY), dlg->m_strTexts[static_cast<int>(Txt::Main_PLAY)]);

  dlg->OnCommand(cmd::ID_PLAY);  // live again
  EXPECT_TRUE(g.m_bPreviewWanted);
  EXPECT_TRUE(g.m_bPreviewing);
  EXPECT_EQ(Picture(0), 144);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_PLAY));
  EXPECT_TRUE(WaitForNewFrame());
}

TEST_F(Commands, ResolutionChangeRestartsAtTheNewSizeWithTheOverlayRebuilt) {
  OpenRunning();
  ASSERT_EQ(dlg->Session().m_view.m_nVideoWidth, 640);
  dlg->OnCommand(cmd::ID_YUV_FIRST + 1);
  EXPECT_EQ(camera->CurrentFormat().width, 1280);
  EXPECT_EQ(camera->CurrentFormat().height, 720);
  EXPECT_EQ(dlg->Session().m_view.m_nVideoWidth, 1280);
  EXPECT_EQ(dlg->Session().m_graph.m_nFormatIndex, 1);
  EXPECT_TRUE(dlg->Session().m_graph.m_bPreviewing);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST + 1));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
  EXPECT_TRUE(dlg->Session().m_bStillPending);
  EXPECT_FALSE(dlg->Session().m_bStillArmed);
  ASSERT_NE(dlg->CurrentOverlay(), nullptr);
  EXPECT_EQ(dlg->CurrentOverlay()->Width(), 1280);
  ASSERT_TRUE(testsupport::WaitFor([&] {
    std::lock_guard<std::mutex> lock(dlg->Session().m_frame.m_csFrame);
    return dlg->Session().m_frame.m_pFrameImage && dlg->Session().m_frame.m_pFrameImage->GetWidth() == 1280u;
  }));
  EXPECT_EQ(dlg->StatusBar()->PaneText(0), "1280 X 720");
  // The view took the new size (the whole screen, where 1280 X 720 does not fit it).
  EXPECT_NE(dlg->View()->size(), QSize(640, 480));

  // 640X480 picks the first entry again.
  dlg->OnCommand(cmd::ID_640X480);
  EXPECT_EQ(camera->CurrentFormat().width, 640);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
}

TEST_F(Commands, FrozenResolutionChangeReconfiguresOnlyAndPlayBringsThePictureBack) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_PLAY);
  dlg->OnCommand(cmd::ID_YUV_FIRST + 2);
  EXPECT_EQ(camera->CurrentFormat().width, 1920);
  EXPECT_FALSE(dlg->Session().m_graph.m_bPreviewing);
  EXPECT_FALSE(camera->IsStreaming());
  EXPECT_FALSE(dlg->HasFramePicture());

  // Play from a state without a running preview ends live, at the new size.
  dlg->OnCommand(cmd::ID_PLAY);
  EXPECT_TRUE(dlg->Session().m_graph.m_bPreviewWanted);
  EXPECT_TRUE(dlg->Session().m_graph.m_bPreviewing);
  EXPECT_EQ(Picture(0), 144);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_PLAY));
  ASSERT_TRUE(WaitForNewFrame());
  EXPECT_EQ(dlg->Session().FramePicture()->GetWidth(), 1920u);
  // And Freeze works on it as ever.
  dlg->OnCommand(cmd::ID_PLAY);
  EXPECT_FALSE(dlg->Session().m_graph.m_bPreviewing);
}

TEST_F(Commands, PlayAfterTheCameraWasUnpluggedAndPluggedBackEndsLive) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_PLAY);  // frozen
  camera->Unplug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return dlg->Session().m_graph.m_pGraph == nullptr; }));
  dlg->OnCommand(cmd::ID_PLAY);  // no camera: nothing to play yet, but it is wanted
  EXPECT_TRUE(dlg->Session().m_graph.m_bPreviewWanted);
  camera->Plug();
  ASSERT_TRUE(testsupport::WaitFor([&] { return dlg->Session().m_graph.m_bPreviewing; }));
  EXPECT_TRUE(WaitForNewFrame());
}

TEST_F(Commands, CommandsThatNeedTheCameraDoNothingWithoutOne) {
  Open();
  for (int id : {cmd::ID_ZOOMIN, cmd::ID_ZOOMOUT, cmd::ID_REZOOM, cmd::ID_HMIRROR, cmd::ID_VMIRROR, cmd::ID_REMIRROR,
                 cmd::ID_FILEPATH, cmd::ID_SNAP, cmd::ID_RECORD, cmd::ID_PROPERTY, cmd::ID_50HZ, cmd::ID_60HZ,
                 cmd::ID_YUV_FIRST + 1, cmd::ID_PLAY}) {
    dlg->OnCommand(id);
  }
  EXPECT_EQ(dlg->Session().m_view.m_fZoom, 1.0f);
  EXPECT_EQ(dlg->Session().m_view.m_bHMirror, 0);
  EXPECT_EQ(dlg->Session().m_camera.m_nPowerLineFreq, 0);
  EXPECT_FALSE(dlg->IsRecording());
  EXPECT_EQ(dlg->Session().m_graph.m_pGraph, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Pane(i).isEmpty()) << i;
}

TEST_F(Commands, CaptureFolderGetsItsSeparatorAndIsStored) {
  OpenRunning();
  const QString chosen = user.Home() + "/captures";
  platform::shell::FolderBrowseRequest asked;
  dlg->m_folderBrowser = [&](const platform::shell::FolderBrowseRequest& request) -> std::optional<QString> {
    asked = request;
    return chosen;
  };
  const QString before = dlg->m_strFileFolder;
  dlg->OnCommand(cmd::ID_FILEPATH);
  EXPECT_EQ(asked.initialFolder, before);
  EXPECT_EQ(asked.title, QString::fromUtf8("设置工作目录1"));
  EXPECT_EQ(asked.caption, QString::fromUtf8("请先设置工作目录1"));
  EXPECT_EQ(dlg->m_strFileFolder, chosen + "/");
  EXPECT_EQ(profile::getString(app->m_strSettingPath, "Path", "FileFolder", ""), chosen + "/");
  EXPECT_EQ(Pane(2), chosen + "/");

  // A path that already ends in a separator is stored unchanged; cancel changes nothing.
  dlg->m_folderBrowser = [](const platform::shell::FolderBrowseRequest&) -> std::optional<QString> { return "/"; };
  dlg->OnCommand(cmd::ID_FILEPATH);
  EXPECT_EQ(dlg->m_strFileFolder, "/");
  dlg->m_folderBrowser = [](const platform::shell::FolderBrowseRequest&) -> std::optional<QString> {
    return std::nullopt;
  };
  dlg->OnCommand(cmd::ID_FILEPATH);
  EXPECT_EQ(dlg->m_strFileFolder, "/");
}

TEST_F(Commands, ExposureToggleSwitchesTheCameraBothWays) {
  OpenRunning();
  long value = 0;
  long flags = 0;
  ASSERT_FALSE(dlg->Session().m_camera.m_bExposureAuto);
  dlg->OnCommand(cmd::ID_PROPERTY);  // to automatic
  EXPECT_TRUE(dlg->Session().m_camera.m_bExposureAuto);
  EXPECT_TRUE(dlg->Session().m_camera.m_bGainAuto);
  EXPECT_EQ(Picture(9), 163);
  ASSERT_EQ(camera->Get(PropertySet::CameraControl, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(flags, CameraControl_Flags_Auto);
  EXPECT_EQ(dlg->ToolBar()->TooltipFor(cmd::ID_PROPERTY), QString::fromUtf8("手动曝光"));

  dlg->OnCommand(cmd::ID_PROPERTY);  // to manual: the camera really leaves automatic
  EXPECT_FALSE(dlg->Session().m_camera.m_bExposureAuto);
  EXPECT_EQ(Picture(9), 153);
  ASSERT_EQ(camera->Get(PropertySet::CameraControl, CameraControl_Exposure, value, flags), S_OK);
  EXPECT_EQ(flags, CameraControl_Flags_Manual);
  EXPECT_GE(value, -13);
  EXPECT_LE(value, -1);
}

TEST_F(Commands, WindowTakesTheLayoutOfTheResolution) {
  OpenRunning();
  EXPECT_EQ(dlg->View()->size(), QSize(640, 480));
  EXPECT_EQ(dlg->width(), 643);
  EXPECT_EQ(Pane(0), "640 X 480");
}

TEST_F(Commands, ComposedPictureShowsTheOverlayAndBothOffLeaveTheFrame) {
  OpenRunning();
  dlg->OnCommand(cmd::ID_PLAY);  // frozen: the frame picture stays as it is
  auto composedMatches = [&](auto&& check) {
    return testsupport::WaitFor([&] {
      dlg->Display()->Request();
      std::lock_guard<std::mutex> lock(dlg->Session().m_frame.m_csFrame);
      return dlg->Session().m_frame.m_imgShown && check(*dlg->Session().m_frame.m_pFrameImage, *dlg->Session().m_frame.m_imgShown);
    });
  };

  // A green mask covers the corners, outside the circle of half the height.
  dlg->Session().m_overlay.m_clrMask = 0x00FF00;
  dlg->BuildOverlay();
  EXPECT_TRUE(composedMatches([](const CxImage&, const CxImage& shown) {
    const std::uint8_t* corner = shown.GetBits(0);
    return corner[0] == 0 && corner[1] == 0xFF && corner[2] == 0;
  }));

  dlg->Session().m_overlay.m_bMaskOn = false;
  dlg->Session().m_overlay.m_bCrossOn = false;
  dlg->BuildOverlay();
  EXPECT_TRUE(composedMatches([](const CxImage& frame, const CxImage& shown) {
    return shown.GetWidth() == frame.GetWidth() && shown.GetHeight() == frame.GetHeight() &&
           std::equal(frame.GetBits(0), frame.GetBits(0) + frame.GetEffWidth() * frame.GetHeight(), shown.GetBits(0));
  }));
}

}  // namespace
