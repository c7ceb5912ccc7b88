// The zoom's resample: 24-bit BGR rows enlarged (or kept) to the frame size, bilinear
// with pixel centres aligned and edges clamped, in fixed point. Separable: each source
// row is scaled across once (and kept while two output rows need it), then every
// output row blends its two scaled rows. The weights and source positions are worked
// out once per size pair, so a frame costs only the two passes. The horizontal mirror
// is folded into the horizontal positions and the vertical one into the order the rows
// are written, so neither costs a pass of its own.
//
// The processor's byte shuffles do the work where it has them (SSSE3, AVX2); the plain
// loops give exactly the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class BgrUpscaler {
 public:
  // Bytes a source row must have readable past its last pixel.
  static constexpr int kRowSlack = 32;

  // Source rows are asked for one at a time, in increasing order, each at most once per
  // Run: Fill writes the source width's pixels of source row `row` into `dst`, which
  // has kRowSlack bytes more than that.
  class RowSource {
   public:
    virtual void Fill(int row, std::uint8_t* dst) = 0;

   protected:
    ~RowSource() = default;
  };

  enum class Kernel { Plain, Ssse3, Avx2 };

  // Destination pixels [x0, x1) × [y0, y1), in destination rows as written (mirrors
  // applied); empty when x0 >= x1 or y0 >= y1.
  struct Region {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;

    bool Empty() const { return x0 >= x1 || y0 >= y1; }
    bool operator==(const Region&) const = default;
  };

  BgrUpscaler();

  // Prepares for srcWidth × srcHeight → dstWidth × dstHeight. The destination may not
  // be smaller than the source in either direction; false for sizes out of range.
  // Nothing is recomputed when the sizes and the mirror are unchanged.
  bool Configure(int srcWidth, int srcHeight, int dstWidth, int dstHeight, bool hMirror);

  // The destination pixels that source columns [x0, x1) and rows [y0, y1) reach: every
  // destination pixel outside it is blended from source pixels outside that rectangle
  // alone (so it is exactly black where they are). Empty for an empty rectangle.
  Region Reach(int x0, int x1, int y0, int y1, bool vMirror) const;

  // Writes the destination pixels of `region` (the whole destination when it covers
  // it: rows of dstWidth × 3 bytes, dstStride apart) and nothing else, each with the
  // same bytes whatever the region; with vMirror row i of the result goes to
  // destination row dstHeight − 1 − i. Only the source rows those pixels need are asked
  // for.
  void Run(RowSource& source, std::uint8_t* dst, std::ptrdiff_t dstStride, bool vMirror, const Region& region);

  // The kernel in use: the best the processor has. Tests may ask for a lesser one; one
  // the processor lacks is refused.
  Kernel ActiveKernel() const { return m_kernel; }
  bool ForceKernel(Kernel kernel);

 private:
  struct RowTap {
    int top;
    int bottom;
    std::int16_t weight;  // the bottom row's weight, of 32768
  };
  // The source columns a destination column (as written) is blended from.
  struct ColumnTap {
    int left;
    int right;
  };

  // Horizontal blocks [first, last) of a source row (an even count).
  void ScaleAcross(const std::uint8_t* src, std::size_t first, std::size_t last, std::int16_t* out) const;
  // Values [from, to) of an output row.
  void Blend(const std::int16_t* top, const std::int16_t* bottom, std::int16_t weight, std::size_t from,
             std::size_t to, std::uint8_t* out) const;
  // The scaled source row (blocks [first, last)), made if neither slot holds it;
  // `keep` is a slot not to reuse.
  int ScaledSlot(RowSource& source, int row, int keep, std::size_t first, std::size_t last);

  Kernel m_best = Kernel::Plain;
  Kernel m_kernel = Kernel::Plain;
  int m_srcWidth = 0, m_srcHeight = 0, m_dstWidth = 0, m_dstHeight = 0;
  bool m_hMirror = false;
  bool m_configured = false;
  std::size_t m_values = 0;  // dstWidth × 3: the bytes of an output row

  // The horizontal pass in blocks of eight results, each from one 16-byte window of the
  // source row: per block the window's first byte, two byte shuffles that pick the left
  // and right neighbours into 16-bit lanes, and the right neighbours' weights (of
  // 32768). Kept as parallel arrays so that two blocks load as one wide vector.
  std::size_t m_blockCount = 0;  // even, covering m_values and more
  std::vector<std::int32_t> m_window;
  std::vector<std::uint8_t> m_left;
  std::vector<std::uint8_t> m_right;
  std::vector<std::int16_t> m_weight;
  std::vector<RowTap> m_rows;
  std::vector<ColumnTap> m_columns;

  std::vector<std::uint8_t> m_srcRow;
  // Two scaled source rows and which rows they hold (−1: none).
  std::vector<std::int16_t> m_scaled[2];
  int m_scaledRow[2] = {-1, -1};
};
