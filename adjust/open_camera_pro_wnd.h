// Opening the camera property window: the camera's current values are read into the
// main window's camera parameters, the window runs modally over them, and Cancel puts
// the camera back to those parameters (as read at opening or at the window's last
// Apply). The caller re-applies its own texts afterwards.
#pragma once

#include <memory>

#include "adjust/pro_wnd_placement.h"
#include "flash/camera_params.h"
#include "flash/camera_properties.h"

class QWidget;
class UserFiles;

// The Property command in service mode, on the UI thread. Nothing happens without a
// capture source and a frame grabber (returns 0); otherwise the window runs over the
// source's property interfaces (RunCameraProWnd) and its result is returned. The
// placement takes the main window's and, while one exists, the pan and zoom window's
// frames (RectsBeside).
int OpenCameraProWnd(const std::shared_ptr<IBaseFilter>& source, const std::shared_ptr<IBaseFilter>& grabber,
                     CameraParams& params, const UserFiles& files, const ProWndRects& placement, QWidget* owner);

// Runs the window on the UI thread; returns how it ended, CCameraProWnd::IDOK or
// CCameraProWnd::IDCANCEL. An interface the source does not offer (null) is neither
// read nor written.
int RunCameraProWnd(const CameraProperties& camera, CameraParams& params, const UserFiles& files,
                    const ProWndRects& placement, QWidget* owner);

// The reads at opening: the nine values and the white-balance mode from the camera;
// exposure and gain automatic exactly when the camera's exposure is, and only when the
// exposure could be read.
void ReadCameraAtOpening(const CameraProperties& camera, CameraParams& params);

// The restore after Cancel: all nine properties set to the parameters, brightness to
// gamma as manual, gain, white balance and exposure with their auto flags.
void RestoreCamera(const CameraProperties& camera, const CameraParams& params);
