// The accurate integer inverse DCT of JPEG decoders (the Loeffler, Ligtenberg and
// Moschytz factorisation with 13-bit constants, as the reference decoder and
// libjpeg's default method compute it, keeping 16 bits between the two passes), for
// 8 × 8 blocks of dequantised coefficients in row-major order. Each adds the level
// shift of 128 and writes eight rows of eight clamped samples, `stride` bytes apart
// (negative to go upwards).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

void InverseDct8x8(const std::int16_t* coefficients, std::uint8_t* out, std::ptrdiff_t stride);
// The same in plain C++, for processors without SSE2; the vector code computes
// exactly this.
void InverseDct8x8Plain(const std::int16_t* coefficients, std::uint8_t* out, std::ptrdiff_t stride);

// Two blocks at once: with AVX2 in the time of one.
using InverseDctPair = void (*)(const std::int16_t* first, std::uint8_t* firstOut, std::ptrdiff_t firstStride,
                                const std::int16_t* second, std::uint8_t* secondOut, std::ptrdiff_t secondStride);
// The fastest the processor runs.
InverseDctPair SelectInverseDctPair();

// A block whose only coefficient is its DC term: the same samples as the full
// transform, all alike.
void InverseDctDcOnly(std::int16_t dc, std::uint8_t* out, std::ptrdiff_t stride);

}  // namespace platform
