// Measurements on YUYV frames for the virtual camera's tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vcamtest {

struct Box {
  int x0, y0, x1, y1;  // [x0, x1) × [y0, y1)
};

class Yuyv {
 public:
  Yuyv(const std::vector<std::uint8_t>& bytes, int width, int height) : m_b(bytes), m_w(width), m_h(height) {}

  int Y(int x, int y) const { return m_b[(static_cast<std::size_t>(y) * m_w + x) * 2]; }
  int U(int x, int y) const { return m_b[(static_cast<std::size_t>(y) * m_w + (x & ~1)) * 2 + 1]; }
  int V(int x, int y) const { return m_b[(static_cast<std::size_t>(y) * m_w + (x & ~1)) * 2 + 3]; }

  template <class F>
  double Mean(const Box& b, F f) const {
    double sum = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) sum += (this->*f)(x, y);
    return sum / (static_cast<double>(b.x1 - b.x0) * (b.y1 - b.y0));
  }
  double MeanY(const Box& b) const { return Mean(b, &Yuyv::Y); }
  double MeanU(const Box& b) const { return Mean(b, &Yuyv::U); }
  double MeanV(const Box& b) const { return Mean(b, &Yuyv::V); }

  int MaxY(const Box& b) const {
    int m = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) m = std::max(m, Y(x, y));
    return m;
  }
  // Largest distance of any chroma sample from neutral (128).
  int ChromaSpread() const {
    int m = 0;
    for (std::size_t i = 1; i < m_b.size(); i += 2) m = std::max(m, std::abs(m_b[i] - 128));
    return m;
  }

  // A box around the centre, a tenth of the height across.
  Box Centre() const { return {m_w / 2 - m_h / 20, m_h / 2 - m_h / 20, m_w / 2 + m_h / 20, m_h / 2 + m_h / 20}; }
  // The bottom right corner, far outside the field and away from the counter.
  Box Corner() const { return {m_w - m_h / 20, m_h - m_h / 20, m_w, m_h}; }

 private:
  const std::vector<std::uint8_t>& m_b;
  int m_w;
  int m_h;
};

}  // namespace vcamtest
