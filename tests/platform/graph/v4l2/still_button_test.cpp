// The still button: input events from the camera's button device become stills.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include "fake_v4l2_io.h"
#include "source_callbacks.h"
#include "platform/graph/v4l2/still_button.h"
#include "platform/graph/v4l2/v4l2_source.h"
#include "support/wait.h"

using namespace platform;
using namespace platform::v4l2;
using namespace fakev4l2;
using namespace std::chrono_literals;

namespace {

std::vector<std::uint8_t> Event(unsigned short type, unsigned short code, int value) {
  input_event e{};
  e.type = type;
  e.code = code;
  e.value = value;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&e);
  return {bytes, bytes + sizeof e};
}

std::vector<std::uint8_t> Press() {
  std::vector<std::uint8_t> bytes = Event(EV_KEY, KEY_CAMERA, 1);
  const std::vector<std::uint8_t> sync = Event(EV_SYN, SYN_REPORT, 0);
  bytes.insert(bytes.end(), sync.begin(), sync.end());
  return bytes;
}

struct Pipe {
  UniqueFd read;
  UniqueFd write;
  Pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
      read.Reset(fds[0]);
      write.Reset(fds[1]);
    }
  }
  bool Send(const std::vector<std::uint8_t>& bytes) const {
    return ::write(write.Get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
};

}  // namespace

TEST(StillButton, OnePressIsOneStillWhateverRepeatsReleasesAndOtherKeysSay) {
  Pipe pipe;
  ASSERT_TRUE(pipe.read.Valid());
  std::atomic<int> stills{0};
  StillButtonReader reader;
  ASSERT_TRUE(reader.Start(std::move(pipe.read), [&] { ++stills; }));

  ASSERT_TRUE(pipe.Send(Press()));
  ASSERT_TRUE(pipe.Send(Event(EV_KEY, KEY_CAMERA, 2)));  // auto-repeat while held
  ASSERT_TRUE(pipe.Send(Event(EV_KEY, KEY_CAMERA, 0)));  // release
  ASSERT_TRUE(pipe.Send(Event(EV_KEY, KEY_A, 1)));
  // A press that arrives in two pieces is still one press.
  const std::vector<std::uint8_t> press = Event(EV_KEY, KEY_CAMERA, 1);
  ASSERT_TRUE(pipe.Send({press.begin(), press.begin() + 5}));
  ASSERT_TRUE(pipe.Send({press.begin() + 5, press.end()}));
  ASSERT_TRUE(testsupport::WaitFor([&] { return stills == 2; }, 5s));

  // The writer going away ends the thread by itself; Stop still returns.
  pipe.write.Reset();
  reader.Stop();
  EXPECT_EQ(stills, 2);
  EXPECT_FALSE(reader.IsRunning());
}

TEST(StillButton, TheSourceOpensItsButtonAtEachStart) {
  auto io = std::make_shared<FakeV4l2Io>();
  io->AddNode("/dev/video0", TypicalCamera());
  UniqueFd writer;
  int opened = 0;
  V4l2Source::Options options;
  options.findStillButton = [&](const QString& node) -> StillButtonOpener {
    EXPECT_EQ(node, "/dev/video0");
    return [&] {
      Pipe pipe;
      writer = std::move(pipe.write);
      ++opened;
      return std::move(pipe.read);
    };
  };
  auto source = V4l2Source::Open(io, "/dev/video0", options);
  ASSERT_TRUE(source);
  EXPECT_TRUE(source->HasStillPin());
  EXPECT_EQ(opened, 0);

  SourceCallbacks calls;
  ASSERT_TRUE(source->Start(calls.Make()));
  ASSERT_EQ(opened, 1);
  const std::vector<std::uint8_t> press = Press();
  ASSERT_EQ(::write(writer.Get(), press.data(), press.size()), static_cast<ssize_t>(press.size()));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.stills == 1; }, 5s));
  source->Stop();

  // A new start opens the button again.
  ASSERT_TRUE(source->Start(calls.Make()));
  EXPECT_EQ(opened, 2);
  ASSERT_EQ(::write(writer.Get(), press.data(), press.size()), static_cast<ssize_t>(press.size()));
  ASSERT_TRUE(testsupport::WaitFor([&] { return calls.stills == 2; }, 5s));
  source->Stop();
  EXPECT_EQ(calls.stills, 2);
}

TEST(StillButton, KeyBitmapOfTheInputDevice) {
  const int bits = static_cast<int>(sizeof(long) * 8);
  QString bitmap = QString::number(1ul << (KEY_CAMERA % bits), 16);
  for (int word = 0; word < KEY_CAMERA / bits; ++word) bitmap += " 0";
  EXPECT_TRUE(KeyBitmapHas(bitmap + "\n", KEY_CAMERA));
  EXPECT_FALSE(KeyBitmapHas(bitmap, KEY_CAMERA + 1));
  EXPECT_FALSE(KeyBitmapHas("0", KEY_CAMERA));
  EXPECT_FALSE(KeyBitmapHas("", KEY_CAMERA));
  EXPECT_FALSE(KeyBitmapHas("zz 0 0 0", KEY_CAMERA));
}
