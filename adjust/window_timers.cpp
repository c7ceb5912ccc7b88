#include "adjust/window_timers.h"

#include <QTimer>

QtWindowTimers::QtWindowTimers() = default;
QtWindowTimers::~QtWindowTimers() = default;

void QtWindowTimers::SetTimer(int id, std::chrono::milliseconds period) {
  std::unique_ptr<QTimer>& timer = m_timers[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
      if (m_handler) m_handler(id);
    });
  }
  timer->start(period);
}

void QtWindowTimers::KillTimer(int id) {
  const auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second->stop();
}

bool QtWindowTimers::IsTimerRunning(int id) const {
  const auto it = m_timers.find(id);
  return it != m_timers.end() && it->second->isActive();
}
