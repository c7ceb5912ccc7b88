// The byte encodings of the parameter blocks in the camera's flash. Pure functions:
// what a member becomes in flash bytes, and what flash bytes read back as. Absent and
// erased bytes (failed reads, 0xFF) are the caller's business: each field has its own
// rule for them.
//
// Some read-backs are lossy on purpose and stay so, because flash contents written
// before rely on them: a byte read back signed loses -1 (0xFF is "erased"), the signed
// decimal triple loses the sign of values below 0.01 in magnitude, and the size byte
// truncates (0.45 in single precision is 89, read back 0.44).
#pragma once

#include <array>
#include <cstdint>

#include "view/view_settings.h"

namespace flash {

// Byte: the low 8 bits.
[[nodiscard]] std::uint8_t ByteOf(int value);
// A byte read back signed: above 127 minus 256.
[[nodiscard]] int SignedByteValue(std::uint8_t b);
// The exposure byte read back: 0 and 1 as they are, 2 to 255 minus 256.
[[nodiscard]] int ExposureByteValue(std::uint8_t b);

// Flag: written 1 or 0; any byte but 0 reads back true.
[[nodiscard]] std::uint8_t FlagByte(bool on);
[[nodiscard]] bool FlagValue(std::uint8_t b);

// Colour triple: red, green, blue of a colour reference 0x00BBGGRR.
[[nodiscard]] std::array<std::uint8_t, 3> ColourBytes(COLORREF colour);
[[nodiscard]] COLORREF ColourValue(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Size byte: trunc(size × 200), low 8 bits; read back as (min(b, 100) / 2) / 100, so
// in steps of 0.01 and at most 0.5.
[[nodiscard]] std::uint8_t SizeByte(float size);
[[nodiscard]] float SizeValue(std::uint8_t b);

// Word pair: high byte, low byte of the value taken as 16 bits.
[[nodiscard]] std::array<std::uint8_t, 2> WordBytes(int value);
[[nodiscard]] int UnsignedWordValue(std::uint8_t high, std::uint8_t low);
// 16-bit two's complement: a high byte from 0x80 on is negative.
[[nodiscard]] int SignedWordValue(std::uint8_t high, std::uint8_t low);

// Decimal triple of a float f: x = f × 100 in single precision, n = x truncated toward
// zero; the high and low byte of n, then the tenths digit of x as "%6.1f" prints it.
[[nodiscard]] std::array<std::uint8_t, 3> DecimalBytes(float f);
// (v + d / 10) / 100 with v the unsigned word of high and low.
[[nodiscard]] float UnsignedDecimalValue(std::uint8_t high, std::uint8_t low, std::uint8_t digit);
// v the signed word of high and low; (v + d / 10) / 100 when v > 0, else (v - d / 10) / 100.
[[nodiscard]] float SignedDecimalValue(std::uint8_t high, std::uint8_t low, std::uint8_t digit);

}  // namespace flash
