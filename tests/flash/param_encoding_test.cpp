#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "flash/param_encoding.h"

namespace {

using Bytes3 = std::array<std::uint8_t, 3>;
using Bytes2 = std::array<std::uint8_t, 2>;

TEST(ParamEncoding, DecimalTripleKeepsHundredthsAndTheTenthsDigitOfTheSinglePrecisionProduct) {
  EXPECT_EQ(flash::DecimalBytes(1.5f), (Bytes3{0x00, 0x96, 0}));
  EXPECT_FLOAT_EQ(flash::UnsignedDecimalValue(0x00, 0x96, 0), 1.5f);
  EXPECT_EQ(flash::DecimalBytes(1.234f), (Bytes3{0x00, 0x7B, 4}));
  EXPECT_EQ(flash::UnsignedDecimalValue(0x00, 0x7B, 4), 1.234f);
}

TEST(ParamEncoding, SignedDecimalTripleStoresNegativesInTwosComplementAndLosesTheSignBelowOneHundredth) {
  EXPECT_EQ(flash::DecimalBytes(-0.25f), (Bytes3{0xFF, 0xE7, 0}));
  EXPECT_EQ(flash::SignedDecimalValue(0xFF, 0xE7, 0), -0.25f);
  EXPECT_EQ(flash::DecimalBytes(-0.123f), (Bytes3{0xFF, 0xF4, 3}));
  EXPECT_EQ(flash::SignedDecimalValue(0xFF, 0xF4, 3), -0.123f);
  EXPECT_EQ(flash::SignedDecimalValue(0x00, 0x0C, 3), 0.123f);
  // +0.003: x = 0.3, n = 0, digit 3; with v = 0 the digit counts as negative.
  EXPECT_EQ(flash::DecimalBytes(0.003f), (Bytes3{0x00, 0x00, 3}));
  EXPECT_EQ(flash::SignedDecimalValue(0x00, 0x00, 3), -0.003f);
  EXPECT_EQ(flash::DecimalBytes(-0.003f), (Bytes3{0x00, 0x00, 3}));
}

TEST(ParamEncoding, WordPairsReadBackAsSixteenBitValues) {
  EXPECT_EQ(flash::WordBytes(5120), (Bytes2{0x14, 0x00}));
  EXPECT_EQ(flash::UnsignedWordValue(0x14, 0x00), 5120);
  EXPECT_EQ(flash::UnsignedWordValue(0xFF, 0x00), 65280);
  EXPECT_EQ(flash::WordBytes(-5), (Bytes2{0xFF, 0xFB}));
  EXPECT_EQ(flash::SignedWordValue(0xFF, 0xFB), -5);
  // A positive hue above 255 is not taken for a negative one.
  EXPECT_EQ(flash::WordBytes(300), (Bytes2{0x01, 0x2C}));
  EXPECT_EQ(flash::SignedWordValue(0x01, 0x2C), 300);
  EXPECT_EQ(flash::WordBytes(-300), (Bytes2{0xFE, 0xD4}));
  EXPECT_EQ(flash::SignedWordValue(0xFE, 0xD4), -300);
  EXPECT_EQ(flash::SignedWordValue(0x7F, 0xFF), 32767);
  EXPECT_EQ(flash::SignedWordValue(0x80, 0x00), -32768);
}

TEST(ParamEncoding, BytesKeepTheirLowEightBitsAndReadBackSignedWhereTheFieldSaysSo) {
  EXPECT_EQ(flash::ByteOf(-1), 0xFF);
  EXPECT_EQ(flash::ByteOf(300), 0x2C);
  EXPECT_EQ(flash::SignedByteValue(0x7F), 127);
  EXPECT_EQ(flash::SignedByteValue(0x80), -128);
  EXPECT_EQ(flash::ExposureByteValue(0), 0);
  EXPECT_EQ(flash::ExposureByteValue(1), 1);
  EXPECT_EQ(flash::ExposureByteValue(2), -254);
  EXPECT_EQ(flash::ExposureByteValue(flash::ByteOf(-7)), -7);
  EXPECT_TRUE(flash::FlagValue(0x80));
  EXPECT_FALSE(flash::FlagValue(0x00));
}

TEST(ParamEncoding, ColourTripleIsRedGreenBlueOfTheColourReference) {
  EXPECT_EQ(flash::ColourBytes(0x00112233), (Bytes3{0x33, 0x22, 0x11}));
  EXPECT_EQ(flash::ColourValue(0x33, 0x22, 0x11), 0x00112233u);
  // The unused top byte of a reference is not stored.
  EXPECT_EQ(flash::ColourBytes(0xFF0000FF), (Bytes3{0xFF, 0x00, 0x00}));
  EXPECT_EQ(flash::ColourValue(0xFF, 0xFF, 0xFF), 0x00FFFFFFu);
}

TEST(ParamEncoding, SizeByteTruncatesTheSinglePrecisionSizeAndReadsBackAtMostAHalf) {
  EXPECT_EQ(flash::SizeByte(0.4f), 80);
  EXPECT_EQ(flash::SizeValue(80), 0.40f);
  EXPECT_EQ(flash::SizeByte(0.6f), 120);
  EXPECT_EQ(flash::SizeValue(120), 0.5f);
  // 0.45f is 0.4499999881: 89, read back 0.44.
  EXPECT_EQ(flash::SizeByte(0.45f), 89);
  EXPECT_EQ(flash::SizeValue(89), 0.44f);
  EXPECT_EQ(flash::SizeByte(0.15f), 30);
  EXPECT_EQ(flash::SizeValue(30), 0.15f);
  EXPECT_EQ(flash::SizeValue(0xFF), 0.5f);
}

}  // namespace
