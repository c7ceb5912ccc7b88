// Baseline JPEG from 4:2:2 planes through TurboJPEG, into one buffer reused across frames.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::vcam {

class JpegEncoder {
 public:
  static constexpr int kQuality = 85;

  JpegEncoder() = default;
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // Encodes planes Y (stride width), U and V (stride width / 2, full height). The result
  // stays valid until the next Encode.
  bool Encode(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int width, int height);
  const std::uint8_t* Data() const { return m_buffer; }
  std::size_t Size() const { return m_size; }

 private:
  bool Reserve(int width, int height);

  void* m_handle = nullptr;  // tjhandle
  std::uint8_t* m_buffer = nullptr;
  unsigned long m_capacity = 0;
  std::size_t m_size = 0;
};

}  // namespace platform::vcam
