#include "platform/shell/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform::shell {

namespace {

// Clean form without a trailing separator ("/" itself stays "/").
QString WithoutTrailingSeparator(const QString& path) { return path.isEmpty() ? path : QDir::cleanPath(path); }

}  // namespace

QString LocalAppDataFolder() {
  // The base directory rules ignore an empty or relative $XDG_DATA_HOME.
  const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
  if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) return WithoutTrailingSeparator(configured);
  return WithoutTrailingSeparator(QDir::homePath() + QStringLiteral("/.local/share"));
}

QString PicturesFolder() {
  return WithoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

QString ExecutableFolder() {
  QString folder;
  if (QCoreApplication::instance()) {
    folder = QCoreApplication::applicationDirPath();
  } else {
    // Before the application object exists the kernel still knows the executable.
    folder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
  }
  return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool IsDirectory(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool CreateDirectory(const QString& path) {
  // mkdir, not mkpath: a missing parent is a failure, and an existing folder is too.
  return !path.isEmpty() && QDir().mkdir(path);
}

bool MakeUserFolder(const QString& path) {
  if (path.isEmpty()) return false;
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  if (QFileInfo(clean).isDir()) return true;
  // Down from the first missing level; one made meanwhile by another process counts.
  const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
  QString current;
  for (const QString& part : parts) {
    current += u'/' + part;
    if (QFileInfo(current).isDir()) continue;
    const QByteArray native = QFile::encodeName(current);
    if (::mkdir(native.constData(), S_IRWXU) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "vistrel: cannot make the folder %s: %s\n", native.constData(), std::strerror(errno));
      return false;
    }
  }
  return QFileInfo(clean).isDir();
}

std::optional<QString> BrowseForFolder(const FolderBrowseRequest& request) {
  QFileDialog dialog(request.owner, request.caption);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  // Qt's own dialog, because only it shows the title line above the folder view.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setLabelText(QFileDialog::LookIn, request.title);
  // Start in the initial folder, or the nearest folder above it that still exists.
  QString start = request.initialFolder;
  while (!start.isEmpty() && !QFileInfo(start).isDir()) {
    const QString parent = QFileInfo(QDir::cleanPath(start)).path();
    start = parent == start ? QString() : parent;
  }
  if (!start.isEmpty()) dialog.setDirectory(start);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace platform::shell
