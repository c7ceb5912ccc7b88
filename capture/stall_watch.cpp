// The stall watch: a camera that stays plugged but stops sending frames (a USB bandwidth
// stall, a firmware hang) would freeze the picture without a word. Its stream is
// restarted after the stall timeout, and after three restarts without a frame the
// camera is taken away as if it had been unplugged; a later arrival, or Play, builds
// it again.
#include <QTimerEvent>

#include <cstdio>

#include "capture/capture_session.h"

void CaptureSession::CheckStall() {
  if (!m_graph.m_bPreviewing) return;
  const auto now = m_clock();
  const std::uint64_t frames = m_frameCount.load(std::memory_order_relaxed);
  if (frames != m_stallFrameCount) {
    m_stallFrameCount = frames;
    m_lastProgress = now;
    m_stallRestarts = 0;
    return;
  }
  if (now - m_lastProgress < kStallTimeout) return;
  if (m_stallRestarts < kStallRestarts) {
    ++m_stallRestarts;
    std::fprintf(stderr, "vistrel: %s sent no frame for %lld ms; restarting its stream (%d of %d)\n",
                 qPrintable(m_graph.m_szDeviceName),
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastProgress).count()),
                 m_stallRestarts, kStallRestarts);
    const bool stopped = StopPreview();
    (void)stopped;  // a stream that will not stop is started again all the same
    if (StartPreview()) return;  // the watch counts again from the start
  }
  std::fprintf(stderr, "vistrel: %s sends no frames; taken away as if unplugged\n", qPrintable(m_graph.m_szDeviceName));
  m_stallRestarts = 0;
  TakeCameraAway();
  emit cameraStalled();
}

void CaptureSession::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_stallTimer.timerId()) {
    CheckStall();
    return;
  }
  QObject::timerEvent(event);
}
