// The window follows the selected resolution: the view shows the picture pixel for
// pixel while it fits the screen, and fills the screen when it does not.
#include <QLayout>
#include <QScreen>

#include <algorithm>

#include "capture/capture_session.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/window_layout.h"
#include "mainwnd/video_view.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
constexpr int kScreenMargin = 48;  // a picture this close to the screen width fills the screen
constexpr int kFrameWidth = 3;     // window border around the view
constexpr int kStatusHeight = 20;
}  // namespace

WindowLayout ComputeWindowLayout(int videoWidth, int videoHeight, QSize available, QSize chrome) {
  int vw = videoWidth;
  int vh = videoHeight;
  if (vw <= 0 || vh <= 0) {
    vw = 640;
    vh = 480;
  }
  WindowLayout layout;
  const bool fits = vw < available.width() - kScreenMargin && vw + chrome.width() <= available.width() &&
                    vh + chrome.height() <= available.height();
  layout.view = fits ? QSize(vw, vh)
                     : QSize(std::max(1, available.width() - chrome.width()),
                             std::max(1, available.height() - chrome.height()));
  layout.outerWidth = layout.view.width() + kFrameWidth;
  return layout;
}

QPoint PlaceInside(const QRect& frame, const QRect& available) {
  const int x = std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
  const int y = std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
  return {x, y};
}

void CVistrelDlg::LayOutForResolution() {
  QScreen* screen = this->screen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
  m_wndStatusBar->setFixedHeight(kStatusHeight);
  layout()->activate();
  // What the window adds around the view: its frame (known once it is shown), the
  // border, and the bars at the heights the toolkit gives them on this desktop.
  const QSize frameExtra = frameGeometry().size() - geometry().size();
  const int bars = layout()->totalSizeHint().height() - m_view1000->height();
  const QSize chrome(frameExtra.width() + kFrameWidth, frameExtra.height() + bars);
  const WindowLayout l =
      ComputeWindowLayout(m_session->m_view.m_nVideoWidth, m_session->m_view.m_nVideoHeight, available.size(), chrome);
  m_view1000->setFixedSize(l.view);
  layout()->activate();
  m_nOuterWidth = l.outerWidth;
  LayOutFixed();
  // The whole window stays on its screen, whichever size it took.
  const QRect frame(frameGeometry().topLeft(), frameGeometry().size());
  const QPoint place = PlaceInside(frame, available);
  if (place != frame.topLeft()) move(place);
  ShowResolutionAndZoom();
}

void CVistrelDlg::ShowResolutionAndZoom() {
  m_wndStatusBar->SetPaneText(0, QStringLiteral("%1 X %2").arg(m_session->m_view.m_nVideoWidth.load()).arg(
                                     m_session->m_view.m_nVideoHeight.load()));
  ShowZoom();
}
