#include "user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdlib>

namespace testsupport {

ScopedUserFolders::ScopedUserFolders()
    : m_dir(QDir::tempPath() + "/vistrel-user-XXXXXX"),
      m_oldHome(qgetenv("HOME")),
      m_oldData(qgetenv("XDG_DATA_HOME")) {
  qputenv("HOME", m_dir.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", DataHome().toLocal8Bit());
}

ScopedUserFolders::~ScopedUserFolders() {
  qputenv("HOME", m_oldHome);
  qputenv("XDG_DATA_HOME", m_oldData);
}

bool ScopedUserFolders::ChooseLanguage(const QString& name) const {
  return WriteTextFile(SettingPath(), "[LANGUAGESET]\r\nLANGUAGE=" + name + "\r\n");
}

QString ReadTextFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xFF\xFE")) {
    QStringDecoder decode(QStringDecoder::Utf16LE);
    return decode(bytes.mid(2));
  }
  return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

bool WriteTextFile(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(text.toUtf8()) >= 0;
}

}  // namespace testsupport
