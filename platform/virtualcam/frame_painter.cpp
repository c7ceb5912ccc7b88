#include "frame_painter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "seven_segment.h"

namespace platform::vcam {

namespace {

constexpr int kMaxSide = 8192;
constexpr double kFieldDiameter = 0.9;  // of the frame height
constexpr int kSpokeShift = 4;          // spokes 16 angle steps wide: 8 bright, 8 dark
constexpr std::uint8_t kSpokeSpeed = 2; // angle steps per frame: one turn in 128 frames
constexpr int kGrain = 8;               // scene luma steps of texture either way

// The fine texture of the scene's surfaces, fixed to the pixel. It gives the JPEGs the
// detail a real camera's have, and their size: about 350 kB at 1920×1080 and 1.4 MB at
// 3840×2160 at the encoder's quality.
int GrainAt(int x, int y) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
  h = (h ^ (h >> 13)) * 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<int>(h % (2 * kGrain + 1)) - kGrain;
}

}  // namespace

bool FramePainter::SupportsSize(int width, int height) {
  return width >= 2 && height >= 2 && width <= kMaxSide && height <= kMaxSide && width % 2 == 0;
}

bool FramePainter::Prepare(int width, int height) {
  if (!SupportsSize(width, height)) return false;
  if (width == m_width && height == m_height) return true;
  m_width = width;
  m_height = height;
  const int cw = width / 2;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  m_sceneLuma.assign(pixels, kSceneSurroundLuma);
  m_angle.assign(pixels, 0);
  m_ring.assign(static_cast<std::size_t>(cw) * height, ToneTables::kRings);
  m_fieldBegin.assign(height, 0);
  m_fieldEnd.assign(height, 0);
  m_kindRow.assign(width, 0);
  m_y.clear();
  m_u.clear();
  m_v.clear();

  const double cx = width / 2.0 + m_shiftX * height;
  const double cy = height / 2.0 + m_shiftY * height;
  const double radius = kFieldDiameter * height / 2.0;
  for (int y = 0; y < height; ++y) {
    const double dy = y + 0.5 - cy;
    int begin = width;
    int end = 0;
    for (int x = 0; x < width; ++x) {
      const double dx = x + 0.5 - cx;
      const double r = std::sqrt(dx * dx + dy * dy);
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      // One pixel of soft rim, so the field's edge is a clean gradient to fit a circle to.
      const double inside = std::clamp(radius - r + 0.5, 0.0, 1.0);
      const long smooth = std::lround(kSceneSurroundLuma + inside * (SceneFieldLuma(r / radius) - kSceneSurroundLuma));
      m_sceneLuma[i] = static_cast<std::uint8_t>(std::clamp<long>(smooth + GrainAt(x, y), 0, 255));
      if (r < radius) {
        begin = std::min(begin, x);
        end = x + 1;
        const double turn = std::atan2(dy, dx) / (2.0 * M_PI);
        m_angle[i] = static_cast<std::uint8_t>(static_cast<int>(std::floor(turn * 256.0)) & 0xFF);
      }
    }
    m_fieldBegin[y] = begin < end ? begin : 0;
    m_fieldEnd[y] = begin < end ? end : 0;
    for (int j = 0; j < cw; ++j) {
      const double dx = 2 * j + 1 - cx;
      const double r = std::sqrt(dx * dx + dy * dy);
      if (r < radius)
        m_ring[static_cast<std::size_t>(y) * cw + j] =
            static_cast<std::uint8_t>(std::min(ToneTables::kRings - 1, static_cast<int>(r / radius * ToneTables::kRings)));
    }
  }
  return true;
}

void FramePainter::SetFieldShift(double x, double y) {
  m_shiftX = x;
  m_shiftY = y;
  m_width = m_height = 0;  // the tables are made again at the next Prepare
}

int FramePainter::BandOfRow(int y, std::uint64_t frameNumber) const {
  // Mains flicker: bright and dark bands six to a frame, rolling down a little each frame.
  const int period = std::max(8, m_height / 6);
  const int phase = static_cast<int>((static_cast<std::uint64_t>(y) + frameNumber * (period / 5 + 1)) % period);
  const int triangle = std::abs(2 * phase - period);  // 0..period
  return triangle * (ToneTables::kBands - 1) / period;
}

// The pixel loop touches only the painter's own tables, the caller's frame buffer and an
// immutable table set, all confined to the painting thread. The thread sanitizer's check
// of every byte would make it some twenty times slower, too slow for 30 frames a second
// at 640×480 in a sanitizer build, so it is left out of that check.
template <int kLumaStep, int kChromaStep>
__attribute__((no_sanitize("thread"))) void FramePainter::Paint(std::uint64_t frameNumber, const ToneTables& t, const YuvTarget& target) {
  const auto phase = static_cast<std::uint8_t>(frameNumber * kSpokeSpeed);
  const int cw = m_width / 2;
  const auto& lumaBands = t.luma[target.range];
  const std::uint8_t* uTable = t.u[target.range].data();
  const std::uint8_t* vTable = t.v[target.range].data();
  std::uint8_t* kind = m_kindRow.data();

  for (int y = 0; y < m_height; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * m_width;
    const std::uint8_t* scene = &m_sceneLuma[row];
    const std::uint8_t* angle = &m_angle[row];
    const auto& luts = lumaBands[t.banding ? BandOfRow(y, frameNumber) : 0];
    std::uint8_t* out = target.y + y * target.lumaStride;
    const int begin = m_fieldBegin[y];
    const int end = m_fieldEnd[y];

    for (int x = 0; x < begin; ++x) out[x * kLumaStep] = luts[0][scene[x]];
    std::memset(kind, 0, begin);
    for (int x = begin; x < end; ++x) {
      const int k = 1 + ((static_cast<std::uint8_t>(angle[x] + phase) >> kSpokeShift) & 1);
      kind[x] = static_cast<std::uint8_t>(k);
      out[x * kLumaStep] = luts[k][scene[x]];
    }
    for (int x = end; x < m_width; ++x) out[x * kLumaStep] = luts[0][scene[x]];
    std::memset(kind + end, 0, m_width - end);

    const std::uint8_t* ring = &m_ring[static_cast<std::size_t>(y) * cw];
    std::uint8_t* u = target.u + y * target.chromaStride;
    std::uint8_t* v = target.v + y * target.chromaStride;
    for (int j = 0; j < cw; ++j) {
      const int index = kind[2 * j] * ToneTables::kClasses + ring[j];
      u[j * kChromaStep] = uTable[index];
      v[j * kChromaStep] = vTable[index];
    }
  }
  if (m_counter) DrawCounter(target, frameNumber);
}

void FramePainter::PaintYuyv(std::uint64_t frameNumber, const ToneTables& tables, std::uint8_t* out) {
  if (m_width == 0) return;
  YuvTarget target;
  target.y = out;
  target.u = out + 1;
  target.v = out + 3;
  target.lumaStep = 2;
  target.chromaStep = 4;
  target.lumaStride = target.chromaStride = static_cast<std::size_t>(m_width) * 2;
  target.width = m_width;
  target.height = m_height;
  target.range = ToneTables::kVideo;
  Paint<2, 4>(frameNumber, tables, target);
}

void FramePainter::PaintPlanes(std::uint64_t frameNumber, const ToneTables& tables) {
  if (m_width == 0) return;
  const std::size_t pixels = static_cast<std::size_t>(m_width) * m_height;
  if (m_y.size() != pixels) {
    m_y.resize(pixels);
    m_u.resize(pixels / 2);
    m_v.resize(pixels / 2);
  }
  YuvTarget target;
  target.y = m_y.data();
  target.u = m_u.data();
  target.v = m_v.data();
  target.lumaStride = static_cast<std::size_t>(m_width);
  target.chromaStride = static_cast<std::size_t>(m_width) / 2;
  target.width = m_width;
  target.height = m_height;
  target.range = ToneTables::kFull;
  Paint<1, 1>(frameNumber, tables, target);
}

}  // namespace platform::vcam
