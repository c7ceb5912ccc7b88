// Pictures written by one thread and shared read-only: a picture is handed out again
// only once every holder let go of it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "view/picture_slots.h"

namespace {

TEST(PictureSlots, APictureComesBackWithItsPixelsOnceLetGo) {
  PictureSlots pictures(2);
  PictureSlots::Taken first = pictures.Take(8, 4, 24);
  ASSERT_TRUE(first.picture);
  EXPECT_TRUE(first.fresh);
  EXPECT_GE(first.slot, 0);
  first.picture->GetBits(0)[0] = 77;
  const CxImage* address = first.picture.get();
  first.picture.reset();

  const PictureSlots::Taken again = pictures.Take(8, 4, 24);
  EXPECT_EQ(again.picture.get(), address);
  EXPECT_FALSE(again.fresh);  // what was written there is still there
  EXPECT_EQ(again.picture->GetBits(0)[0], 77);
}

TEST(PictureSlots, AHeldPictureIsNeverHandedOut) {
  PictureSlots pictures(2);
  std::shared_ptr<const CxImage> held = pictures.Take(8, 4, 24).picture;
  const PictureSlots::Taken other = pictures.Take(8, 4, 24);
  EXPECT_NE(other.picture.get(), held.get());
  // Both pictures held: a picture of its own, outside the pictures.
  const PictureSlots::Taken extra = pictures.Take(8, 4, 24);
  ASSERT_TRUE(extra.picture);
  EXPECT_EQ(extra.slot, -1);
  EXPECT_TRUE(extra.fresh);
  EXPECT_NE(extra.picture.get(), held.get());
  EXPECT_NE(extra.picture.get(), other.picture.get());
}

TEST(PictureSlots, ASlotOfAnotherSizeGetsAFreshPicture) {
  PictureSlots pictures(1);
  pictures.Take(8, 4, 24).picture->GetBits(0)[0] = 5;
  const PictureSlots::Taken larger = pictures.Take(16, 8, 24);
  ASSERT_TRUE(larger.picture);
  EXPECT_TRUE(larger.fresh);
  EXPECT_EQ(larger.picture->GetWidth(), 16u);
  EXPECT_EQ(larger.picture->GetBits(0)[0], 0);
  EXPECT_FALSE(pictures.Take(0, 4, 24).picture);  // no picture of no size
}

TEST(PictureSlots, PicturesOutliveTheirSlots) {
  std::shared_ptr<CxImage> kept;
  {
    PictureSlots pictures(1);
    kept = pictures.Take(8, 4, 24).picture;
  }
  kept->GetBits(0)[0] = 9;  // still a picture of its own
  EXPECT_EQ(kept->GetWidth(), 8u);
}

// One writer fills pictures with a value of its own and hands them to readers that
// hold them a while: a reader must never see its picture change.
TEST(PictureSlots, ReadersNeverSeeTheirPictureWrittenWhileTheyHoldIt) {
  PictureSlots pictures(3);
  constexpr int kRounds = 2000;
  std::mutex lock;
  std::shared_ptr<const CxImage> shared;
  std::atomic<bool> done{false};
  std::atomic<int> changed{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 2; ++r) {
    readers.emplace_back([&] {
      while (!done) {
        std::shared_ptr<const CxImage> mine;
        {
          std::lock_guard<std::mutex> guard(lock);
          mine = shared;
        }
        if (!mine) continue;
        const std::uint8_t first = mine->GetBits(0)[0];
        for (int k = 0; k < 50; ++k) {
          if (mine->GetBits(3)[3 * 7] != first) ++changed;
        }
      }
    });
  }
  for (int i = 0; i < kRounds; ++i) {
    PictureSlots::Taken taken = pictures.Take(8, 4, 24);
    ASSERT_TRUE(taken.picture);
    taken.picture->Clear(static_cast<std::uint8_t>(i));
    std::shared_ptr<const CxImage> next = std::move(taken.picture);
    std::lock_guard<std::mutex> guard(lock);
    shared.swap(next);
  }
  done = true;
  for (std::thread& t : readers) t.join();
  EXPECT_EQ(changed, 0);
}

}  // namespace
