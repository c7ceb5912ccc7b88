// View and overlay settings. The frame intake reads the view settings on the streaming
// thread while commands change them on the UI thread; each is one atomic value, so a
// frame sees either the old or the new setting.
#pragma once

#include <atomic>
#include <cstdint>

struct ViewSettings {
  std::atomic<int> m_nVideoWidth{640};  // selected resolution; size of the overlay
  std::atomic<int> m_nVideoHeight{480};
  std::atomic<float> m_fZoom{1.0f};     // digital zoom, 1.0 … 2.0
  std::atomic<float> m_fPanZoom{1.0f};  // pan magnification: the pan square is height / m_fPanZoom
  std::atomic<float> m_fPanOffsetX{0.0f};  // pan offsets, -1 … 1
  std::atomic<float> m_fPanOffsetY{0.0f};
  std::atomic<int> m_nPanX{200};  // pan centre in frame pixels (y counted from the bottom row)
  std::atomic<int> m_nPanY{200};
  std::atomic<int> m_bHMirror{0};
  std::atomic<int> m_bVMirror{0};
};

using COLORREF = std::uint32_t;  // 0x00BBGGRR

// The overlay settings; changed on the UI thread only, read when the overlay is built.
struct OverlaySettings {
  bool m_bMaskOn = true;
  COLORREF m_clrMask = 0x000000;
  // The sizes an erased camera flash gives, so no overlay is ever built from an unset size.
  float m_fMaskSize = 0.5f;
  bool m_bCrossOn = true;
  COLORREF m_clrCross = 0x0000FF;
  float m_fCrossSize = 0.15f;
};
