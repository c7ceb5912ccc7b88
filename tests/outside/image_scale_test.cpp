#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "outside/image_scale.h"

namespace {

struct Picture {
  int width, height, stride;
  std::vector<std::uint8_t> bytes;
  Picture(int w, int h, int s, std::uint8_t fill = 0) : width(w), height(h), stride(s), bytes(std::size_t(s) * h, fill) {}
  std::uint8_t& at(int x, int y, int c) { return bytes[std::size_t(y) * stride + 3 * x + c]; }
  std::uint8_t at(int x, int y, int c) const { return bytes[std::size_t(y) * stride + 3 * x + c]; }
};

bool Scale(ImageScaler& scaler, const Picture& src, Picture& dst) {
  return scaler.Scale(src.bytes.data(), src.width, src.height, src.stride, 24, dst.bytes.data(), dst.width,
                      dst.height, dst.stride, 24);
}

// Textbook bilinear sample with pixel centres aligned and edges clamped.
double Bilinear(const Picture& src, int c, double fx, double fy) {
  const auto px = [&](int x, int y) {
    return double(src.at(std::clamp(x, 0, src.width - 1), std::clamp(y, 0, src.height - 1), c));
  };
  const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
  const double ax = fx - x0, ay = fy - y0;
  return (1 - ay) * ((1 - ax) * px(x0, y0) + ax * px(x0 + 1, y0)) + ay * ((1 - ax) * px(x0, y0 + 1) + ax * px(x0 + 1, y0 + 1));
}

// Largest difference between the scaled picture and the reference bilinear resample.
double MaxErrorAgainstBilinear(const Picture& src, const Picture& dst) {
  double worst = 0;
  for (int y = 0; y < dst.height; ++y)
    for (int x = 0; x < dst.width; ++x)
      for (int c = 0; c < 3; ++c) {
        const double fx = (x + 0.5) * src.width / dst.width - 0.5;
        const double fy = (y + 0.5) * src.height / dst.height - 0.5;
        worst = std::max(worst, std::abs(Bilinear(src, c, fx, fy) - dst.at(x, y, c)));
      }
  return worst;
}

Picture Noise(int w, int h, int stride, unsigned seed) {
  Picture p(w, h, stride);
  std::mt19937 random(seed);
  for (auto& b : p.bytes) b = static_cast<std::uint8_t>(random());
  return p;
}

TEST(ImageScaler, UpscaleMatchesABilinearResampleOfEveryChannel) {
  ImageScaler scaler;
  // A crop with padded rows (as the zoom crop has) onto a frame with a wider stride;
  // the bytes past each output row stay untouched.
  const Picture crop = Noise(33, 15, 100, 1);
  Picture frame(66, 30, 66 * 3 + 6, 0xAB);
  ASSERT_TRUE(Scale(scaler, crop, frame));
  EXPECT_LE(MaxErrorAgainstBilinear(crop, frame), 1.0);
  for (int y = 0; y < frame.height; ++y)
    for (int i = 66 * 3; i < frame.stride; ++i) ASSERT_EQ(frame.bytes[std::size_t(y) * frame.stride + i], 0xAB);

  // A horizontal gradient stays a gradient.
  Picture gradient(64, 8, 64 * 3);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 64; ++x)
      for (int c = 0; c < 3; ++c) gradient.at(x, y, c) = static_cast<std::uint8_t>(4 * x);
  Picture big(128, 16, 128 * 3);
  ASSERT_TRUE(Scale(scaler, gradient, big));
  EXPECT_LE(MaxErrorAgainstBilinear(gradient, big), 1.0);
  for (int x = 1; x < 128; ++x) EXPECT_GE(big.at(x, 5, 1), big.at(x - 1, 5, 1));
}

TEST(ImageScaler, SameSizeIsAnExactRowCopy) {
  ImageScaler scaler;
  const Picture src = Noise(7, 5, 24, 4);
  Picture dst(7, 5, 21, 0);
  ASSERT_TRUE(Scale(scaler, src, dst));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(dst.at(x, y, c), src.at(x, y, c));
}

TEST(ImageScaler, BadArgumentsFail) {
  ImageScaler scaler;
  std::vector<std::uint8_t> src(64 * 64 * 3), dst(128 * 128 * 3);
  EXPECT_FALSE(scaler.Scale(nullptr, 8, 8, 24, 24, dst.data(), 16, 16, 48, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 24, 24, nullptr, 16, 16, 48, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 0, 8, 24, 24, dst.data(), 16, 16, 48, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 24, 24, dst.data(), 16, -1, 48, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 24, 32, dst.data(), 16, 16, 48, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 24, 24, dst.data(), 16, 16, 48, 8));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 23, 24, dst.data(), 16, 16, 48, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 24, 24, dst.data(), 16, 16, 47, 24));
  EXPECT_FALSE(scaler.Scale(src.data(), 8, 8, 24, 24, dst.data(), 8, 8, 23, 24));  // same size too
  EXPECT_TRUE(scaler.Scale(src.data(), 8, 8, 24, 24, dst.data(), 16, 16, 48, 24));
}

// Bytes that end exactly where an unreadable, unwritable page begins: a read or write
// past the last byte ends the test program.
class GuardedBytes {
 public:
  explicit GuardedBytes(std::size_t size) : m_size(size) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    m_mapped = (size + page - 1) / page * page + page;
    void* memory = mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    m_base = static_cast<std::uint8_t*>(memory);
    if (mprotect(m_base + m_mapped - page, page, PROT_NONE) != 0) return;
    m_data = m_base + m_mapped - page - size;
  }
  ~GuardedBytes() {
    if (m_base) munmap(m_base, m_mapped);
  }
  std::uint8_t* data() { return m_data; }

 private:
  std::size_t m_size;
  std::size_t m_mapped = 0;
  std::uint8_t* m_base = nullptr;
  std::uint8_t* m_data = nullptr;
};

// The vector code of the scaler reads (and may write) a little past the end of a
// row; a picture whose last row ends at the end of its memory is still scaled, both
// ways and at widths of every remainder.
TEST(ImageScaler, PicturesThatEndAtTheEndOfTheirMemoryAreScaled) {
  for (int width : {37, 64, 101, 640}) {
    for (bool up : {false, true}) {
      const int height = 48;
      const int dstWidth = up ? width * 2 + 1 : width / 2 + 1;
      const int dstHeight = up ? 97 : 23;
      const int srcStride = width * 3;  // no padding at all
      const int dstStride = dstWidth * 3;
      GuardedBytes src(static_cast<std::size_t>(srcStride) * height);
      GuardedBytes dst(static_cast<std::size_t>(dstStride) * dstHeight);
      ASSERT_NE(src.data(), nullptr);
      ASSERT_NE(dst.data(), nullptr);
      std::fill_n(src.data(), static_cast<std::size_t>(srcStride) * height, std::uint8_t{200});
      ImageScaler scaler;
      ASSERT_TRUE(scaler.Scale(src.data(), width, height, srcStride, 24, dst.data(), dstWidth, dstHeight, dstStride, 24))
          << width << " up " << up;
      // A flat picture stays flat, to its last byte.
      for (std::size_t i = 0; i < static_cast<std::size_t>(dstStride) * dstHeight; ++i) {
        ASSERT_EQ(dst.data()[i], 200) << "byte " << i << ", width " << width << " up " << up;
      }
    }
  }
}

}  // namespace
