// Exposure in the graph's units (log2 seconds: value e means 2^e seconds) and in
// V4L2's (V4L2_CID_EXPOSURE_ABSOLUTE counts 100 µs). The camera flash stores the log2
// form in one byte, so the conversion must round-trip the values a camera reports.
#pragma once

namespace platform::v4l2 {

// e = round(log2(units / 10000)); units below 1 count as 1.
long ExposureLog2FromUnits(long units);
// units = round(10000 × 2^e), for e within [-20, 17] (beyond that the result would
// leave the range of a 32-bit control; e is clamped to it).
long ExposureUnitsFromLog2(long log2Seconds);

}  // namespace platform::v4l2
