#include "platform/profile/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>

#include "platform/profile/ini_document.h"

namespace profile {

namespace {

enum class LoadResult { Missing, Loaded, Unreadable };

LoadResult Load(const QString& path, QByteArray* content) {
  if (path.isEmpty()) return LoadResult::Unreadable;
  const QFileInfo info(path);
  if (!info.exists()) return LoadResult::Missing;
  if (!info.isFile()) return LoadResult::Unreadable;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return LoadResult::Unreadable;
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return LoadResult::Unreadable;
  *content = std::move(bytes);
  return LoadResult::Loaded;
}

// The file's content; empty when it is missing or unreadable, which read alike.
QByteArray Content(const QString& path) {
  QByteArray content;
  (void)Load(path, &content);
  return content;
}

// Leading blanks, an optional sign and decimal digits; out-of-range values saturate
// rather than wrap.
int ParseLeadingInt(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long long magnitude = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    magnitude = magnitude * 10 + (text[i].unicode() - u'0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1) magnitude = static_cast<long long>(INT_MAX) + 1;
  }
  const long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

// The value, or the default as the Windows reader gives it: less its trailing blanks,
// so a caller's padded default reads as it would be stored.
QString ValueOr(const IniDocument& doc, const QString& section, const QString& key, const QString& defaultValue) {
  if (std::optional<QString> value = doc.Value(section, key)) return *value;
  qsizetype end = defaultValue.size();
  while (end > 0 && (defaultValue[end - 1] == u' ' || defaultValue[end - 1] == u'\t')) --end;
  return defaultValue.left(end);
}

}  // namespace

QString getStringIn(const QByteArray& content, const QString& section, const QString& key,
                    const QString& defaultValue) {
  return ValueOr(IniDocument::Parse(content), section, key, defaultValue);
}

QString getStringKeptIn(QByteArray& content, const QString& section, const QString& key,
                        const QString& defaultValue) {
  IniDocument doc = IniDocument::Parse(content);
  const QString value = ValueOr(doc, section, key, defaultValue);
  // A value that cannot be stored on one line leaves the content as it was.
  if (doc.Set(section, key, value) == IniDocument::SetResult::Changed) content = doc.Serialize();
  return value;
}

int getIntIn(const QByteArray& content, const QString& section, const QString& key, int defaultValue) {
  const std::optional<QString> value = IniDocument::Parse(content).Value(section, key);
  // An empty value counts as missing, as it does for the Windows reader.
  if (!value || value->isEmpty()) return defaultValue;
  return ParseLeadingInt(*value);
}

bool writeStringIn(QByteArray& content, const QString& section, const QString& key, const QString& value) {
  IniDocument doc = IniDocument::Parse(content);
  const IniDocument::SetResult result = doc.Set(section, key, value);
  if (result == IniDocument::SetResult::Changed) content = doc.Serialize();
  return result != IniDocument::SetResult::Invalid;
}

QString getString(const QString& path, const QString& section, const QString& key, const QString& defaultValue) {
  return getStringIn(Content(path), section, key, defaultValue);
}

int getInt(const QString& path, const QString& section, const QString& key, int defaultValue) {
  return getIntIn(Content(path), section, key, defaultValue);
}

bool writeString(const QString& path, const QString& section, const QString& key, const QString& value) {
  return edit(path, [&](QByteArray& content) { return writeStringIn(content, section, key, value); });
}

bool edit(const QString& path, const std::function<bool(QByteArray& content)>& change) {
  QByteArray content;
  // A file that exists but cannot be read is never replaced: its other settings would be lost.
  if (Load(path, &content) == LoadResult::Unreadable) {
    QByteArray scratch;
    (void)change(scratch);
    return false;
  }
  const QByteArray before = content;
  if (!change(content)) return false;
  if (content == before) return true;
  // The new content goes to a temporary file that replaces the old one only when it
  // is complete; the folder must already exist.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(content) != content.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace profile
