// The language-file lookup over any file content: a text always comes back, no longer
// than a value may be, and once a lookup has written its text back, the text and the
// content stay as they are.
#include <QByteArray>
#include <QString>

#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/profile/profile.h"
#include "texts/ui_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const Txt first = static_cast<Txt>(input.Byte() % static_cast<int>(Txt::Count));
  const Txt second = static_cast<Txt>(input.Byte() % static_cast<int>(Txt::Count));
  const std::string_view rest = input.RestView();
  QByteArray content(rest.data(), static_cast<qsizetype>(rest.size()));

  const QString text = UiTextIn(content, first);
  FUZZ_CHECK(text.size() <= profile::kMaxValueLength);
  (void)UiTextIn(content, second);
  if (TextKeyOf(first).section == TextKeyOf(second).section && TextKeyOf(first).key == TextKeyOf(second).key) {
    return 0;  // one key with two defaults: the second lookup may have filled it
  }
  const QString again = UiTextIn(content, first);
  FUZZ_CHECK(again.size() <= profile::kMaxValueLength);
  const QByteArray filled = content;
  FUZZ_CHECK(UiTextIn(content, first) == again);
  FUZZ_CHECK(content == filled);
  return 0;
}
