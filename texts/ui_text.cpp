#include "texts/ui_text.h"

#include "platform/profile/profile.h"
#include "texts/shipped_languages.h"

QString UiTextIn(QByteArray& content, const QString& section, const QString& key, const QString& defaultText) {
  const QString value = profile::getStringIn(content, section, key, defaultText);
  // A text that cannot be stored on one line leaves the content as it was; the text
  // itself is still right.
  const bool stored = profile::writeStringIn(content, section, key, value);
  (void)stored;
  return value;
}

QString UiTextIn(QByteArray& content, Txt text) {
  const UiTextKey& k = TextKeyOf(text);
  return UiTextIn(content, QString::fromLatin1(k.section), QString::fromLatin1(k.key), DefaultTextOf(text));
}

QString UiText(const QString& lngPath, const QString& section, const QString& key, const QString& defaultText) {
  // A language that comes with its own file starts from it; from then on the file is the
  // user's, and what it lacks is filled with the default below like any other file.
  (void)shipped_languages::WriteIfMissing(lngPath);
  // The file is read once; a failed write-back only means it stays as it was, and an
  // unreadable file gives the default.
  QString value;
  const bool written = profile::edit(lngPath, [&](QByteArray& content) {
    value = UiTextIn(content, section, key, defaultText);
    return true;
  });
  (void)written;
  return value;
}

QString UiText(const QString& lngPath, Txt text) {
  const UiTextKey& k = TextKeyOf(text);
  return UiText(lngPath, QString::fromLatin1(k.section), QString::fromLatin1(k.key), DefaultTextOf(text));
}
