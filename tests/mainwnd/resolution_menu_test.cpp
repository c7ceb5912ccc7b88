// The Resolution and Frequency menus as the capture session's lists and marks make
// them: both modes, a choice by command id, and the greying while the camera is away.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStringList>

#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "support/main_window_fixture.h"

namespace {

QStringList Texts(const QMenu* menu) {
  QStringList texts;
  if (menu) {
    for (QAction* a : menu->actions()) texts << a->text();
  }
  return texts;
}

// Every resolution item, in the submenus or the flat list.
std::vector<QAction*> Entries(QMenu* resolution) {
  std::vector<QAction*> entries;
  for (QAction* action : resolution->actions()) {
    if (QMenu* sub = action->menu()) {
      for (QAction* item : sub->actions()) entries.push_back(item);
    } else {
      entries.push_back(action);
    }
  }
  return entries;
}

class ResolutionMenu : public testsupport::MainWindowTest {
 protected:
  QMenu* Resolution() const { return dlg->Menu()->ResolutionMenu(); }
};

const QStringList kSizes{"640 X 480", "1280 X 720", "1920 X 1080", "3840 X 2160"};

TEST_F(ResolutionMenu, ServiceModeHasASubmenuPerFormatWithTheRunningOneMarked) {
  OpenWithCamera({}, "-SERVICEMODE=1");
  EXPECT_EQ(Texts(MainMenu::SubMenu(Resolution(), 0)), kSizes);
  EXPECT_EQ(Texts(MainMenu::SubMenu(Resolution(), 1)), kSizes);
  EXPECT_NE(dlg->Menu()->Item(cmd::ID_MJPG_FIRST + 3), nullptr);
  EXPECT_EQ(dlg->Menu()->Item(cmd::ID_MJPG_FIRST + 4), nullptr);
  EXPECT_TRUE(Resolution()->actions()[0]->isChecked());
  EXPECT_FALSE(Resolution()->actions()[1]->isChecked());
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));

  // An MJPG size: its entry and its family marked, every other entry not.
  dlg->OnCommand(cmd::ID_MJPG_FIRST + 1);
  EXPECT_TRUE(Resolution()->actions()[1]->isChecked());
  EXPECT_FALSE(Resolution()->actions()[0]->isChecked());
  for (QAction* entry : Entries(Resolution())) {
    EXPECT_EQ(entry->isChecked(), entry == dlg->Menu()->Item(cmd::ID_MJPG_FIRST + 1)) << entry->text().toStdString();
  }
}

TEST_F(ResolutionMenu, NormalModeHasOneFlatList) {
  OpenWithCamera();
  EXPECT_EQ(Texts(Resolution()), kSizes);
  for (QAction* a : Resolution()->actions()) EXPECT_EQ(a->menu(), nullptr);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
  dlg->OnCommand(cmd::ID_YUV_FIRST + 2);
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST + 2));
  // The Setting menu's 640X480 item takes the first entry.
  dlg->OnCommand(cmd::ID_640X480);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_YUV_FIRST + 2));
}

TEST_F(ResolutionMenu, GreyWhileTheCameraIsAwayAndBackWithIt) {
  for (const QString& mode : {QString(), QStringLiteral("-SERVICEMODE=1")}) {
    OpenWithCamera({}, mode);
    ASSERT_TRUE(WaitForFrame());
    camera->Unplug();
    ASSERT_TRUE(testsupport::WaitFor([&] { return !dlg->Menu()->IsEnabled(cmd::ID_50HZ); }));
    EXPECT_FALSE(dlg->Menu()->IsEnabled(cmd::ID_60HZ));
    for (QAction* entry : Entries(Resolution())) EXPECT_FALSE(entry->isEnabled()) << entry->text().toStdString();

    camera->Plug();
    ASSERT_TRUE(testsupport::WaitFor([&] { return dlg->Menu()->IsEnabled(cmd::ID_50HZ); }));
    EXPECT_TRUE(dlg->Menu()->IsEnabled(cmd::ID_60HZ));
    EXPECT_EQ(Entries(Resolution()).size(), mode.isEmpty() ? 4u : 8u);
    for (QAction* entry : Entries(Resolution())) EXPECT_TRUE(entry->isEnabled()) << entry->text().toStdString();
    TearDown();
  }
}

TEST_F(ResolutionMenu, FrequencyMarksFollowTheChoice) {
  OpenWithCamera();
  // Nothing stored in the flash: the camera's own frequency (50 Hz) is marked.
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_50HZ));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_60HZ));
  ASSERT_TRUE(WaitForFrame());
  dlg->OnCommand(cmd::ID_60HZ);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_60HZ));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_50HZ));
  dlg->OnCommand(cmd::ID_50HZ);
  EXPECT_TRUE(dlg->Menu()->IsChecked(cmd::ID_50HZ));
  EXPECT_FALSE(dlg->Menu()->IsChecked(cmd::ID_60HZ));
}

}  // namespace
