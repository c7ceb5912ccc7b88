// The language-file lookup over any file: a text always comes back, no longer than a
// value may be, and once a lookup has written its text back, the text stays as it is.
#include <QString>

#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/profile/profile.h"
#include "scratch_file.h"
#include "texts/ui_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("language.lng");
  fuzz::Input input(data, size);
  const Txt first = static_cast<Txt>(input.Byte() % static_cast<int>(Txt::Count));
  const Txt second = static_cast<Txt>(input.Byte() % static_cast<int>(Txt::Count));
  file.Write(input.Rest());

  const QString path = file.Path();
  const QString text = UiText(path, first);
  FUZZ_CHECK(text.size() <= profile::kMaxValueLength);
  (void)UiText(path, second);
  if (TextKeyOf(first).section == TextKeyOf(second).section && TextKeyOf(first).key == TextKeyOf(second).key) {
    return 0;  // one key with two defaults: the second lookup may have filled it
  }
  const QString again = UiText(path, first);
  FUZZ_CHECK(again.size() <= profile::kMaxValueLength);
  FUZZ_CHECK(UiText(path, first) == again);
  return 0;
}
