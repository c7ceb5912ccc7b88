// The INI reader and writer on any bytes: plain, or after a UTF-8 or UTF-16 LE mark.
// Reads never fail; a value written reads back as written, and a write leaves the
// other keys as they read before.
#include <QString>

#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/profile/profile.h"
#include "scratch_file.h"

namespace {

// A name or value made of letters and digits from the input, so that no rule of the
// format (blanks, quotes, brackets, "=") changes it between write and read.
QString Plain(fuzz::Input& input, int maxLength) {
  static const char kChars[] = "abcXYZ019";
  QString out;
  const int length = input.Byte() % (maxLength + 1);
  for (int i = 0; i < length; ++i) out += QLatin1Char(kChars[input.Byte() % (sizeof kChars - 1)]);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("Setting.ini");
  fuzz::Input input(data, size);
  const std::uint8_t mark = input.Byte() % 3;
  QString section = Plain(input, 8);
  QString key = Plain(input, 8);
  if (key.isEmpty()) key = QStringLiteral("k");
  const QString value = Plain(input, 300);
  std::string bytes = mark == 1 ? "\xEF\xBB\xBF" : mark == 2 ? "\xFF\xFE" : "";
  bytes += input.Rest();
  file.Write(bytes);

  const QString path = file.Path();
  (void)profile::getInt(path, section, key, -7);
  (void)profile::getString(path, section, key, QStringLiteral("default"));
  // Another key of the same section, read before and after the write.
  const QString other = key + QStringLiteral("_other");
  const QString otherBefore = profile::getString(path, section, other, QStringLiteral("none"));

  if (!profile::writeString(path, section, key, value)) return 0;
  FUZZ_CHECK(profile::getString(path, section, key, QStringLiteral("none")) == value.left(profile::kMaxValueLength));
  FUZZ_CHECK(profile::getString(path, section, other, QStringLiteral("none")) == otherBefore);
  // A second write of the same value changes nothing that reads.
  FUZZ_CHECK(profile::writeString(path, section, key, value));
  FUZZ_CHECK(profile::getString(path, section, key, QStringLiteral("none")) == value.left(profile::kMaxValueLength));
  return 0;
}
