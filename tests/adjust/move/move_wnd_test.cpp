// The pan and zoom window: its state and texts, the pan, the magnification, the mask
// and crosshair controls with their press-and-hold repeat on a test clock, hiding, the
// preview, the double-click fit, and opening it over a running capture session.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>

#include "adjust/colour_button.h"
#include "adjust/move_wnd.h"
#include "adjust/move_wnd_open.h"
#include "support/session_fixture.h"
#include "support/user_folders.h"
#include "texts/user_files.h"

using namespace std::chrono_literals;

namespace {

// Timers on a clock the test moves: every tick due on the way fires, in time order.
class ManualTimers : public WindowTimers {
 public:
  void SetHandler(Handler handler) override { m_handler = std::move(handler); }
  void SetTimer(int id, std::chrono::milliseconds period) override { m_timers[id] = {period, m_now + period}; }
  void KillTimer(int id) override { m_timers.erase(id); }
  bool IsTimerRunning(int id) const override { return m_timers.count(id) != 0; }

  void Advance(std::chrono::milliseconds by) {
    const std::chrono::milliseconds end = m_now + by;
    for (;;) {
      auto next = std::min_element(m_timers.begin(), m_timers.end(),
                                   [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
      if (next == m_timers.end() || next->second.due > end) break;
      const int id = next->first;
      m_now = next->second.due;
      next->second.due += next->second.period;
      if (m_handler) m_handler(id);  // may start or stop timers
    }
    m_now = end;
  }

 private:
  struct Timer {
    std::chrono::milliseconds period;
    std::chrono::milliseconds due;
  };
  Handler m_handler;
  std::map<int, Timer> m_timers;
  std::chrono::milliseconds m_now{0};
};

// A 24-bit picture stored bottom row first, of one grey level, with an optional bright
// disc (centre and radius from the top-left).
std::shared_ptr<const CxImage> Picture(int w, int h, std::uint8_t level, double cx = 0, double cy = 0, double r = 0) {
  auto picture = std::make_shared<CxImage>(w, h, 24);
  picture->Clear(level);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) < r) {
        std::uint8_t* p = picture->GetBits(h - 1 - y) + x * 3;
        p[0] = p[1] = p[2] = 230;
      }
  return picture;
}

class MoveWndTest : public ::testing::Test {
 protected:
  void Open(int w = 640, int h = 480) {
    ASSERT_TRUE(user.ChooseLanguage(QStringLiteral("Chinese")));  // the texts are checked in Chinese
    files.Prepare();
    view.m_nVideoWidth = w;
    view.m_nVideoHeight = h;
    MoveWndPictures pictures;
    pictures.rawPicture = [this] { return raw; };
    pictures.framePicture = [this] { return FramePictureAndSize{frame, frame ? static_cast<int>(frame->GetWidth()) : 0,
                                                                 frame ? static_cast<int>(frame->GetHeight()) : 0}; };
    auto manual = std::make_unique<ManualTimers>();
    timers = manual.get();
    wnd = std::make_unique<CMoveWnd>(view, overlay, pictures, [this] { ++rebuilds; }, files, nullptr, std::move(manual));
    wnd->FillState();
    wnd->ShowAndLayOut();
  }
  QString Text(int id) const { return qobject_cast<QLabel*>(wnd->GetDlgItem(id))->text(); }
  QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(wnd->GetDlgItem(id)); }
  QScrollBar* Bar(int id) const { return qobject_cast<QScrollBar*>(wnd->GetDlgItem(id)); }
  CColourButton* Colour(int id) const { return qobject_cast<CColourButton*>(wnd->GetDlgItem(id)); }
  // Sets the pan centre as the scroll bars would show it.
  void PanTo(int x, int y) {
    wnd->m_state.panX = x;
    wnd->m_state.panY = y;
    Bar(CMoveWnd::IDC_HSCROLL)->setValue(x);
    Bar(CMoveWnd::IDC_VSCROLL)->setValue(y);
  }
  void Mouse(QWidget* target, QEvent::Type type) {
    const QPointF local = QRectF(target->rect()).center();
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }

  testsupport::ScopedUserFolders user;
  UserFiles files;
  ViewSettings view;
  OverlaySettings overlay;
  std::shared_ptr<const CxImage> raw;
  std::shared_ptr<const CxImage> frame;
  int rebuilds = 0;
  ManualTimers* timers = nullptr;
  std::unique_ptr<CMoveWnd> wnd;
};

}  // namespace

TEST_F(MoveWndTest, OpensWithTheSettingsAndTheChineseTexts) {
  view.m_fPanOffsetX = 0.5f;
  view.m_fPanOffsetY = -0.25f;
  view.m_fPanZoom = 1.5f;
  overlay.m_bMaskOn = false;
  overlay.m_bCrossOn = true;
  overlay.m_clrMask = 0x00FF00;
  overlay.m_fMaskSize = 0.3f;
  overlay.m_fCrossSize = 0.2f;
  Open();

  EXPECT_EQ(wnd->m_state.panX, 480);
  EXPECT_EQ(wnd->m_state.panY, 180);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 480);
  EXPECT_EQ(Bar(CMoveWnd::IDC_VSCROLL)->value(), 180);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->pageStep(), 5);
  EXPECT_EQ(Text(CMoveWnd::IDC_HORIZONTAL_OFFSET), "  50.0%");
  EXPECT_EQ(Text(CMoveWnd::IDC_VERTICAL_OFFSET), " -25.0%");
  EXPECT_EQ(Text(CMoveWnd::IDC_MAGNIFICATION), " 150.0%");
  EXPECT_EQ(Text(CMoveWnd::IDC_MASK_SIZE), "  60.0%");
  EXPECT_EQ(Text(CMoveWnd::IDC_CROSS_SIZE), "  40.0%");
  EXPECT_FALSE(Button(CMoveWnd::IDC_MASK_ON)->isChecked());
  EXPECT_TRUE(Button(CMoveWnd::IDC_CROSS_ON)->isChecked());
  EXPECT_EQ(Colour(CMoveWnd::IDC_SQUARE_COLOUR)->GetColor(), 0x0000FFu);
  EXPECT_EQ(Colour(CMoveWnd::IDC_MASK_COLOUR)->GetColor(), 0x00FF00u);
  EXPECT_EQ(Colour(CMoveWnd::IDC_CROSS_COLOUR)->GetColor(), 0x0000FFu);

  EXPECT_EQ(wnd->windowTitle(), QString::fromUtf8("工厂设置"));
  EXPECT_EQ(qobject_cast<QGroupBox*>(wnd->GetDlgItem(CMoveWnd::IDC_PAN_GROUP))->title(), QString::fromUtf8("平移"));
  EXPECT_EQ(Button(CMoveWnd::IDC_MAGNIFY)->text(), QString::fromUtf8("放大"));
  EXPECT_EQ(Button(CMoveWnd::IDC_MASK_ON)->text(), QString::fromUtf8("边缘罩\u3000开启"));
  EXPECT_EQ(Button(CMoveWnd::IDC_CROSS_ON)->text(), QString::fromUtf8("准星\u3000开启"));
  EXPECT_EQ(Text(CMoveWnd::IDC_HORIZONTAL_LABEL), QString::fromUtf8("左右移动"));
  // 334 × 221 dialog units, the preview 223 × 133.
  EXPECT_EQ(wnd->size(), QSize(501, 359));
  EXPECT_EQ(wnd->GetDlgItem(CMoveWnd::IDC_PREVIEW)->geometry(), QRect(0, 24, 334, 216));
  EXPECT_TRUE(timers->IsTimerRunning(CMoveWnd::kPreviewTimer));
}

TEST_F(MoveWndTest, PanTextsShowTheOffsetsAndKeepTheCentreEven) {
  Open();
  wnd->m_state.panX = 480;
  wnd->ApplyPanTexts();
  EXPECT_EQ(Text(CMoveWnd::IDC_HORIZONTAL_OFFSET), "  50.0%");
  EXPECT_FLOAT_EQ(view.m_fPanOffsetX, 0.5f);

  view.m_nPanX = 77;
  wnd->m_state.panX = 321;
  wnd->ApplyPanTexts();
  EXPECT_EQ(wnd->m_state.panX, 322);
  EXPECT_EQ(Text(CMoveWnd::IDC_HORIZONTAL_OFFSET), "   0.6%");
  EXPECT_FLOAT_EQ(view.m_fPanOffsetX, 0.00625f);
  EXPECT_EQ(view.m_nPanX, 77);  // the live view's centre is not touched here
}

TEST_F(MoveWndTest, ScrollStepsOutsideThePictureAreRefusedAndChangeNothing) {
  view.m_fPanZoom = 2.0f;  // a = 120 on 640 × 480
  Open();
  PanTo(200, 240);
  view.m_nPanX = 200;
  view.m_fPanOffsetX = 0.123f;

  wnd->OnHScroll(CMoveWnd::ScrollCode::ThumbPosition, 100);
  EXPECT_EQ(wnd->m_state.panX, 200);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 200);
  EXPECT_EQ(view.m_nPanX, 200);
  EXPECT_FLOAT_EQ(view.m_fPanOffsetX, 0.123f);

  wnd->OnHScroll(CMoveWnd::ScrollCode::ThumbPosition, 121);
  EXPECT_EQ(view.m_nPanX, 121);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 121);
  EXPECT_EQ(wnd->m_state.panX, 122);  // the texts raised it to an even pixel
  EXPECT_FLOAT_EQ(view.m_fPanOffsetX, (122 - 320) / 320.0f);

  // Line steps: left to a = 120 is still allowed, then no further.
  PanTo(121, 240);
  wnd->OnHScroll(CMoveWnd::ScrollCode::LineBack);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 120);
  wnd->OnHScroll(CMoveWnd::ScrollCode::LineBack);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 120);
  // Right: the square's right side may reach column Wv − 1.
  PanTo(518, 240);
  wnd->OnHScroll(CMoveWnd::ScrollCode::LineForward);
  EXPECT_EQ(view.m_nPanX, 519);
  wnd->OnHScroll(CMoveWnd::ScrollCode::LineForward);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 519);

  // Vertical: the live view counts rows from the bottom.
  PanTo(320, 121);
  wnd->OnVScroll(CMoveWnd::ScrollCode::LineBack);  // to 120 = a: refused
  EXPECT_EQ(wnd->m_state.panY, 121);
  wnd->OnVScroll(CMoveWnd::ScrollCode::LineForward);
  EXPECT_EQ(wnd->m_state.panY, 122);
  EXPECT_EQ(view.m_nPanY, 480 - 122);
  PanTo(320, 358);
  wnd->OnVScroll(CMoveWnd::ScrollCode::LineForward);  // 359 + 120 is not below 479
  EXPECT_EQ(wnd->m_state.panY, 358);

  // Page steps move nothing but bring the live view to the window's centre.
  PanTo(300, 240);
  view.m_nPanX = 5;
  wnd->OnHScroll(CMoveWnd::ScrollCode::PageForward);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 300);
  EXPECT_EQ(view.m_nPanX, 300);
}

TEST_F(MoveWndTest, TheScrollBarsMoveThePanByLineAndOnlyWhenTheThumbIsReleased) {
  view.m_fPanZoom = 2.0f;
  Open();
  PanTo(200, 240);
  QScrollBar* bar = Bar(CMoveWnd::IDC_HSCROLL);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(bar->value(), 201);
  EXPECT_EQ(view.m_nPanX, 201);
  // The texts raised the window's centre to 202; a page step moves nothing but hands
  // that centre to the live view.
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->value(), 201);
  EXPECT_EQ(view.m_nPanX, 202);

  // Dragging moves nothing; a release outside the allowed range snaps back.
  bar->setSliderDown(true);
  bar->setSliderPosition(100);
  EXPECT_EQ(view.m_nPanX, 202);
  bar->setSliderDown(false);
  EXPECT_EQ(bar->value(), 201);
  EXPECT_EQ(bar->sliderPosition(), 201);
  EXPECT_EQ(view.m_nPanX, 202);
  bar->setSliderDown(true);
  bar->setSliderPosition(300);
  bar->setSliderDown(false);
  EXPECT_EQ(bar->value(), 300);
  EXPECT_EQ(view.m_nPanX, 300);
}

TEST_F(MoveWndTest, PanResetCentresTheSquare) {
  Open();
  PanTo(400, 100);
  Button(CMoveWnd::IDC_PAN_RESET)->click();
  EXPECT_EQ(wnd->m_state.panX, 320);
  EXPECT_EQ(wnd->m_state.panY, 240);
  EXPECT_EQ(view.m_nPanX, 320);
  EXPECT_EQ(view.m_nPanY, 240);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), 320);
  EXPECT_EQ(Bar(CMoveWnd::IDC_VSCROLL)->value(), 240);
  EXPECT_EQ(Text(CMoveWnd::IDC_HORIZONTAL_OFFSET), "   0.0%");
  EXPECT_FLOAT_EQ(view.m_fPanOffsetY, 0.0f);
}

TEST_F(MoveWndTest, MagnificationStaysWithinItsLimitsAndItsSquareWithinThePicture) {
  Open();
  Button(CMoveWnd::IDC_MAGNIFY)->click();
  EXPECT_FLOAT_EQ(view.m_fPanZoom, 1.005f);
  EXPECT_EQ(Text(CMoveWnd::IDC_MAGNIFICATION), " 100.5%");

  wnd->m_state.magnification = 4.0f;
  Button(CMoveWnd::IDC_MAGNIFY)->click();
  EXPECT_EQ(wnd->m_state.magnification, 4.0f);
  EXPECT_EQ(Text(CMoveWnd::IDC_MAGNIFICATION), " 400.0%");

  // Centred on 640 × 480 at 1.005: reduce gives 1.0, and no less.
  wnd->m_state.magnification = 1.005f;
  Button(CMoveWnd::IDC_REDUCE)->click();
  EXPECT_EQ(wnd->m_state.magnification, 1.0f);
  EXPECT_EQ(view.m_fPanZoom, 1.0f);
  Button(CMoveWnd::IDC_REDUCE)->click();
  EXPECT_EQ(wnd->m_state.magnification, 1.0f);

  // At 2.0 (a = 120) with the pan at (100, 240) the square sticks out on the left.
  wnd->m_state.magnification = 2.0f;
  view.m_fPanZoom = 2.0f;
  PanTo(100, 240);
  Button(CMoveWnd::IDC_REDUCE)->click();
  EXPECT_EQ(wnd->m_state.magnification, 2.0f);
  PanTo(120, 240);
  Button(CMoveWnd::IDC_REDUCE)->click();
  EXPECT_FLOAT_EQ(wnd->m_state.magnification, 1.995f);

  // Reset only with the pan centred.
  PanTo(322, 240);
  Button(CMoveWnd::IDC_MAGNIFICATION_RESET)->click();
  EXPECT_FLOAT_EQ(view.m_fPanZoom, 1.995f);
  Button(CMoveWnd::IDC_PAN_RESET)->click();
  Button(CMoveWnd::IDC_MAGNIFICATION_RESET)->click();
  EXPECT_EQ(wnd->m_state.magnification, 1.0f);
  EXPECT_EQ(view.m_fPanZoom, 1.0f);
  EXPECT_EQ(Text(CMoveWnd::IDC_MAGNIFICATION), " 100.0%");
}

TEST_F(MoveWndTest, MaskAndCrosshairControlsChangeTheOverlayAndRebuildIt) {
  overlay.m_fMaskSize = 0.4f;
  overlay.m_fCrossSize = 0.16f;
  Open();
  Button(CMoveWnd::IDC_MASK_LARGER)->click();
  EXPECT_EQ(overlay.m_fMaskSize, 0.4f);
  EXPECT_EQ(Text(CMoveWnd::IDC_MASK_SIZE), "  80.0%");
  EXPECT_EQ(rebuilds, 1);
  Button(CMoveWnd::IDC_MASK_SMALLER)->click();
  EXPECT_FLOAT_EQ(overlay.m_fMaskSize, 0.39f);

  Button(CMoveWnd::IDC_CROSS_SMALLER)->click();
  EXPECT_EQ(overlay.m_fCrossSize, 0.15f);
  EXPECT_EQ(Text(CMoveWnd::IDC_CROSS_SIZE), "  30.0%");
  Button(CMoveWnd::IDC_CROSS_LARGER)->click();
  EXPECT_FLOAT_EQ(overlay.m_fCrossSize, 0.17f);
  EXPECT_FLOAT_EQ(overlay.m_fMaskSize, 0.39f);  // the two sizes are independent
  EXPECT_EQ(rebuilds, 4);

  Button(CMoveWnd::IDC_MASK_ON)->click();
  EXPECT_FALSE(overlay.m_bMaskOn);
  Button(CMoveWnd::IDC_CROSS_ON)->click();
  EXPECT_FALSE(overlay.m_bCrossOn);
  EXPECT_EQ(rebuilds, 6);

  // Colours: the overlay's rebuild the mask and crosshair, the square's only the preview.
  CColourButton* mask = Colour(CMoveWnd::IDC_MASK_COLOUR);
  mask->ShowPalette();
  mask->PaletteButton(6)->click();
  EXPECT_EQ(overlay.m_clrMask, CColourButton::Palette()[6]);
  EXPECT_FALSE(mask->Popup()->isVisible());
  Colour(CMoveWnd::IDC_CROSS_COLOUR)->m_moreColours = [](const QColor&, QWidget*) { return QColor(1, 2, 3); };
  Colour(CMoveWnd::IDC_CROSS_COLOUR)->MoreColoursButton()->click();
  EXPECT_EQ(overlay.m_clrCross, 0x030201u);
  EXPECT_EQ(rebuilds, 8);
  Colour(CMoveWnd::IDC_SQUARE_COLOUR)->PaletteButton(7)->click();
  EXPECT_EQ(wnd->m_state.squareColour, CColourButton::Palette()[7]);
  EXPECT_EQ(rebuilds, 8);
}

TEST(ColourButton, HasFiveColumnsAndACancelledDialogChangesNothing) {
  CColourButton button;
  button.SetColor(0x123456);
  int chosen = 0;
  QObject::connect(&button, &CColourButton::colourChosen, [&] { ++chosen; });
  button.ShowPalette();
  const QRect first = button.PaletteButton(0)->geometry();
  EXPECT_EQ(button.PaletteButton(4)->geometry().y(), first.y());
  EXPECT_GT(button.PaletteButton(5)->geometry().y(), first.y());
  EXPECT_EQ(button.PaletteButton(5)->geometry().x(), first.x());
  button.m_moreColours = [](const QColor& initial, QWidget*) -> std::optional<QColor> {
    EXPECT_EQ(ColourRefOf(initial), 0x123456u);
    return std::nullopt;
  };
  button.MoreColoursButton()->click();
  EXPECT_EQ(button.GetColor(), 0x123456u);
  EXPECT_EQ(chosen, 0);
}

TEST_F(MoveWndTest, HoldingMaskLargerRepeatsEveryTwoHundredMilliseconds) {
  overlay.m_fMaskSize = 0.30f;
  Open();
  QWidget* larger = wnd->GetDlgItem(CMoveWnd::IDC_MASK_LARGER);
  Mouse(larger, QEvent::MouseButtonPress);
  timers->Advance(1100ms);  // ticks at 200, 400, 600, 800 and 1000 ms
  EXPECT_NEAR(overlay.m_fMaskSize, 0.35f, 1e-5);
  Mouse(larger, QEvent::MouseButtonRelease);  // the click of the release: one more
  EXPECT_NEAR(overlay.m_fMaskSize, 0.36f, 1e-5);
  EXPECT_EQ(Text(CMoveWnd::IDC_MASK_SIZE), "  72.0%");
  EXPECT_EQ(rebuilds, 6);
  timers->Advance(1000ms);
  EXPECT_NEAR(overlay.m_fMaskSize, 0.36f, 1e-5);
  EXPECT_FALSE(timers->IsTimerRunning(CMoveWnd::kMaskLargerTimer));

  // Crosshair smaller repeats on its own timer; a press elsewhere starts none.
  QWidget* smaller = wnd->GetDlgItem(CMoveWnd::IDC_CROSS_SMALLER);
  wnd->OnLButtonDown(smaller->mapToGlobal(QPoint(2, 2)));
  EXPECT_TRUE(timers->IsTimerRunning(CMoveWnd::kCrossSmallerTimer));
  wnd->OnLButtonUp();
  wnd->OnLButtonDown(wnd->GetDlgItem(CMoveWnd::IDC_PAN_RESET)->mapToGlobal(QPoint(2, 2)));
  for (int timer = CMoveWnd::kMaskLargerTimer; timer <= CMoveWnd::kCrossSmallerTimer; ++timer)
    EXPECT_FALSE(timers->IsTimerRunning(timer)) << timer;
}

TEST_F(MoveWndTest, EnterEscapeAndTheCloseBoxHideTheWindowAndStopThePreview) {
  Open();
  const auto press = [this](int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(wnd.get(), &event);
  };
  press(Qt::Key_Return);
  EXPECT_FALSE(wnd->isVisible());
  EXPECT_FALSE(timers->IsTimerRunning(CMoveWnd::kPreviewTimer));

  wnd->show();
  press(Qt::Key_Escape);
  EXPECT_FALSE(wnd->isVisible());

  wnd->show();
  // A size button held while the window goes stops repeating too.
  wnd->OnLButtonDown(wnd->GetDlgItem(CMoveWnd::IDC_MASK_SMALLER)->mapToGlobal(QPoint(2, 2)));
  wnd->close();
  EXPECT_FALSE(wnd->isVisible());
  EXPECT_FALSE(timers->IsTimerRunning(CMoveWnd::kMaskSmallerTimer));
}

TEST(MoveWndPlacement, BesideTheMainWindowOrAgainstTheScreensRightEdge) {
  EXPECT_EQ(PlaceBesideOwner(QRect(100, 50, 700, 600), 501, 1920), QPoint(800, 50));
  EXPECT_EQ(PlaceBesideOwner(QRect(1000, 80, 700, 600), 501, 1920), QPoint(1419, 80));
}

TEST(PanSquare, IsDrawnFivePixelsWideAndClippedToThePicture) {
  CxImage picture(100, 80, 24);
  picture.Clear(0);
  ASSERT_TRUE(DrawPanSquare(picture, {50, 40, 20, 0x0000FF}));
  // (x, y) from the top-left; stored rows are bottom first.
  auto at = [&](int x, int y) { return picture.GetBits(79 - y) + x * 3; };
  auto isRed = [&](int x, int y) { return at(x, y)[2] == 255 && at(x, y)[0] == 0 && at(x, y)[1] == 0; };
  for (int dx = -2; dx <= 2; ++dx) EXPECT_TRUE(isRed(30 + dx, 40)) << dx;  // the left side
  EXPECT_FALSE(isRed(27, 40));
  EXPECT_FALSE(isRed(33, 40));
  EXPECT_TRUE(isRed(50, 20));  // top
  EXPECT_TRUE(isRed(50, 62));  // bottom
  EXPECT_TRUE(isRed(70, 40));  // right
  EXPECT_FALSE(isRed(50, 40));  // inside

  // A square reaching past every edge draws what lies inside and nothing else.
  CxImage small(30, 20, 24);
  small.Clear(0);
  EXPECT_TRUE(DrawPanSquare(small, {15, 10, 40, 0xFFFFFF}));
  EXPECT_TRUE(DrawPanSquare(small, {0, 0, 1, 0xFFFFFF}));
  CxImage grey(30, 20, 8);
  EXPECT_FALSE(DrawPanSquare(grey, {15, 10, 5, 0xFFFFFF}));
}

TEST_F(MoveWndTest, PreviewShowsTheRawPictureWithTheSquareOnlyWhileThereIsOne) {
  Open();
  const QSize size = wnd->GetDlgItem(CMoveWnd::IDC_PREVIEW)->size();
  EXPECT_EQ(wnd->PreviewPicture(size), nullptr);

  raw = Picture(640, 480, 40);
  wnd->m_state.panX = 320;
  wnd->m_state.panY = 240;
  wnd->m_state.squareColour = 0x00FF00;
  const CxImage* shown = wnd->PreviewPicture(QSize(640, 480));  // at the picture's own size
  ASSERT_NE(shown, nullptr);
  auto green = [&](int x, int y) { return shown->GetBits(479 - y)[x * 3 + 1]; };
  EXPECT_EQ(green(80, 240), 255);  // a = 240: the left side at column 80
  EXPECT_EQ(green(320, 240), 40);
  EXPECT_EQ(raw->GetBits(240)[80 * 3 + 1], 40);  // the camera's picture is untouched

  const CxImage* small = wnd->PreviewPicture(size);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->GetWidth(), static_cast<std::uint32_t>(size.width()));
  EXPECT_EQ(small->GetHeight(), static_cast<std::uint32_t>(size.height()));

  // The preview timer repaints: the widget draws it (grab paints at once).
  timers->Advance(50ms);
  const QImage grabbed = wnd->GetDlgItem(CMoveWnd::IDC_PREVIEW)->grab().toImage();
  const QRect inner = qobject_cast<QFrame*>(wnd->GetDlgItem(CMoveWnd::IDC_PREVIEW))->contentsRect();
  EXPECT_EQ(QColor(grabbed.pixel(inner.center())), QColor(40, 40, 40));
}

TEST_F(MoveWndTest, DoubleClickOnThePreviewFramesTheField) {
  view.m_fPanZoom = 2.0f;
  view.m_fPanOffsetX = 0.25f;
  Open();
  const QPoint onPreview = wnd->GetDlgItem(CMoveWnd::IDC_PREVIEW)->geometry().center();

  // Off the preview: nothing.
  wnd->OnLButtonDblClk(QPoint(490, 350));
  EXPECT_EQ(wnd->m_state.panX, 400);

  // A uniform frame: only the resets remain.
  frame = Picture(640, 480, 90);
  QMouseEvent click(QEvent::MouseButtonDblClick, onPreview, wnd->mapToGlobal(onPreview), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(wnd.get(), &click);
  EXPECT_EQ(wnd->m_state.panX, 320);
  EXPECT_EQ(wnd->m_state.panY, 240);
  EXPECT_EQ(view.m_fPanZoom, 1.0f);

  // A small disc (F > 4): centred at 1.0.
  PanTo(400, 240);
  frame = Picture(640, 480, 20, 200, 150, 40);
  wnd->OnLButtonDblClk(onPreview);
  EXPECT_EQ(view.m_nPanX, 320);
  EXPECT_EQ(view.m_fPanZoom, 1.0f);

  // A disc of radius 200 around (300, 200): framed.
  frame = Picture(640, 480, 20, 300, 200, 200);
  wnd->OnLButtonDblClk(onPreview);
  EXPECT_NEAR(view.m_fPanZoom, 1.2f, 0.01f);
  EXPECT_NEAR(view.m_nPanX, 300, 2);
  EXPECT_NEAR(view.m_nPanY, 480 - 200, 2);
  EXPECT_EQ(Bar(CMoveWnd::IDC_VSCROLL)->value(), 480 - view.m_nPanY);
  EXPECT_EQ(Bar(CMoveWnd::IDC_HSCROLL)->value(), view.m_nPanX.load());
  EXPECT_EQ(Text(CMoveWnd::IDC_MAGNIFICATION), QString::asprintf("%6.1f%%", static_cast<double>(view.m_fPanZoom * 100)));
}

class MoveWndSessionTest : public testsupport::SessionTest {};

TEST_F(MoveWndSessionTest, OpensOnlyOverARunningCameraAndReplacesTheLastWindow) {
  Create(true);
  std::unique_ptr<CMoveWnd> window;
  int rebuilds = 0;
  EXPECT_FALSE(OpenMoveWnd(window, *session, files, nullptr, [&] { ++rebuilds; }));
  EXPECT_EQ(window, nullptr);
}

TEST_F(MoveWndSessionTest, FramesTheVirtualCamerasFieldFromItsLiveFrames) {
  platform::VirtualCameraOptions options;
  options.fieldShiftX = 0.04;
  options.frameCounter = false;  // a bright number beside the field would be an edge too
  OpenWithCamera(options, true);
  ASSERT_TRUE(opened);
  ASSERT_TRUE(WaitForFrame());
  ASSERT_TRUE(testsupport::WaitFor([this] { return session->RawPicture() != nullptr; }));

  std::unique_ptr<CMoveWnd> window;
  int rebuilds = 0;
  ASSERT_TRUE(OpenMoveWnd(window, *session, files, nullptr, [&] { ++rebuilds; }));
  QPointer<CMoveWnd> first = window.get();
  ASSERT_TRUE(OpenMoveWnd(window, *session, files, nullptr, [&] { ++rebuilds; }));
  EXPECT_TRUE(first.isNull());  // the last window was destroyed
  EXPECT_TRUE(window->isVisible());
  EXPECT_NE(window->PreviewPicture(QSize(334, 216)), nullptr);

  window->OnLButtonDblClk(window->GetDlgItem(CMoveWnd::IDC_PREVIEW)->geometry().center());
  const int h = session->m_view.m_nVideoHeight;
  const int w = session->m_view.m_nVideoWidth;
  EXPECT_NEAR(session->m_view.m_nPanX, w / 2.0 + 0.04 * h, 2.0);
  EXPECT_NEAR(session->m_view.m_nPanY, h / 2.0, 2.0);
  EXPECT_NEAR(session->m_view.m_fPanZoom, 1.0 / 0.9, 0.011);
  EXPECT_EQ(rebuilds, 0);
  window.reset();
}
