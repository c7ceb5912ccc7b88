#include "texts/ui_text.h"

#include "platform/profile/profile.h"

QString UiText(const QString& lngPath, const QString& section, const QString& key, const QString& defaultText) {
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
