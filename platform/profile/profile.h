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
// the file on first write. Values are cut to 259 characters. A file that starts with
// the UTF-16 LE byte-order mark is read and written as UTF-16 LE; a UTF-8 byte-order
// mark is kept; a new file is written as UTF-8. Writes replace the file atomically.
#pragma once

#include <QString>

namespace profile {

constexpr int kMaxValueLength = 259;

QString getString(const QString& path, const QString& section, const QString& key, const QString& defaultValue);
// The leading decimal integer of the value (optional sign); 0 when it has none; the
// default when the key is missing.
int getInt(const QString& path, const QString& section, const QString& key, int defaultValue);
// False when the file could not be written; the old file is then left as it was.
bool writeString(const QString& path, const QString& section, const QString& key, const QString& value);

}  // namespace profile
