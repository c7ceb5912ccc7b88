// The three interface languages: names as stored in the settings file and their indexes.
#pragma once

#include <QString>

namespace language {

constexpr int kCount = 3;
constexpr int kChinese = 0;
constexpr int kEnglish = 1;
constexpr int kJapanese = 2;

// "Chinese", "English", "Japanese" for 0, 1, 2; empty otherwise.
QString NameOf(int index);
// The index of exactly one of the three names (case included); -1 otherwise.
int IndexOf(const QString& name);

}  // namespace language
