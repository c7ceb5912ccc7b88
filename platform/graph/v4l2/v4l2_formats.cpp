#include "platform/graph/v4l2/v4l2_formats.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace platform::v4l2 {
namespace {

// A driver that never ends an enumeration must not hang us.
constexpr std::uint32_t kMaxEnumeration = 256;

struct Size {
  int width;
  int height;
};

// Offered from a stepwise or continuous size range.
constexpr std::array<Size, 3> kCommonSizes{{{640, 480}, {1280, 720}, {1920, 1080}}};

// Sides beyond any camera's (and beyond an int) are a driver's garbage, not a size.
constexpr std::uint32_t kMaxSide = 16384;

bool Fits(std::uint32_t value, std::uint32_t min, std::uint32_t max, std::uint32_t step) {
  if (value < min || value > max) return false;
  return step == 0 || (value - min) % step == 0;
}

bool Faster(const v4l2_fract& a, const v4l2_fract& b) {
  // a < b as fractions; both have non-zero terms.
  return static_cast<std::uint64_t>(a.numerator) * b.denominator <
         static_cast<std::uint64_t>(b.numerator) * a.denominator;
}

bool Valid(const v4l2_fract& f) { return f.numerator != 0 && f.denominator != 0; }

v4l2_fract FastestInterval(const V4l2Device& device, std::uint32_t pixelFormat, int width, int height) {
  v4l2_fract best{0, 0};
  for (std::uint32_t index = 0; index < kMaxEnumeration; ++index) {
    v4l2_frmivalenum ival{};
    ival.index = index;
    ival.pixel_format = pixelFormat;
    ival.width = static_cast<std::uint32_t>(width);
    ival.height = static_cast<std::uint32_t>(height);
    if (device.Ioctl(VIDIOC_ENUM_FRAMEINTERVALS, &ival) != 0) break;
    if (ival.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
      if (Valid(ival.discrete) && (!Valid(best) || Faster(ival.discrete, best))) best = ival.discrete;
      continue;
    }
    // Stepwise and continuous ranges come as one entry; the shortest interval is their minimum.
    if (Valid(ival.stepwise.min)) best = ival.stepwise.min;
    break;
  }
  return best;
}

std::vector<Size> FrameSizes(const V4l2Device& device, std::uint32_t pixelFormat) {
  std::vector<Size> sizes;
  for (std::uint32_t index = 0; index < kMaxEnumeration; ++index) {
    v4l2_frmsizeenum size{};
    size.index = index;
    size.pixel_format = pixelFormat;
    if (device.Ioctl(VIDIOC_ENUM_FRAMESIZES, &size) != 0) break;
    if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      if (size.discrete.width == 0 || size.discrete.height == 0) continue;
      if (size.discrete.width > kMaxSide || size.discrete.height > kMaxSide) continue;
      sizes.push_back({static_cast<int>(size.discrete.width), static_cast<int>(size.discrete.height)});
      continue;
    }
    const v4l2_frmsize_stepwise& range = size.stepwise;
    for (const Size& common : kCommonSizes) {
      if (Fits(common.width, range.min_width, range.max_width, range.step_width) &&
          Fits(common.height, range.min_height, range.max_height, range.step_height)) {
        sizes.push_back(common);
      }
    }
    break;
  }
  // A size listed twice would give the menu a duplicate entry.
  std::vector<Size> unique;
  for (const Size& s : sizes) {
    const bool seen = std::any_of(unique.begin(), unique.end(),
                                  [&](const Size& u) { return u.width == s.width && u.height == s.height; });
    if (!seen) unique.push_back(s);
  }
  return unique;
}

}  // namespace

std::uint32_t PixelFormatOf(WireFormat format) {
  return format == WireFormat::MJPG ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
}

std::optional<WireFormat> WireFormatOfPixelFormat(std::uint32_t pixelFormat) {
  if (pixelFormat == V4L2_PIX_FMT_YUYV) return WireFormat::YUY2;
  if (pixelFormat == V4L2_PIX_FMT_MJPEG) return WireFormat::MJPG;
  return std::nullopt;
}

std::vector<V4l2FrameFormat> EnumerateFrameFormats(const V4l2Device& device) {
  std::vector<V4l2FrameFormat> formats;
  std::vector<std::uint32_t> seenPixelFormats;
  for (std::uint32_t index = 0; index < kMaxEnumeration; ++index) {
    v4l2_fmtdesc desc{};
    desc.index = index;
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (device.Ioctl(VIDIOC_ENUM_FMT, &desc) != 0) break;
    const std::optional<WireFormat> wire = WireFormatOfPixelFormat(desc.pixelformat);
    if (!wire) continue;
    if (std::find(seenPixelFormats.begin(), seenPixelFormats.end(), desc.pixelformat) != seenPixelFormats.end()) {
      continue;
    }
    seenPixelFormats.push_back(desc.pixelformat);
    for (const Size& size : FrameSizes(device, desc.pixelformat)) {
      formats.push_back({*wire, size.width, size.height,
                         FastestInterval(device, desc.pixelformat, size.width, size.height)});
    }
  }
  return formats;
}

std::vector<Capability> CapabilitiesOf(const std::vector<V4l2FrameFormat>& formats) {
  std::vector<Capability> caps;
  caps.reserve(formats.size() * 2);
  for (const V4l2FrameFormat& f : formats) {
    const double fps = FramesPerSecond(f.interval);
    caps.push_back({f.format, f.width, f.height, false, fps});
    caps.push_back({f.format, f.width, f.height, true, fps});
  }
  return caps;
}

double FramesPerSecond(const v4l2_fract& interval) {
  if (!Valid(interval)) return 30.0;
  return static_cast<double>(interval.denominator) / interval.numerator;
}

bool OffersWireFormat(const V4l2Device& device) {
  for (std::uint32_t index = 0; index < kMaxEnumeration; ++index) {
    v4l2_fmtdesc desc{};
    desc.index = index;
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (device.Ioctl(VIDIOC_ENUM_FMT, &desc) != 0) return false;
    if (WireFormatOfPixelFormat(desc.pixelformat)) return true;
  }
  return false;
}

QString CardName(const v4l2_capability& caps) {
  const char* card = reinterpret_cast<const char*>(caps.card);
  return QString::fromUtf8(card, static_cast<qsizetype>(strnlen(card, sizeof caps.card))).trimmed();
}

QString CaptureNodeName(const v4l2_capability& caps, const std::optional<QString>& usbProduct) {
  if (usbProduct && !usbProduct->isEmpty()) return *usbProduct;
  return CardName(caps);
}

std::uint32_t DeviceCapsOf(const v4l2_capability& caps) {
  return (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
}

bool IsStreamingCaptureNode(const v4l2_capability& caps) {
  // A UVC camera's second node carries metadata only: its device caps name
  // V4L2_CAP_META_CAPTURE without V4L2_CAP_VIDEO_CAPTURE. (A driver too old to report
  // device caps answers for both nodes at once; the metadata node then offers no video
  // formats, which keeps it out as well.)
  const std::uint32_t node = DeviceCapsOf(caps);
  return (node & V4L2_CAP_VIDEO_CAPTURE) && (node & V4L2_CAP_STREAMING);
}

}  // namespace platform::v4l2
