// The view transform of every frame: the pan square, the digital zoom (a centred crop
// scaled back to the full frame) and the mirrors. Works on 24-bit BGR rows of exactly
// width × 3 bytes, stored bottom row first; row numbers below are stored rows.
#pragma once

#include <cstdint>
#include <vector>

#include "outside/image_scale.h"

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
  // Transforms src (w × h) into out (w × h × 3 bytes). The working buffers follow the
  // frame size and are kept between frames.
  bool Apply(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* out);

 private:
  // The pan square placed centred in a black frame.
  void CopyPanSquare(const std::uint8_t* src, int w, int h, const ViewTransformParams& p, std::uint8_t* dst);

  std::vector<std::uint8_t> m_pan;
  std::vector<std::uint8_t> m_crop;
  std::vector<std::uint8_t> m_row;
  ImageScaler m_scaler;
};
