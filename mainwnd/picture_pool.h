// Pictures for the display worker to compose into. A composed picture is shared,
// immutable, by the view, the snapshot and the recorder; the worker takes a picture
// nobody holds any more, so steady running allocates nothing.
//
// Each pooled picture remembers the overlay it last carried whole. The overlay's
// covered pixels are the same in every frame, so a picture that carries the current
// overlay already holds them: only the frame's uncovered pixels are copied into it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mainwnd/overlay_picture.h"
#include "outside/ximage.h"

class PicturePool {
 public:
  static constexpr std::size_t kPooled = 4;

  // The frame picture with the overlay laid on (none or an empty one: the frame as it
  // is), in a picture that nobody else holds; null for an invalid frame or when no
  // picture could be made.
  std::shared_ptr<CxImage> Compose(const CxImage& frame, const std::shared_ptr<const OverlayPicture>& overlay);

 private:
  struct Pooled {
    std::shared_ptr<CxImage> picture;
    // The overlay whose covered pixels the picture holds, from a whole CopyOver at the
    // picture's size; empty when it holds none. Held weakly: an overlay replaced is
    // never equal to a later one (its control block lives as long as this does).
    std::weak_ptr<const OverlayPicture> carried;
  };

  // A picture of that size nobody else holds, and its record (null for a picture
  // beyond the pool's size); a picture made anew carries nothing.
  std::shared_ptr<CxImage> Acquire(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, Pooled*& pooled);

  std::vector<Pooled> m_pictures;
};
