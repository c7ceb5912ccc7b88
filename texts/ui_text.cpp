#include "texts/ui_text.h"

#include "platform/profile/profile.h"
#include "texts/shipped_languages.h"

QString UiTextIn(QByteArray& content, Txt text) {
  const UiTextKey& k = TextKeyOf(text);
  return profile::getStringKeptIn(content, QString::fromLatin1(k.section), QString::fromLatin1(k.key),
                                  DefaultTextOf(text));
}

QString UiText(const QString& lngPath, const QString& section, const QString& key, const QString& defaultText) {
  // A language that comes with its own file starts from it; from then on the file is the
  // user's, and what it lacks is filled with the default below like any other file.
  (void)shipped_languages::WriteIfMissing(lngPath);
  // The file is read once; a failed write-back only means it stays as it was, and an
  // unreadable file gives the default.
  QString value;
  const bool written = profile::edit(lngPath, [&](QByteArray& content) {
    value = profile::getStringKeptIn(content, section, key, defaultText);
    return true;
  });
  (void)written;
  return value;
}

QString UiText(const QString& lngPath, Txt text) {
  const UiTextKey& k = TextKeyOf(text);
  return UiText(lngPath, QString::fromLatin1(k.section), QString::fromLatin1(k.key), DefaultTextOf(text));
}
