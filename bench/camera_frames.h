// Camera frames for the benchmarks: a picture in packed RGB turned into the two wire
// formats a UVC camera sends.
#pragma once

#include <turbojpeg.h>

#include <cstdint>
#include <vector>

namespace bench {

// YUYV (4:2:2, video range) of packed RGB rows of an even width.
inline std::vector<std::uint8_t> MakeYuyv(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> yuyv(rgb.size() / 3 * 2);
  auto luma = [](const std::uint8_t* p) {
    return static_cast<std::uint8_t>(16 + (66 * p[0] + 129 * p[1] + 25 * p[2]) / 256);
  };
  for (std::size_t i = 0, o = 0; i < rgb.size(); i += 6, o += 4) {
    const std::uint8_t* p = &rgb[i];
    yuyv[o] = luma(p);
    yuyv[o + 1] = static_cast<std::uint8_t>(128 + (-38 * p[0] - 74 * p[1] + 112 * p[2]) / 256);
    yuyv[o + 2] = luma(p + 3);
    yuyv[o + 3] = static_cast<std::uint8_t>(128 + (112 * p[0] - 94 * p[1] - 18 * p[2]) / 256);
  }
  return yuyv;
}

// A baseline JPEG (4:2:2, quality 85) of packed RGB rows, as a camera's MJPEG frame;
// empty when it cannot be made.
inline std::vector<std::uint8_t> MakeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height) {
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> out;
  if (handle && tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_422, 85, 0) == 0) {
    out.assign(jpeg, jpeg + size);
  }
  tjFree(jpeg);
  if (handle) tjDestroy(handle);
  return out;
}

}  // namespace bench
