#include "texts/ui_text.h"

#include "platform/profile/profile.h"
#include "texts/shipped_languages.h"

QString UiText(const QString& lngPath, const QString& section, const QString& key, const QString& defaultText) {
  // A language that comes with its own file starts from it; from then on the file is the
  // user's, and what it lacks is filled with the default below like any other file.
  (void)shipped_languages::WriteIfMissing(lngPath);
  const QString value = profile::getString(lngPath, section, key, defaultText);
  // A failed write-back only means the file stays as it was; the text is still right.
  const bool written = profile::writeString(lngPath, section, key, value);
  (void)written;
  return value;
}

QString UiText(const QString& lngPath, Txt text) {
  const UiTextKey& k = TextKeyOf(text);
  return UiText(lngPath, QString::fromLatin1(k.section), QString::fromLatin1(k.key), DefaultTextOf(text));
}
