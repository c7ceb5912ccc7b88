// The per-user files: the settings file and the language files, which language is in
// use, and every window text looked up in the current language file.
#pragma once

#include <QString>

#include "texts/ui_text.h"

class UserFiles {
 public:
  // The start-up of the files before any window: the executable folder, the per-user
  // folder with its settings file and language folder, and the language settled and
  // written back.
  void Prepare();

  // The text of a lookup in the current language file (written back into it).
  QString UiText(Txt text) const;
  // Selects a language: its name into the settings file, the language file path, its
  // index into the settings file. The caller re-applies its window texts.
  void SetLanguage(const QString& name, int index);
  // The index of the language in use (from the language file path), 0 to 2.
  int CurrentLanguageIndex() const;

  QString m_strExeDir;
  QString m_strSettingPath;
  QString m_strLangDir;
  QString m_strLngPath;
};
