// The main window's toolbar: ten buttons in three groups, each picture taken from an
// image list of ten slots that the program swaps between plain and state pictures
// (icons 144–153 and 154–163). Tooltips are asked of the window by command id.
#pragma once

#include <QToolBar>

#include <array>
#include <functional>

class MainToolBar : public QToolBar {
  Q_OBJECT

 public:
  static constexpr int kPictures = 10;
  static constexpr int kFirstPicture = 144;
  static constexpr int kMaxTooltip = 79;
  // Buttons left to right; 0 is a separator.
  static constexpr std::array<int, 13> kLayout = {32786, 32781, 32782, 0,     32791, 32792, 32818,
                                                  0,     32790, 32789, 32821, 0,     32780};

  explicit MainToolBar(QWidget* parent);

  QAction* Button(int id) const;
  // Picture index of a button (0–9), -1 for unknown ids.
  static int PictureIndexOf(int id);

  // The icon resource shown in image-list slot `index`.
  int Picture(int index) const;
  void ReplacePicture(int index, int resourceId);

  void CheckButton(int id, bool checked);
  bool IsButtonChecked(int id) const;
  void EnableButton(int id, bool enabled);
  bool IsButtonEnabled(int id) const;

  // Asked for a button's tooltip when one is about to show; an empty text shows none.
  void SetTooltipSource(std::function<QString(int id)> source) { m_tooltip = std::move(source); }
  // The text shown for a button: what the source answers, cut to 79 characters.
  QString TooltipFor(int id) const;

 signals:
  void command(int id);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<int, kPictures> m_pictures{};
  std::array<QAction*, kPictures> m_buttons{};
  std::function<QString(int)> m_tooltip;
};
