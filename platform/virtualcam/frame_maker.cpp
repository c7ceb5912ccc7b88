#include "frame_maker.h"

namespace platform::vcam {

bool FrameMaker::SupportsFormat(const Capability& format) {
  return FramePainter::SupportsSize(format.width, format.height);
}

bool FrameMaker::Make(const Capability& format, std::uint64_t frameNumber, const ToneTables& tables) {
  m_data = nullptr;
  m_size = 0;
  if (!m_painter.Prepare(format.width, format.height)) return false;
  if (format.format == WireFormat::YUY2) {
    m_yuyv.resize(static_cast<std::size_t>(format.width) * format.height * 2);
    m_painter.PaintYuyv(frameNumber, tables, m_yuyv.data());
    m_data = m_yuyv.data();
    m_size = m_yuyv.size();
    return true;
  }
  m_painter.PaintPlanes(frameNumber, tables);
  if (!m_jpeg.Encode(m_painter.Y(), m_painter.U(), m_painter.V(), format.width, format.height)) return false;
  m_data = m_jpeg.Data();
  m_size = m_jpeg.Size();
  return true;
}

}  // namespace platform::vcam
