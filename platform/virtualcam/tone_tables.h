// Lookup tables that turn the simulated scene into the picture the controls ask for.
//
// The scene is painted as small indices (a scene luma per pixel, a colour class per
// chroma sample); every control acts through these tables, so a control change costs
// one table rebuild and a frame costs table lookups only.
#pragma once

#include <array>
#include <cstdint>

namespace platform::vcam {

// The effective control values a picture is made with.
struct ToneSettings {
  long brightness = 0;     // -64..64, added to luma
  long contrast = 32;      // 0..95, 32 neutral
  long hue = 0;            // hundredths of a degree of chroma rotation
  long saturation = 64;    // 0..100, 64 neutral
  long sharpness = 2;      // 0..7, contrast of the fine detail
  long gamma = 100;        // 100..300, 100 neutral
  long whiteBalance = 4600;  // kelvin the camera corrects for; the scene is lit at 4600 K
  long gain = 0;           // 0..100
  long powerLine = 1;      // 0 off (mains flicker shows as rolling bands), 1 50 Hz, 2 60 Hz
  double exposure = -6.0;  // log2 seconds; -6 is neutral for the scene
};

struct ToneTables {
  // Flicker bands: the luma tables for rows lit 0 % … 25 % darker.
  static constexpr int kBands = 16;
  // Luma tables by pixel kind: 0 surround, 1 dark spoke, 2 bright spoke.
  static constexpr int kKinds = 3;
  // Chroma classes: 0..7 rings of the bright field from the centre out, 8 the surround.
  static constexpr int kRings = 8;
  static constexpr int kClasses = kRings + 1;

  // Value ranges: full (0..255, as JPEG codes them) and video (16..235, chroma 16..240,
  // as UVC cameras send YUYV).
  enum Range { kFull = 0, kVideo = 1, kRanges = 2 };

  using LumaTable = std::array<std::uint8_t, 256>;
  std::array<std::array<std::array<LumaTable, kKinds>, kBands>, kRanges> luma{};
  std::array<std::array<std::uint8_t, kKinds * kClasses>, kRanges> u{};  // index kind * kClasses + class
  std::array<std::array<std::uint8_t, kKinds * kClasses>, kRanges> v{};
  bool banding = false;  // rows use their flicker band; otherwise band 0 everywhere

  static ToneTables Build(const ToneSettings& settings);
};

// Scene luma (before the controls) of the bright field at relative radius r (0..1) and of
// the dark surround; the painter and the chroma tables agree on these.
std::uint8_t SceneFieldLuma(double r);
constexpr std::uint8_t kSceneSurroundLuma = 20;

// Full-range values in video range.
std::uint8_t VideoRangeLuma(std::uint8_t full);
std::uint8_t VideoRangeChroma(std::uint8_t full);

}  // namespace platform::vcam
