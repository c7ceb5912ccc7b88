// The delay from the camera's capture of a frame to the view painting it, and the
// frames the newest-wins display never painted. The paint path feeds every paint in;
// a frame painted again (an expose, a window move) counts once. Delays are kept in
// 1 ms steps up to kMaxMs, so a long run keeps a fixed amount of memory.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "view/frame_stamp.h"

class PaintDelay {
 public:
  static constexpr int kMaxMs = 5000;  // longer delays count as this long

  // now: the steady clock in nanoseconds (the capture times' epoch); replaceable so
  // tests drive it.
  explicit PaintDelay(std::function<std::int64_t()> now = SteadyNowNs);

  // The view painted the picture with this stamp; any thread.
  void Painted(const FrameStamp& stamp);

  struct Summary {
    std::uint64_t shown = 0;     // frames painted
    std::uint64_t painted = 0;   // of those, the ones whose capture time was known
    std::uint64_t dropped = 0;   // frames that came after the first painted one and were never painted
    int medianMs = 0;            // of the painted frames' delays, 0 when none
    int percentile99Ms = 0;
    double framesPerSecond = 0;  // frames painted a second, from the first paint to the last
  };
  Summary Summarise() const;
  // One line for a log: the counts and the delays.
  std::string Report() const;

  static std::int64_t SteadyNowNs();

 private:
  int PercentileMs(std::uint64_t rank) const;  // the delay of the rank-th shortest (from 1)

  std::function<std::int64_t()> m_now;
  mutable std::mutex m_lock;
  std::array<std::uint64_t, kMaxMs + 1> m_histogram{};
  std::uint64_t m_shown = 0;
  std::uint64_t m_painted = 0;
  std::int64_t m_firstPaintNs = 0;
  std::int64_t m_lastPaintNs = 0;
  std::uint64_t m_dropped = 0;
  std::uint64_t m_lastSequence = 0;
};
