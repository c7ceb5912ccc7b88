// A callback that stops its own camera source, and what it saw there: the source
// contract says Stop from inside a callback ends delivery at once and Start fails.
#pragma once

#include <atomic>
#include <functional>

#include "platform/graph/source_device.h"

namespace testsupport {

struct SourceStopProbe {
  std::atomic<int> calls{0};
  std::atomic<bool> streamingAfterStop{true};
  std::atomic<bool> restartedInside{true};

  // Stops the source the first time it runs and tries to start it again; later calls
  // are only counted.
  std::function<void()> Stopper(platform::SourceDevice& source) {
    return [this, &source] {
      if (calls > 0) {
        ++calls;
        return;
      }
      source.Stop();
      streamingAfterStop = source.IsStreaming();
      restartedInside = source.Start({});
      ++calls;  // last: a test that sees the count sees the rest
    };
  }
};

}  // namespace testsupport
