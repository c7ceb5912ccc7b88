// Where each member lives in the camera's flash: the default block at 0x1C00 (read
// only), the marker, and the saved block at 0x1D00. A multi-byte field starts at its
// address and takes the bytes after it. The gaps (0x1C18–0x1C1F, 0x1D17–0x1D1F, 0x1D22,
// 0x1D24, 0x1D26, 0x1D29, 0x1D2C, 0x1D2F) are not used.
#pragma once

#include <cstdint>

namespace flash::layout {

namespace defaults {
constexpr std::uint32_t kFormatIndex = 0x1C00;
constexpr std::uint32_t kZoom = 0x1C01;  // decimal triple
constexpr std::uint32_t kMaskSize = 0x1C04;
constexpr std::uint32_t kMaskColour = 0x1C05;  // red, green, blue
constexpr std::uint32_t kMaskOn = 0x1C08;
constexpr std::uint32_t kCrossSize = 0x1C09;
constexpr std::uint32_t kCrossColour = 0x1C0A;
constexpr std::uint32_t kCrossOn = 0x1C0D;
constexpr std::uint32_t kPanOffsetX = 0x1C0E;
constexpr std::uint32_t kPanOffsetY = 0x1C11;
constexpr std::uint32_t kPanZoom = 0x1C14;
constexpr std::uint32_t kFormatMjpg = 0x1C20;
}  // namespace defaults

// 1: the saved block is valid and takes precedence over the default block.
constexpr std::uint32_t kMarker = 0x1C17;
constexpr std::uint8_t kMarkerValid = 1;

namespace saved {
constexpr std::uint32_t kFormatIndex = 0x1D00;
constexpr std::uint32_t kZoom = 0x1D01;
constexpr std::uint32_t kMaskSize = 0x1D04;
constexpr std::uint32_t kMaskColour = 0x1D05;
constexpr std::uint32_t kMaskOn = 0x1D08;
constexpr std::uint32_t kCrossSize = 0x1D09;
constexpr std::uint32_t kCrossColour = 0x1D0A;
constexpr std::uint32_t kCrossOn = 0x1D0D;
constexpr std::uint32_t kPanOffsetX = 0x1D0E;
constexpr std::uint32_t kPanOffsetY = 0x1D11;
constexpr std::uint32_t kPanZoom = 0x1D14;
constexpr std::uint32_t kFormatMjpg = 0x1D20;
constexpr std::uint32_t kBrightness = 0x1D21;
constexpr std::uint32_t kContrast = 0x1D23;
constexpr std::uint32_t kSaturation = 0x1D25;
constexpr std::uint32_t kHue = 0x1D27;  // word pair
constexpr std::uint32_t kPowerLineFreq = 0x1D2A;
constexpr std::uint32_t kSharpness = 0x1D2B;
constexpr std::uint32_t kGamma = 0x1D2D;         // word pair
constexpr std::uint32_t kWhiteBalance = 0x1D30;  // word pair
constexpr std::uint32_t kWhiteBalanceAuto = 0x1D32;
constexpr std::uint32_t kExposure = 0x1D33;
constexpr std::uint32_t kExposureAuto = 0x1D34;
constexpr std::uint32_t kGain = 0x1D35;
constexpr std::uint32_t kGainAuto = 0x1D36;
}  // namespace saved

}  // namespace flash::layout
