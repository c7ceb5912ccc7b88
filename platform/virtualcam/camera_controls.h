// The camera's controls: ranges, current values and automatic modes, in the graph's
// units, and the picture tables made from them.
//
// Controls may be set from any thread while frames are made; the frame thread takes
// one immutable table set per frame, swapped in whole, so it never sees half a change.
#pragma once

#include <array>
#include <memory>
#include <mutex>

#include "platform/graph/source_device.h"
#include "tone_tables.h"

namespace platform::vcam {

class CameraControls {
 public:
  CameraControls();

  HRESULT GetRange(PropertySet set, long property, PropertyRange& range) const;
  // In an automatic mode the value is what the automatic currently uses.
  HRESULT Get(PropertySet set, long property, long& value, long& flags) const;
  // A manual value outside the range fails (E_INVALIDARG). With the automatic flag the
  // value is not used by the camera: it is kept as the manual value when it is in range
  // and otherwise ignored, so switching to automatic never fails over a stale value.
  HRESULT Set(PropertySet set, long property, long value, long flags);

  // One frame's step of the simulated auto exposure: in automatic mode the exposure moves
  // a little towards the level that makes the scene right.
  void AdvanceAutoExposure();

  std::shared_ptr<const ToneTables> Tables() const;

  // Every control back to its default, as at power-on.
  void Reset();

  static constexpr long kPowerLineProperty = 13;

 private:
  enum Slot { Brightness, Contrast, Hue, Saturation, Sharpness, Gamma, WhiteBalance, Gain, PowerLine, Exposure, kSlots };
  struct Control {
    PropertyRange range;
    long value = 0;
    bool automatic = false;
  };

  static int SlotOf(PropertySet set, long property);
  long EffectiveLocked(int slot) const;
  void RebuildLocked();

  mutable std::mutex m_mutex;
  std::array<Control, kSlots> m_controls;
  double m_autoExposure = -6.0;      // the auto exposure's current level (log2 seconds)
  int m_builtExposureSteps = 0;      // that level in 1/16 stops, as the tables were built
  std::shared_ptr<const ToneTables> m_tables;
};

}  // namespace platform::vcam
