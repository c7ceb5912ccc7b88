#include "mainwnd/picture_pool.h"

namespace {
bool Fits(const CxImage& picture, std::uint32_t width, std::uint32_t height, std::uint32_t bpp) {
  return picture.IsValid() && picture.GetWidth() == width && picture.GetHeight() == height && picture.GetBpp() == bpp;
}

// Whether both name the same overlay object (owner-based, so never confused with a new
// overlay made at a freed one's address).
bool SameOverlay(const std::weak_ptr<const OverlayPicture>& carried,
                 const std::shared_ptr<const OverlayPicture>& overlay) {
  return !carried.owner_before(overlay) && !overlay.owner_before(carried);
}
}  // namespace

std::shared_ptr<CxImage> PicturePool::Acquire(std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
                                              Pooled*& pooled) {
  // Only this pool hands the pictures out, so one it alone holds cannot be taken
  // meanwhile; a count read high while another holder lets go only skips that picture.
  for (Pooled& entry : m_pictures) {
    if (entry.picture.use_count() != 1) continue;
    if (!Fits(*entry.picture, width, height, bpp)) {
      *entry.picture = CxImage(width, height, bpp);
      entry.carried.reset();
    }
    pooled = &entry;
    return entry.picture;
  }
  auto picture = std::make_shared<CxImage>(width, height, bpp);
  pooled = nullptr;
  // Pictures held long (a slow recording) are not kept beyond the pool's size.
  if (m_pictures.size() < kPooled) {
    m_pictures.push_back(Pooled{picture, {}});
    pooled = &m_pictures.back();
  }
  return picture;
}

std::shared_ptr<CxImage> PicturePool::Compose(const CxImage& frame, const std::shared_ptr<const OverlayPicture>& overlay) {
  if (!frame.IsValid()) return nullptr;
  Pooled* pooled = nullptr;
  std::shared_ptr<CxImage> picture = Acquire(frame.GetWidth(), frame.GetHeight(), frame.GetBpp(), pooled);
  if (!Fits(*picture, frame.GetWidth(), frame.GetHeight(), frame.GetBpp())) {
    if (pooled) pooled->carried.reset();
    return nullptr;
  }
  if (!overlay || overlay->IsEmpty() || frame.GetBpp() != 24) {
    picture->Copy(frame);
    if (pooled) pooled->carried.reset();
    return picture;
  }
  const auto* src = frame.GetBits(0);
  const int srcStride = static_cast<int>(frame.GetEffWidth());
  auto* dst = picture->GetBits(0);
  const int dstStride = static_cast<int>(picture->GetEffWidth());
  const int width = static_cast<int>(frame.GetWidth());
  const int height = static_cast<int>(frame.GetHeight());
  // One pass either way: each byte of the picture is written once, frame or overlay, or
  // (the overlay already there) only the frame's uncovered bytes are.
  if (pooled && SameOverlay(pooled->carried, overlay)) {
    overlay->CopyUncovered(src, srcStride, dst, dstStride, width, height);
  } else {
    overlay->CopyOver(src, srcStride, dst, dstStride, width, height);
    if (pooled) pooled->carried = overlay;
  }
  return picture;
}
