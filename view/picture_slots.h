// Pictures written by one thread and then shared, read-only, with others. A writer
// takes a picture nobody holds, fills it and hands it out; the picture goes back to its
// slot when its last holder lets go of it. So a picture is never written while anyone
// reads it, and steady running makes no new pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "outside/ximage.h"

class PictureSlots {
 public:
  explicit PictureSlots(std::size_t count);
  // Pictures still held elsewhere stay valid until they are let go.
  ~PictureSlots();
  PictureSlots(const PictureSlots&) = delete;
  PictureSlots& operator=(const PictureSlots&) = delete;

  struct Taken {
    std::shared_ptr<CxImage> picture;  // null when a picture of that size cannot be made
    int slot = -1;                     // -1: made outside the slots, every slot being held
    bool fresh = false;                // made anew: its pixels are not what was last written there
  };
  // A picture of that size that nobody holds. A slot whose picture has another size
  // gets a new (blank) one.
  [[nodiscard]] Taken Take(std::uint32_t width, std::uint32_t height, std::uint32_t bpp);

  std::size_t Count() const;

 private:
  struct State;
  std::shared_ptr<State> m_state;
};
