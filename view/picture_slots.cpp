#include "view/picture_slots.h"

#include <atomic>
#include <vector>

struct PictureSlots::State {
  struct Slot {
    CxImage picture;
    // Set while the picture is out. Released with release order when the last holder
    // lets go and taken with acquire order, so everything the readers did with the
    // picture happens before the writer's next change.
    std::atomic<bool> held{false};
  };
  explicit State(std::size_t count) : entries(count) {}
  std::vector<Slot> entries;
};

PictureSlots::PictureSlots(std::size_t count) : m_state(std::make_shared<State>(count)) {}

PictureSlots::~PictureSlots() = default;

std::size_t PictureSlots::Count() const { return m_state->entries.size(); }

PictureSlots::Taken PictureSlots::Take(std::uint32_t width, std::uint32_t height, std::uint32_t bpp) {
  const auto fits = [&](const CxImage& p) {
    return p.IsValid() && p.GetWidth() == width && p.GetHeight() == height && p.GetBpp() == bpp;
  };
  Taken taken;
  for (std::size_t i = 0; i < m_state->entries.size(); ++i) {
    State::Slot& slot = m_state->entries[i];
    bool held = false;
    if (!slot.held.compare_exchange_strong(held, true, std::memory_order_acquire)) continue;
    if (!fits(slot.picture)) {
      slot.picture = CxImage(width, height, bpp);
      taken.fresh = true;
    }
    // The deleter only gives the slot back; the state lives as long as any picture.
    std::shared_ptr<State> state = m_state;
    taken.picture = std::shared_ptr<CxImage>(&slot.picture, [state = std::move(state), i](CxImage*) {
      state->entries[i].held.store(false, std::memory_order_release);
    });
    taken.slot = static_cast<int>(i);
    if (!fits(slot.picture)) taken.picture.reset();
    return taken;
  }
  // Every slot is held (a slow reader): a picture of its own, freed with its last holder.
  auto picture = std::make_shared<CxImage>(width, height, bpp);
  taken.fresh = true;
  if (fits(*picture)) taken.picture = std::move(picture);
  return taken;
}
