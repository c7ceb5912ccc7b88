// The pan window's mask and crosshair controls, the repeat of a held size button, and
// its timers.
#include <QLabel>
#include <QMouseEvent>

#include "adjust/colour_button.h"
#include "adjust/move_wnd.h"

namespace {

QString Percent(float value) { return QString::asprintf("%6.1f%%", static_cast<double>(value)); }

constexpr float kSizeMin = 0.15f;
constexpr float kSizeMax = 0.4f;
constexpr float kMaskStep = 0.01f;
constexpr float kCrossStep = 0.02f;

}  // namespace

void CMoveWnd::ShowMaskSize() {
  static_cast<QLabel*>(m_controls.at(IDC_MASK_SIZE))->setText(Percent(m_state.maskSize * 2 * 100));
}

void CMoveWnd::ShowCrossSize() {
  static_cast<QLabel*>(m_controls.at(IDC_CROSS_SIZE))->setText(Percent(m_state.crossSize * 2 * 100));
}

void CMoveWnd::OnMaskOn() {
  ReadControls();
  m_overlay.m_bMaskOn = m_state.maskOn != 0;
  WriteControls();
  if (m_buildOverlay) m_buildOverlay();
  Repaint();
}

void CMoveWnd::OnCrossOn() {
  ReadControls();
  m_overlay.m_bCrossOn = m_state.crossOn != 0;
  WriteControls();
  if (m_buildOverlay) m_buildOverlay();
  Repaint();
}

void CMoveWnd::OnMaskLarger() {
  ReadControls();
  m_state.maskSize = m_state.maskSize + kMaskStep;
  if (m_state.maskSize > kSizeMax) m_state.maskSize = kSizeMax;
  m_overlay.m_fMaskSize = m_state.maskSize;
  if (m_buildOverlay) m_buildOverlay();
  ShowMaskSize();
  Repaint();
  WriteControls();
}

void CMoveWnd::OnMaskSmaller() {
  ReadControls();
  m_state.maskSize = m_state.maskSize - kMaskStep;
  if (m_state.maskSize < kSizeMin) m_state.maskSize = kSizeMin;
  m_overlay.m_fMaskSize = m_state.maskSize;
  if (m_buildOverlay) m_buildOverlay();
  ShowMaskSize();
  Repaint();
  WriteControls();
}

void CMoveWnd::OnCrossLarger() {
  ReadControls();
  m_state.crossSize = m_state.crossSize + kCrossStep;
  if (m_state.crossSize > kSizeMax) m_state.crossSize = kSizeMax;
  m_overlay.m_fCrossSize = m_state.crossSize;
  if (m_buildOverlay) m_buildOverlay();
  ShowCrossSize();
  Repaint();
  WriteControls();
}

void CMoveWnd::OnCrossSmaller() {
  ReadControls();
  m_state.crossSize = m_state.crossSize - kCrossStep;
  if (m_state.crossSize < kSizeMin) m_state.crossSize = kSizeMin;
  m_overlay.m_fCrossSize = m_state.crossSize;
  if (m_buildOverlay) m_buildOverlay();
  ShowCrossSize();
  Repaint();
  WriteControls();
}

void CMoveWnd::OnMaskColour() {
  m_state.maskColour = m_maskColour->GetColor();
  m_overlay.m_clrMask = m_state.maskColour;
  if (m_buildOverlay) m_buildOverlay();
  Repaint();
}

void CMoveWnd::OnCrossColour() {
  m_state.crossColour = m_crossColour->GetColor();
  m_overlay.m_clrCross = m_state.crossColour;
  if (m_buildOverlay) m_buildOverlay();
  Repaint();
}

void CMoveWnd::OnSquareColour() {
  m_state.squareColour = m_squareColour->GetColor();
  Repaint();
}

void CMoveWnd::OnTimer(int id) {
  switch (id) {
    case kPreviewTimer: Repaint(); break;
    case kMaskLargerTimer: OnMaskLarger(); break;
    case kMaskSmallerTimer: OnMaskSmaller(); break;
    case kCrossLargerTimer: OnCrossLarger(); break;
    case kCrossSmallerTimer: OnCrossSmaller(); break;
    default: break;
  }
}

void CMoveWnd::OnLButtonDown(const QPoint& globalPos) {
  static constexpr std::pair<int, int> kRepeats[] = {{IDC_MASK_LARGER, kMaskLargerTimer},
                                                     {IDC_MASK_SMALLER, kMaskSmallerTimer},
                                                     {IDC_CROSS_LARGER, kCrossLargerTimer},
                                                     {IDC_CROSS_SMALLER, kCrossSmallerTimer}};
  for (const auto& [id, timer] : kRepeats) {
    const QWidget* button = m_controls.at(id);
    const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
    if (onScreen.contains(globalPos)) {
      OnLButtonUp();  // one repeat at a time
      m_timers->SetTimer(timer, kRepeatPeriod);
      m_nHoldTimer = timer;
      return;
    }
  }
}

void CMoveWnd::OnLButtonUp() {
  if (m_nHoldTimer == 0) return;
  m_timers->KillTimer(m_nHoldTimer);
  m_nHoldTimer = 0;
}

bool CMoveWnd::eventFilter(QObject* watched, QEvent* event) {
  // The size buttons' presses and releases; the button then goes on to its own
  // handling (a release over it is one more click).
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      if (event->type() == QEvent::MouseButtonPress)
        OnLButtonDown(mouse->globalPosition().toPoint());
      else
        OnLButtonUp();
    }
  }
  return QDialog::eventFilter(watched, event);
}
