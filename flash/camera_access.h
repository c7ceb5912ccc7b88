// The camera parameters behind the flash members, read from and pushed to the camera's
// property interfaces. A refused Get leaves the member as it was; results of Set are
// not needed (a camera without a property keeps its own value).
#pragma once

#include "platform/graph/interfaces.h"

namespace flash {

// A camera reports its flags; anything but manual (2) means automatic.
[[nodiscard]] bool IsAutoFlags(long flags);

// The value of a video processing amplifier property into `value`, and, for the
// properties with an automatic mode, whether it is on into `autoOn`.
void GetProcAmp(IAMVideoProcAmp& procAmp, long property, int& value);
void GetProcAmp(IAMVideoProcAmp& procAmp, long property, int& value, bool& autoOn);
// Flags manual (2), or automatic (1) when asked.
void SetProcAmp(IAMVideoProcAmp& procAmp, long property, int value, bool autoOn = false);

// Exposure on the camera control; both members change only when the camera answers.
void GetExposure(IAMCameraControl& cameraControl, int& value, bool& autoOn);
void SetExposure(IAMCameraControl& cameraControl, int value, bool autoOn);

// The power-line frequency through its KSPROPERTY_VIDEOPROCAMP_S record: 1 (50 Hz) when
// the camera reports 1, else 2 (60 Hz), a refused call included.
[[nodiscard]] int GetPowerLine(IKsPropertySet& properties);
// Sets 1 when `frequency` is 1, else 2; flags manual.
void SetPowerLine(IKsPropertySet& properties, int frequency);

}  // namespace flash
