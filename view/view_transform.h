// The view transform of every frame: the pan square, the digital zoom (a centred crop
// scaled back to the full frame) and the mirrors. Works on 24-bit BGR rows of exactly
// width × 3 bytes, stored bottom row first; row numbers below are stored rows.
//
// The result is that of the steps one after the other (the pan square copied centred
// into a black frame, the crop of that frame enlarged bilinearly, then the horizontal
// and the vertical mirror), but made in one pass: each output row is built straight
// from the source rows it shows, the mirrors are folded into where the pixels go, and
// neither the black frame nor the crop is ever materialised. Into a destination kept
// from an earlier frame only the pixels that show the source are written again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "view/view_transform_scaler.h"

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
  // What the destination holds when a call begins.
  enum class Destination {
    // Anything: every pixel is written.
    Fresh,
    // What this transform last wrote into this buffer, untouched since: between its
    // calls a kept destination belongs to the transform, and nobody else writes its
    // rows. The transform remembers the last few buffers it wrote (a writer may
    // alternate between pictures while readers hold the others). Only the pixels that
    // show the source are written again; the black around them is left as it is when
    // the buffer, its size and stride, and where the black lies (pan square, zoom
    // crop, mirrors) are exactly those of the last successful call on that buffer. Any
    // difference writes every pixel, as Fresh does.
    //
    // A buffer just made is Fresh even at an old one's address (a picture made again,
    // e.g. after a change of resolution, may well get the same memory), as is one that
    // anything else has written into.
    Kept,
  };

  // Transforms src (w × h) into out (w × h × 3 bytes). False, with out untouched, for
  // a missing buffer, an empty size or a zoom that is not a positive number.
  bool Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out);
  // The same with output rows outStride bytes apart (at least w × 3), e.g. straight
  // into a picture whose rows are padded; the padding is left as it is.
  bool Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out,
             std::ptrdiff_t outStride, Destination destination = Destination::Fresh);

  // The resampler, for tests that compare its kernels.
  BgrUpscaler& Scaler() { return m_scaler; }

 private:
  static constexpr int kRemembered = 4;
  // Where a call left black in its buffer: everything outside `shown`.
  struct Written {
    const std::uint8_t* out = nullptr;
    std::ptrdiff_t stride = 0;
    int w = 0, h = 0;
    BgrUpscaler::Region shown;

    bool operator==(const Written&) const = default;
  };

  BgrUpscaler m_scaler;
  // The last calls' buffers, the most recent use counted in `age`; `out` null: unused.
  std::array<Written, kRemembered> m_written{};
  std::array<unsigned, kRemembered> m_age{};
  unsigned m_calls = 0;
};
