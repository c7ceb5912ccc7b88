// Language files: lookups fill a fresh file with the defaults, edits win, and a
// language choice lasts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>

#include "texts/language.h"
#include "texts/ui_text.h"
#include "texts/user_files.h"
#include "platform/profile/profile.h"
#include "support/user_folders.h"

namespace {

using testsupport::ReadTextFile;
using testsupport::ScopedUserFolders;

TEST(TextTable, HoldsEveryLookupOnceWithItsSection) {
  QSet<QString> seen;
  int nosupport = 0;
  for (const UiTextKey& k : kUiTextTable) {
    const QString id = QString(k.section).toUpper() + "/" + k.key;
    if (QString(k.key) == "NOSUPPORT") {
      ++nosupport;
      continue;
    }
    EXPECT_FALSE(seen.contains(id)) << id.toStdString();
    seen.insert(id);
    EXPECT_FALSE(DefaultTextOf(static_cast<Txt>(&k - kUiTextTable.data())).isEmpty()) << id.toStdString();
  }
  // 90 lookups and the texts of a failed snapshot, a stalled camera and a failed flash
  // Save or Restore; NOSUPPORT is one key with two defaults.
  EXPECT_EQ(seen.size() + 1, 94);
  EXPECT_EQ(nosupport, 2);
  EXPECT_EQ(DefaultTextOf(Txt::Mask_MASKENABLE), QString::fromUtf8("边缘罩") + QChar(0x3000) + QString::fromUtf8("开启"));
  EXPECT_EQ(DefaultTextOf(Txt::About_SOFTNAME), QString("Vistrel") + QChar(0x3000) + QString::fromUtf8("V1.0版"));
  EXPECT_TRUE(DefaultTextOf(Txt::Main_MainCaption).startsWith("Tavio"));
}

TEST(UiText, FreshChineseFileFillsWithTheDefaults) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  EXPECT_TRUE(app.m_strLngPath.endsWith("Japanese.lng"));
  app.SetLanguage("Chinese", language::kChinese);
  ASSERT_FALSE(QFile::exists(app.m_strLngPath));

  EXPECT_EQ(app.UiText(Txt::Main_SNAP), QString::fromUtf8("拍照"));
  EXPECT_EQ(app.UiText(Txt::Menu_CHINESE), QString::fromUtf8("中文"));
  // Both written back into the Chinese file, under their sections.
  EXPECT_EQ(profile::getString(app.m_strLngPath, "MainWnd", "SNAP", ""), QString::fromUtf8("拍照"));
  EXPECT_EQ(profile::getString(app.m_strLngPath, "Menu", "CHINESE", ""), QString::fromUtf8("中文"));
}

TEST(UiText, EditedValueShowsAtTheNextLookupAndStays) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  app.UiText(Txt::Main_SNAP);
  ASSERT_TRUE(profile::writeString(app.m_strLngPath, "MainWnd", "SNAP", QString::fromUtf8("スナップ")));

  EXPECT_EQ(app.UiText(Txt::Main_SNAP), QString::fromUtf8("スナップ"));
  EXPECT_EQ(profile::getString(app.m_strLngPath, "MainWnd", "SNAP", ""), QString::fromUtf8("スナップ"));
}

TEST(UiText, LongValuesAreCutTo259Characters) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  ASSERT_TRUE(testsupport::WriteTextFile(app.m_strLngPath, "[MainWnd]\r\nSNAP=" + QString(300, 'x') + "\r\n"));
  EXPECT_EQ(app.UiText(Txt::Main_SNAP), QString(259, 'x'));
}

TEST(UiText, NoSupportKeepsWhicheverDefaultCameFirst) {
  ScopedUserFolders user;
  UserFiles app;
  app.Prepare();
  app.SetLanguage("Chinese", language::kChinese);
  const QString first = app.UiText(Txt::Msg_NOSUPPORT_CONFIG);
  EXPECT_EQ(first, DefaultTextOf(Txt::Msg_NOSUPPORT_CONFIG));
  EXPECT_EQ(app.UiText(Txt::Msg_NOSUPPORT), first);
}

TEST(Language, ChoiceLastsToTheNextStart) {
  ScopedUserFolders user;
  {
    UserFiles app;
    app.Prepare();
    app.SetLanguage("English", language::kEnglish);
    EXPECT_TRUE(app.m_strLngPath.endsWith("/Language/English.lng"));
    EXPECT_EQ(profile::getInt(app.m_strSettingPath, "LANGUAGESET", "INDEX", -9), 1);
  }
  UserFiles next;
  next.Prepare();
  EXPECT_EQ(next.CurrentLanguageIndex(), language::kEnglish);
  EXPECT_TRUE(next.m_strLngPath.endsWith("/Language/English.lng"));
}

TEST(Language, NamesAndIndexes) {
  EXPECT_EQ(language::IndexOf("Chinese"), 0);
  EXPECT_EQ(language::IndexOf("Japanese"), 2);
  EXPECT_EQ(language::IndexOf("japanese"), -1);
  EXPECT_EQ(language::NameOf(1), "English");
  EXPECT_TRUE(language::NameOf(3).isEmpty());
  EXPECT_TRUE(language::NameOf(-1).isEmpty());
}

}  // namespace
