// The main window's menu bar, addressed as the program addresses it: top menus and
// submenus by position, items by command id. Check marks and enabled states are set
// only by the program, never by a click itself.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

class MainMenu : public QObject {
  Q_OBJECT

 public:
  // Builds menu 137: File, Setting (Resolution with YUV and MJPG, Frequency with
  // 50HZ and 60HZ, Property, Move, Save, Restore, 640X480), Control, Zoom, Mirror and
  // About (Version, Language with Chinese, English, Japanese).
  explicit MainMenu(QWidget* owner);

  QMenuBar* Bar() const { return m_bar; }
  // Top menu at a position, or null.
  QMenu* Top(int pos) const;
  // Submenu at a position of a menu, or null when that item has none.
  static QMenu* SubMenu(const QMenu* menu, int pos);
  // Setting / Resolution.
  QMenu* ResolutionMenu() const;
  // The item with this command id anywhere in the bar, or null.
  QAction* Item(int id) const;

  QAction* AddItem(QMenu* menu, int id, const QString& text);
  QMenu* AddSubMenu(QMenu* menu, const QString& text);
  // Removes every item of a menu (submenus included).
  static void Clear(QMenu* menu);
  // Removes the item with this command id; nothing when there is none.
  void RemoveItem(int id);

  // Replaces an item's text, keeping its state; nothing when the id is missing.
  void SetText(int id, const QString& text);
  void SetTopText(int pos, const QString& text);
  static void SetItemTextAt(const QMenu* menu, int pos, const QString& text);

  void Check(int id, bool checked);
  static void CheckAt(const QMenu* menu, int pos, bool checked);
  bool IsChecked(int id) const;
  void Enable(int id, bool enabled);
  bool IsEnabled(int id) const;
  void SetBitmap(int id, const QPixmap& bitmap);

 signals:
  void command(int id);

 private:
  QMenu* AddTop(const QString& text);

  QMenuBar* m_bar;
};

// Check marks kept by the program on an action (used by the toolbar as well).
void SetActionChecked(QAction* action, bool checked);
bool IsActionChecked(const QAction* action);
// Puts an action's check mark back to what the program set, after a click toggled it.
void RestoreActionCheck(QAction* action);
