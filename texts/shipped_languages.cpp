#include "texts/shipped_languages.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "platform/shell/file_io.h"

Q_LOGGING_CATEGORY(lcTexts, "vistrel.texts")

// Q_INIT_RESOURCE declares the registration function where it is used, so it must be
// used outside any namespace.
static void RegisterShippedLanguages() { Q_INIT_RESOURCE(vistrel_languages); }

namespace shipped_languages {

namespace {

void EnsureRegistered() {
  static const bool registered = [] {
    RegisterShippedLanguages();
    return true;
  }();
  (void)registered;
}

// Whatever line ends the file was committed with, a user's file gets CR LF, as the
// files the lookups make.
QByteArray WithCrLf(QByteArray bytes) {
  bytes.replace("\r\n", "\n");
  bytes.replace('\r', '\n');
  bytes.replace("\n", "\r\n");
  return bytes;
}

}  // namespace

QByteArray FileOf(const QString& languageName) {
  if (languageName.isEmpty() || languageName.contains(u'/')) return {};
  EnsureRegistered();
  QFile file(QStringLiteral(":/vistrel/languages/") + languageName + QStringLiteral(".lng"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  return WithCrLf(bytes);
}

Seed WriteIfMissing(const QString& lngPath) {
  const QFileInfo info(lngPath);
  // A dangling link or anything else under that name is the user's, not ours to replace.
  if (info.exists() || info.isSymLink()) return Seed::Existing;
  const QByteArray bytes = FileOf(info.completeBaseName());
  if (bytes.isEmpty()) return Seed::NotShipped;
  switch (platform::CreateFileAtomically(lngPath, bytes.constData(), static_cast<std::size_t>(bytes.size()))) {
    case platform::CreateResult::Created:
      return Seed::Written;
    case platform::CreateResult::Exists:
      return Seed::Existing;
    case platform::CreateResult::Failed:
      break;
  }
  qCWarning(lcTexts) << "cannot write the language file" << lngPath << ":" << qt_error_string(errno);
  return Seed::Failed;
}

}  // namespace shipped_languages
