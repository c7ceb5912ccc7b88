// One sample travelling from pin to pin: the bytes (not owned, valid only during
// the delivery), what they are and when they were taken.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graph/interfaces.h"

namespace platform {

// What a sample's bytes are: a subtype (YUY2, MJPG, RGB24; all zero for a sample
// without pixels) and the picture size.
struct SampleFormat {
  GUID subtype{};
  int width = 0;
  int height = 0;
};

class MediaSample final : public IMediaSample {
 public:
  MediaSample(const std::uint8_t* data, std::size_t size, const SampleFormat& format, std::int64_t time100ns)
      : m_data(data), m_size(size), m_format(format), m_time100ns(time100ns) {}

  HRESULT GetPointer(std::uint8_t** buffer) override;
  long GetActualDataLength() override { return static_cast<long>(m_size); }

  const std::uint8_t* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }
  const SampleFormat& Format() const { return m_format; }
  std::int64_t Time100ns() const { return m_time100ns; }
  double TimeSeconds() const { return static_cast<double>(m_time100ns) / 1e7; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  SampleFormat m_format;
  std::int64_t m_time100ns;
};

}  // namespace platform
