// The frame picture and its lock: what the streaming thread, the UI thread and the
// display worker share. Everything here is guarded by m_csFrame unless noted.
#pragma once

#include <memory>
#include <mutex>

#include "mainwnd/view_transform.h"
#include "outside/ximage.h"

struct FrameState {
  // The one frame lock, never nested; a thread holding it may post to the UI thread but
  // never waits for it.
  mutable std::mutex m_csFrame;
  std::unique_ptr<CxImage> m_pFrameImage;  // the last transformed frame; null until a frame arrives
  std::unique_ptr<CxImage> m_pRawImage;    // the last frame as the camera sent it (service mode)
  int m_nFrameWidth = 0;                   // size of the last frame received
  int m_nFrameHeight = 0;
  int m_nFrameBpp = 0;
  // The view transform's working state; it writes straight into the frame picture.
  ViewTransform m_transform;
  // The last composed picture (frame and overlay, at frame size); shared and never
  // changed once composed, so readers take the pointer under the lock and use the
  // picture outside it.
  std::shared_ptr<const CxImage> m_imgShown;

  bool m_bFirstFrameSeen = false;  // streaming thread only: the first frame's size was taken
};
