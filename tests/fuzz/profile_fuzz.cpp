// The INI reader and writer on any bytes: plain, or after a UTF-8 or UTF-16 LE mark.
// Reads never fail; a value written reads back as written (blanks and quotes around it
// included), a write leaves the other keys as they read before, and a refused write
// leaves the content as it was. The content is kept in memory: the file functions are
// these plus one read and one atomic replace, which the unit tests cover.
#include <QByteArray>
#include <QString>

#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/profile/profile.h"

namespace {

// A name made of letters and digits from the input, so that no rule of the format
// (blanks, quotes, brackets, "=") changes it; a value may also hold blanks and quotes,
// which the writer must store so that they read back.
QString Text(fuzz::Input& input, int maxLength, bool value) {
  static const char kNameChars[] = "abcXYZ019";
  static const char kValueChars[] = "abcXYZ019 \t\"'=;[]";
  const char* chars = value ? kValueChars : kNameChars;
  const std::size_t count = value ? sizeof kValueChars - 1 : sizeof kNameChars - 1;
  QString out;
  const int length = input.Byte() % (maxLength + 1);
  for (int i = 0; i < length; ++i) out += QLatin1Char(chars[input.Byte() % count]);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t mark = input.Byte() % 3;
  const QString section = Text(input, 8, false);
  QString key = Text(input, 8, false);
  if (key.isEmpty()) key = QStringLiteral("k");
  const QString value = Text(input, 300, true);
  QByteArray content = mark == 1 ? QByteArray("\xEF\xBB\xBF") : mark == 2 ? QByteArray("\xFF\xFE") : QByteArray();
  const std::string_view rest = input.RestView();
  content.append(rest.data(), static_cast<qsizetype>(rest.size()));

  (void)profile::getIntIn(content, section, key, -7);
  (void)profile::getStringIn(content, section, key, QStringLiteral("default"));
  // Another key of the same section, read before and after the write.
  const QString other = key + QStringLiteral("_other");
  const QString otherBefore = profile::getStringIn(content, section, other, QStringLiteral("none"));

  const QByteArray before = content;
  if (!profile::writeStringIn(content, section, key, value)) {
    FUZZ_CHECK(content == before);
    return 0;
  }
  FUZZ_CHECK(profile::getStringIn(content, section, key, QStringLiteral("none")) == value.left(profile::kMaxValueLength));
  FUZZ_CHECK(profile::getStringIn(content, section, other, QStringLiteral("none")) == otherBefore);
  // A second write of the same value changes no byte.
  const QByteArray written = content;
  FUZZ_CHECK(profile::writeStringIn(content, section, key, value));
  FUZZ_CHECK(content == written);
  // A read that writes its value back finds it there and changes nothing either.
  FUZZ_CHECK(profile::getStringKeptIn(content, section, key, QStringLiteral("none")) ==
             value.left(profile::kMaxValueLength));
  FUZZ_CHECK(content == written);
  return 0;
}
