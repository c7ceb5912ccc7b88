// The main window's status bar: pane 0 (80 px) the resolution, pane 1 (50 px) the
// zoom, pane 2 (100 px and the rest) folder, recording and parameter messages.
#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

class MainStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  static constexpr int kPanes = 3;
  static constexpr std::array<int, kPanes> kWidths = {80, 50, 100};

  explicit MainStatusBar(QWidget* parent);

  void SetPaneText(int pane, const QString& text);
  QString PaneText(int pane) const;
  QLabel* Pane(int pane) const;

 private:
  std::array<QLabel*, kPanes> m_panes{};
};
