// The window follows the selected resolution: the view shows the picture pixel for
// pixel while it fits the screen, and fills the screen when it does not.
#include <QLayout>
#include <QScreen>

#include <cmath>

#include "mainwnd/main_status_bar.h"
#include "mainwnd/video_view.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
constexpr int kScreenMargin = 48;  // a picture this close to the screen width fills the screen
constexpr int kFrameWidth = 3;     // window border around the view
constexpr int kStatusHeight = 20;
}  // namespace

void CVistrelDlg::LayOutForResolution() {
  int vw = m_view.m_nVideoWidth;
  int vh = m_view.m_nVideoHeight;
  if (vw <= 0 || vh <= 0) {
    vw = 640;
    vh = 480;
  }
  QScreen* screen = this->screen();
  const QSize screenSize = screen ? screen->size() : QSize(1920, 1080);
  const int sw = screenSize.width();
  const int sh = screenSize.height();

  int outerWidth = 0;
  QSize viewSize;
  if (vw < sw - kScreenMargin) {
    outerWidth = vw + kFrameWidth;
    viewSize = QSize(vw, vh);
  } else {
    outerWidth = sw;
    viewSize = QSize(sw - 4, sh - 36);
  }
  m_view1000->setFixedSize(viewSize);
  m_wndStatusBar->setFixedHeight(kStatusHeight);
  layout()->activate();
  // The height is what the bars and the view need; the width is the view's plus the border.
  setFixedSize(outerWidth, layout()->totalSizeHint().height());
  ShowResolutionAndZoom();
}

void CVistrelDlg::ShowResolutionAndZoom() {
  m_wndStatusBar->SetPaneText(0, QStringLiteral("%1 X %2").arg(m_view.m_nVideoWidth.load()).arg(
                                     m_view.m_nVideoHeight.load()));
  ShowZoom();
}
