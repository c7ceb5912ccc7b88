// A fresh, empty per-user area for one test: HOME and the XDG data folder point into a
// temporary directory for the test's lifetime and are restored afterwards. Nothing is
// made below HOME: the data and pictures folders are the program's to make.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class ScopedUserFolders {
 public:
  ScopedUserFolders();
  ~ScopedUserFolders();
  ScopedUserFolders(const ScopedUserFolders&) = delete;
  ScopedUserFolders& operator=(const ScopedUserFolders&) = delete;

  QString Home() const { return m_dir.path(); }
  QString DataHome() const { return m_dir.path() + "/.local/share"; }
  QString UserFolder() const { return DataHome() + "/Tavio/"; }
  QString SettingPath() const { return UserFolder() + "Setting.ini"; }
  QString Pictures() const { return m_dir.path() + "/Pictures"; }
  // The account of a user who picked this interface language in an earlier run: its
  // Setting.ini names it. A fresh account (nothing written) starts in Japanese.
  bool ChooseLanguage(const QString& name) const;

 private:
  QTemporaryDir m_dir;
  QByteArray m_oldHome;
  QByteArray m_oldData;
};

// The whole content of a text file (UTF-8 or UTF-16 with its byte-order mark).
QString ReadTextFile(const QString& path);
// Writes text to a file as UTF-8, creating its folder.
bool WriteTextFile(const QString& path, const QString& text);

}  // namespace testsupport
