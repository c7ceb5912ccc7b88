// Counts what a source delivers, for waiting on it from the test thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/graph/source_device.h"

namespace fakev4l2 {

struct SourceCallbacks {
  std::atomic<int> frames{0};
  std::atomic<int> stills{0};
  std::atomic<int> lost{0};
  std::atomic<int> framesAfterLost{0};
  std::mutex mutex;
  std::vector<std::size_t> sizes;
  std::vector<std::uint8_t> firstBytes;
  std::vector<std::int64_t> timestamps;

  platform::SourceDevice::Callbacks Make() {
    platform::SourceDevice::Callbacks c;
    c.frame = [this](const platform::SourceFrame& f) {
      if (lost) ++framesAfterLost;
      std::lock_guard lock(mutex);
      sizes.push_back(f.size);
      firstBytes.push_back(f.size ? f.data[0] : 0);
      timestamps.push_back(f.timestamp100ns);
      ++frames;
    };
    c.still = [this] { ++stills; };
    c.lost = [this] { ++lost; };
    return c;
  }
};

}  // namespace fakev4l2
