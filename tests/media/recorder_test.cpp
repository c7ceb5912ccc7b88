// The recorder with an encoder that falls behind: the pictures waiting stay bounded,
// the file still plays as long as the recording lasted, and closing encodes only the
// newest waiting picture, not the backlog.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "media/recorder.h"
#include "outside/ximage.h"
#include "support/mpeg_readback.h"
#include "support/wait.h"

namespace {

std::shared_ptr<const CxImage> Picture(std::uint8_t grey) {
  auto picture = std::make_shared<CxImage>(320u, 240u, 24);
  picture->Clear(grey);
  return picture;
}

// Holds the recorder thread before each job until the test lets a number of jobs pass.
class Gate {
 public:
  void Pass() {
    std::unique_lock<std::mutex> lock(m_lock);
    ++m_waiting;
    m_wake.wait(lock, [this] { return m_allowed > 0; });
    --m_allowed;
    --m_waiting;
    ++m_passed;
  }
  void Allow(int jobs) {
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_allowed += jobs;
    }
    m_wake.notify_all();
  }
  bool Waiting() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_waiting > 0;
  }
  int Passed() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_passed;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_wake;
  int m_allowed = 0;
  int m_waiting = 0;
  int m_passed = 0;
};

class SlowEncoder : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder.m_beforeJob = [this] { gate.Pass(); };
    recorder.Open(file, 320, 240, 24.0f, 2000000.0f, [this](bool made) { opened = made; });
    gate.Allow(1);
    ASSERT_TRUE(testsupport::WaitFor([&] { return opened.load(); }));
    // The first picture is taken by the thread and held at the gate: a busy encoder.
    recorder.Write(Picture(0), 1);
    ASSERT_TRUE(testsupport::WaitFor([&] { return gate.Waiting(); }));
  }
  void TearDown() override { gate.Allow(1000); }

  QTemporaryDir folder;
  std::string file = folder.path().toStdString() + "/slow.mpeg";
  Gate gate;
  std::atomic<bool> opened{false};
  Recorder recorder;
};

TEST_F(SlowEncoder, WaitingPicturesStayBoundedAndTheFileKeepsItsRealLength) {
  // Ten seconds of pictures arrive while the encoder is stuck on the first one.
  for (int i = 1; i < 240; ++i) recorder.Write(Picture(static_cast<std::uint8_t>(i)), 1);
  EXPECT_EQ(recorder.QueuedPictures(), Recorder::kMaxQueuedPictures);

  gate.Allow(1000);
  ASSERT_TRUE(testsupport::WaitFor([&] { return recorder.QueuedPictures() == 0; }));
  recorder.Close();
  // Every one of the ten seconds' slots holds a picture: the file plays ten seconds.
  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(file, 239);
  ASSERT_TRUE(video.ok);
  EXPECT_EQ(video.frames, 240);
  // The newest picture ends the file.
  EXPECT_NEAR(mpegtest::PlaneMean(video.y, 320, 0, 0, 320, 240), 239.0 * 219 / 255 + 16, 12.0);
}

TEST_F(SlowEncoder, ClosingWaitsForTheNewestPictureOnlyAndLosesNoFile) {
  for (int i = 1; i < 10; ++i) recorder.Write(Picture(static_cast<std::uint8_t>(i * 20)), 2);
  ASSERT_EQ(recorder.QueuedPictures(), 9);

  // Close cuts the backlog before it waits: the held picture, the newest and the close
  // are all the jobs left.
  std::thread closing([&] { recorder.Close(); });
  EXPECT_TRUE(testsupport::WaitFor([&] { return recorder.QueuedPictures() == 1; }));
  gate.Allow(1000);
  closing.join();
  EXPECT_EQ(gate.Passed(), 1 + 3);  // the open, then the three
  EXPECT_EQ(recorder.QueuedPictures(), 0);

  const mpegtest::DecodedVideo video = mpegtest::DecodeVideoFile(file, 1);
  ASSERT_TRUE(video.ok);
  // Still as long as the recording was: the newest picture fills the cut slots.
  EXPECT_EQ(video.frames, 1 + 9 * 2);
  ASSERT_FALSE(video.y.empty());
  EXPECT_NEAR(mpegtest::PlaneMean(video.y, 320, 0, 0, 320, 240), 180.0 * 219 / 255 + 16, 12.0);
}

}  // namespace
