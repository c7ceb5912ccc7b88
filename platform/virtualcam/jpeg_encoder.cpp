#include "jpeg_encoder.h"

#include <turbojpeg.h>

namespace platform::vcam {

JpegEncoder::~JpegEncoder() {
  if (m_buffer) tjFree(m_buffer);
  if (m_handle) tjDestroy(m_handle);
}

bool JpegEncoder::Reserve(int width, int height) {
  // The worst case for the size, so the encoder never has to grow the buffer itself.
  const unsigned long needed = tjBufSize(width, height, TJSAMP_422);
  if (needed == static_cast<unsigned long>(-1)) return false;
  if (needed <= m_capacity) return true;
  if (m_buffer) tjFree(m_buffer);
  m_buffer = tjAlloc(static_cast<int>(needed));
  m_capacity = m_buffer ? needed : 0;
  return m_buffer != nullptr;
}

bool JpegEncoder::Encode(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int width,
                         int height) {
  m_size = 0;
  if (!m_handle) m_handle = tjInitCompress();
  if (!m_handle || !Reserve(width, height)) return false;
  const unsigned char* planes[3] = {y, u, v};
  const int strides[3] = {width, width / 2, width / 2};
  unsigned char* out = m_buffer;
  unsigned long size = m_capacity;
  if (tjCompressFromYUVPlanes(m_handle, planes, width, strides, height, TJSAMP_422, &out, &size, kQuality,
                              TJFLAG_NOREALLOC | TJFLAG_FASTDCT) != 0)
    return false;
  m_size = size;
  return true;
}

}  // namespace platform::vcam
