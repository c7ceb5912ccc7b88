// The parameter blocks read from a camera flash holding any bytes, some of its reads
// failing, with or without each of the camera's property interfaces: every member
// comes back within the range its encoding allows, only the two blocks are read, every
// bracket is closed, and the same flash reads the same way twice.
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>

#include "flash/block_layout.h"
#include "flash/param_store.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "outside/alc_backend.h"
#include "platform/graph/interfaces.h"

namespace {

constexpr std::uint32_t kFlashSize = 8192;
// The default block, the marker and the saved block lie in 0x1C00 … 0x1DFF; the input
// fills the flash from there, and the rest stays erased.
constexpr std::uint32_t kBlocksStart = 0x1C00;
constexpr std::uint32_t kBlocksEnd = 0x1E00;

class InputFlash : public alc::Backend {
 public:
  void Open() override { ++depth; }
  void Close() override { --depth; }
  bool GetPidVid(std::uint16_t&, std::uint16_t&) override { return false; }
  bool ReadFlash(std::uint32_t address, std::uint8_t& value) override {
    FUZZ_CHECK(depth > 0);
    FUZZ_CHECK(address >= kBlocksStart && address < kBlocksEnd);
    if (Fails(address)) return false;
    value = image[address];
    return true;
  }
  bool WriteFlash(std::uint32_t, std::uint8_t) override {
    FUZZ_CHECK(!"reading the parameters writes nothing");
    return false;
  }
  bool SetFlashSize(std::uint32_t) override { return true; }
  bool Fails(std::uint32_t address) const { return failEvery != 0 && address % failEvery == failAt; }

  std::array<std::uint8_t, kFlashSize> image{};
  std::uint32_t failEvery = 0;  // 0: no read fails
  std::uint32_t failAt = 0;
  int depth = 0;
};

// Properties that answer every Get with the input's value and take every Set.
template <class Interface>
class Properties : public Interface {
 public:
  HRESULT GetRange(long, long*, long*, long*, long*, long*) override { return E_NOTIMPL; }
  HRESULT Set(long property, long value, long) override {
    set[property] = value;
    return S_OK;
  }
  HRESULT Get(long, long* value, long* flags) override {
    *value = answer;
    *flags = 1 + (answer & 1);
    return S_OK;
  }
  long answer = 0;
  std::map<long, long> set;
};

class PowerLine : public IKsPropertySet {
 public:
  HRESULT Set(const GUID&, std::uint32_t, const void*, std::uint32_t, const void*, std::uint32_t) override {
    return S_OK;
  }
  HRESULT Get(const GUID&, std::uint32_t, const void*, std::uint32_t, void* data, std::uint32_t,
              std::uint32_t*) override {
    static_cast<KSPROPERTY_VIDEOPROCAMP_S*>(data)->Value = answer;
    return S_OK;
  }
  std::int32_t answer = 0;
};

struct Members {
  int formatIndex = -1;
  bool formatMjpg = false;
  ViewSettings view;
  OverlaySettings overlay;
  CameraParams camera;
};

bool Within(float v, float low, float high) { return std::isfinite(v) && v >= low && v <= high; }
bool Within(int v, int low, int high) { return v >= low && v <= high; }

void CheckRanges(const Members& m, bool savedBlockRules) {
  FUZZ_CHECK(Within(m.formatIndex, 0, 255));
  FUZZ_CHECK(Within(m.view.m_fZoom.load(), 1.0f, 4.0f));
  FUZZ_CHECK(Within(m.view.m_fPanZoom.load(), 1.0f, 4.0f));
  // A signed decimal triple: a 16-bit word and a tenth, in hundredths.
  FUZZ_CHECK(Within(m.view.m_fPanOffsetX.load(), -328.0f, 328.0f));
  FUZZ_CHECK(Within(m.view.m_fPanOffsetY.load(), -328.0f, 328.0f));
  FUZZ_CHECK(Within(m.overlay.m_fMaskSize, 0.25f, 0.5f));
  FUZZ_CHECK(Within(m.overlay.m_fCrossSize, 0.15f, 0.5f));
  FUZZ_CHECK(m.overlay.m_clrMask <= 0xFFFFFFu && m.overlay.m_clrCross <= 0xFFFFFFu);
  if (!savedBlockRules) return;  // the camera's own values, whatever they are
  const CameraParams& c = m.camera;
  FUZZ_CHECK(Within(c.m_nBrightness, -128, 127));
  FUZZ_CHECK(Within(c.m_nContrast, 0, 255) && Within(c.m_nSaturation, 0, 255));
  FUZZ_CHECK(Within(c.m_nSharpness, 0, 255) && Within(c.m_nGain, 0, 255));
  FUZZ_CHECK(Within(c.m_nHue, -32768, 32767));
  FUZZ_CHECK(Within(c.m_nGamma, 0, 65535) && Within(c.m_nWhiteBalance, 0, 65535));
  FUZZ_CHECK(Within(c.m_nExposure, -254, 1));
  FUZZ_CHECK(Within(c.m_nPowerLineFreq, 0, 255));
}

bool SameMembers(const Members& a, const Members& b) {
  auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  const CameraParams& c = a.camera;
  const CameraParams& d = b.camera;
  return a.formatIndex == b.formatIndex && a.formatMjpg == b.formatMjpg &&
         same(a.view.m_fZoom, b.view.m_fZoom) && same(a.view.m_fPanZoom, b.view.m_fPanZoom) &&
         same(a.view.m_fPanOffsetX, b.view.m_fPanOffsetX) && same(a.view.m_fPanOffsetY, b.view.m_fPanOffsetY) &&
         a.overlay.m_bMaskOn == b.overlay.m_bMaskOn && a.overlay.m_clrMask == b.overlay.m_clrMask &&
         same(a.overlay.m_fMaskSize, b.overlay.m_fMaskSize) && a.overlay.m_bCrossOn == b.overlay.m_bCrossOn &&
         a.overlay.m_clrCross == b.overlay.m_clrCross && same(a.overlay.m_fCrossSize, b.overlay.m_fCrossSize) &&
         c.m_nBrightness == d.m_nBrightness && c.m_nContrast == d.m_nContrast &&
         c.m_nSaturation == d.m_nSaturation && c.m_nHue == d.m_nHue && c.m_nGamma == d.m_nGamma &&
         c.m_nSharpness == d.m_nSharpness && c.m_nWhiteBalance == d.m_nWhiteBalance &&
         c.m_nExposure == d.m_nExposure && c.m_nGain == d.m_nGain &&
         c.m_bWhiteBalanceAuto == d.m_bWhiteBalanceAuto && c.m_bExposureAuto == d.m_bExposureAuto &&
         c.m_bGainAuto == d.m_bGainAuto && c.m_nPowerLineFreq == d.m_nPowerLineFreq;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t flags = input.Byte();
  const bool serviceMode = flags & 1;
  const std::uint8_t fail = input.Byte();
  const long answer = static_cast<std::int32_t>(input.U32());

  auto chip = std::make_shared<InputFlash>();
  chip->image.fill(0xFF);
  chip->failEvery = fail >> 4;
  chip->failAt = chip->failEvery ? (fail & 0x0F) % chip->failEvery : 0;
  const std::string blocks = input.Bytes(kBlocksEnd - kBlocksStart);
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    chip->image[kBlocksStart + i] = static_cast<std::uint8_t>(blocks[i]);
  }
  const std::shared_ptr<alc::Backend> previous = alc::InstallBackend(chip);

  auto amp = std::make_shared<Properties<IAMVideoProcAmp>>();
  auto control = std::make_shared<Properties<IAMCameraControl>>();
  auto power = std::make_shared<PowerLine>();
  amp->answer = control->answer = answer;
  power->answer = static_cast<std::int32_t>(answer);
  const CameraProperties camera{flags & 2 ? amp : nullptr, flags & 4 ? control : nullptr,
                                flags & 8 ? power : nullptr};

  auto read = [&](Members& m) {
    ReadCameraParams({m.formatIndex, m.formatMjpg, m.view, m.overlay, m.camera}, camera, serviceMode);
  };
  Members first;
  read(first);
  FUZZ_CHECK(chip->depth == 0 && alc::BracketDepth() == 0);
  using flash::layout::kMarker;
  const bool savedBlockRules = !chip->Fails(kMarker) && chip->image[kMarker] == flash::layout::kMarkerValid;
  CheckRanges(first, savedBlockRules);
  if (!serviceMode) FUZZ_CHECK(!first.overlay.m_bCrossOn && first.overlay.m_bMaskOn);
  // With the saved block ruling, its values went to the camera; otherwise nothing did.
  if (savedBlockRules && (flags & 2)) {
    FUZZ_CHECK(amp->set.count(VideoProcAmp_Brightness) && amp->set[VideoProcAmp_Brightness] == first.camera.m_nBrightness);
  }
  if (!savedBlockRules) FUZZ_CHECK(amp->set.empty() && control->set.empty());

  Members second;
  read(second);
  FUZZ_CHECK(SameMembers(first, second));

  alc::InstallBackend(previous);
  return 0;
}
