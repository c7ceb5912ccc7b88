// The parameter blocks in the camera's flash, reached byte by byte through the
// camera-control library (ALC_*): the default block at 0x1C00 (read only), the saved
// block at 0x1D00, and the marker at 0x1C17 (1: the saved block is valid and rules).
//
// Every operation is one bracket of ALC_Initialize and ALC_UnInitialize, and reads or
// writes every byte by itself. All run on the UI thread.
#pragma once

#include "flash/camera_params.h"
#include "flash/camera_properties.h"
#include "view/view_settings.h"

// What the blocks feed: the program's members they are read into and written from.
struct FlashParams {
  int& formatIndex;  // m_nFormatIndex
  bool& formatMjpg;  // m_bFormatMjpg
  ViewSettings& view;  // m_fZoom, m_fPanZoom, m_fPanOffsetX, m_fPanOffsetY
  OverlaySettings& overlay;
  CameraParams& camera;
};

// At every graph build, once the filters are in the graph: both blocks into the
// members; with the marker set, the saved camera parameters pushed to the camera,
// otherwise the camera's current ones taken. Outside service mode the crosshair ends
// off and the mask on, whatever the flash said.
void ReadCameraParams(const FlashParams& params, const CameraProperties& camera, bool serviceMode);

// At close outside service mode (the caller checks that a camera runs): brightness,
// contrast, saturation and hue from the camera, then the close-time subset of the saved
// block (11 bytes). True when every byte reached the store.
[[nodiscard]] bool WriteBasicParams(const FlashParams& params, const CameraProperties& camera);

// The whole saved block (41 bytes), the camera parameters refreshed from the camera
// first, the zoom always stored as 1.00. True when every byte reached the store.
[[nodiscard]] bool WriteAllParams(const FlashParams& params, const CameraProperties& camera);

// The flash part of the Save command: the marker set to 1, then WriteAllParams with its
// bracket nested in this one (41 byte writes in all). True when every byte reached the
// store.
[[nodiscard]] bool SaveAllParams(const FlashParams& params, const CameraProperties& camera);

// The flash part of the Restore command: the marker set to 0; the blocks are not
// erased. True when it reached the store.
[[nodiscard]] bool ClearSavedBlockMarker();
