// The main window with no camera: menus, toolbar, panes, texts, language commands and
// the ways the program ends.
#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/video_view.h"
#include "platform/profile/profile.h"
#include "support/main_window_fixture.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The command ids of a menu's items, 0 for a submenu or separator.
std::vector<int> Ids(const QMenu* menu) {
  std::vector<int> ids;
  for (QAction* a : menu->actions()) ids.push_back(a->menu() || a->isSeparator() ? 0 : a->property("vistrelCommand").toInt());
  return ids;
}

class MainWindowShell : public testsupport::MainWindowTest {};

TEST_F(MainWindowShell, MenuBarAsBuiltWithTheChineseDefaults) {
  Open();
  MainMenu* menu = dlg->Menu();
  ASSERT_EQ(menu->Bar()->actions().size(), 6);
  const char* tops[] = {"文件", "设置", "控制", "缩放", "镜像", "关于"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(menu->Top(i)->title(), U(tops[i])) << i;

  EXPECT_EQ(Ids(menu->Top(0)), (std::vector<int>{32784, 32804}));
  // Normal mode: Property, Move, Save and Restore are gone.
  EXPECT_EQ(Ids(menu->Top(1)), (std::vector<int>{0, 0, 32841}));
  EXPECT_EQ(Ids(menu->Top(2)), (std::vector<int>{32786, 32781, 32782}));
  EXPECT_EQ(Ids(menu->Top(3)), (std::vector<int>{32791, 32792, 32818}));
  EXPECT_EQ(Ids(menu->Top(4)), (std::vector<int>{32790, 32789, 32821}));
  EXPECT_EQ(Ids(menu->Top(5)), (std::vector<int>{32800, 0}));

  QMenu* setting = menu->Top(1);
  EXPECT_EQ(setting->actions()[0]->text(), U("分辨率"));
  EXPECT_EQ(setting->actions()[1]->text(), U("电源频率"));
  QMenu* resolution = menu->ResolutionMenu();
  ASSERT_NE(resolution, nullptr);
  EXPECT_EQ(MainMenu::SubMenu(resolution, 0)->title(), "YUV");
  EXPECT_EQ(MainMenu::SubMenu(resolution, 1)->title(), "MJPG");
  EXPECT_EQ(Ids(MainMenu::SubMenu(setting, 1)), (std::vector<int>{32835, 32836}));
  EXPECT_EQ(menu->Item(32835)->text(), "50HZ");
  EXPECT_EQ(menu->Item(32836)->text(), "60HZ");
  EXPECT_EQ(menu->Item(32841)->text(), "640X480");

  // Play shows the last of its three texts.
  EXPECT_EQ(menu->Item(cmd::ID_PLAY)->text(), U("静止"));
  EXPECT_EQ(menu->Item(cmd::ID_FILEPATH)->text(), U("设置文件保存路径"));
  EXPECT_EQ(menu->Item(cmd::ID_VERSION)->text(), U("软件"));

  QMenu* languages = MainMenu::SubMenu(menu->Top(5), 1);
  EXPECT_EQ(menu->Top(5)->actions()[1]->text(), U("语言"));
  EXPECT_EQ(Ids(languages), (std::vector<int>{32824, 32825, 32826}));
  for (int id : {32824, 32825, 32826}) EXPECT_FALSE(menu->Item(id)->icon().isNull()) << id;
  EXPECT_TRUE(menu->IsChecked(cmd::ID_CHINESE));  // the language the user picked
  EXPECT_FALSE(menu->IsChecked(cmd::ID_JAPANESE));
  EXPECT_EQ(dlg->windowTitle(), DefaultTextOf(Txt::Main_MainCaption));
}

TEST_F(MainWindowShell, ServiceModeKeepsTheFactoryItems) {
  Open("-SERVICEMODE=1");
  EXPECT_EQ(Ids(dlg->Menu()->Top(1)), (std::vector<int>{0, 0, 32780, 32795, 32810, 32811, 32841}));
  EXPECT_EQ(dlg->Menu()->Item(cmd::ID_PROPERTY)->text(), U("相机属性"));
  EXPECT_EQ(dlg->Menu()->Item(cmd::ID_MOVE)->text(), U("平移缩放"));
  // The Property button keeps its plain picture and opens the property window.
  EXPECT_EQ(dlg->ToolBar()->Picture(9), 153);
  EXPECT_EQ(dlg->TooltipText(cmd::ID_PROPERTY), U("相机属性"));
}

TEST_F(MainWindowShell, ToolbarButtonsPicturesAndStates) {
  Open();
  MainToolBar* bar = dlg->ToolBar();
  std::vector<int> layout;
  for (QAction* a : bar->actions()) layout.push_back(a->isSeparator() ? 0 : a->data().toInt());
  EXPECT_EQ(layout, (std::vector<int>{32786, 32781, 32782, 0, 32791, 32792, 32818, 0, 32790, 32789, 32821, 0, 32780}));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(bar->Picture(i), 144 + i) << i;
  EXPECT_EQ(bar->Picture(9), 153);  // manual exposure: a click switches to automatic
  EXPECT_FALSE(bar->IsButtonEnabled(cmd::ID_ZOOMOUT));
  EXPECT_TRUE(bar->IsButtonEnabled(cmd::ID_ZOOMIN));
  EXPECT_FALSE(bar->IsButtonChecked(cmd::ID_HMIRROR));
  EXPECT_FALSE(bar->IsButtonChecked(cmd::ID_VMIRROR));

  bar->ReplacePicture(0, 154);
  EXPECT_EQ(bar->Picture(0), 154);
  bar->ReplacePicture(10, 160);  // outside the image list: ignored
  EXPECT_EQ(bar->Picture(9), 153);
}

TEST_F(MainWindowShell, TooltipsByCommandAndState) {
  Open();
  MainToolBar* bar = dlg->ToolBar();
  EXPECT_EQ(bar->TooltipFor(cmd::ID_PLAY), U("启动相机"));  // no frame yet
  EXPECT_EQ(bar->TooltipFor(cmd::ID_SNAP), U("拍照"));
  EXPECT_EQ(bar->TooltipFor(cmd::ID_REMIRROR), U("重置镜像"));
  EXPECT_EQ(bar->TooltipFor(cmd::ID_PROPERTY), U("自动曝光"));
  dlg->Session().m_camera.m_bExposureAuto = true;
  EXPECT_EQ(bar->TooltipFor(cmd::ID_PROPERTY), U("手动曝光"));
  EXPECT_TRUE(bar->TooltipFor(cmd::ID_EXIT).isEmpty());

  ASSERT_TRUE(profile::writeString(app->m_strLngPath, "MainWnd", "SNAP", QString(100, 'S')));
  dlg->ApplyWindowTexts();
  EXPECT_EQ(bar->TooltipFor(cmd::ID_SNAP), QString(79, 'S'));
}

TEST_F(MainWindowShell, StatusPanesAndView) {
  Open();
  MainStatusBar* status = dlg->StatusBar();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(status->PaneText(i).isEmpty()) << i;
  EXPECT_EQ(status->Pane(0)->width(), 80);
  EXPECT_EQ(status->Pane(1)->width(), 50);
  EXPECT_GE(status->Pane(2)->minimumWidth(), 100);
  EXPECT_EQ(status->Pane(3), nullptr);
  ASSERT_NE(dlg->View(), nullptr);
  EXPECT_EQ(CVideoView::IDC, 1000);
  EXPECT_GT(dlg->View()->width(), 0);
}

TEST_F(MainWindowShell, LanguageCommandRewritesTheTextsAndLasts) {
  Open();
  ASSERT_TRUE(testsupport::WriteTextFile(app->m_strLangDir + "English.lng",
                                         "[Menu]\r\nFILE=File\r\n[MainWnd]\r\nSNAP=Snapshot\r\n"));
  dlg->OnCommand(cmd::ID_ENGLISH);
  EXPECT_EQ(dlg->Menu()->Top(0)->title(), "File");
  EXPECT_EQ(dlg->Menu()->Item(cmd::ID_SNAP)->text(), "Snapshot");
  EXPECT_EQ(dlg->ToolBar()->TooltipFor(cmd::ID_SNAP), "Snapshot");
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_ENGLISH));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_JAPANESE));
  EXPECT_EQ(profile::getString(app->m_strSettingPath, "LANGUAGESET", "LANGUAGE", ""), "English");
  EXPECT_EQ(profile::getInt(app->m_strSettingPath, "LANGUAGESET", "INDEX", -9), 1);

  dlg->DestroyWindow();
  dlg.reset();
  language.clear();  // the next start reads the choice the program stored
  Open();
  EXPECT_EQ(dlg->Menu()->Top(0)->title(), "File");
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_ENGLISH));
}

TEST_F(MainWindowShell, ACommandIgnoredDoesNotToggleItsCheckMark) {
  Open();
  // Mirror needs a running camera; clicking it now changes nothing, the check included.
  dlg->Menu()->Item(cmd::ID_HMIRROR)->trigger();
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_HMIRROR));
  EXPECT_FALSE(dlg->Menu()->Item(cmd::ID_HMIRROR)->isChecked());
  dlg->ToolBar()->Button(cmd::ID_VMIRROR)->trigger();
  EXPECT_FALSE(dlg->ToolBar()->Button(cmd::ID_VMIRROR)->isChecked());
}

// Each way out ends the modal loop and runs the shut-down once.
class Ending : public testsupport::MainWindowTest,
               public ::testing::WithParamInterface<std::function<void(CVistrelDlg*)>> {};

TEST_P(Ending, EndsTheProgramThroughTheShutDown) {
  app = std::make_unique<CVistrelApp>(QString(), testsupport::NoDeviceServices());
  app->PrepareStartup();
  dlg = std::make_unique<CVistrelDlg>(*app, *app, app->m_bServiceMode);
  auto action = GetParam();
  CVistrelDlg* window = dlg.get();
  QTimer::singleShot(0, window, [window, action] { action(window); });
  dlg->DoModal();
  EXPECT_TRUE(dlg->IsShutDown());
  EXPECT_FALSE(dlg->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Ending,
    ::testing::Values([](CVistrelDlg* d) { d->OnCommand(cmd::ID_EXIT); },
                      [](CVistrelDlg* d) {
                        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                        QApplication::sendEvent(d, &esc);
                      },
                      [](CVistrelDlg* d) {
                        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                        QApplication::sendEvent(d, &enter);
                      },
                      [](CVistrelDlg* d) { d->close(); },
                      [](CVistrelDlg* d) { d->Menu()->Item(cmd::ID_EXIT)->trigger(); }));

}  // namespace
