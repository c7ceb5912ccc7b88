// The display worker's picture pool: every composed picture is the frame with the
// overlay laid on, whatever the picture held before, and no picture anyone still holds
// is handed out again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "view/overlay_picture.h"
#include "view/picture_pool.h"

namespace {

using Overlay = std::shared_ptr<const OverlayPicture>;

// A frame of pixels that differ from frame to frame and are never white.
CxImage MakeFrame(int w, int h, int seed, std::uint32_t bpp = 24) {
  CxImage frame(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), bpp);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = frame.GetBits(static_cast<std::uint32_t>(y));
    for (std::uint32_t i = 0; i < frame.GetEffWidth(); ++i) row[i] = static_cast<std::uint8_t>((i * 7 + y * 3 + seed * 31) % 250);
  }
  return frame;
}

Overlay MakeOverlay(int w, int h, float mask, COLORREF colour = 0x123456) {
  OverlaySettings s;
  s.m_fMaskSize = mask;
  s.m_clrMask = colour;
  s.m_fCrossSize = 0.25f;
  return std::make_shared<const OverlayPicture>(w, h, s);
}

// The pixels of the rows (the padding left out).
std::vector<std::uint8_t> Pixels(const CxImage& picture) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t y = 0; y < picture.GetHeight(); ++y) {
    const std::uint8_t* row = picture.GetBits(y);
    out.insert(out.end(), row, row + picture.GetWidth() * picture.GetBpp() / 8);
  }
  return out;
}

// What the shown picture must be: the frame, with the overlay laid on when there is one.
std::vector<std::uint8_t> Expected(const CxImage& frame, const Overlay& overlay) {
  CxImage want(frame);
  if (overlay && frame.GetBpp() == 24) {
    overlay->LayOver(want.GetBits(0), static_cast<int>(want.GetWidth()), static_cast<int>(want.GetHeight()),
                     static_cast<int>(want.GetEffWidth()));
  }
  return Pixels(want);
}

TEST(PicturePool, EveryPictureIsTheFrameWithTheOverlayWhateverItCarriedBefore) {
  PicturePool pool;
  Overlay a = MakeOverlay(64, 48, 0.3f);
  const Overlay b = MakeOverlay(64, 48, 0.45f, 0x0000FF);
  OverlaySettings off;
  off.m_bMaskOn = off.m_bCrossOn = false;
  const Overlay empty = std::make_shared<const OverlayPicture>(64, 48, off);
  struct Step {
    int w, h;
    Overlay overlay;
    std::uint32_t bpp = 24;
  };
  std::vector<Step> steps = {
      {64, 48, a}, {64, 48, a}, {64, 48, a}, {64, 48, a},  // both pictures in use carry a
      {64, 48, b}, {64, 48, b}, {64, 48, b},               // b replaces it
      {64, 48, a}, {64, 48, a},                            // a again, though still alive
      {64, 48, nullptr}, {64, 48, a}, {64, 48, a},         // no overlay between
      {64, 48, empty}, {64, 48, a}, {64, 48, a},           // an empty overlay between
      {100, 80, a}, {100, 80, a}, {100, 80, a},            // another size
      {40, 30, a}, {40, 30, a},                            // smaller than the overlay
      {64, 48, a}, {64, 48, a}, {64, 48, a},
      {64, 48, a, 8}, {64, 48, a}, {64, 48, a},            // another depth between
  };
  // Two pictures held most of the time, as the shown one and the view's; now and then
  // a third (a recording) or none.
  std::vector<std::shared_ptr<CxImage>> held;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    const CxImage frame = MakeFrame(s.w, s.h, static_cast<int>(i), s.bpp);
    std::shared_ptr<CxImage> picture = pool.Compose(frame, s.overlay);
    ASSERT_TRUE(picture && picture->IsValid()) << i;
    ASSERT_EQ(picture->GetWidth(), frame.GetWidth());
    ASSERT_EQ(picture->GetBpp(), frame.GetBpp());
    ASSERT_EQ(Pixels(*picture), Expected(frame, s.overlay)) << "step " << i;
    held.push_back(std::move(picture));
    const std::size_t keep = i % 5 == 4 ? 0 : i % 7 == 3 ? 3 : 2;
    while (held.size() > keep) held.erase(held.begin());
  }

  // An overlay replaced and let go, and a new one perhaps made in its memory: the
  // pictures that carried the old one are laid anew.
  for (int round = 0; round < 6; ++round) {
    held.clear();
    a = MakeOverlay(64, 48, round % 2 ? 0.2f : 0.42f, round % 3 ? 0x00FF00 : 0x654321);
    for (int i = 0; i < 3; ++i) {
      const CxImage frame = MakeFrame(64, 48, 100 + round * 3 + i);
      const auto picture = pool.Compose(frame, a);
      ASSERT_TRUE(picture);
      ASSERT_EQ(Pixels(*picture), Expected(frame, a)) << "round " << round << " frame " << i;
    }
  }

  EXPECT_EQ(pool.Compose(CxImage(), a), nullptr);
}

TEST(PicturePool, HandsOutNoPictureSomeoneStillHolds) {
  PicturePool pool;
  const Overlay overlay = MakeOverlay(64, 48, 0.3f);
  std::vector<std::shared_ptr<CxImage>> held;
  std::vector<std::vector<std::uint8_t>> contents;
  std::set<const CxImage*> seen;
  for (int i = 0; i < 6; ++i) {  // more than the pool keeps
    auto picture = pool.Compose(MakeFrame(64, 48, i), overlay);
    ASSERT_TRUE(picture);
    for (const auto& other : held) ASSERT_NE(picture, other) << i;
    seen.insert(picture.get());
    contents.push_back(Pixels(*picture));
    held.push_back(std::move(picture));
  }
  EXPECT_EQ(seen.size(), 6u);
  // Held pictures never change, however many are composed meanwhile.
  held.erase(held.begin() + 1);  // the second one is let go
  contents.erase(contents.begin() + 1);
  for (int i = 0; i < 4; ++i) {
    const auto picture = pool.Compose(MakeFrame(64, 48, 50 + i), overlay);
    for (const auto& other : held) ASSERT_NE(picture, other);
  }
  for (std::size_t i = 0; i < held.size(); ++i) EXPECT_EQ(Pixels(*held[i]), contents[i]) << i;

  // Pictures made while the pool was all held are not kept: once everything is let go
  // only the pool's own pictures come back.
  std::set<const CxImage*> pooled;
  held.clear();
  for (int i = 0; i < 8; ++i) {
    std::vector<std::shared_ptr<CxImage>> round;
    for (std::size_t k = 0; k < PicturePool::kPooled; ++k) round.push_back(pool.Compose(MakeFrame(64, 48, i), overlay));
    for (const auto& picture : round) pooled.insert(picture.get());
  }
  EXPECT_EQ(pooled.size(), PicturePool::kPooled);
}

TEST(PicturePool, APictureCarryingTheOverlayGetsOnlyTheUncoveredPixels) {
  PicturePool pool;
  const Overlay overlay = MakeOverlay(64, 48, 0.3f);
  const CxImage frame = MakeFrame(64, 48, 1);
  std::shared_ptr<CxImage> picture = pool.Compose(frame, overlay);
  ASSERT_TRUE(picture);
  CxImage* const first = picture.get();
  // A covered pixel (the mask's corner) marked behind the pool's back; a composition
  // that writes the covered pixels would wipe the mark.
  picture->GetBits(0)[0] = 0xAB;
  picture.reset();
  picture = pool.Compose(frame, overlay);
  ASSERT_EQ(picture.get(), first);
  EXPECT_EQ(picture->GetBits(0)[0], 0xAB);
  // Another overlay (an equal one, newly built) lays its pixels whole.
  picture.reset();
  const Overlay rebuilt = MakeOverlay(64, 48, 0.3f);
  picture = pool.Compose(frame, rebuilt);
  ASSERT_EQ(picture.get(), first);
  EXPECT_EQ(Pixels(*picture), Expected(frame, rebuilt));
}

}  // namespace
