// The pan window's pan square: its centre (scroll bars, pan reset), its magnification,
// the fit to the circular field, and the preview that shows it.
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

#include "adjust/circle_fit.h"
#include "adjust/move_wnd.h"

namespace {

QString Percent(float value) { return QString::asprintf("%6.1f%%", static_cast<double>(value)); }

void SetScrollPos(QScrollBar* bar, int position) {
  bar->setValue(position);
  bar->setSliderPosition(bar->value());
}

}  // namespace

int CMoveWnd::HalfSide() const {
  return static_cast<int>(m_view.m_nVideoHeight / m_state.magnification * 0.5);
}

void CMoveWnd::ShowMagnification() {
  static_cast<QLabel*>(m_controls.at(IDC_MAGNIFICATION))->setText(Percent(m_state.magnification * 100));
}

void CMoveWnd::ApplyPanTexts() {
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  // The centre lies on an even pixel.
  auto offset = [](int& pan, int extent) {
    const int half = static_cast<int>(extent * 0.5);
    if (pan % 2 != 0) pan += 1;
    // A picture narrower than two pixels has no offset to show.
    return half > 0 ? static_cast<float>(static_cast<double>(pan - half) / half) : 0.0f;
  };
  m_state.offsetX = offset(m_state.panX, wv);
  static_cast<QLabel*>(m_controls.at(IDC_HORIZONTAL_OFFSET))->setText(Percent(m_state.offsetX * 100));
  m_state.offsetY = offset(m_state.panY, hv);
  static_cast<QLabel*>(m_controls.at(IDC_VERTICAL_OFFSET))->setText(Percent(m_state.offsetY * 100));
  m_view.m_fPanOffsetX = m_state.offsetX;
  m_view.m_fPanOffsetY = m_state.offsetY;
}

void CMoveWnd::OnHScroll(ScrollCode code, int thumbPosition) {
  const int wv = m_view.m_nVideoWidth;
  const int a = HalfSide();
  const int p0 = m_hScroll->value();
  int p = p0;
  bool step = true;
  bool accepted = false;
  switch (code) {
    case ScrollCode::LineBack:
      p = p0 > 1 ? p0 - 1 : p0;
      accepted = p >= a && p + a <= wv - 1;
      break;
    case ScrollCode::LineForward:
      p = p0 < wv - 1 ? p0 + 1 : p0;
      accepted = p > a && p + a <= wv - 1;
      break;
    case ScrollCode::ThumbPosition:
      p = thumbPosition;
      accepted = p > a && p + a <= wv - 1;
      break;
    default:
      step = false;  // the other events move nothing
      break;
  }
  // A refused step changes nothing at all.
  if (step && !accepted) return;
  if (accepted) {
    m_state.panX = p;
    SetScrollPos(m_hScroll, p);
  }
  m_view.m_nPanX = m_state.panX;
  Repaint();
  ApplyPanTexts();
}

void CMoveWnd::OnVScroll(ScrollCode code, int thumbPosition) {
  const int hv = m_view.m_nVideoHeight;
  const int a = HalfSide();
  const int p0 = m_vScroll->value();
  int p = p0;
  bool step = true;
  bool accepted = false;
  switch (code) {
    case ScrollCode::LineBack:
      p = p0 > 1 ? p0 - 1 : p0;
      accepted = p > a;
      break;
    case ScrollCode::LineForward:
      p = p0 < hv - 1 ? p0 + 1 : p0;
      accepted = p + a < hv - 1;
      break;
    case ScrollCode::ThumbPosition:
      p = thumbPosition;
      accepted = p >= a && p + a <= hv - 1;
      break;
    default:
      step = false;
      break;
  }
  if (step && !accepted) return;
  if (accepted) {
    m_state.panY = p;
    SetScrollPos(m_vScroll, p);
  }
  // The live view counts its rows from the bottom.
  m_view.m_nPanY = hv - m_state.panY;
  Repaint();
  ApplyPanTexts();
}

void CMoveWnd::OnScrollAction(QScrollBar* bar, int action) {
  ScrollCode code = ScrollCode::EndScroll;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = ScrollCode::LineBack; break;
    case QAbstractSlider::SliderSingleStepAdd: code = ScrollCode::LineForward; break;
    case QAbstractSlider::SliderPageStepSub: code = ScrollCode::PageBack; break;
    case QAbstractSlider::SliderPageStepAdd: code = ScrollCode::PageForward; break;
    case QAbstractSlider::SliderToMinimum: code = ScrollCode::ToStart; break;
    case QAbstractSlider::SliderToMaximum: code = ScrollCode::ToEnd; break;
    case QAbstractSlider::SliderMove:
      code = bar->isSliderDown() ? ScrollCode::ThumbTrack : ScrollCode::ThumbPosition;
      break;
    default: break;
  }
  const int thumb = bar->sliderPosition();
  if (bar == m_hScroll)
    OnHScroll(code, thumb);
  else
    OnVScroll(code, thumb);
  // The bar shows what the handler kept: an accepted position, or the old one. While the
  // thumb is dragged it follows the pointer.
  if (code != ScrollCode::ThumbTrack) bar->setSliderPosition(bar->value());
}

void CMoveWnd::OnPanReset() {
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  m_state.panY = hv / 2;
  m_state.panX = wv / 2;
  m_state.offsetX = 0.0f;
  m_state.offsetY = 0.0f;
  m_view.m_nPanX = m_state.panX;
  m_view.m_nPanY = m_state.panY;
  SetScrollPos(m_vScroll, m_state.panY);
  SetScrollPos(m_hScroll, m_state.panX);
  ApplyPanTexts();
  Repaint();
}

void CMoveWnd::OnMagnify() {
  ReadControls();
  m_state.magnification = m_state.magnification + 0.005f;
  if (m_state.magnification > 4.0f) m_state.magnification = 4.0f;
  m_view.m_fPanZoom = m_state.magnification;
  ShowMagnification();
  Repaint();
  WriteControls();
}

void CMoveWnd::OnReduce() {
  ReadControls();
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  float candidate = m_state.magnification - 0.005f;
  if (candidate < 1.0f) candidate = 1.0f;
  // Only while the present square lies within the picture.
  const int a = HalfSide();
  const MoveWndState& s = m_state;
  if (s.panX - a >= 0 && s.panY - a >= 0 && s.panX + a <= wv && s.panY + a <= hv) m_state.magnification = candidate;
  ShowMagnification();
  WriteControls();
  Repaint();
  m_view.m_fPanZoom = m_state.magnification;
}

void CMoveWnd::OnMagnificationReset() {
  ReadControls();
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  const int hw = static_cast<int>(wv * 0.5);
  const int hh = static_cast<int>(hv * 0.5);
  // Only with the pan centred.
  const MoveWndState& s = m_state;
  if (s.panX - hw >= 0 && s.panY - hh >= 0 && s.panX + hw <= wv && s.panY + hh <= hv) m_state.magnification = 1.0f;
  ShowMagnification();
  Repaint();
  m_view.m_fPanZoom = m_state.magnification;
}

void CMoveWnd::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) OnLButtonDblClk(event->position().toPoint());
  QDialog::mouseDoubleClickEvent(event);
}

void CMoveWnd::OnLButtonDblClk(const QPoint& pos) {
  if (!m_preview->geometry().contains(pos)) return;
  OnPanReset();
  OnMagnificationReset();
  // The last frame made before the resets: it still shows the pan and magnification
  // that were in force.
  const FramePictureAndSize frame = m_pictures.framePicture ? m_pictures.framePicture() : FramePictureAndSize{};
  if (!frame.picture) return;
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  const FieldFit fit = FitToCircle(*frame.picture, frame.width, frame.height, wv, hv);
  switch (fit.result) {
    case FieldFit::Result::GaveUp:
      return;
    case FieldFit::Result::Recentred:
      OnPanReset();
      OnMagnificationReset();
      break;
    case FieldFit::Result::Framed:
      m_state.panX = fit.x;
      m_state.panY = fit.y;
      m_state.magnification = fit.magnification;
      m_view.m_fPanZoom = fit.magnification;
      m_view.m_nPanX = fit.x;
      m_view.m_nPanY = hv - fit.y;
      SetScrollPos(m_vScroll, fit.y);
      SetScrollPos(m_hScroll, fit.x);
      break;
  }
  Repaint();
  ShowMagnification();
  ApplyPanTexts();
}

const CxImage* CMoveWnd::PreviewPicture(QSize size) {
  // The pointer is taken under the frame lock; the copy, the square and the scaling
  // happen outside it, on a picture nobody changes.
  const std::shared_ptr<const CxImage> raw = m_pictures.rawPicture ? m_pictures.rawPicture() : nullptr;
  if (!raw || !raw->IsValid() || !raw->GetDIB()) return nullptr;
  const PanSquare square{m_state.panX, m_state.panY, HalfSide(), m_state.squareColour};
  if (!m_composer.Compose(*raw, square, size)) return nullptr;
  return &m_composer.Picture();
}
