#include "adjust/colour_button.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QIcon>
#include <QToolButton>

QColor ColourOf(COLORREF colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

COLORREF ColourRefOf(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return static_cast<COLORREF>(rgb.red()) | (static_cast<COLORREF>(rgb.green()) << 8) |
         (static_cast<COLORREF>(rgb.blue()) << 16);
}

const std::array<COLORREF, CColourButton::kPaletteSize>& CColourButton::Palette() {
  // Four rows of five: greys, the primaries and their mixes, then darker and lighter tones.
  static const std::array<COLORREF, kPaletteSize> palette = {
      0x000000, 0x404040, 0x808080, 0xC0C0C0, 0xFFFFFF,  //
      0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00,  //
      0xFF00FF, 0x0080FF, 0x80FF00, 0xFF0080, 0x00FF80,  //
      0x000080, 0x008000, 0x800000, 0x008080, 0x808000,
  };
  return palette;
}

namespace {

QIcon SwatchIcon(COLORREF colour) {
  QPixmap pixmap(14, 14);
  pixmap.fill(ColourOf(colour));
  QPainter painter(&pixmap);
  painter.setPen(Qt::gray);
  painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  return QIcon(pixmap);
}

}  // namespace

CColourButton::CColourButton(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  m_moreColours = [](const QColor& initial, QWidget* dialogParent) -> std::optional<QColor> {
    const QColor chosen = QColorDialog::getColor(initial, dialogParent);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
  };

  m_popup = new QFrame(this, Qt::Popup);
  m_popup->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(m_popup);
  grid->setContentsMargins(3, 3, 3, 3);
  grid->setSpacing(2);
  for (int i = 0; i < kPaletteSize; ++i) {
    auto* swatch = new QToolButton(m_popup);
    swatch->setIcon(SwatchIcon(Palette()[i]));
    swatch->setAutoRaise(true);
    const COLORREF colour = Palette()[i];
    connect(swatch, &QToolButton::clicked, this, [this, colour] { Choose(colour); });
    grid->addWidget(swatch, i / kColumns, i % kColumns);
    m_swatches[i] = swatch;
  }
  m_more = new QToolButton(m_popup);
  m_more->setText(QStringLiteral("…"));
  m_more->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(m_more, &QToolButton::clicked, this, [this] { ChooseMore(); });
  grid->addWidget(m_more, kPaletteSize / kColumns, 0, 1, kColumns);

  connect(this, &QPushButton::clicked, this, [this] { ShowPalette(); });
}

CColourButton::~CColourButton() = default;

void CColourButton::SetColor(COLORREF colour) {
  m_colour = colour & 0xFFFFFF;
  update();
}

void CColourButton::ShowPalette() {
  m_popup->adjustSize();
  m_popup->move(mapToGlobal(QPoint(0, height())));
  m_popup->show();
}

QToolButton* CColourButton::PaletteButton(int index) const {
  return index >= 0 && index < kPaletteSize ? m_swatches[index] : nullptr;
}

void CColourButton::Choose(COLORREF colour) {
  m_popup->hide();
  SetColor(colour);
  emit colourChosen(m_colour);
}

void CColourButton::ChooseMore() {
  m_popup->hide();
  const std::optional<QColor> chosen = m_moreColours ? m_moreColours(ColourOf(m_colour), this) : std::nullopt;
  if (chosen && chosen->isValid()) Choose(ColourRefOf(*chosen));
}

void CColourButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  // The colour fills the face, with a small arrow at the right for the palette.
  QPainter painter(this);
  const int margin = 4;
  const int arrow = 8;
  const QRect face = rect().adjusted(margin, margin, -margin - arrow - 2, -margin);
  painter.fillRect(face, ColourOf(m_colour));
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  painter.drawRect(face.adjusted(0, 0, -1, -1));
  const int ax = rect().right() - margin - arrow + 1;
  const int ay = rect().center().y() - 2;
  const QPoint triangle[3] = {{ax, ay}, {ax + arrow - 1, ay}, {ax + (arrow - 1) / 2, ay + 4}};
  painter.setBrush(painter.pen().color());
  painter.drawPolygon(triangle, 3);
}
