// Makes one frame in the wire format: the painted picture as YUYV bytes or as a JPEG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame_painter.h"
#include "jpeg_encoder.h"
#include "platform/graph/source_device.h"

namespace platform::vcam {

class FrameMaker {
 public:
  static bool SupportsFormat(const Capability& format);

  // The frame's bytes stay valid until the next Make.
  bool Make(const Capability& format, std::uint64_t frameNumber, const ToneTables& tables);
  void SetFieldShift(double x, double y) { m_painter.SetFieldShift(x, y); }
  void SetCounter(bool on) { m_painter.SetCounter(on); }
  const std::uint8_t* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }

 private:
  FramePainter m_painter;
  JpegEncoder m_jpeg;
  std::vector<std::uint8_t> m_yuyv;
  const std::uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
};

}  // namespace platform::vcam
