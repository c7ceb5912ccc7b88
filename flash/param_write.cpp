// Writing the saved block: the close-time subset, the whole block, the Save command's
// marker around it, and the Restore command's marker.
#include <array>
#include <cstdint>

#include "flash/block_layout.h"
#include "flash/camera_access.h"
#include "flash/flash_access.h"
#include "flash/param_encoding.h"
#include "flash/param_store.h"
#include "outside/acam.h"

namespace {

// Brightness, contrast, saturation and hue from the camera, in the order both writes
// read them.
void GetBasicFromCamera(IAMVideoProcAmp& amp, CameraParams& c) {
  flash::GetProcAmp(amp, VideoProcAmp_Brightness, c.m_nBrightness);
  flash::GetProcAmp(amp, VideoProcAmp_Contrast, c.m_nContrast);
  flash::GetProcAmp(amp, VideoProcAmp_Saturation, c.m_nSaturation);
  flash::GetProcAmp(amp, VideoProcAmp_Hue, c.m_nHue);
}

using flash::FlashWriter;
namespace saved = flash::layout::saved;

// The zoom a Save stores, 1.00, whatever the current zoom.
constexpr std::array<std::uint8_t, 3> kSavedZoom{0x00, 0x64, 0x00};

void DeclareFlashSize() {
  // Its answer is not needed: a size the store refuses shows in the writes that follow.
  (void)ALC_SetFlashSize(flash::kFlashSize);
}

// The whole saved block in its own bracket, the camera parameters refreshed from the
// camera between the view part and the camera part.
void WriteSavedBlock(const FlashParams& p, const CameraProperties& camera, FlashWriter& out) {
  const flash::AlcBracket bracket;
  DeclareFlashSize();

  out.Write(saved::kFormatMjpg, flash::FlagByte(p.formatMjpg));
  out.Write(saved::kFormatIndex, flash::ByteOf(p.formatIndex));
  out.Write(saved::kZoom, kSavedZoom);
  out.Write(saved::kMaskSize, flash::SizeByte(p.overlay.m_fMaskSize));
  out.Write(saved::kMaskColour, flash::ColourBytes(p.overlay.m_clrMask));
  out.Write(saved::kMaskOn, flash::FlagByte(p.overlay.m_bMaskOn));
  out.Write(saved::kCrossSize, flash::SizeByte(p.overlay.m_fCrossSize));
  out.Write(saved::kCrossColour, flash::ColourBytes(p.overlay.m_clrCross));
  out.Write(saved::kCrossOn, flash::FlagByte(p.overlay.m_bCrossOn));
  out.Write(saved::kPanZoom, flash::DecimalBytes(p.view.m_fPanZoom));
  out.Write(saved::kPanOffsetX, flash::DecimalBytes(p.view.m_fPanOffsetX));
  out.Write(saved::kPanOffsetY, flash::DecimalBytes(p.view.m_fPanOffsetY));

  CameraParams& c = p.camera;
  if (camera.procAmp) {
    IAMVideoProcAmp& amp = *camera.procAmp;
    GetBasicFromCamera(amp, c);
    flash::GetProcAmp(amp, VideoProcAmp_Gamma, c.m_nGamma);
    flash::GetProcAmp(amp, VideoProcAmp_Sharpness, c.m_nSharpness);
    flash::GetProcAmp(amp, VideoProcAmp_Gain, c.m_nGain, c.m_bGainAuto);
    flash::GetProcAmp(amp, VideoProcAmp_WhiteBalance, c.m_nWhiteBalance, c.m_bWhiteBalanceAuto);
  }
  if (camera.cameraControl) flash::GetExposure(*camera.cameraControl, c.m_nExposure, c.m_bExposureAuto);

  out.Write(saved::kBrightness, flash::ByteOf(c.m_nBrightness));
  out.Write(saved::kContrast, flash::ByteOf(c.m_nContrast));
  out.Write(saved::kSaturation, flash::ByteOf(c.m_nSaturation));
  out.Write(saved::kPowerLineFreq, flash::ByteOf(c.m_nPowerLineFreq));
  out.Write(saved::kHue, flash::WordBytes(c.m_nHue));
  out.Write(saved::kSharpness, flash::ByteOf(c.m_nSharpness));
  out.Write(saved::kGamma, flash::WordBytes(c.m_nGamma));
  out.Write(saved::kWhiteBalance, flash::WordBytes(c.m_nWhiteBalance));
  out.Write(saved::kWhiteBalanceAuto, flash::FlagByte(c.m_bWhiteBalanceAuto));
  out.Write(saved::kExposure, flash::ByteOf(c.m_nExposure));
  out.Write(saved::kExposureAuto, flash::FlagByte(c.m_bExposureAuto));
  out.Write(saved::kGain, flash::ByteOf(c.m_nGain));
  out.Write(saved::kGainAuto, flash::FlagByte(c.m_bGainAuto));
}

}  // namespace

bool WriteBasicParams(const FlashParams& params, const CameraProperties& camera) {
  CameraParams& c = params.camera;
  if (camera.procAmp) GetBasicFromCamera(*camera.procAmp, c);
  // The marker is not touched: these bytes only count at the next graph build when a
  // Save has set it before.
  FlashWriter out;
  {
    const flash::AlcBracket bracket;
    DeclareFlashSize();
    out.Write(saved::kFormatMjpg, flash::FlagByte(params.formatMjpg));
    out.Write(saved::kFormatIndex, flash::ByteOf(params.formatIndex));
    out.Write(saved::kBrightness, flash::ByteOf(c.m_nBrightness));
    out.Write(saved::kContrast, flash::ByteOf(c.m_nContrast));
    out.Write(saved::kSaturation, flash::ByteOf(c.m_nSaturation));
    out.Write(saved::kPowerLineFreq, flash::ByteOf(c.m_nPowerLineFreq));
    out.Write(saved::kZoom, flash::DecimalBytes(params.view.m_fZoom));
    out.Write(saved::kHue, flash::WordBytes(c.m_nHue));
  }
  return flash::VerifyStored(out, "the close-time parameters");
}

bool WriteAllParams(const FlashParams& params, const CameraProperties& camera) {
  FlashWriter out;
  WriteSavedBlock(params, camera, out);
  return flash::VerifyStored(out, "the saved parameters");
}

bool SaveAllParams(const FlashParams& params, const CameraProperties& camera) {
  FlashWriter out;
  {
    const flash::AlcBracket bracket;
    DeclareFlashSize();
    out.Write(flash::layout::kMarker, flash::layout::kMarkerValid);
    WriteSavedBlock(params, camera, out);
  }
  // Checked once the outermost bracket has closed, when the store holds what it keeps.
  return flash::VerifyStored(out, "the saved parameters");
}

bool ClearSavedBlockMarker() {
  FlashWriter out;
  {
    const flash::AlcBracket bracket;
    DeclareFlashSize();
    out.Write(flash::layout::kMarker, 0);
  }
  return flash::VerifyStored(out, "the cleared saved-block marker");
}
