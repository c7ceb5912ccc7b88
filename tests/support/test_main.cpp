// Every test process runs with a temporary HOME and XDG folders, so no test ever
// touches a real user's files, and with Qt's offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

#include "wait.h"

namespace {
QTemporaryDir* g_home = nullptr;
}

namespace testsupport {
QString TempHome() { return g_home ? g_home->path() : QString(); }
}  // namespace testsupport

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);

  QTemporaryDir home(QDir::tempPath() + "/vistrel-test-XXXXXX");
  if (!home.isValid()) return 2;
  g_home = &home;
  const QByteArray base = home.path().toLocal8Bit();
  // A fresh account: nothing below HOME but the session's runtime folder. The data and
  // pictures folders are the program's to make.
  QDir(home.path()).mkpath("runtime");
  QFile::setPermissions(home.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner);
  setenv("HOME", base.constData(), 1);
  setenv("XDG_DATA_HOME", (base + "/.local/share").constData(), 1);
  setenv("XDG_CONFIG_HOME", (base + "/.config").constData(), 1);
  setenv("XDG_CACHE_HOME", (base + "/.cache").constData(), 1);
  setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
  setenv("XDG_PICTURES_DIR", (base + "/Pictures").constData(), 1);
  unsetenv("VISTREL_CAMERA");
  unsetenv("VISTREL_VIRTUAL_CTL");
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  QApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  g_home = nullptr;
  return result;
}
