// The pan window's making, its texts and layout, its place beside the main window, and
// how it hides.
#include "adjust/move_wnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include "adjust/colour_button.h"
#include "texts/user_files.h"

namespace {

// The window's template is laid out in dialog units of a 6 × 13 pixel base unit.
QRect Dlu(int x, int y, int w, int h) { return QRect(x * 6 / 4, y * 13 / 8, w * 6 / 4, h * 13 / 8); }

constexpr int kDialogWidth = 334;
constexpr int kDialogHeight = 221;
constexpr int kTextHeight = 8;  // a line of static text
constexpr int kScrollPage = 5;

// A scroll range with a page, as the scroll bars show it: positions 0 … max − page + 1.
void SetScrollInfo(QScrollBar* bar, int max, int page, int position) {
  bar->setRange(0, std::max(0, max - page + 1));
  bar->setPageStep(page);
  bar->setSingleStep(1);
  bar->setValue(position);
  bar->setSliderPosition(bar->value());
}

}  // namespace

QPoint PlaceBesideOwner(const QRect& ownerFrame, int clientWidth, int screenRight) {
  const int ownerRight = ownerFrame.x() + ownerFrame.width();
  const int x = ownerRight + clientWidth > screenRight ? screenRight - clientWidth : ownerRight;
  return {x, ownerFrame.y()};
}

CMoveWnd::CMoveWnd(ViewSettings& view, OverlaySettings& overlay, MoveWndPictures pictures,
                   std::function<void()> buildOverlay, const UserFiles& texts, QWidget* owner,
                   std::unique_ptr<WindowTimers> timers)
    : QDialog(owner),
      m_view(view),
      m_overlay(overlay),
      m_pictures(std::move(pictures)),
      m_buildOverlay(std::move(buildOverlay)),
      m_texts(texts),
      m_timers(timers ? std::move(timers) : std::make_unique<QtWindowTimers>()) {
  setModal(false);
  setWindowTitle(DefaultTextOf(Txt::Move_MainCaption));
  setFixedSize(Dlu(0, 0, kDialogWidth, kDialogHeight).size());
  CreateControls();
  ConnectControls();
  m_timers->SetHandler([this](int id) { OnTimer(id); });
  m_timers->SetTimer(kPreviewTimer, kPreviewPeriod);
}

CMoveWnd::~CMoveWnd() {
  m_timers->SetHandler(nullptr);
  for (int id : {IDC_MASK_LARGER, IDC_MASK_SMALLER, IDC_CROSS_LARGER, IDC_CROSS_SMALLER})
    m_controls.at(id)->removeEventFilter(this);
}

void CMoveWnd::CreateControls() {
  auto keep = [this](int id, QWidget* widget, const QRect& place) {
    widget->setGeometry(place);
    widget->setObjectName(QString::number(id));
    m_controls[id] = widget;
  };
  // Group boxes first, so the controls inside them lie above.
  keep(IDC_PAN_GROUP, new QGroupBox(this), Dlu(243, 15, 81, 77));
  keep(IDC_MAGNIFICATION_GROUP, new QGroupBox(this), Dlu(243, 95, 81, 65));
  keep(IDC_MASK_GROUP, new QGroupBox(this), Dlu(9, 164, 145, 55));
  keep(IDC_CROSS_GROUP, new QGroupBox(this), Dlu(177, 164, 145, 56));

  m_preview = new CMovePreview(this);
  m_preview->m_picture = [this](QSize size) { return PreviewPicture(size); };
  keep(IDC_PREVIEW, m_preview, Dlu(0, 15, 223, 133));
  m_hScroll = new QScrollBar(Qt::Horizontal, this);
  keep(IDC_HSCROLL, m_hScroll, Dlu(0, 150, 231, 11));
  m_vScroll = new QScrollBar(Qt::Vertical, this);
  keep(IDC_VSCROLL, m_vScroll, Dlu(229, 15, 12, 133));
  for (QScrollBar* bar : {m_hScroll, m_vScroll}) bar->setTracking(false);  // the thumb counts when released

  auto label = [&](int id, int x, int y, int w, Qt::Alignment align) {
    auto* text = new QLabel(this);
    text->setAlignment(align | Qt::AlignVCenter);
    keep(id, text, Dlu(x, y, w, kTextHeight));
  };
  label(IDC_VERTICAL_LABEL, 251, 31, 288 - 251, Qt::AlignLeft);
  label(IDC_VERTICAL_OFFSET, 288, 31, 32, Qt::AlignRight);
  label(IDC_HORIZONTAL_LABEL, 251, 47, 288 - 251, Qt::AlignLeft);
  label(IDC_HORIZONTAL_OFFSET, 288, 47, 32, Qt::AlignRight);
  label(IDC_MAGNIFICATION_LABEL, 251, 116, 277 - 251, Qt::AlignLeft);
  label(IDC_MAGNIFICATION, 277, 116, 35, Qt::AlignRight);
  auto centred = [&](int id, int x, int y) {
    auto* text = new QLabel(this);
    text->setAlignment(Qt::AlignCenter);
    keep(id, text, Dlu(x, y, 53, 14));
  };
  centred(IDC_MASK_SIZE, 89, 201);
  centred(IDC_CROSS_SIZE, 259, 201);

  auto button = [&](int id, int x, int y, int w) {
    auto* b = new QPushButton(this);
    // Enter is the window's OK, whichever button has the focus.
    b->setAutoDefault(false);
    keep(id, b, Dlu(x, y, w, 14));
  };
  button(IDC_PAN_RESET, 255, 74, 55);
  button(IDC_MAGNIFY, 245, 132, 26);
  button(IDC_REDUCE, 271, 132, 26);
  button(IDC_MAGNIFICATION_RESET, 297, 132, 26);
  button(IDC_MASK_LARGER, 89, 170, 55);
  button(IDC_MASK_SMALLER, 89, 186, 55);
  button(IDC_CROSS_LARGER, 257, 170, 55);
  button(IDC_CROSS_SMALLER, 257, 186, 55);

  m_squareColour = new CColourButton(this);
  keep(IDC_SQUARE_COLOUR, m_squareColour, Dlu(255, 58, 60, 14));
  m_maskColour = new CColourButton(this);
  keep(IDC_MASK_COLOUR, m_maskColour, Dlu(19, 185, 64, 14));
  m_crossColour = new CColourButton(this);
  keep(IDC_CROSS_COLOUR, m_crossColour, Dlu(182, 185, 69, 14));

  m_maskOn = new QCheckBox(this);
  keep(IDC_MASK_ON, m_maskOn, Dlu(19, 175, 64, 10));
  m_crossOn = new QCheckBox(this);
  keep(IDC_CROSS_ON, m_crossOn, Dlu(184, 175, 66, 10));
}

void CMoveWnd::ConnectControls() {
  auto onClick = [this](int id, void (CMoveWnd::*handler)()) {
    connect(static_cast<QAbstractButton*>(m_controls.at(id)), &QAbstractButton::clicked, this, handler);
  };
  onClick(IDC_PAN_RESET, &CMoveWnd::OnPanReset);
  onClick(IDC_MAGNIFY, &CMoveWnd::OnMagnify);
  onClick(IDC_REDUCE, &CMoveWnd::OnReduce);
  onClick(IDC_MAGNIFICATION_RESET, &CMoveWnd::OnMagnificationReset);
  onClick(IDC_MASK_ON, &CMoveWnd::OnMaskOn);
  onClick(IDC_CROSS_ON, &CMoveWnd::OnCrossOn);
  onClick(IDC_MASK_LARGER, &CMoveWnd::OnMaskLarger);
  onClick(IDC_MASK_SMALLER, &CMoveWnd::OnMaskSmaller);
  onClick(IDC_CROSS_LARGER, &CMoveWnd::OnCrossLarger);
  onClick(IDC_CROSS_SMALLER, &CMoveWnd::OnCrossSmaller);
  connect(m_maskColour, &CColourButton::colourChosen, this, &CMoveWnd::OnMaskColour);
  connect(m_crossColour, &CColourButton::colourChosen, this, &CMoveWnd::OnCrossColour);
  connect(m_squareColour, &CColourButton::colourChosen, this, &CMoveWnd::OnSquareColour);
  connect(m_hScroll, &QScrollBar::actionTriggered, this, [this](int action) { OnScrollAction(m_hScroll, action); });
  connect(m_vScroll, &QScrollBar::actionTriggered, this, [this](int action) { OnScrollAction(m_vScroll, action); });
  // Presses and releases on the size buttons start and stop their repeat.
  for (int id : {IDC_MASK_LARGER, IDC_MASK_SMALLER, IDC_CROSS_LARGER, IDC_CROSS_SMALLER})
    m_controls.at(id)->installEventFilter(this);
}

QWidget* CMoveWnd::GetDlgItem(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CMoveWnd::FillState() {
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  m_state.squareColour = 0x0000FF;
  m_state.magnification = m_view.m_fPanZoom;
  m_state.panX = static_cast<int>((m_view.m_fPanOffsetX + 1) * wv * 0.5);
  m_state.panY = static_cast<int>((m_view.m_fPanOffsetY + 1) * hv * 0.5);
  m_state.maskSize = m_overlay.m_fMaskSize;
  m_state.crossSize = m_overlay.m_fCrossSize;
  m_state.maskOn = m_overlay.m_bMaskOn ? 1 : 0;
  m_state.crossOn = m_overlay.m_bCrossOn ? 1 : 0;
  m_state.maskColour = m_overlay.m_clrMask;
  m_state.crossColour = m_overlay.m_clrCross;
}

void CMoveWnd::ShowAndLayOut() {
  show();
  const int wv = m_view.m_nVideoWidth;
  const int hv = m_view.m_nVideoHeight;
  SetScrollInfo(m_vScroll, hv, kScrollPage, m_state.panY);
  SetScrollInfo(m_hScroll, wv, kScrollPage, m_state.panX);

  ShowMagnification();
  ApplyPanTexts();
  ShowMaskSize();
  ShowCrossSize();
  ApplyTexts();

  m_squareColour->SetColor(m_state.squareColour);
  m_maskColour->SetColor(m_state.maskColour);
  m_crossColour->SetColor(m_state.crossColour);

  if (QWidget* owner = parentWidget()) {
    const QScreen* screen = owner->screen();
    const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    move(PlaceBesideOwner(owner->frameGeometry(), width(), desktop.x() + desktop.width()));
  }
  WriteControls();
}

void CMoveWnd::ApplyTexts() {
  setWindowTitle(m_texts.UiText(Txt::Move_MainCaption));
  auto text = [this](int id, Txt t) {
    const QString value = m_texts.UiText(t);
    QWidget* control = m_controls.at(id);
    if (auto* group = qobject_cast<QGroupBox*>(control))
      group->setTitle(value);
    else if (auto* label = qobject_cast<QLabel*>(control))
      label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
      button->setText(value);
  };
  text(IDC_PAN_GROUP, Txt::Move_MOVEFRAME);
  text(IDC_VERTICAL_LABEL, Txt::Move_UPDOWN);
  text(IDC_HORIZONTAL_LABEL, Txt::Move_LEFTRIGHT);
  text(IDC_PAN_RESET, Txt::Move_MASKRESET);
  text(IDC_MAGNIFICATION_GROUP, Txt::Move_ZOOMFRAME);
  text(IDC_MAGNIFICATION_LABEL, Txt::Move_FACTOR);
  text(IDC_MAGNIFY, Txt::Move_ZOOMIN);
  text(IDC_REDUCE, Txt::Move_ZOOMOUT);
  text(IDC_MAGNIFICATION_RESET, Txt::Move_FACTORRESET);
  text(IDC_MASK_GROUP, Txt::Mask_MASKFRAME);
  text(IDC_MASK_ON, Txt::Mask_MASKENABLE);
  text(IDC_MASK_LARGER, Txt::Mask_MASKZOOMIN);
  text(IDC_MASK_SMALLER, Txt::Mask_MASKZOOMOUT);
  text(IDC_CROSS_GROUP, Txt::Mask_CROSSFRAME);
  text(IDC_CROSS_ON, Txt::Mask_CROSSENABLE);
  text(IDC_CROSS_LARGER, Txt::Mask_CROSSZOOMIN);
  text(IDC_CROSS_SMALLER, Txt::Mask_CROSSZOOMOUT);
}

// The check boxes are the controls bound to the state.
void CMoveWnd::HideWindow() {
  m_timers->KillTimer(kPreviewTimer);
  // A size button held while the window goes sees no release any more.
  OnLButtonUp();
  hide();
}

void CMoveWnd::OnOK() { HideWindow(); }
void CMoveWnd::OnCancel() { HideWindow(); }

void CMoveWnd::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter)) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        OnOK();
        return;
      case Qt::Key_Escape:
        OnCancel();
        return;
      default:
        break;
    }
  }
  QDialog::keyPressEvent(event);
}

void CMoveWnd::closeEvent(QCloseEvent* event) {
  // The close box hides the window; the object stays for the main window.
  event->ignore();
  OnCancel();
}
