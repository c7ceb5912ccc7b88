// Waiting in tests: for a condition, never for a fixed time.
#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace testsupport {

// Spins the Qt event loop until pred() holds or the timeout passes; returns pred().
bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The temporary home folder of this test process (also HOME, and the XDG folders below it).
QString TempHome();

}  // namespace testsupport
