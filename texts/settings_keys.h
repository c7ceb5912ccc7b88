// The names in the settings file Setting.ini: the language in use and the capture folder.
#pragma once

#include <QString>

namespace settings {

inline const QString kLanguageSection = QStringLiteral("LANGUAGESET");
inline const QString kLanguageKey = QStringLiteral("LANGUAGE");
inline const QString kIndexKey = QStringLiteral("INDEX");
inline const QString kPathSection = QStringLiteral("Path");
inline const QString kFileFolderKey = QStringLiteral("FileFolder");

}  // namespace settings
