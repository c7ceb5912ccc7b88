// Assembles the device services of the process from the environment: V4L2 cameras
// always, and the virtual camera when VISTREL_CAMERA=virtual (with its control FIFO when
// VISTREL_VIRTUAL_CTL names one). Installs the camera-control library's backend.
#pragma once

#include <memory>

#include "capture/platform_services.h"

namespace platform {
class VirtualCamera;
}

// The services for this process, as the environment asks.
PlatformServices MakePlatformServices();

// Services over the given virtual camera (and the system's V4L2 cameras), with the
// camera-control library talking to the virtual camera's chip.
PlatformServices MakeVirtualCameraServices(std::shared_ptr<platform::VirtualCamera> camera);
