// The virtual camera's control FIFO: lines from outside reach the in-process listeners.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/virtualcam/virtual_camera.h"
#include "support/wait.h"

using platform::VirtualCamera;
using testsupport::WaitFor;

namespace {

// Writes as a script would: open, write, close.
bool Send(const QString& path, const std::string& text) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return ok;
}

}  // namespace

TEST(VirtualCameraFifo, LinesReachTheListeners) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/ctl";
  VirtualCamera camera;
  std::atomic<int> presses{0};
  std::atomic<int> unplugs{0};
  std::atomic<int> plugs{0};
  camera.AddButtonListener([&] { ++presses; });
  camera.AddPlugListener([&](bool plugged) { ++(plugged ? plugs : unplugs); });

  ASSERT_TRUE(camera.StartControlFifo(path));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  ASSERT_TRUE(Send(path, "button\n"));
  ASSERT_TRUE(WaitFor([&] { return presses == 1; }));
  ASSERT_TRUE(Send(path, "  unplug \t\r\n"));
  ASSERT_TRUE(WaitFor([&] { return unplugs == 1; }));
  EXPECT_FALSE(camera.IsPlugged());
  // Unknown and blank lines are ignored; a line may come in pieces from different writers.
  ASSERT_TRUE(Send(path, "bogus\n\n   \nBUTTON\nplu"));
  ASSERT_TRUE(Send(path, "g\nbutton\n"));
  ASSERT_TRUE(WaitFor([&] { return plugs == 1 && presses == 2; }));
  EXPECT_TRUE(camera.IsPlugged());
  EXPECT_EQ(unplugs.load(), 1);

  // Once stopped, nobody reads: a writer that will not wait finds no reader.
  camera.StopControlFifo();
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  EXPECT_EQ(fd, -1);
  EXPECT_EQ(errno, ENXIO);
  if (fd >= 0) ::close(fd);

  // Started again on the FIFO that is already there.
  ASSERT_TRUE(camera.StartControlFifo(path));
  ASSERT_TRUE(Send(path, "button\n"));
  EXPECT_TRUE(WaitFor([&] { return presses == 3; }));
}

TEST(VirtualCameraFifo, OverlongLinesAreDropped) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/ctl";
  VirtualCamera camera;
  std::atomic<int> presses{0};
  camera.AddButtonListener([&] { ++presses; });
  ASSERT_TRUE(camera.StartControlFifo(path));
  ASSERT_TRUE(Send(path, std::string(300, ' ') + "button\nbutton\n"));
  ASSERT_TRUE(WaitFor([&] { return presses >= 1; }));
  ASSERT_TRUE(Send(path, "button\n"));
  ASSERT_TRUE(WaitFor([&] { return presses >= 2; }));
  EXPECT_EQ(presses.load(), 2);
}

TEST(VirtualCameraFifo, RefusesAPathThatIsNotAFifo) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/plain";
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  VirtualCamera camera;
  EXPECT_FALSE(camera.StartControlFifo(path));
  EXPECT_FALSE(camera.StartControlFifo(dir.path() + "/missing/folder/ctl"));
  EXPECT_EQ(QFile(path).size(), 0);
}

TEST(VirtualCameraFifo, AListenerMayStopTheReader) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/ctl";
  VirtualCamera camera;
  std::atomic<int> presses{0};
  std::atomic<int> restartedInside{-1};
  camera.AddButtonListener([&] {
    if (presses == 0) {
      camera.StopControlFifo();
      restartedInside = camera.StartControlFifo(path) ? 1 : 0;
    }
    ++presses;
  });
  ASSERT_TRUE(camera.StartControlFifo(path));
  ASSERT_TRUE(Send(path, "button\n"));
  ASSERT_TRUE(WaitFor([&] { return presses == 1; }));
  EXPECT_EQ(restartedInside.load(), 0);
  // The reader ended after that line; started again from here it reads on.
  ASSERT_TRUE(camera.StartControlFifo(path));
  ASSERT_TRUE(Send(path, "button\n"));
  EXPECT_TRUE(WaitFor([&] { return presses == 2; }));
}
