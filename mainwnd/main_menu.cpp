#include "mainwnd/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "mainwnd/command_ids.h"

namespace {
const char* const kCommandProperty = "vistrelCommand";
const char* const kCheckedProperty = "vistrelChecked";

QAction* FindIn(const QMenu* menu, int id) {
  for (QAction* action : menu->actions()) {
    if (QMenu* sub = action->menu()) {
      if (QAction* found = FindIn(sub, id)) return found;
    } else if (action->property(kCommandProperty).toInt() == id && !action->isSeparator()) {
      return action;
    }
  }
  return nullptr;
}

QAction* ActionAt(const QMenu* menu, int pos) {
  if (!menu) return nullptr;
  const QList<QAction*> actions = menu->actions();
  return pos >= 0 && pos < actions.size() ? actions[pos] : nullptr;
}
}  // namespace

void SetActionChecked(QAction* action, bool checked) {
  if (!action) return;
  action->setProperty(kCheckedProperty, checked);
  // Only a checked item is checkable, so unchecked menu items show no empty check box.
  action->setCheckable(checked);
  action->setChecked(checked);
}

bool IsActionChecked(const QAction* action) { return action && action->property(kCheckedProperty).toBool(); }

void RestoreActionCheck(QAction* action) {
  if (action && action->isCheckable()) action->setChecked(IsActionChecked(action));
}

MainMenu::MainMenu(QWidget* owner) : QObject(owner), m_bar(new QMenuBar(owner)) {
  m_bar->setNativeMenuBar(false);

  QMenu* file = AddTop(QStringLiteral("&File"));
  AddItem(file, cmd::ID_FILEPATH, QStringLiteral("Capture folder"));
  AddItem(file, cmd::ID_EXIT, QStringLiteral("Exit"));

  QMenu* setting = AddTop(QStringLiteral("&Setting"));
  QMenu* resolution = AddSubMenu(setting, QStringLiteral("Resolution"));
  AddSubMenu(resolution, QStringLiteral("YUV"));
  AddSubMenu(resolution, QStringLiteral("MJPG"));
  QMenu* frequency = AddSubMenu(setting, QStringLiteral("Frequency"));
  AddItem(frequency, cmd::ID_50HZ, QStringLiteral("50HZ"));
  AddItem(frequency, cmd::ID_60HZ, QStringLiteral("60HZ"));
  AddItem(setting, cmd::ID_PROPERTY, QStringLiteral("Property"));
  AddItem(setting, cmd::ID_MOVE, QStringLiteral("Move"));
  AddItem(setting, cmd::ID_SAVEPARAM, QStringLiteral("Save"));
  AddItem(setting, cmd::ID_RESTORE, QStringLiteral("Restore"));
  AddItem(setting, cmd::ID_640X480, QStringLiteral("640X480"));

  QMenu* control = AddTop(QStringLiteral("&Control"));
  AddItem(control, cmd::ID_PLAY, QStringLiteral("Play"));
  AddItem(control, cmd::ID_SNAP, QStringLiteral("Snap"));
  AddItem(control, cmd::ID_RECORD, QStringLiteral("Record"));

  QMenu* zoom = AddTop(QStringLiteral("&Zoom"));
  AddItem(zoom, cmd::ID_ZOOMIN, QStringLiteral("Zoom in"));
  AddItem(zoom, cmd::ID_ZOOMOUT, QStringLiteral("Zoom out"));
  AddItem(zoom, cmd::ID_REZOOM, QStringLiteral("Reset zoom"));

  QMenu* mirror = AddTop(QStringLiteral("&Mirror"));
  AddItem(mirror, cmd::ID_HMIRROR, QStringLiteral("Horizontal"));
  AddItem(mirror, cmd::ID_VMIRROR, QStringLiteral("Vertical"));
  AddItem(mirror, cmd::ID_REMIRROR, QStringLiteral("Reset mirror"));

  QMenu* about = AddTop(QStringLiteral("&About"));
  AddItem(about, cmd::ID_VERSION, QStringLiteral("About"));
  QMenu* lang = AddSubMenu(about, QStringLiteral("Language"));
  AddItem(lang, cmd::ID_CHINESE, QStringLiteral("Chinese"));
  AddItem(lang, cmd::ID_ENGLISH, QStringLiteral("English"));
  AddItem(lang, cmd::ID_JAPANESE, QStringLiteral("Japanese"));
}

QMenu* MainMenu::AddTop(const QString& text) { return m_bar->addMenu(text); }

QMenu* MainMenu::Top(int pos) const {
  const QList<QAction*> actions = m_bar->actions();
  return pos >= 0 && pos < actions.size() ? actions[pos]->menu() : nullptr;
}

QMenu* MainMenu::SubMenu(const QMenu* menu, int pos) {
  QAction* action = ActionAt(menu, pos);
  return action ? action->menu() : nullptr;
}

QMenu* MainMenu::ResolutionMenu() const { return SubMenu(Top(1), 0); }

QAction* MainMenu::Item(int id) const {
  for (QAction* top : m_bar->actions()) {
    if (QMenu* menu = top->menu()) {
      if (QAction* found = FindIn(menu, id)) return found;
    }
  }
  return nullptr;
}

QAction* MainMenu::AddItem(QMenu* menu, int id, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setProperty(kCommandProperty, id);
  connect(action, &QAction::triggered, this, [this, action, id] {
    RestoreActionCheck(action);
    emit command(id);
  });
  return action;
}

QMenu* MainMenu::AddSubMenu(QMenu* menu, const QString& text) { return menu->addMenu(text); }

void MainMenu::Clear(QMenu* menu) {
  if (!menu) return;
  for (QAction* action : menu->actions()) {
    menu->removeAction(action);
    if (QMenu* sub = action->menu()) sub->deleteLater();
    action->deleteLater();
  }
}

void MainMenu::RemoveItem(int id) {
  QAction* action = Item(id);
  if (!action) return;
  for (QObject* owner : action->associatedObjects()) {
    if (auto* menu = qobject_cast<QMenu*>(owner)) menu->removeAction(action);
  }
  action->deleteLater();
}

void MainMenu::SetText(int id, const QString& text) {
  if (QAction* action = Item(id)) action->setText(text);
}

void MainMenu::SetTopText(int pos, const QString& text) {
  const QList<QAction*> actions = m_bar->actions();
  if (pos >= 0 && pos < actions.size()) actions[pos]->setText(text);
}

void MainMenu::SetItemTextAt(const QMenu* menu, int pos, const QString& text) {
  if (QAction* action = ActionAt(menu, pos)) action->setText(text);
}

void MainMenu::Check(int id, bool checked) { SetActionChecked(Item(id), checked); }

void MainMenu::CheckAt(const QMenu* menu, int pos, bool checked) { SetActionChecked(ActionAt(menu, pos), checked); }

bool MainMenu::IsChecked(int id) const { return IsActionChecked(Item(id)); }

void MainMenu::Enable(int id, bool enabled) {
  if (QAction* action = Item(id)) action->setEnabled(enabled);
}

bool MainMenu::IsEnabled(int id) const {
  const QAction* action = Item(id);
  return action && action->isEnabled();
}

void MainMenu::SetBitmap(int id, const QPixmap& bitmap) {
  if (QAction* action = Item(id)) action->setIcon(QIcon(bitmap));
}
