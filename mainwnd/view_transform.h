// The view transform of every frame: the pan square, the digital zoom (a centred crop
// scaled back to the full frame) and the mirrors. Works on 24-bit BGR rows of exactly
// width × 3 bytes, stored bottom row first; row numbers below are stored rows.
//
// The result is that of the steps one after the other (the pan square copied centred
// into a black frame, the crop of that frame enlarged bilinearly, then the horizontal
// and the vertical mirror), but made in one pass: each output row is built straight
// from the source rows it shows, the mirrors are folded into where the pixels go, and
// neither the black frame nor the crop is ever materialised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mainwnd/view_transform_scaler.h"

struct ViewTransformParams {
  float zoom = 1.0f;     // 1.0 … 2.0: the crop is (video size / zoom)
  float panZoom = 1.0f;  // the pan square's side is the frame height / panZoom
  int panX = 0;          // centre of the pan square (column, stored row)
  int panY = 0;
  int videoWidth = 640;  // selected resolution, the reference of the zoom crop
  int videoHeight = 480;
  bool hMirror = false;
  bool vMirror = false;
};

class ViewTransform {
 public:
  // Transforms src (w × h) into out (w × h × 3 bytes). False, with out untouched, for
  // a missing buffer, an empty size or a zoom that is not a positive number.
  bool Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out);
  // The same with output rows outStride bytes apart (at least w × 3), e.g. straight
  // into a picture whose rows are padded; the padding is left as it is.
  bool Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out,
             std::ptrdiff_t outStride);

  // The resampler, for tests that compare its kernels.
  BgrUpscaler& Scaler() { return m_scaler; }

 private:
  BgrUpscaler m_scaler;
  std::vector<std::uint8_t> m_row;  // one mirrored row in the making
};
