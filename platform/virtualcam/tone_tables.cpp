#include "tone_tables.h"

#include <algorithm>
#include <cmath>

namespace platform::vcam {

namespace {

struct Chroma {
  double u;
  double v;
};

// Scene colours: a warm field whose tint fades towards its rim, dark spokes a little
// warmer and bright spokes a little cooler, and a faintly blue surround.
Chroma SceneChroma(int kind, int cls) {
  if (cls == ToneTables::kRings) return {6.0, -3.0};
  const double rim = (cls + 0.5) / ToneTables::kRings;
  Chroma c{-14.0 + 8.0 * rim, 20.0 - 10.0 * rim};
  if (kind == 1) {
    c.u -= 6.0;
    c.v += 6.0;
  } else if (kind == 2) {
    c.u += 10.0;
    c.v -= 8.0;
  }
  return c;
}

// Detail contrast of the moving spokes, in scene luma steps.
int DetailAmplitude(long sharpness) { return 4 + 4 * static_cast<int>(std::clamp(sharpness, 0L, 7L)); }

class ToneCurve {
 public:
  explicit ToneCurve(const ToneSettings& s)
      : m_light(std::exp2(s.exposure + 6.0) * std::exp2(std::clamp(s.gain, 0L, 100L) / 50.0)),
        m_gammaPower(100.0 / std::clamp(s.gamma, 100L, 300L)),
        m_contrast(std::clamp(s.contrast, 0L, 95L) / 32.0),
        m_brightness(static_cast<double>(std::clamp(s.brightness, -64L, 64L))) {}

  // Output luma (0..255, full range) of scene luma s under a light factor (flicker).
  double operator()(double s, double flicker) const {
    const double light = std::clamp(s / 255.0 * m_light * flicker, 0.0, 1.0);
    const double y = std::pow(light, m_gammaPower) * 255.0;
    return std::clamp((y - 128.0) * m_contrast + 128.0 + m_brightness, 0.0, 255.0);
  }

 private:
  double m_light;
  double m_gammaPower;
  double m_contrast;
  double m_brightness;
};

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

}  // namespace

std::uint8_t VideoRangeLuma(std::uint8_t full) { return static_cast<std::uint8_t>(16 + (full * 219 + 127) / 255); }
std::uint8_t VideoRangeChroma(std::uint8_t full) { return static_cast<std::uint8_t>(16 + (full * 224 + 127) / 255); }

std::uint8_t SceneFieldLuma(double r) {
  const double rr = std::clamp(r, 0.0, 1.0);
  return ToByte(200.0 - 36.0 * rr * rr);
}

ToneTables ToneTables::Build(const ToneSettings& s) {
  ToneTables t;
  const ToneCurve curve(s);
  const int detail = DetailAmplitude(s.sharpness);
  t.banding = s.powerLine == 0;

  for (int band = 0; band < kBands; ++band) {
    const double flicker = 1.0 - 0.25 * band / (kBands - 1);
    for (int kind = 0; kind < kKinds; ++kind) {
      const int offset = kind == 1 ? -detail : kind == 2 ? detail : 0;
      for (int scene = 0; scene < 256; ++scene) {
        const std::uint8_t full = ToByte(curve(std::clamp(scene + offset, 0, 255), flicker));
        t.luma[kFull][band][kind][scene] = full;
        t.luma[kVideo][band][kind][scene] = VideoRangeLuma(full);
      }
    }
  }

  // Chroma follows white balance (warmer above the scene's 4600 K), hue rotation and
  // saturation, and fades with the light so an underexposed picture is not a colour wash.
  const double warm = (std::clamp(s.whiteBalance, 2800L, 6500L) - 4600) / 1000.0;
  const double angle = std::clamp(s.hue, -2000L, 2000L) / 100.0 * M_PI / 180.0;
  const double cosA = std::cos(angle);
  const double sinA = std::sin(angle);
  const double saturation = std::clamp(s.saturation, 0L, 100L) / 64.0;
  for (int kind = 0; kind < kKinds; ++kind) {
    for (int cls = 0; cls < kClasses; ++cls) {
      const double sceneLuma =
          cls == kRings ? kSceneSurroundLuma : SceneFieldLuma((cls + 0.5) / kRings);
      const double fade = std::clamp(curve(sceneLuma, 1.0) / sceneLuma, 0.0, 1.25);
      Chroma c = SceneChroma(kind, cls);
      c.u -= 14.0 * warm;
      c.v += 14.0 * warm;
      const double u = (c.u * cosA - c.v * sinA) * saturation * fade;
      const double v = (c.u * sinA + c.v * cosA) * saturation * fade;
      const int i = kind * kClasses + cls;
      t.u[kFull][i] = ToByte(128.0 + std::clamp(u, -127.0, 127.0));
      t.v[kFull][i] = ToByte(128.0 + std::clamp(v, -127.0, 127.0));
      t.u[kVideo][i] = VideoRangeChroma(t.u[kFull][i]);
      t.v[kVideo][i] = VideoRangeChroma(t.v[kFull][i]);
    }
  }
  return t;
}

}  // namespace platform::vcam
