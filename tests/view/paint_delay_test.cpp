// The capture-to-paint counter, driven by a clock of the test's own.
#include <gtest/gtest.h>

#include <cstdint>

#include "view/paint_delay.h"

namespace {

constexpr std::int64_t kMs = 1000000;

struct Clock {
  std::int64_t now = 1000 * kMs;
};

TEST(PaintDelay, MedianAndNinetyNinthPercentileOfTheDelays) {
  Clock clock;
  PaintDelay delay([&] { return clock.now; });
  // 100 frames: 98 painted 20 ms after capture, one after 45 ms and one after 300 ms.
  for (std::uint64_t i = 1; i <= 100; ++i) {
    const std::int64_t age = i == 50 ? 300 : (i == 70 ? 45 : 20);
    delay.Painted({i, clock.now - age * kMs});
    clock.now += 33 * kMs;
  }
  const PaintDelay::Summary s = delay.Summarise();
  EXPECT_EQ(s.painted, 100u);
  EXPECT_EQ(s.dropped, 0u);
  EXPECT_NEAR(s.framesPerSecond, 1000.0 / 33, 1e-9);
  EXPECT_EQ(s.medianMs, 20);
  EXPECT_EQ(s.percentile99Ms, 45);  // the one slowest frame in a hundred lies beyond it

  delay.Painted({101, clock.now - 400 * kMs});  // now two of 101 are slow
  EXPECT_EQ(delay.Summarise().percentile99Ms, 300);
}

TEST(PaintDelay, FramesSkippedBetweenPaintsCountAsDroppedAndRepaintsCountOnce) {
  Clock clock;
  PaintDelay delay([&] { return clock.now; });
  delay.Painted({0, clock.now - 5 * kMs});   // the overlay alone: no frame
  delay.Painted({4, clock.now - 10 * kMs});  // the first painted frame starts the count
  delay.Painted({4, clock.now - 90 * kMs});  // the same frame painted again
  delay.Painted({5, clock.now - 10 * kMs});
  delay.Painted({9, clock.now - 10 * kMs});  // 6, 7 and 8 were replaced before a paint
  delay.Painted({8, clock.now - 10 * kMs});  // an older frame late is no new frame
  const PaintDelay::Summary s = delay.Summarise();
  EXPECT_EQ(s.shown, 3u);
  EXPECT_EQ(s.painted, 3u);
  EXPECT_EQ(s.dropped, 3u);
  EXPECT_EQ(s.percentile99Ms, 10);
}

TEST(PaintDelay, UnknownCaptureTimesAreCountedInOrderButNotTimed) {
  Clock clock;
  PaintDelay delay([&] { return clock.now; });
  delay.Painted({1, 0});
  delay.Painted({3, 0});
  delay.Painted({4, clock.now + 2 * kMs});  // a capture time ahead of the clock is no delay
  const PaintDelay::Summary s = delay.Summarise();
  EXPECT_EQ(s.shown, 3u);
  EXPECT_EQ(s.painted, 1u);
  EXPECT_EQ(s.dropped, 1u);
  EXPECT_EQ(s.medianMs, 0);
}

TEST(PaintDelay, DelaysBeyondTheRangeCountAsItsEndAndTheReportSaysAll) {
  Clock clock;
  PaintDelay delay([&] { return clock.now; });
  EXPECT_EQ(delay.Summarise().medianMs, 0);  // nothing painted yet
  delay.Painted({1, clock.now - 60000 * kMs});
  clock.now += 500 * kMs;
  delay.Painted({3, clock.now - 60000 * kMs});
  EXPECT_EQ(delay.Summarise().medianMs, PaintDelay::kMaxMs);
  EXPECT_EQ(delay.Report(),
            "frames painted: 2 (2.0 a second); capture to paint of 2: median 5000 ms, 99th percentile 5000 ms, 1 "
            "frames dropped by the newest-wins display");
}

}  // namespace
