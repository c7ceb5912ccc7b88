#include "wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace testsupport {

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= deadline) return pred();
    // Waits for the next event (at most 5 ms), so the loop neither spins hot nor
    // sleeps past the moment the condition becomes true.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::sendPostedEvents();
  }
  return true;
}

}  // namespace testsupport
