// The whole window stays on its screen whatever resolution the camera runs at. The test
// runs on the default offscreen screen and, registered again by CMake, on screens of
// 1366 × 768 and 1920 × 1080.
#include <gtest/gtest.h>

#include <QScreen>

#include "mainwnd/command_ids.h"
#include "mainwnd/video_view.h"
#include "mainwnd/window_layout.h"
#include "support/main_window_fixture.h"

namespace {

TEST(WindowLayout, PicturesThatFitShowPixelForPixelOthersFillTheScreen) {
  const QSize screen(1366, 768);
  const QSize chrome(3, 90);  // the border, and the bars above and below the view
  const WindowLayout vga = ComputeWindowLayout(640, 480, screen, chrome);
  EXPECT_EQ(vga.view, QSize(640, 480));
  EXPECT_EQ(vga.outerWidth, 643);
  EXPECT_EQ(ComputeWindowLayout(0, 480, screen, chrome).view, QSize(640, 480));
  // Too wide (within 48 pixels of the screen) or too tall with the bars: the window
  // takes the whole area and the view what the window leaves it.
  const WindowLayout big = ComputeWindowLayout(1920, 1080, screen, chrome);
  EXPECT_EQ(big.view, QSize(1363, 678));
  EXPECT_EQ(big.outerWidth, 1366);
  EXPECT_EQ(ComputeWindowLayout(1317, 600, screen, chrome).view, QSize(1317, 600));
  EXPECT_EQ(ComputeWindowLayout(1318, 600, screen, chrome).view, QSize(1363, 678));
  EXPECT_EQ(ComputeWindowLayout(1280, 720, screen, chrome).view, QSize(1363, 678));
  EXPECT_EQ(ComputeWindowLayout(1024, 678, screen, chrome).view, QSize(1024, 678));
}

TEST(WindowLayout, AWindowIsMovedOnlyAsFarAsItsScreenAsks) {
  const QRect screen(0, 0, 1366, 768);
  EXPECT_EQ(PlaceInside(QRect(100, 50, 643, 560), screen), QPoint(100, 50));
  EXPECT_EQ(PlaceInside(QRect(352, 67, 1366, 768), screen), QPoint(0, 0));
  EXPECT_EQ(PlaceInside(QRect(900, 400, 643, 560), screen), QPoint(723, 208));
  EXPECT_EQ(PlaceInside(QRect(-20, -5, 643, 560), screen), QPoint(0, 0));
  // A second screen to the right, with a panel at its top.
  EXPECT_EQ(PlaceInside(QRect(3000, 0, 643, 560), QRect(1366, 30, 1920, 1050)), QPoint(2643, 30));
}

class WindowPlacement : public testsupport::MainWindowTest {
 protected:
  void ExpectOnItsScreen(const char* what) {
    const QRect available = dlg->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(dlg->frameGeometry()))
        << what << ": frame " << dlg->frameGeometry().x() << "," << dlg->frameGeometry().y() << " "
        << dlg->frameGeometry().width() << "x" << dlg->frameGeometry().height() << " on " << available.width() << "x"
        << available.height();
  }
};

TEST_F(WindowPlacement, EveryResolutionKeepsTheWholeWindowOnItsScreen) {
  // The window is laid out and placed but not shown: painting every frame at the
  // largest size is more than a sanitizer build keeps up with, and the placement is the
  // same (a shown window adds its frame to what must fit).
  platform::VirtualCameraOptions options;
  options.framesPerSecond = 5.0;
  OpenWithCamera(options);
  ASSERT_TRUE(WaitForFrame());
  // Where a window manager put the first, small window on a laptop's screen.
  dlg->move(352, 67);
  for (int entry : {2, 1, 0, 2}) {
    dlg->OnCommand(cmd::ID_YUV_FIRST + entry);
    ASSERT_TRUE(WaitForFrame());
    const int width = dlg->Session().m_view.m_nVideoWidth;
    ExpectOnItsScreen(width == 1920 ? "1920 X 1080" : width == 1280 ? "1280 X 720" : "640 X 480");
    // The view never shows less of the screen than the picture needs when it fits.
    const QSize available = dlg->screen()->availableGeometry().size();
    if (width + 48 < available.width() && dlg->View()->height() == dlg->Session().m_view.m_nVideoHeight) {
      EXPECT_EQ(dlg->View()->width(), width);
    }
  }
}

}  // namespace
