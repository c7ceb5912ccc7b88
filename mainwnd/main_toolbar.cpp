#include "mainwnd/main_toolbar.h"

#include <QAction>
#include <QEvent>
#include <QHelpEvent>
#include <QToolButton>
#include <QToolTip>

#include "mainwnd/main_menu.h"
#include "res/resources.h"

MainToolBar::MainToolBar(QWidget* parent) : QToolBar(parent) {
  setMovable(false);  // docked at the top for good; the handle marks the bar's start
  setFloatable(false);
  setIconSize(QSize(22, 20));
  setToolButtonStyle(Qt::ToolButtonIconOnly);

  int index = 0;
  for (int id : kLayout) {
    if (id == 0) {
      addSeparator();
      continue;
    }
    m_pictures[static_cast<std::size_t>(index)] = kFirstPicture + index;
    QAction* action = addAction(ToolbarIcon(kFirstPicture + index), QString());
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, action, id] {
      RestoreActionCheck(action);
      emit command(id);
    });
    if (QWidget* button = widgetForAction(action)) button->installEventFilter(this);
    m_buttons[static_cast<std::size_t>(index)] = action;
    ++index;
  }
}

int MainToolBar::PictureIndexOf(int id) {
  int index = 0;
  for (int button : kLayout) {
    if (button == 0) continue;
    if (button == id) return index;
    ++index;
  }
  return -1;
}

QAction* MainToolBar::Button(int id) const {
  const int index = PictureIndexOf(id);
  return index < 0 ? nullptr : m_buttons[static_cast<std::size_t>(index)];
}

int MainToolBar::Picture(int index) const {
  return index >= 0 && index < kPictures ? m_pictures[static_cast<std::size_t>(index)] : 0;
}

void MainToolBar::ReplacePicture(int index, int resourceId) {
  if (index < 0 || index >= kPictures) return;
  m_pictures[static_cast<std::size_t>(index)] = resourceId;
  m_buttons[static_cast<std::size_t>(index)]->setIcon(ToolbarIcon(resourceId));
}

void MainToolBar::CheckButton(int id, bool checked) { SetActionChecked(Button(id), checked); }

bool MainToolBar::IsButtonChecked(int id) const { return IsActionChecked(Button(id)); }

void MainToolBar::EnableButton(int id, bool enabled) {
  if (QAction* action = Button(id)) action->setEnabled(enabled);
}

bool MainToolBar::IsButtonEnabled(int id) const {
  const QAction* action = Button(id);
  return action && action->isEnabled();
}

QString MainToolBar::TooltipFor(int id) const {
  if (!m_tooltip) return {};
  return m_tooltip(id).left(kMaxTooltip);
}

bool MainToolBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* button = qobject_cast<QToolButton*>(watched);
    if (button && button->defaultAction()) {
      const QString text = TooltipFor(button->defaultAction()->data().toInt());
      auto* help = static_cast<QHelpEvent*>(event);
      if (text.isEmpty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(help->globalPos(), text, button);
      }
      return true;
    }
  }
  return QToolBar::eventFilter(watched, event);
}
