// The frame picture and its lock: what the streaming thread, the UI thread and the
// display worker share.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "outside/ximage.h"
#include "view/frame_stamp.h"
#include "view/picture_slots.h"
#include "view/view_transform.h"

struct FrameState {
  // The one frame lock, never nested and held only for swaps and short reads; a thread
  // holding it may post to the UI thread but never waits for it.
  mutable std::mutex m_csFrame;

  // Guarded by m_csFrame. The pictures are shared and never changed once swapped in,
  // so a reader takes the pointer under the lock and reads the pixels outside it.
  std::shared_ptr<const CxImage> m_pFrameImage;  // the last transformed frame; null until a frame arrives
  FrameStamp m_frameStamp;                       // the frame picture's place in the run and capture time
  std::shared_ptr<const CxImage> m_pRawImage;    // the last frame as the camera sent it (service mode)
  // The last composed picture (frame and overlay, at frame size).
  std::shared_ptr<const CxImage> m_imgShown;
  int m_nFrameWidth = 0;  // size of the last frame received
  int m_nFrameHeight = 0;
  int m_nFrameBpp = 0;

  // Streaming thread only (one frame at a time; a new stream starts after the last one
  // was joined). The transform writes a frame into a picture nobody else holds, which
  // is then swapped in.
  PictureSlots m_framePictures{3};
  PictureSlots m_rawPictures{3};
  ViewTransform m_transform;
  bool m_bFirstFrameSeen = false;  // the first frame's size was taken
  std::uint64_t m_nFramesTaken = 0;  // frames taken in, for the stamps
};
