// Paints the virtual camera's picture into 4:2:2 planes: a bright circular field with
// rotating spokes on a dark surround, and a frame counter in the top left corner.
//
// Everything that depends only on the frame size (the field's extent per row, each
// pixel's scene luma and angle, each chroma sample's ring) is computed once per size, so
// a frame is table lookups.
#pragma once

#include <cstdint>
#include <vector>

#include "tone_tables.h"

namespace platform::vcam {

class FramePainter {
 public:
  // Sizes the painter can make: even width (4:2:2 pairs), both at least 2 and at most 8192.
  static bool SupportsSize(int width, int height);

  // Precomputes the tables for a size (nothing when the size is unchanged).
  bool Prepare(int width, int height);
  void Paint(std::uint64_t frameNumber, const ToneTables& tables);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int ChromaWidth() const { return m_width / 2; }
  // The planes, full-range (JPEG) values, top row first, strides Width() and ChromaWidth().
  const std::uint8_t* Y() const { return m_y.data(); }
  const std::uint8_t* U() const { return m_u.data(); }
  const std::uint8_t* V() const { return m_v.data(); }

  // Packs the planes as YUYV with video-range values, as UVC cameras send them.
  void PackYuyv(std::uint8_t* out) const;

 private:
  void PaintRow(int y, std::uint8_t phase, int band, const ToneTables& tables);
  int BandOfRow(int y, std::uint64_t frameNumber) const;

  int m_width = 0;
  int m_height = 0;
  std::vector<std::uint8_t> m_sceneLuma;   // per pixel
  std::vector<std::uint8_t> m_angle;       // per pixel inside the field, 256 steps a turn
  std::vector<std::uint8_t> m_ring;        // per chroma sample: ToneTables class
  std::vector<int> m_fieldBegin;           // per row: the field's pixels [begin, end)
  std::vector<int> m_fieldEnd;
  std::vector<std::uint8_t> m_kindRow;     // one row of pixel kinds, reused
  std::vector<std::uint8_t> m_y, m_u, m_v;
};

}  // namespace platform::vcam
