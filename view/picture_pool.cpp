#include "view/picture_pool.h"

namespace {
// Whether both name the same overlay object (owner-based, so never confused with a new
// overlay made at a freed one's address).
bool SameOverlay(const std::weak_ptr<const OverlayPicture>& carried,
                 const std::shared_ptr<const OverlayPicture>& overlay) {
  return !carried.owner_before(overlay) && !overlay.owner_before(carried);
}
}  // namespace

std::shared_ptr<CxImage> PicturePool::Compose(const CxImage& frame, const std::shared_ptr<const OverlayPicture>& overlay) {
  if (!frame.IsValid()) return nullptr;
  PictureSlots::Taken taken = m_pictures.Take(frame.GetWidth(), frame.GetHeight(), frame.GetBpp());
  // A picture made anew (or outside the slots) carries nothing yet.
  std::weak_ptr<const OverlayPicture> unpooled;
  std::weak_ptr<const OverlayPicture>& carried = taken.slot >= 0 ? m_carried[static_cast<std::size_t>(taken.slot)] : unpooled;
  if (taken.fresh) carried.reset();
  if (!taken.picture) return nullptr;
  CxImage& picture = *taken.picture;
  if (!overlay || overlay->IsEmpty() || frame.GetBpp() != 24) {
    picture.Copy(frame);
    carried.reset();
    return std::move(taken.picture);
  }
  const auto* src = frame.GetBits(0);
  const int srcStride = static_cast<int>(frame.GetEffWidth());
  auto* dst = picture.GetBits(0);
  const int dstStride = static_cast<int>(picture.GetEffWidth());
  const int width = static_cast<int>(frame.GetWidth());
  const int height = static_cast<int>(frame.GetHeight());
  // One pass either way: each byte of the picture is written once, frame or overlay, or
  // (the overlay already there) only the frame's uncovered bytes are.
  if (SameOverlay(carried, overlay)) {
    overlay->CopyUncovered(src, srcStride, dst, dstStride, width, height);
  } else {
    overlay->CopyOver(src, srcStride, dst, dstStride, width, height);
    carried = overlay;
  }
  return std::move(taken.picture);
}
