// A colour button: shows its colour, and a click opens a palette of five columns with a
// button for further colours (the colour dialog). Colours are colour references
// 0x00BBGGRR.
#pragma once

#include <QColor>
#include <QPushButton>

#include <array>
#include <functional>
#include <optional>

#include "view/view_settings.h"

class QFrame;
class QToolButton;

QColor ColourOf(COLORREF colour);
COLORREF ColourRefOf(const QColor& colour);

class CColourButton : public QPushButton {
  Q_OBJECT

 public:
  static constexpr int kColumns = 5;
  static constexpr int kPaletteSize = 20;
  static const std::array<COLORREF, kPaletteSize>& Palette();

  explicit CColourButton(QWidget* parent = nullptr);
  ~CColourButton() override;

  // Shows a colour (no report).
  void SetColor(COLORREF colour);
  COLORREF GetColor() const { return m_colour; }

  // The palette below the button (not modal); Popup() is it while shown.
  void ShowPalette();
  QFrame* Popup() const { return m_popup; }
  // The palette's buttons in order, then the one for further colours.
  QToolButton* PaletteButton(int index) const;
  QToolButton* MoreColoursButton() const { return m_more; }

  // The further-colours dialog: the colour chosen, or nothing when it was cancelled.
  // Replaceable for tests.
  std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)> m_moreColours;

 signals:
  // The user chose a colour (from the palette or the dialog); it is shown already.
  void colourChosen(COLORREF colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Choose(COLORREF colour);
  void ChooseMore();

  COLORREF m_colour = 0;
  QFrame* m_popup = nullptr;
  std::array<QToolButton*, kPaletteSize> m_swatches{};
  QToolButton* m_more = nullptr;
};
