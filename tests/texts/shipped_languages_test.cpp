// The English and Japanese files that come with the program: every key of the text
// table once and nothing else, each value translated; a user's missing file starts as
// the shipped one and an existing one stays the user's.
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QStringDecoder>
#include <QStringList>

#include "platform/profile/profile.h"
#include "support/user_folders.h"
#include "texts/language.h"
#include "texts/shipped_languages.h"
#include "texts/ui_text.h"
#include "texts/user_files.h"

namespace {

using testsupport::ScopedUserFolders;

const QStringList kShipped = {QStringLiteral("English"), QStringLiteral("Japanese")};

QString Id(const QString& section, const QString& key) { return section.toUpper() + u'/' + key.toUpper(); }

// The table's keys with their defaults; NOSUPPORT is one key with two.
QMap<QString, QStringList> TableKeys() {
  QMap<QString, QStringList> keys;
  for (int i = 0; i < static_cast<int>(Txt::Count); ++i) {
    const UiTextKey& k = kUiTextTable[static_cast<size_t>(i)];
    keys[Id(QString::fromLatin1(k.section), QString::fromLatin1(k.key))] << DefaultTextOf(static_cast<Txt>(i));
  }
  return keys;
}

struct Entry {
  QString section;
  QString key;
  QString value;
};

// A strict reading: every line must be a section header or a key line below one;
// anything else is reported, so a stray line cannot hide in the file.
std::vector<Entry> ParseStrict(const QString& text, QStringList* errors) {
  std::vector<Entry> entries;
  QString section;
  const QStringList lines = text.split(QStringLiteral("\r\n"));
  for (int n = 0; n < lines.size(); ++n) {
    const QString& line = lines[n];
    if (line.isEmpty() && n == lines.size() - 1) break;  // after the last line end
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      section = line.mid(1, line.size() - 2);
    } else if (line.indexOf(u'=') > 0 && !section.isEmpty()) {
      const qsizetype eq = line.indexOf(u'=');
      entries.push_back({section, line.left(eq), line.mid(eq + 1)});
    } else {
      *errors << QStringLiteral("line %1: \"%2\"").arg(n + 1).arg(line);
    }
  }
  return entries;
}

// Chinese or Japanese script, their punctuation and spaces, and full-width forms.
bool HasCjk(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF) ||
        c.isSurrogate())
      return true;
  }
  return false;
}

TEST(ShippedLanguages, HoldEveryKeyOfTheTextTableOnceAndNothingElse) {
  const QMap<QString, QStringList> table = TableKeys();
  for (const QString& name : kShipped) {
    SCOPED_TRACE(name.toStdString());
    const QByteArray bytes = shipped_languages::FileOf(name);
    ASSERT_FALSE(bytes.isEmpty());
    QStringList errors;
    const std::vector<Entry> entries = ParseStrict(QString::fromUtf8(bytes), &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

    QMap<QString, QString> found;
    for (const Entry& e : entries) {
      const QString id = Id(e.section, e.key);
      EXPECT_FALSE(found.contains(id)) << "twice: " << id.toStdString();
      EXPECT_TRUE(table.contains(id)) << "not in the text table: " << id.toStdString();
      found[id] = e.value;
    }
    for (auto it = table.begin(); it != table.end(); ++it)
      EXPECT_TRUE(found.contains(it.key())) << "missing: " << it.key().toStdString();

    // Each value reads back through the lookup exactly as written: not empty, no
    // blanks or quotes the reader would drop, not longer than a lookup can hold.
    ScopedUserFolders user;
    const QString path = user.Home() + u'/' + name + QStringLiteral(".lng");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    for (const Entry& e : entries) {
      EXPECT_FALSE(e.value.isEmpty()) << e.key.toStdString();
      EXPECT_LE(e.value.size(), profile::kMaxValueLength) << e.key.toStdString();
      EXPECT_EQ(profile::getString(path, e.section, e.key, QString()), e.value) << e.key.toStdString();
    }
  }
}

TEST(ShippedLanguages, EnglishHasNoChineseLeft) {
  QStringList errors;
  for (const Entry& e : ParseStrict(QString::fromUtf8(shipped_languages::FileOf("English")), &errors))
    EXPECT_FALSE(HasCjk(e.value)) << e.section.toStdString() << "/" << e.key.toStdString() << "="
                                  << e.value.toStdString();
}

TEST(ShippedLanguages, JapaneseReplacesEveryChineseDefault) {
  const QMap<QString, QStringList> table = TableKeys();
  QStringList errors;
  int kana = 0;
  for (const Entry& e : ParseStrict(QString::fromUtf8(shipped_languages::FileOf("Japanese")), &errors)) {
    for (const QString& chinese : table.value(Id(e.section, e.key))) {
      if (HasCjk(chinese)) {
        EXPECT_NE(e.value, chinese) << e.section.toStdString() << "/" << e.key.toStdString();
      }
    }
    for (const QChar c : e.value)
      if (c.unicode() >= 0x3040 && c.unicode() <= 0x30FF) {
        ++kana;
        break;
      }
  }
  // Japanese shows in its kana; a file of Chinese words that merely differ would not.
  EXPECT_GT(kana, 40);
}

TEST(ShippedLanguages, AreUtf8WithCrLfAndOnlyForTheirLanguages) {
  for (const QString& name : kShipped) {
    SCOPED_TRACE(name.toStdString());
    const QByteArray bytes = shipped_languages::FileOf(name);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8(bytes));
    EXPECT_FALSE(utf8.hasError());
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\r'));
  }
  EXPECT_TRUE(shipped_languages::FileOf("Chinese").isEmpty());
  EXPECT_TRUE(shipped_languages::FileOf("english").isEmpty());
  EXPECT_TRUE(shipped_languages::FileOf("../languages/English").isEmpty());
}

TEST(UiText, MissingEnglishFileStartsAsTheShippedOne) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  app.SetLanguage("English", language::kEnglish);
  ASSERT_FALSE(QFile::exists(app.m_strLngPath));

  EXPECT_EQ(app.UiText(Txt::Main_SNAP), "Snapshot");
  EXPECT_EQ(app.UiText(Txt::Pro_WB), "White Bal.");
  // The written values equal the shipped ones, so the write-backs leave it as shipped.
  QFile file(app.m_strLngPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), shipped_languages::FileOf("English"));
}

TEST(UiText, FreshJapaneseStartShowsJapaneseEvenForTheTwoNoSupportTexts) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  EXPECT_EQ(app.UiText(Txt::Main_SNAP), QString::fromUtf8("撮影"));
  const QString shipped = profile::getString(app.m_strLngPath, "WndMessage", "NOSUPPORT", QString());
  EXPECT_FALSE(shipped.isEmpty());
  EXPECT_NE(shipped, DefaultTextOf(Txt::Msg_NOSUPPORT));
  EXPECT_EQ(app.UiText(Txt::Msg_NOSUPPORT_CONFIG), shipped);
  EXPECT_EQ(app.UiText(Txt::Msg_NOSUPPORT), shipped);
}

TEST(UiText, ExistingFileIsNeverReplacedAndGetsTheChineseDefaultOfAMissingKey) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  app.SetLanguage("English", language::kEnglish);
  ASSERT_TRUE(testsupport::WriteTextFile(app.m_strLngPath, "[MainWnd]\r\nSNAP=Shoot\r\n"));

  EXPECT_EQ(app.UiText(Txt::Main_SNAP), "Shoot");
  EXPECT_EQ(app.UiText(Txt::Main_EXIT), QString::fromUtf8("退出"));
  EXPECT_EQ(testsupport::ReadTextFile(app.m_strLngPath), QString::fromUtf8("[MainWnd]\r\nSNAP=Shoot\r\nEXIT=退出\r\n"));
}

TEST(UiText, ChineseKeepsItsBuiltInDefaults) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  app.SetLanguage("Chinese", language::kChinese);
  EXPECT_EQ(app.UiText(Txt::Mask_CROSSENABLE), DefaultTextOf(Txt::Mask_CROSSENABLE));
  EXPECT_EQ(testsupport::ReadTextFile(app.m_strLngPath),
            "[MaskWnd]\r\nCROSSENABLE=" + DefaultTextOf(Txt::Mask_CROSSENABLE) + "\r\n");
}

}  // namespace
