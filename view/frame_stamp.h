// What the view knows of the camera frame a picture shows: its place in the session's
// run of frames and when the camera captured it.
#pragma once

#include <cstdint>

struct FrameStamp {
  // Counts the frames the session took in, from 1; 0: the picture shows no camera frame
  // (the overlay alone before the first frame).
  std::uint64_t sequence = 0;
  // The camera's capture time in nanoseconds on the steady clock's epoch; 0 when the
  // camera did not say.
  std::int64_t captureNs = 0;
};
