#include "platform/graph/v4l2/exposure_units.h"

#include <algorithm>
#include <cmath>

namespace platform::v4l2 {
namespace {
constexpr double kUnitsPerSecond = 10000.0;
constexpr long kMinLog2 = -20;
constexpr long kMaxLog2 = 17;
}  // namespace

long ExposureLog2FromUnits(long units) {
  const double seconds = static_cast<double>(std::max(units, 1L)) / kUnitsPerSecond;
  return std::lround(std::log2(seconds));
}

long ExposureUnitsFromLog2(long log2Seconds) {
  const long e = std::clamp(log2Seconds, kMinLog2, kMaxLog2);
  return std::lround(kUnitsPerSecond * std::ldexp(1.0, static_cast<int>(e)));
}

}  // namespace platform::v4l2
