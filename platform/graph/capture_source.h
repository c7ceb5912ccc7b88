// The capture filter of a camera: what binding a capture device's moniker makes.
#pragma once

#include <memory>

#include "platform/graph/interfaces.h"
#include "platform/graph/source_device.h"

// A filter with a "Capture" output pin, and "Preview" and "Still" pins when the
// camera has them, streaming while the graph runs. It answers IAMStreamConfig on the
// capture pin, and IAMVideoProcAmp, IAMCameraControl and IKsPropertySet itself.
std::shared_ptr<IBaseFilter> CreateCaptureSourceFilter(std::shared_ptr<platform::SourceDevice> device);
