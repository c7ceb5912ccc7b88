// Full-range YCbCr (JFIF's BT.601) to 24-bit BGR, one row at a time, with the
// rounding of libjpeg's own integer conversion: each colour term is rounded once,
// then added to the brightness and clamped.
#pragma once

#include <cstdint>

namespace platform {

// Converts `width` pixels. With halfChroma, one Cb and Cr sample covers two pixels
// (4:2:2 and 4:2:0); otherwise one pixel each.
using YcbcrRowToBgr = void (*)(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                               bool halfChroma, std::uint8_t* out);

// The fastest the processor runs; every choice gives the same bytes.
YcbcrRowToBgr SelectYcbcrRowToBgr();

}  // namespace platform
