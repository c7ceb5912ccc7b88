// The whole program against the emulated camera: started as a user would start it,
// with a fresh home folder and no screen.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <csignal>

#include "camera_model.h"
#include "guest_support.h"
#include "support/wait.h"

using namespace guest;

namespace {

QStringList Jpegs(const QString& folder) {
  QStringList found;
  QDirIterator it(folder, {"*.jpg", "*.JPG", "*.jpeg"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) found << it.next();
  found.sort();
  return found;
}

struct JpegFacts {
  int width = 0;
  int height = 0;
  std::array<int, 64> luminance{};  // the first quantisation table, in zigzag order
  bool hasTable = false;
};

JpegFacts ReadJpeg(const QString& path) {
  QFile file(path);
  JpegFacts facts;
  if (!file.open(QIODevice::ReadOnly)) return facts;
  const QByteArray b = file.readAll();
  auto u8 = [&](int i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0; };
  int at = 2;
  while (at + 4 <= b.size() && u8(at) == 0xFF) {
    const int marker = u8(at + 1);
    const int length = (u8(at + 2) << 8) | u8(at + 3);
    if (marker == 0xDB && !facts.hasTable && (u8(at + 4) & 0xF0) == 0) {
      for (int i = 0; i < 64; ++i) facts.luminance[static_cast<std::size_t>(i)] = u8(at + 5 + i);
      facts.hasTable = true;
    }
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
      facts.height = (u8(at + 5) << 8) | u8(at + 6);
      facts.width = (u8(at + 7) << 8) | u8(at + 8);
    }
    if (marker == 0xDA) break;
    at += 2 + length;
  }
  return facts;
}

// The luminance table a JPEG encoder of the common kind writes at quality q.
std::array<int, 64> LuminanceTableAt(int quality) {
  static const int base[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                               14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                               18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                               49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  static const int zigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  std::array<int, 64> table{};
  for (int k = 0; k < 64; ++k) table[static_cast<std::size_t>(k)] = std::clamp((base[zigzag[k]] * scale + 50) / 100, 1, 255);
  return table;
}

bool CommitAfter(int mark) {
  for (const QString& line : TestCamera::Events().mid(mark)) {
    if (line.startsWith("commit ")) return true;
  }
  return false;
}

// Waits until the program streams and has settled: it restarts the stream while it
// applies its settings, and a press during a restart is rightly taken as the first
// after a change. Settled: a stream was committed and the camera then saw no request
// that changes anything for `quiet`.
bool StreamsSettled(int mark, std::chrono::milliseconds quiet = 5s) {
  using Clock = std::chrono::steady_clock;
  int lines = -1;
  Clock::time_point since = Clock::now();
  return testsupport::WaitFor(
      [&] {
        const int now = TestCamera::Events().size();
        if (now != lines) {
          lines = now;
          since = Clock::now();
        }
        return CommitAfter(mark) && Clock::now() - since >= quiet;
      },
      180s);
}

// Presses the button twice (the first press after the camera appears only arms the
// trigger) and waits for the snapshot it takes. Every device event re-arms the trigger
// in the program, so the presses wait until udev has handed out the events of the
// camera's arrival: on the guest's one processor they can come seconds after the
// stream has settled.
void PressTwiceForASnapshot(const QString& home, int snapshotsBefore) {
  ASSERT_EQ(QProcess::execute("udevadm", {"settle", "--timeout=60"}), 0) << "udev did not settle";
  for (int press = 0; press < 2; ++press) {
    const int mark = TestCamera::Events().size();
    ASSERT_TRUE(TestCamera::Send("button"));
    ASSERT_TRUE(TestCamera::WaitForEvent("button", mark)) << "the camera did not send press " << press;
  }
  EXPECT_TRUE(testsupport::WaitFor([&] { return Jpegs(home).size() > snapshotsBefore; }, 60s))
      << "no snapshot after two presses";
}

}  // namespace

TEST(Kernel, TheProgramSnapsTwoButtonPressesAcrossAnUnplugAndEndsOnSigterm) {
  QTemporaryDir home("/tmp/vistrel-home-XXXXXX");
  ASSERT_TRUE(home.isValid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_PICTURES_DIR",
                           "XDG_RUNTIME_DIR", "VISTREL_CAMERA", "VISTREL_VIRTUAL_CTL"}) {
    env.remove(name);
  }
  env.insert("HOME", home.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess program;
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::ForwardedChannels);
  program.setProgram(qEnvironmentVariable("VISTREL_BINARY"));

  int mark = TestCamera::Events().size();
  program.start();
  ASSERT_TRUE(program.waitForStarted(30000));
  ASSERT_TRUE(StreamsSettled(mark)) << "the program never streamed";
  const auto commit = TestCamera::LastCommit();
  ASSERT_TRUE(commit && commit->size() == 3);
  const testcam::Frame& frame =
      testcam::Formats()[static_cast<std::size_t>((*commit)[0] - 1)].frames[static_cast<std::size_t>((*commit)[1] - 1)];

  PressTwiceForASnapshot(home.path(), 0);
  ASSERT_EQ(Jpegs(home.path()).size(), 1);

  mark = TestCamera::Events().size();
  ASSERT_TRUE(TestCamera::Send("unplug"));
  ASSERT_TRUE(TestCamera::WaitForEvent("unplugged", mark));
  ASSERT_TRUE(TestCamera::Send("plug"));
  ASSERT_TRUE(StreamsSettled(mark)) << "the program did not stream again after the replug";
  PressTwiceForASnapshot(home.path(), 1);

  ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
  ASSERT_TRUE(program.waitForFinished(60000)) << "SIGTERM did not end the program";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);

  const QStringList snapshots = Jpegs(home.path());
  ASSERT_EQ(snapshots.size(), 2) << snapshots.join(", ").toStdString();
  for (const QString& path : snapshots) {
    const JpegFacts facts = ReadJpeg(path);
    EXPECT_EQ(facts.width, frame.width) << path.toStdString();
    EXPECT_EQ(facts.height, frame.height) << path.toStdString();
    ASSERT_TRUE(facts.hasTable) << path.toStdString();
    EXPECT_EQ(facts.luminance, LuminanceTableAt(90)) << path.toStdString() << " is not of quality 90";
  }
}
