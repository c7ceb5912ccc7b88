// INI files with the semantics of the Windows profile functions.
//
// Section and key names match without regard to case and the first match wins; spaces
// around names and blanks around values are dropped; a value in matching quotes is read
// without them; a missing file, section or key gives the default, less its trailing
// blanks. A section line without its closing bracket still opens its section, a line
// that starts with "=" is a key with an empty name, and lines may end in CR LF, LF or a
// CR alone (new lines take the file's first ending). A write replaces
// the value in place and keeps every other line (comments included), appends a new
// key at the end of its section and a new section at the end of the file, creating
// the file on first write. Values are cut to 259 characters; a value with blanks or a
// pair of quotes around it is written in quotes, so that every value written reads
// back as it was (the Windows writer wrote it bare). A file that starts with
// the UTF-16 LE byte-order mark is read and written as UTF-16 LE; a UTF-8 byte-order
// mark is kept; a new file is written as UTF-8. Writes replace the file atomically.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace profile {

constexpr int kMaxValueLength = 259;

QString getString(const QString& path, const QString& section, const QString& key, const QString& defaultValue);
// The leading decimal integer of the value (optional sign); 0 when it has none; the
// default when the key is missing.
int getInt(const QString& path, const QString& section, const QString& key, int defaultValue);
// False when the file could not be written; the old file is then left as it was.
bool writeString(const QString& path, const QString& section, const QString& key, const QString& value);

// The same on a file's content in memory: what the functions above do once the file is
// read. writeStringIn leaves `content` as it was when it returns false (a name or the
// value cannot be stored on one line).
QString getStringIn(const QByteArray& content, const QString& section, const QString& key,
                    const QString& defaultValue);
int getIntIn(const QByteArray& content, const QString& section, const QString& key, int defaultValue);
bool writeStringIn(QByteArray& content, const QString& section, const QString& key, const QString& value);
// getStringIn, with the value read written back in place in the same pass: content
// that lacked the key gains it.
QString getStringKeptIn(QByteArray& content, const QString& section, const QString& key,
                        const QString& defaultValue);

// Reads the file once, lets `change` edit its content, and replaces the file when the
// content changed. A missing file reads as empty and is created. A file that exists but
// cannot be read is never replaced: `change` then sees empty content, and the result is
// false. False also when `change` is, or when the file could not be written.
bool edit(const QString& path, const std::function<bool(QByteArray& content)>& change);

}  // namespace profile
