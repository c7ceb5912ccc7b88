#include "mainwnd/main_status_bar.h"

#include <QLabel>

MainStatusBar::MainStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  for (int i = 0; i < kPanes; ++i) {
    auto* pane = new QLabel(this);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setTextFormat(Qt::PlainText);
    const bool last = (i == kPanes - 1);
    if (last) {
      // A long path must not widen the fixed-size window: the pane cuts it instead.
      pane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
      pane->setMinimumWidth(kWidths[static_cast<std::size_t>(i)]);
    } else {
      pane->setFixedWidth(kWidths[static_cast<std::size_t>(i)]);
    }
    addWidget(pane, last ? 1 : 0);
    m_panes[static_cast<std::size_t>(i)] = pane;
  }
}

void MainStatusBar::SetPaneText(int pane, const QString& text) {
  if (QLabel* label = Pane(pane)) label->setText(text);
}

QString MainStatusBar::PaneText(int pane) const {
  const QLabel* label = Pane(pane);
  return label ? label->text() : QString();
}

QLabel* MainStatusBar::Pane(int pane) const {
  return pane >= 0 && pane < kPanes ? m_panes[static_cast<std::size_t>(pane)] : nullptr;
}
