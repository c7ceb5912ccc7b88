// Reads a JPEG file back with TurboJPEG, for the snapshot tests.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

struct Jpeg {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // red, green, blue; top row first
};

// The decoded picture, or nothing when the file is missing or not a whole JPEG.
std::optional<Jpeg> DecodeJpeg(const QString& path);

}  // namespace testsupport
