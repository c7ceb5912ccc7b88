// The overlay laid over every shown frame: the edge mask around the circular field and
// the crosshair, drawn once per settings change into a picture whose white pixels are
// transparent. The picture is immutable once built; a new one replaces it whole, so a
// composition never sees half of one.
#pragma once

#include <cstdint>
#include <vector>

#include "view/view_settings.h"
#include "outside/ximage.h"

class OverlayPicture {
 public:
  static constexpr COLORREF kTransparent = 0xFFFFFF;

  // Draws the overlay at width × height from the settings.
  OverlayPicture(int width, int height, const OverlaySettings& settings);

  const CxImage& Image() const { return m_image; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // Whether anything at all is drawn (both overlays may be off, or drawn in white).
  bool IsEmpty() const { return m_runs.empty(); }

  // Lays the overlay on 24-bit rows of `width` × `height` (stored as the overlay is,
  // first stored row first). Only the covered pixels are touched; where the picture is
  // larger than the overlay, the rest stays as it is.
  void LayOver(std::uint8_t* bits, int width, int height, int stride) const;
  // Copies `height` rows of `width` pixels from src to dst with the overlay laid on
  // them in the same pass, writing each destination byte once. As with LayOver, only
  // the part both share is covered.
  void CopyOver(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride, int width,
                int height) const;
  // Copies only the pixels CopyOver takes from src; the covered pixels are neither read
  // nor written. Into a destination that last received CopyOver from this overlay at
  // the same width and height (its covered pixels hold the overlay still), this gives
  // the bytes CopyOver would.
  void CopyUncovered(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride, int width,
                     int height) const;

 private:
  // A run of pixels of one colour in one stored row.
  struct Run {
    int row;
    int x0;
    int x1;  // one past the last
    int colour;  // index into m_patterns
  };
  // Sixteen pixels of one colour, laid down whole where a run is long enough.
  struct Pattern {
    std::uint8_t bytes[48];
  };
  void Plot(int x, int y, COLORREF colour);
  void Fill(int y, int x0, int x1, COLORREF colour);
  void CollectRuns();
  // CopyOver, laying the runs or leaving them alone.
  void CopyRows(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride, int width, int height,
                bool layRuns) const;
  int PatternOf(const std::uint8_t* pixel);

  int m_width;
  int m_height;
  CxImage m_image;
  std::vector<Run> m_runs;              // row by row, left to right
  std::vector<std::size_t> m_rowRuns;  // the first run of each row, and the end
  std::vector<Pattern> m_patterns;
};
