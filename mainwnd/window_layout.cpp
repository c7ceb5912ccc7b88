// The window follows the selected resolution: the view shows the picture pixel for
// pixel while it fits the screen, and fills the screen when it does not.
#include <QLayout>
#include <QScreen>


#include "capture/capture_session.h"
#include "mainwnd/window_layout.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/video_view.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
constexpr int kScreenMargin = 48;  // a picture this close to the screen width fills the screen
constexpr int kFrameWidth = 3;     // window border around the view
constexpr int kStatusHeight = 20;
}  // namespace

WindowLayout ComputeWindowLayout(int videoWidth, int videoHeight, QSize screen) {
  int vw = videoWidth;
  int vh = videoHeight;
  if (vw <= 0 || vh <= 0) {
    vw = 640;
    vh = 480;
  }
  WindowLayout layout;
  if (vw < screen.width() - kScreenMargin) {
    layout.outerWidth = vw + kFrameWidth;
    layout.view = QSize(vw, vh);
  } else {
    layout.outerWidth = screen.width();
    layout.view = QSize(screen.width() - 4, screen.height() - 36);
  }
  return layout;
}

void CVistrelDlg::LayOutForResolution() {
  QScreen* screen = this->screen();
  const WindowLayout l = ComputeWindowLayout(m_session->m_view.m_nVideoWidth, m_session->m_view.m_nVideoHeight,
                                             screen ? screen->size() : QSize(1920, 1080));
  m_view1000->setFixedSize(l.view);
  m_wndStatusBar->setFixedHeight(kStatusHeight);
  layout()->activate();
  // The width is the view's plus the border; the height is what the bars and the view
  // take on this desktop (their heights are the toolkit's, not fixed numbers).
  m_nOuterWidth = l.outerWidth;
  LayOutFixed();
  ShowResolutionAndZoom();
}

void CVistrelDlg::ShowResolutionAndZoom() {
  m_wndStatusBar->SetPaneText(0, QStringLiteral("%1 X %2").arg(m_session->m_view.m_nVideoWidth.load()).arg(
                                     m_session->m_view.m_nVideoHeight.load()));
  ShowZoom();
}
