#include "flash/param_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace flash {

std::uint8_t ByteOf(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

int SignedByteValue(std::uint8_t b) { return b > 127 ? b - 256 : b; }

int ExposureByteValue(std::uint8_t b) { return b >= 2 ? b - 256 : b; }

std::uint8_t FlagByte(bool on) { return on ? 1 : 0; }

bool FlagValue(std::uint8_t b) { return b != 0; }

std::array<std::uint8_t, 3> ColourBytes(COLORREF colour) {
  return {ByteOf(static_cast<int>(colour & 0xFF)), ByteOf(static_cast<int>((colour >> 8) & 0xFF)),
          ByteOf(static_cast<int>((colour >> 16) & 0xFF))};
}

COLORREF ColourValue(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<COLORREF>(blue) * 65536u + static_cast<COLORREF>(green) * 256u + red;
}

std::uint8_t SizeByte(float size) {
  // The product is taken in double precision from the single-precision member: 0.45f is
  // 0.4499999881, which gives 89 (a single-precision product would round to 90).
  const double scaled = std::trunc(static_cast<double>(size) * 200.0);
  if (!(std::fabs(scaled) < 2147483648.0)) return 0;
  return ByteOf(static_cast<int>(scaled));
}

float SizeValue(std::uint8_t b) {
  const int steps = std::min<int>(b, 100) / 2;
  return static_cast<float>(steps) / 100.0f;
}

std::array<std::uint8_t, 2> WordBytes(int value) { return {ByteOf(value >> 8), ByteOf(value)}; }

int UnsignedWordValue(std::uint8_t high, std::uint8_t low) { return high * 256 + low; }

int SignedWordValue(std::uint8_t high, std::uint8_t low) {
  const int v = UnsignedWordValue(high, low);
  return high >= 0x80 ? v - 65536 : v;
}

std::array<std::uint8_t, 3> DecimalBytes(float f) {
  const float x = f * 100.0f;
  // Out of the int range (or not a number) the truncation gives 0, whose two low bytes
  // are those of the processor's "integer indefinite" value as well.
  const int n = std::isfinite(x) && std::fabs(x) < 2147483648.0f ? static_cast<int>(x) : 0;
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%6.1f", static_cast<double>(x));
  std::uint8_t digit = 0;
  if (length > 0 && static_cast<std::size_t>(length) < sizeof text) {
    const char last = text[length - 1];
    if (last >= '0' && last <= '9') digit = static_cast<std::uint8_t>(last - '0');
  }
  const std::array<std::uint8_t, 2> word = WordBytes(n);
  return {word[0], word[1], digit};
}

float UnsignedDecimalValue(std::uint8_t high, std::uint8_t low, std::uint8_t digit) {
  const double v = UnsignedWordValue(high, low);
  return static_cast<float>((v + digit / 10.0) / 100.0);
}

float SignedDecimalValue(std::uint8_t high, std::uint8_t low, std::uint8_t digit) {
  const double v = SignedWordValue(high, low);
  // The digit carries no sign: with v = 0 it is taken as negative, so a value below
  // 0.01 in magnitude reads back negative. Stored contents rely on it.
  return static_cast<float>((v > 0 ? v + digit / 10.0 : v - digit / 10.0) / 100.0);
}

}  // namespace flash
