// The About window: its language list, OK and Cancel, from the menu and from the
// window's context menu.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>

#include "mainwnd/about_dlg.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"

namespace {

using testsupport::AnswerNextModal;

class AboutTest : public testsupport::MainWindowTest {
 protected:
  // A fresh account: Japanese in use, its texts from the shipped file.
  AboutTest() { language.clear(); }
  static QString JapaneseFileMenu() { return QString::fromUtf8("ファイル"); }
  // A translated English file, so a switch to it is visible in the menu.
  void WriteEnglishFile() {
    ASSERT_TRUE(testsupport::WriteTextFile(app->m_strLangDir + "English.lng",
                                           "[Menu]\r\nFILE=File\r\n[AboutWnd]\r\nMainCaption=About\r\n"));
  }
  QByteArray SettingsBytes() const {
    QFile f(app->m_strSettingPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QString FileMenuText() const { return dlg->Menu()->Top(0)->title(); }
  static void ChooseAndOk(CAboutDlg* about, int index) {
    about->LanguageList()->setCurrentIndex(index);
    about->OnOK();
  }
};

TEST_F(AboutTest, ListStartsAtTheStoredIndexAndShowsItsTexts) {
  Open();
  {
    CAboutDlg about(*app);
    about.OnInitDialog();
    // A fresh settings file has no index: the list shows Chinese although Japanese is in use.
    EXPECT_EQ(about.LanguageList()->currentIndex(), 0);
    EXPECT_EQ(about.LanguageList()->count(), 3);
    EXPECT_EQ(about.LanguageList()->itemText(2), "Japanese");
    EXPECT_EQ(about.windowTitle(), app->UiText(Txt::About_MainCaption));
    EXPECT_NE(about.windowTitle(), QString::fromUtf8("关于软件"));  // not the Chinese default
    EXPECT_FALSE(about.RightsText()->text().isEmpty());
  }
  ASSERT_TRUE(profile::writeString(app->m_strSettingPath, "LANGUAGESET", "INDEX", "1"));
  CAboutDlg about(*app);
  about.OnInitDialog();
  EXPECT_EQ(about.LanguageList()->currentIndex(), 1);
}

TEST_F(AboutTest, OkFromTheMenuSwitchesTheWindowAtOnce) {
  Open();
  WriteEnglishFile();
  ASSERT_EQ(FileMenuText(), JapaneseFileMenu());

  AnswerNextModal<CAboutDlg>([](CAboutDlg* about) { ChooseAndOk(about, 1); });
  dlg->OnCommand(cmd::ID_VERSION);

  EXPECT_EQ(FileMenuText(), "File");
  EXPECT_EQ(profile::getString(app->m_strSettingPath, "LANGUAGESET", "LANGUAGE", ""), "English");
  EXPECT_EQ(profile::getInt(app->m_strSettingPath, "LANGUAGESET", "INDEX", -9), 1);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_ENGLISH));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_JAPANESE));
}

TEST_F(AboutTest, OkFromTheContextMenuWaitsForTheNextTextPass) {
  Open();
  WriteEnglishFile();

  AnswerNextModal<CAboutDlg>([](CAboutDlg* about) { ChooseAndOk(about, 1); });
  dlg->OnCommand(cmd::IDM_ABOUTBOX);
  EXPECT_EQ(FileMenuText(), JapaneseFileMenu());
  EXPECT_EQ(app->CurrentLanguageIndex(), 1);

  dlg->ApplyWindowTexts();
  EXPECT_EQ(FileMenuText(), "File");
}

TEST_F(AboutTest, CancelChangesNothing) {
  Open();
  WriteEnglishFile();
  const QByteArray before = SettingsBytes();

  AnswerNextModal<CAboutDlg>([](CAboutDlg* about) {
    about->LanguageList()->setCurrentIndex(1);
    about->reject();
  });
  dlg->OnCommand(cmd::ID_VERSION);

  EXPECT_EQ(SettingsBytes(), before);
  EXPECT_EQ(app->CurrentLanguageIndex(), 2);
  EXPECT_EQ(FileMenuText(), JapaneseFileMenu());
}

TEST_F(AboutTest, OkWithoutASelectionKeepsTheLanguageAndWritesNothing) {
  Open();
  ASSERT_TRUE(profile::writeString(app->m_strSettingPath, "LANGUAGESET", "INDEX", "7"));
  const QByteArray before = SettingsBytes();

  CAboutDlg about(*app);
  about.OnInitDialog();
  EXPECT_EQ(about.LanguageList()->currentIndex(), -1);
  about.OnOK();

  EXPECT_EQ(SettingsBytes(), before);
  EXPECT_TRUE(app->m_strLngPath.endsWith("/Japanese.lng"));
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(AboutTest, ContextMenuHoldsASeparatorThenAbout) {
  Open();
  const QList<QAction*> items = dlg->ContextMenu()->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_TRUE(items[0]->isSeparator());
  EXPECT_EQ(items[1]->text(), QString::fromUtf8("关于 Vistrel(&A)..."));
}

}  // namespace
