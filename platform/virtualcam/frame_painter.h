// Paints the virtual camera's picture: a bright circular field with rotating spokes on a
// dark surround, both with a fine surface texture, and a frame counter in the top left
// corner.
//
// Everything that depends only on the frame size (the field's extent per row, each
// pixel's scene luma and angle, each chroma sample's ring) is computed once per size, so
// a frame is table lookups. The picture goes straight into packed YUYV (video range) or
// into the painter's own 4:2:2 planes (full range, for the JPEG encoder).
#pragma once

#include <cstdint>
#include <vector>

#include "seven_segment.h"
#include "tone_tables.h"

namespace platform::vcam {

class FramePainter {
 public:
  // Sizes the painter can make: even width (4:2:2 pairs), both at least 2 and at most 8192.
  static bool SupportsSize(int width, int height);

  // Precomputes the tables for a size (nothing when the size is unchanged).
  bool Prepare(int width, int height);
  // Moves the field's centre from the frame's centre, in fractions of the frame height.
  void SetFieldShift(double x, double y);
  // Whether the frame number is drawn in the top-left corner (it is by default).
  void SetCounter(bool on) { m_counter = on; }

  // Paints into width * height * 2 bytes of YUYV.
  void PaintYuyv(std::uint64_t frameNumber, const ToneTables& tables, std::uint8_t* out);
  // Paints into the planes below.
  void PaintPlanes(std::uint64_t frameNumber, const ToneTables& tables);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // The planes: top row first, strides Width() and Width() / 2, full height.
  const std::uint8_t* Y() const { return m_y.data(); }
  const std::uint8_t* U() const { return m_u.data(); }
  const std::uint8_t* V() const { return m_v.data(); }

 private:
  template <int kLumaStep, int kChromaStep>
  void Paint(std::uint64_t frameNumber, const ToneTables& tables, const YuvTarget& target);
  int BandOfRow(int y, std::uint64_t frameNumber) const;

  int m_width = 0;
  int m_height = 0;
  double m_shiftX = 0.0;
  double m_shiftY = 0.0;
  bool m_counter = true;
  std::vector<std::uint8_t> m_sceneLuma;   // per pixel
  std::vector<std::uint8_t> m_angle;       // per pixel inside the field, 256 steps a turn
  std::vector<std::uint8_t> m_ring;        // per chroma sample: ToneTables class
  std::vector<int> m_fieldBegin;           // per row: the field's pixels [begin, end)
  std::vector<int> m_fieldEnd;
  std::vector<std::uint8_t> m_kindRow;     // one row of pixel kinds, reused
  std::vector<std::uint8_t> m_y, m_u, m_v; // made on the first PaintPlanes at a size
};

}  // namespace platform::vcam
