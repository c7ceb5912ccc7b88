#include "view/paint_delay.h"

#include <algorithm>
#include <chrono>
#include <sstream>

std::int64_t PaintDelay::SteadyNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

PaintDelay::PaintDelay(std::function<std::int64_t()> now) : m_now(std::move(now)) {}

void PaintDelay::Painted(const FrameStamp& stamp) {
  if (stamp.sequence == 0) return;
  const std::int64_t now = m_now();
  std::lock_guard<std::mutex> lock(m_lock);
  // A frame painted again, or an older one shown late, is not a new frame.
  if (stamp.sequence <= m_lastSequence) return;
  if (m_lastSequence != 0) m_dropped += stamp.sequence - m_lastSequence - 1;
  m_lastSequence = stamp.sequence;
  if (m_shown++ == 0) m_firstPaintNs = now;
  m_lastPaintNs = now;
  if (stamp.captureNs == 0) return;
  // A capture time ahead of the clock (a driver's rounding) counts as no delay.
  const std::int64_t ms = std::max<std::int64_t>(0, (now - stamp.captureNs) / 1000000);
  ++m_histogram[static_cast<std::size_t>(std::min<std::int64_t>(ms, kMaxMs))];
  ++m_painted;
}

int PaintDelay::PercentileMs(std::uint64_t rank) const {
  std::uint64_t seen = 0;
  for (std::size_t ms = 0; ms < m_histogram.size(); ++ms) {
    seen += m_histogram[ms];
    if (seen >= rank) return static_cast<int>(ms);
  }
  return kMaxMs;
}

PaintDelay::Summary PaintDelay::Summarise() const {
  std::lock_guard<std::mutex> lock(m_lock);
  Summary s;
  s.shown = m_shown;
  s.painted = m_painted;
  s.dropped = m_dropped;
  if (m_shown > 1 && m_lastPaintNs > m_firstPaintNs) {
    s.framesPerSecond = static_cast<double>(m_shown - 1) * 1e9 / static_cast<double>(m_lastPaintNs - m_firstPaintNs);
  }
  if (m_painted == 0) return s;
  // Nearest rank: the smallest delay that at least that share of the frames did not exceed.
  s.medianMs = PercentileMs((m_painted + 1) / 2);
  s.percentile99Ms = PercentileMs((m_painted * 99 + 99) / 100);
  return s;
}

std::string PaintDelay::Report() const {
  const Summary s = Summarise();
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(1);
  out << "frames painted: " << s.shown << " (" << s.framesPerSecond << " a second); capture to paint of "
      << s.painted << ": median " << s.medianMs << " ms, 99th percentile "
      << s.percentile99Ms << " ms, " << s.dropped << " frames dropped by the newest-wins display";
  return out.str();
}
