// Pictures for the display worker to compose into. A composed picture is shared,
// immutable, by the view, the snapshot and the recorder; the worker takes a picture
// nobody holds any more, so steady running allocates nothing.
#pragma once

#include <memory>
#include <vector>

#include "outside/ximage.h"

class PicturePool {
 public:
  static constexpr std::size_t kPooled = 4;

  // A picture of that size that nobody else holds (its pixels are left as they were).
  std::shared_ptr<CxImage> Acquire(std::uint32_t width, std::uint32_t height, std::uint32_t bpp);

 private:
  std::vector<std::shared_ptr<CxImage>> m_pictures;
};
