// Row helpers of the view transform for 24-bit BGR pixels.
#pragma once

#include <cstdint>

// dst pixel k becomes src pixel n − 1 − k, for k = 0 … n − 1 (three bytes kept in
// order). Reads exactly the n source pixels and writes exactly the n destination ones;
// the two may not overlap.
void ReversePixels(const std::uint8_t* src, int n, std::uint8_t* dst);
