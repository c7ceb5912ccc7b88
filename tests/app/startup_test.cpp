// Start-up on a user account: folders, the settings file, the language in use and the
// service-mode option.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "app/vistrel_app.h"
#include "platform/profile/profile.h"
#include "support/user_folders.h"

namespace {

using testsupport::ScopedUserFolders;

QString StoredLanguage(const ScopedUserFolders& user) {
  return profile::getString(user.SettingPath(), "LANGUAGESET", "LANGUAGE", "<missing>");
}

TEST(Startup, FirstStartCreatesFoldersAndSettlesJapanese) {
  ScopedUserFolders user;  // a fresh account: not even ~/.local/share
  ASSERT_FALSE(QFileInfo::exists(user.DataHome()));
  CVistrelApp app("");
  app.PrepareStartup();

  // The whole path is made, each folder for its owner alone; HOME keeps its own mode.
  const auto mode = [](const QString& path) {
    return QFileInfo(path).permissions() & (QFile::ReadUser | QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup |
                                           QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::WriteOther | QFile::ExeOther);
  };
  const auto ownerOnly = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
  for (const QString& folder : {user.Home() + "/.local", user.DataHome(), user.UserFolder(),
                                user.UserFolder() + "Language"}) {
    EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
    EXPECT_EQ(mode(folder), ownerOnly) << folder.toStdString();
  }
  EXPECT_TRUE(QFileInfo::exists(user.SettingPath()));
  EXPECT_EQ(app.m_strSettingPath, user.SettingPath());
  EXPECT_EQ(app.m_strLangDir, user.UserFolder() + "Language/");
  EXPECT_EQ(StoredLanguage(user), "Japanese");
  EXPECT_EQ(app.m_strLngPath, user.UserFolder() + "Language/Japanese.lng");
  // The language file is made by the first text lookup, not by start-up.
  EXPECT_FALSE(QFileInfo::exists(app.m_strLngPath));
  EXPECT_TRUE(app.m_strExeDir.endsWith('/'));
  EXPECT_EQ(app.CurrentLanguageIndex(), 2);
}

TEST(Startup, OnlyTheExactLanguageNamesAreKept) {
  struct Case {
    const char* stored;
    const char* used;
  };
  for (const Case& c : {Case{"Chinese", "Chinese"}, Case{"English", "English"}, Case{"english", "Japanese"},
                        Case{"ENGLISH", "Japanese"}, Case{"Klingon", "Japanese"}, Case{"", "Japanese"}}) {
    SCOPED_TRACE(c.stored);
    ScopedUserFolders user;
    QDir().mkpath(user.UserFolder());
    ASSERT_TRUE(profile::writeString(user.SettingPath(), "LANGUAGESET", "LANGUAGE", c.stored));
    CVistrelApp app("");
    app.PrepareStartup();
    EXPECT_EQ(StoredLanguage(user), c.used);
    EXPECT_TRUE(app.m_strLngPath.endsWith(QString("/Language/") + c.used + ".lng"));
  }
}

TEST(Startup, ServiceModeOnlyForTheExactOption) {
  struct Case {
    const char* commandLine;
    bool serviceMode;
  };
  for (const Case& c : {Case{"-SERVICEMODE=1", true}, Case{"-SERVICEMODE=1 ", false}, Case{"-servicemode=1", false},
                        Case{"-SERVICEMODE=0", false}, Case{"", false}, Case{"-SERVICEMODE=1 -x", false},
                        Case{" -SERVICEMODE=1", false}}) {
    SCOPED_TRACE(c.commandLine);
    ScopedUserFolders user;
    CVistrelApp app(c.commandLine);
    app.PrepareStartup();
    EXPECT_EQ(app.m_bServiceMode, c.serviceMode);
  }
}

TEST(Startup, UnwritableUserFolderFallsBackToDefaults) {
  ScopedUserFolders user;
  // A file where the per-user folder should be: nothing can be made below it.
  QDir().mkpath(user.DataHome());
  QFile blocker(user.DataHome() + "/Tavio");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();

  CVistrelApp app("");
  app.PrepareStartup();
  EXPECT_EQ(app.CurrentLanguageIndex(), 2);
  EXPECT_FALSE(QFileInfo(user.UserFolder() + "Language").isDir());
  // Texts still come, from the built-in defaults.
  EXPECT_EQ(app.UiText(Txt::Menu_FILE), QString::fromUtf8("文件"));
}

}  // namespace
