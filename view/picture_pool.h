// Pictures for the display worker to compose into. A composed picture is shared,
// immutable, by the view, the snapshot and the recorder; the worker takes a picture
// nobody holds any more, so steady running allocates nothing.
//
// Each pooled picture remembers the overlay it last carried whole. The overlay's
// covered pixels are the same in every frame, so a picture that carries the current
// overlay already holds them: only the frame's uncovered pixels are copied into it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "outside/ximage.h"
#include "view/overlay_picture.h"
#include "view/picture_slots.h"

class PicturePool {
 public:
  static constexpr std::size_t kPooled = 4;

  // The frame picture with the overlay laid on (none or an empty one: the frame as it
  // is), in a picture that nobody else holds; null for an invalid frame or when no
  // picture could be made.
  std::shared_ptr<CxImage> Compose(const CxImage& frame, const std::shared_ptr<const OverlayPicture>& overlay);

 private:
  PictureSlots m_pictures{kPooled};
  // Per slot, the overlay whose covered pixels the picture holds, from a whole CopyOver
  // at the picture's size; empty when it holds none. Held weakly: an overlay replaced
  // is never equal to a later one (its control block lives as long as this does).
  std::array<std::weak_ptr<const OverlayPicture>, kPooled> m_carried;
};
