#include "res/resources.h"

#include <QString>

// Q_INIT_RESOURCE declares the registration function where it is used, so it must be
// used outside any namespace.
static void RegisterArt() { Q_INIT_RESOURCE(vistrel_art); }

namespace {

constexpr int kFirstMenuBitmap = 140;
constexpr int kLastMenuBitmap = 142;
constexpr int kFirstToolbarIcon = 144;
constexpr int kLastToolbarIcon = 163;
constexpr int kUnusedToolbarIcon = 155;  // the snapshot button has no second picture

void EnsureRegistered() {
  static const bool registered = [] {
    RegisterArt();
    return true;
  }();
  (void)registered;
}

QPixmap Load(const QString& name) {
  EnsureRegistered();
  return QPixmap(QStringLiteral(":/vistrel/icons/") + name);
}

}  // namespace

QIcon AppIcon() {
  EnsureRegistered();
  QIcon icon;
  for (int size : {16, 22, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/vistrel/icons/app_%1.png").arg(size), QSize(size, size));
  return icon;
}

QIcon ToolbarIcon(int resourceId) {
  const QPixmap pixmap = IconPixmap(resourceId);
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

QPixmap MenuBitmap(int resourceId) {
  if (resourceId < kFirstMenuBitmap || resourceId > kLastMenuBitmap) return QPixmap();
  return Load(QStringLiteral("menu_%1.png").arg(resourceId));
}

QPixmap IconPixmap(int resourceId) {
  if (resourceId < kFirstToolbarIcon || resourceId > kLastToolbarIcon || resourceId == kUnusedToolbarIcon)
    return QPixmap();
  return Load(QStringLiteral("toolbar_%1.png").arg(resourceId));
}
