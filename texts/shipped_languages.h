// The language files that come with the program (English and Japanese), compiled in.
// A user's language file that does not exist yet starts as a copy of the shipped one;
// Chinese has none, its texts are the table's built-in defaults.
#pragma once

#include <QByteArray>
#include <QString>

namespace shipped_languages {

// The shipped file of a language ("English", "Japanese") as it is written for a user:
// UTF-8 without byte-order mark, every line ending in CR LF. Empty when the language
// has no shipped file.
QByteArray FileOf(const QString& languageName);

enum class Seed { Existing, Written, NotShipped, Failed };

// When nothing is at lngPath, writes there the shipped file of the language the file is
// named after (".../Language/English.lng" -> English). A file that exists is never
// touched, and one that appears meanwhile is not replaced; a half-written file never
// shows under that name. Failed when the file could not be made (said in the log).
Seed WriteIfMissing(const QString& lngPath);

}  // namespace shipped_languages
