#include "texts/user_files.h"

#include <QFileInfo>

#include "platform/profile/profile.h"
#include "platform/shell/shell.h"
#include "texts/language.h"
#include "texts/settings_keys.h"

namespace {
// Makes the folder when it is not there yet; a failure shows later as defaults, and
// says so where it happens.
void EnsureDirectory(const QString& path) {
  const bool made = platform::shell::MakeUserFolder(path);
  (void)made;
}
}  // namespace

void UserFiles::Prepare() {
  m_strExeDir = platform::shell::ExecutableFolder();

  const QString userFolder = platform::shell::LocalAppDataFolder() + QStringLiteral("/Tavio/");
  EnsureDirectory(userFolder);
  m_strSettingPath = userFolder + QStringLiteral("Setting.ini");

  QString name = profile::getString(m_strSettingPath, settings::kLanguageSection, settings::kLanguageKey,
                                    QStringLiteral("Japanese"));
  if (language::IndexOf(name) < 0) name = QStringLiteral("Japanese");

  // The folder beside the executable is made as on every start, though nothing is read
  // from it; an installed program usually cannot write there, which is fine (and not
  // worth a word).
  if (!platform::shell::IsDirectory(m_strExeDir + QStringLiteral("Language/"))) {
    const bool made = platform::shell::CreateDirectory(m_strExeDir + QStringLiteral("Language/"));
    (void)made;
  }
  const bool written = profile::writeString(m_strSettingPath, settings::kLanguageSection, settings::kLanguageKey, name);
  (void)written;  // an unwritable settings file only means defaults next time

  m_strLangDir = userFolder + QStringLiteral("Language/");
  EnsureDirectory(m_strLangDir);
  m_strLngPath = m_strLangDir + name + QStringLiteral(".lng");
}

QString UserFiles::UiText(Txt text) const { return ::UiText(m_strLngPath, text); }

void UserFiles::SetLanguage(const QString& name, int index) {
  const bool nameWritten = profile::writeString(m_strSettingPath, settings::kLanguageSection, settings::kLanguageKey, name);
  m_strLngPath = m_strLangDir + name + QStringLiteral(".lng");
  const bool indexWritten =
      profile::writeString(m_strSettingPath, settings::kLanguageSection, settings::kIndexKey, QString::number(index));
  // Failed writes are not reported: the language still changes for this run.
  (void)nameWritten;
  (void)indexWritten;
}

int UserFiles::CurrentLanguageIndex() const {
  const int index = language::IndexOf(QFileInfo(m_strLngPath).completeBaseName());
  return index < 0 ? language::kJapanese : index;
}
