#include "mainwnd/picture_pool.h"

namespace {
bool Fits(const CxImage& picture, std::uint32_t width, std::uint32_t height, std::uint32_t bpp) {
  return picture.IsValid() && picture.GetWidth() == width && picture.GetHeight() == height && picture.GetBpp() == bpp;
}
}  // namespace

std::shared_ptr<CxImage> PicturePool::Acquire(std::uint32_t width, std::uint32_t height, std::uint32_t bpp) {
  // Only this pool hands the pictures out, so one it alone holds cannot be taken
  // meanwhile; a count read high while another holder lets go only skips that picture.
  for (const std::shared_ptr<CxImage>& picture : m_pictures) {
    if (picture.use_count() != 1) continue;
    if (!Fits(*picture, width, height, bpp)) *picture = CxImage(width, height, bpp);
    return picture;
  }
  auto picture = std::make_shared<CxImage>(width, height, bpp);
  // Pictures held long (a slow recording) are not kept beyond the pool's size.
  if (m_pictures.size() < kPooled) m_pictures.push_back(picture);
  return picture;
}
