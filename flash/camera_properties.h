// The camera's property interfaces, as the capture source offers them: the nine image
// properties (IAMVideoProcAmp, and exposure on IAMCameraControl) and the power-line
// frequency (IKsPropertySet). Each is null when the source does not offer it.
#pragma once

#include <memory>

#include "platform/graph/interfaces.h"

struct CameraProperties {
  std::shared_ptr<IAMVideoProcAmp> procAmp;
  std::shared_ptr<IAMCameraControl> cameraControl;
  std::shared_ptr<IKsPropertySet> ksProperties;

  // The interfaces of a capture source (all null for none).
  static CameraProperties Of(const std::shared_ptr<IBaseFilter>& source) {
    return {::QueryInterface<IAMVideoProcAmp>(source), ::QueryInterface<IAMCameraControl>(source),
            ::QueryInterface<IKsPropertySet>(source)};
  }
};
