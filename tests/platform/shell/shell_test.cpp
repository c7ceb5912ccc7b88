#include "platform/shell/shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

#include "support/wait.h"

namespace {

using namespace platform::shell;

// Sets or unsets XDG_DATA_HOME for one test and puts the old value back afterwards.
class DataHomeOverride {
 public:
  explicit DataHomeOverride(const char* value) : m_had(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
    m_old = qgetenv("XDG_DATA_HOME");
    if (value) {
      setenv("XDG_DATA_HOME", value, 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }
  ~DataHomeOverride() {
    if (m_had) {
      setenv("XDG_DATA_HOME", m_old.constData(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }

 private:
  bool m_had;
  QByteArray m_old;
};

TEST(ShellFolders, LocalAppDataFollowsXdgDataHome) {
  const QString home = testsupport::TempHome();
  ASSERT_FALSE(home.isEmpty());
  EXPECT_EQ(LocalAppDataFolder(), home + "/.local/share");
  {
    const QByteArray withSlash = (home + "/data/").toLocal8Bit();
    DataHomeOverride set(withSlash.constData());
    EXPECT_EQ(LocalAppDataFolder(), home + "/data");
  }
  {
    DataHomeOverride unset(nullptr);
    EXPECT_EQ(LocalAppDataFolder(), home + "/.local/share");
  }
  {
    DataHomeOverride relative("relative/share");
    EXPECT_EQ(LocalAppDataFolder(), home + "/.local/share");
  }
  EXPECT_EQ(qEnvironmentVariable("XDG_DATA_HOME"), home + "/.local/share") << "restored";
}

TEST(ShellFolders, PicturesAndExecutableFolders) {
  EXPECT_EQ(PicturesFolder(), testsupport::TempHome() + "/Pictures");

  const QString exe = ExecutableFolder();
  ASSERT_TRUE(exe.endsWith('/'));
  EXPECT_TRUE(QFileInfo(exe + QFileInfo(QCoreApplication::applicationFilePath()).fileName()).isFile());
}

TEST(ShellFolders, CreateDirectoryMakesOneLevelOnly) {
  QTemporaryDir dir;
  const QString one = dir.filePath("one");
  EXPECT_FALSE(IsDirectory(one));
  EXPECT_TRUE(CreateDirectory(one));
  EXPECT_TRUE(IsDirectory(one));
  EXPECT_TRUE(IsDirectory(one + "/"));
  EXPECT_FALSE(CreateDirectory(one)) << "an existing folder is not created again";

  EXPECT_FALSE(CreateDirectory(dir.filePath("missing/child")));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));

  QFile file(dir.filePath("file"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_FALSE(IsDirectory(file.fileName()));
  EXPECT_FALSE(CreateDirectory(file.fileName()));
  EXPECT_FALSE(IsDirectory(QString()));
  EXPECT_FALSE(CreateDirectory(QString()));
}

// Answers the folder browser as a user would, once it is on screen.
struct DialogAnswer {
  bool accept = true;
  bool seen = false;
  QString windowTitle;
  QString lookIn;
  QString directory;
};

std::optional<QString> BrowseAndAnswer(const FolderBrowseRequest& request, DialogAnswer* answer) {
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QFileDialog*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      timer.stop();
      answer->seen = true;
      answer->windowTitle = dialog->windowTitle();
      answer->lookIn = dialog->labelText(QFileDialog::LookIn);
      answer->directory = dialog->directory().absolutePath();
      if (answer->accept) {
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as the Choose button does
      } else {
        dialog->reject();
      }
      return;
    }
  });
  timer.start();
  return BrowseForFolder(request);
}

TEST(FolderBrowser, ShowsTheRequestAndAnswersTheChoice) {
  QTemporaryDir dir;
  const QString initial = QFileInfo(dir.path()).canonicalFilePath();
  FolderBrowseRequest request;
  request.caption = "Capture folder";
  request.title = "Choose where pictures go";
  request.initialFolder = initial;

  DialogAnswer accepted;
  const std::optional<QString> chosen = BrowseAndAnswer(request, &accepted);
  ASSERT_TRUE(accepted.seen);
  EXPECT_EQ(accepted.windowTitle, "Capture folder");
  EXPECT_EQ(accepted.lookIn, "Choose where pictures go");
  EXPECT_EQ(accepted.directory, initial);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(), initial);

  DialogAnswer cancelled;
  cancelled.accept = false;
  request.initialFolder = initial + "/gone/deeper";
  EXPECT_FALSE(BrowseAndAnswer(request, &cancelled).has_value());
  EXPECT_TRUE(cancelled.seen);
  EXPECT_EQ(cancelled.directory, initial) << "a missing initial folder starts at its nearest existing parent";
}

}  // namespace
