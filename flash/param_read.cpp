// Reading both parameter blocks at a graph build, and the camera's parameters pushed or
// taken.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "flash/block_layout.h"
#include "flash/camera_access.h"
#include "flash/flash_access.h"
#include "flash/param_encoding.h"
#include "flash/param_store.h"

namespace {

using flash::ReadFlashByte;
using flash::ReadFlashBytes;
namespace defaults = flash::layout::defaults;
namespace saved = flash::layout::saved;

using Byte = std::optional<std::uint8_t>;
using Triple = std::array<Byte, 3>;

constexpr std::uint8_t kErased = 0xFF;

bool IsErased(const Byte& b) { return b == kErased; }
// A failed read counts as 0.
std::uint8_t Or0(const Byte& b) { return b.value_or(0); }
// Erased or failed counts as 0.
std::uint8_t PresentOr0(const Byte& b) { return IsErased(b) ? 0 : Or0(b); }
bool AllErased(const Triple& t) { return IsErased(t[0]) && IsErased(t[1]) && IsErased(t[2]); }

constexpr float kMinMaskSize = 0.25f;
constexpr float kMinCrossSize = 0.15f;
constexpr float kUnreadMaskSize = 0.5f;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = 0x0000FF;
constexpr int k50Hz = 1;

// Zoom and pan magnification outside 1.0 … 4.0 are no magnification.
float MagnificationOr1(float f) { return f < 1.0f || f > 4.0f ? 1.0f : f; }

// An unsigned decimal triple read as a magnification: 1.0 without its digit.
float Magnification(const Triple& t) {
  if (!t[2]) return 1.0f;
  return MagnificationOr1(flash::UnsignedDecimalValue(Or0(t[0]), Or0(t[1]), *t[2]));
}

// The default block, 0x1C00 to 0x1C16 in address order, then 0x1C20.
void ReadDefaultBlock(const FlashParams& p) {
  const Byte format = ReadFlashByte(defaults::kFormatIndex);
  p.formatIndex = PresentOr0(format);

  const Triple zoom = ReadFlashBytes<3>(defaults::kZoom);
  p.view.m_fZoom = IsErased(zoom[0]) ? 1.0f : Magnification(zoom);

  const Byte maskSize = ReadFlashByte(defaults::kMaskSize);
  p.overlay.m_fMaskSize = maskSize ? std::max(flash::SizeValue(*maskSize), kMinMaskSize) : kUnreadMaskSize;

  const Triple mask = ReadFlashBytes<3>(defaults::kMaskColour);
  p.overlay.m_clrMask = AllErased(mask) ? kBlack : flash::ColourValue(Or0(mask[0]), Or0(mask[1]), Or0(mask[2]));

  const Byte maskOn = ReadFlashByte(defaults::kMaskOn);
  p.overlay.m_bMaskOn = !maskOn || IsErased(maskOn) || flash::FlagValue(*maskOn);

  const Byte crossSize = ReadFlashByte(defaults::kCrossSize);
  p.overlay.m_fCrossSize =
      !crossSize || IsErased(crossSize) ? kMinCrossSize : std::max(flash::SizeValue(*crossSize), kMinCrossSize);

  // An unread red counts as full red; all three erased is white, as the bytes say.
  const Triple cross = ReadFlashBytes<3>(defaults::kCrossColour);
  p.overlay.m_clrCross = flash::ColourValue(cross[0].value_or(0xFF), Or0(cross[1]), Or0(cross[2]));

  const Byte crossOn = ReadFlashByte(defaults::kCrossOn);
  p.overlay.m_bCrossOn = !crossOn || IsErased(crossOn) || flash::FlagValue(*crossOn);

  // The default block holds no negative offsets: an erased byte is 0, the high byte too.
  const Triple x = ReadFlashBytes<3>(defaults::kPanOffsetX);
  p.view.m_fPanOffsetX = flash::SignedDecimalValue(PresentOr0(x[0]), PresentOr0(x[1]), PresentOr0(x[2]));
  const Triple y = ReadFlashBytes<3>(defaults::kPanOffsetY);
  p.view.m_fPanOffsetY = flash::SignedDecimalValue(PresentOr0(y[0]), PresentOr0(y[1]), PresentOr0(y[2]));

  p.view.m_fPanZoom = Magnification(ReadFlashBytes<3>(defaults::kPanZoom));

  const Byte mjpg = ReadFlashByte(defaults::kFormatMjpg);
  p.formatMjpg = mjpg && !IsErased(mjpg) && flash::FlagValue(*mjpg);
}

// A signed decimal triple of the saved block: 0.0 without its digit; a high byte of
// 0xFF is a negative value.
float SavedOffset(const Triple& t) {
  if (!t[2]) return 0.0f;
  return flash::SignedDecimalValue(Or0(t[0]), Or0(t[1]), *t[2]);
}

// The saved block, in the order its fields are read: the view part, the camera part,
// and the zoom last. Every value replaces the default block's.
void ReadSavedBlock(const FlashParams& p) {
  const Byte maskSize = ReadFlashByte(saved::kMaskSize);
  p.overlay.m_fMaskSize = maskSize ? std::max(flash::SizeValue(*maskSize), kMinMaskSize) : kUnreadMaskSize;

  const Triple mask = ReadFlashBytes<3>(saved::kMaskColour);
  p.overlay.m_clrMask =
      !mask[2] || AllErased(mask) ? kBlack : flash::ColourValue(Or0(mask[0]), Or0(mask[1]), *mask[2]);

  const Byte maskOn = ReadFlashByte(saved::kMaskOn);
  p.overlay.m_bMaskOn = !maskOn || IsErased(maskOn) || flash::FlagValue(*maskOn);

  const Byte crossSize = ReadFlashByte(saved::kCrossSize);
  p.overlay.m_fCrossSize = crossSize ? std::max(flash::SizeValue(*crossSize), kMinCrossSize) : kMinCrossSize;

  const Triple cross = ReadFlashBytes<3>(saved::kCrossColour);
  if (!cross[2]) {
    p.overlay.m_clrCross = kRed;
  } else {
    p.overlay.m_clrCross = AllErased(cross) ? kBlack : flash::ColourValue(Or0(cross[0]), Or0(cross[1]), *cross[2]);
  }

  const Byte crossOn = ReadFlashByte(saved::kCrossOn);
  p.overlay.m_bCrossOn = !crossOn || IsErased(crossOn) || flash::FlagValue(*crossOn);

  p.view.m_fPanOffsetX = SavedOffset(ReadFlashBytes<3>(saved::kPanOffsetX));
  p.view.m_fPanOffsetY = SavedOffset(ReadFlashBytes<3>(saved::kPanOffsetY));
  p.view.m_fPanZoom = Magnification(ReadFlashBytes<3>(saved::kPanZoom));

  const Byte mjpg = ReadFlashByte(saved::kFormatMjpg);
  p.formatMjpg = !IsErased(mjpg) && flash::FlagValue(Or0(mjpg));
  p.formatIndex = PresentOr0(ReadFlashByte(saved::kFormatIndex));

  CameraParams& c = p.camera;
  // Erased reads 0: a brightness or exposure of -1 (stored 0xFF) comes back as 0.
  c.m_nBrightness = flash::SignedByteValue(PresentOr0(ReadFlashByte(saved::kBrightness)));
  c.m_nContrast = Or0(ReadFlashByte(saved::kContrast));
  c.m_nSaturation = Or0(ReadFlashByte(saved::kSaturation));
  c.m_nSharpness = PresentOr0(ReadFlashByte(saved::kSharpness));

  const std::array<Byte, 2> hue = ReadFlashBytes<2>(saved::kHue);
  c.m_nHue = hue[1] ? flash::SignedWordValue(Or0(hue[0]), *hue[1]) : 0;
  // Gamma alone takes an erased high byte as absent.
  const std::array<Byte, 2> gamma = ReadFlashBytes<2>(saved::kGamma);
  c.m_nGamma = gamma[1] && !IsErased(gamma[0]) ? flash::UnsignedWordValue(Or0(gamma[0]), *gamma[1]) : 0;
  const std::array<Byte, 2> whiteBalance = ReadFlashBytes<2>(saved::kWhiteBalance);
  c.m_nWhiteBalance = whiteBalance[1] ? flash::UnsignedWordValue(Or0(whiteBalance[0]), *whiteBalance[1]) : 0;
  c.m_bWhiteBalanceAuto = flash::FlagValue(PresentOr0(ReadFlashByte(saved::kWhiteBalanceAuto)));

  const Byte powerLine = ReadFlashByte(saved::kPowerLineFreq);
  c.m_nPowerLineFreq = !powerLine || IsErased(powerLine) ? k50Hz : *powerLine;

  c.m_nExposure = flash::ExposureByteValue(PresentOr0(ReadFlashByte(saved::kExposure)));
  c.m_bExposureAuto = flash::FlagValue(PresentOr0(ReadFlashByte(saved::kExposureAuto)));
  c.m_nGain = PresentOr0(ReadFlashByte(saved::kGain));
  c.m_bGainAuto = flash::FlagValue(PresentOr0(ReadFlashByte(saved::kGainAuto)));

  p.view.m_fZoom = Magnification(ReadFlashBytes<3>(saved::kZoom));
}

// The saved camera parameters to the camera, each interface the source offers in turn.
void PushToCamera(const CameraParams& c, const CameraProperties& camera) {
  if (camera.procAmp) {
    IAMVideoProcAmp& amp = *camera.procAmp;
    flash::SetProcAmp(amp, VideoProcAmp_Brightness, c.m_nBrightness);
    flash::SetProcAmp(amp, VideoProcAmp_Contrast, c.m_nContrast);
    flash::SetProcAmp(amp, VideoProcAmp_Saturation, c.m_nSaturation);
    flash::SetProcAmp(amp, VideoProcAmp_Hue, c.m_nHue);
    flash::SetProcAmp(amp, VideoProcAmp_Sharpness, c.m_nSharpness);
    flash::SetProcAmp(amp, VideoProcAmp_Gamma, c.m_nGamma);
    flash::SetProcAmp(amp, VideoProcAmp_Gain, c.m_nGain, c.m_bGainAuto);
    flash::SetProcAmp(amp, VideoProcAmp_WhiteBalance, c.m_nWhiteBalance, c.m_bWhiteBalanceAuto);
  }
  if (camera.cameraControl) flash::SetExposure(*camera.cameraControl, c.m_nExposure, c.m_bExposureAuto);
  if (camera.ksProperties) flash::SetPowerLine(*camera.ksProperties, c.m_nPowerLineFreq);
}

// The camera's current parameters into the members.
void TakeFromCamera(CameraParams& c, const CameraProperties& camera) {
  if (camera.procAmp) {
    IAMVideoProcAmp& amp = *camera.procAmp;
    flash::GetProcAmp(amp, VideoProcAmp_Brightness, c.m_nBrightness);
    flash::GetProcAmp(amp, VideoProcAmp_Contrast, c.m_nContrast);
    flash::GetProcAmp(amp, VideoProcAmp_Saturation, c.m_nSaturation);
    flash::GetProcAmp(amp, VideoProcAmp_Hue, c.m_nHue);
    flash::GetProcAmp(amp, VideoProcAmp_Gain, c.m_nGain, c.m_bGainAuto);
    flash::GetProcAmp(amp, VideoProcAmp_Gamma, c.m_nGamma);
    flash::GetProcAmp(amp, VideoProcAmp_Sharpness, c.m_nSharpness);
    flash::GetProcAmp(amp, VideoProcAmp_WhiteBalance, c.m_nWhiteBalance, c.m_bWhiteBalanceAuto);
  }
  if (camera.cameraControl) flash::GetExposure(*camera.cameraControl, c.m_nExposure, c.m_bExposureAuto);
  if (camera.ksProperties) c.m_nPowerLineFreq = flash::GetPowerLine(*camera.ksProperties);
}

}  // namespace

void ReadCameraParams(const FlashParams& params, const CameraProperties& camera, bool serviceMode) {
  const flash::AlcBracket bracket;
  const bool savedBlockValid = ReadFlashByte(flash::layout::kMarker) == flash::layout::kMarkerValid;
  ReadDefaultBlock(params);
  if (savedBlockValid) {
    ReadSavedBlock(params);
    PushToCamera(params.camera, camera);
  } else {
    TakeFromCamera(params.camera, camera);
  }
  // A user outside service mode starts without the crosshair and with the mask,
  // whatever the flash says.
  if (!serviceMode) {
    params.overlay.m_bCrossOn = false;
    params.overlay.m_bMaskOn = true;
  }
}
