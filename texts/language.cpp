#include "texts/language.h"

#include <array>

namespace language {

namespace {
const std::array<QString, kCount>& Names() {
  static const std::array<QString, kCount> names{QStringLiteral("Chinese"), QStringLiteral("English"),
                                                 QStringLiteral("Japanese")};
  return names;
}
}  // namespace

QString NameOf(int index) {
  if (index < 0 || index >= kCount) return {};
  return Names()[static_cast<std::size_t>(index)];
}

int IndexOf(const QString& name) {
  for (int i = 0; i < kCount; ++i) {
    if (Names()[static_cast<std::size_t>(i)] == name) return i;
  }
  return -1;
}

}  // namespace language
