#include "platform/graph/media_format.h"

#include <cstring>

namespace platform {
namespace {

// VIDEOINFOHEADER / VIDEOINFOHEADER2 fields shared by both blocks.
constexpr std::size_t kBitRate = 32;
constexpr std::size_t kAvgTimePerFrame = 40;
// VIDEOINFOHEADER2 fields between the common part and its bitmap header.
constexpr std::size_t kInterlaceFlags = 48;
constexpr std::size_t kCopyProtectFlags = 52;
constexpr std::size_t kPictAspectRatioX = 56;
constexpr std::size_t kPictAspectRatioY = 60;
constexpr std::size_t kControlFlags = 64;
constexpr std::size_t kReserved2 = 68;
// Where the BITMAPINFOHEADER starts in each block, and its fields relative to that.
constexpr std::size_t kBitmapHeaderVih = 48;
constexpr std::size_t kBitmapHeaderVih2 = 72;
constexpr std::size_t kBiSize = 0;
constexpr std::size_t kBiWidth = 4;
constexpr std::size_t kBiHeight = 8;
constexpr std::size_t kBiPlanes = 12;
constexpr std::size_t kBiBitCount = 14;
constexpr std::size_t kBiCompression = 16;
constexpr std::size_t kBiSizeImage = 20;
constexpr std::int32_t kBitmapInfoHeaderSize = 40;

// VIDEO_STREAM_CONFIG_CAPS fields. The 64-bit frame intervals are 8-byte aligned,
// which leaves four bytes of padding after ShrinkTapsY (100).
constexpr std::size_t kCapsGuid = 0;
constexpr std::size_t kCapsInputSize = 20;
constexpr std::size_t kCapsMinCroppingSize = 28;
constexpr std::size_t kCapsMaxCroppingSize = 36;
constexpr std::size_t kCapsMinOutputSize = 60;
constexpr std::size_t kCapsMaxOutputSize = 68;
constexpr std::size_t kCapsMinFrameInterval = 104;
constexpr std::size_t kCapsMaxFrameInterval = 112;
constexpr std::size_t kCapsMinBitsPerSecond = 120;
constexpr std::size_t kCapsMaxBitsPerSecond = 124;

constexpr std::int64_t kUnitsPerSecond = 10'000'000;  // REFERENCE_TIME is in 100 ns

void WriteInt16(std::vector<std::uint8_t>& block, std::size_t offset, std::int16_t value) {
  if (offset + 2 > block.size()) return;
  const auto v = static_cast<std::uint16_t>(value);
  block[offset] = static_cast<std::uint8_t>(v);
  block[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

void WriteInt64(std::vector<std::uint8_t>& block, std::size_t offset, std::int64_t value) {
  const auto v = static_cast<std::uint64_t>(value);
  WriteInt32(block, offset, static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
  WriteInt32(block, offset + 4, static_cast<std::int32_t>(static_cast<std::uint32_t>(v >> 32)));
}

void WriteGuid(std::vector<std::uint8_t>& block, std::size_t offset, const GUID& guid) {
  if (offset + 16 > block.size()) return;
  WriteInt32(block, offset, static_cast<std::int32_t>(guid.Data1));
  WriteInt16(block, offset + 4, static_cast<std::int16_t>(guid.Data2));
  WriteInt16(block, offset + 6, static_cast<std::int16_t>(guid.Data3));
  std::memcpy(block.data() + offset + 8, guid.Data4, 8);
}

std::int64_t FrameIntervalOf(const Capability& capability) {
  if (capability.framesPerSecond <= 0.0) return 0;
  return static_cast<std::int64_t>(static_cast<double>(kUnitsPerSecond) / capability.framesPerSecond + 0.5);
}

std::uint32_t FourccOf(WireFormat format) {
  return format == WireFormat::MJPG ? MEDIASUBTYPE_MJPG.Data1 : MEDIASUBTYPE_YUY2.Data1;
}

int BitCountOf(WireFormat format) { return format == WireFormat::MJPG ? 24 : 16; }

std::int64_t ImageSizeOf(const Capability& capability) {
  return static_cast<std::int64_t>(capability.width) * capability.height * BitCountOf(capability.format) / 8;
}

std::int32_t BitRateOf(const Capability& capability) {
  const double bits = static_cast<double>(ImageSizeOf(capability)) * 8.0 * capability.framesPerSecond;
  if (bits <= 0.0) return 0;
  // DWORD field: clamp instead of wrapping for the largest frames.
  return bits >= 4294967295.0 ? static_cast<std::int32_t>(0xFFFFFFFFu)
                              : static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

}  // namespace

std::int32_t ReadInt32(const std::vector<std::uint8_t>& block, std::size_t offset) {
  if (offset > block.size() || block.size() - offset < 4) return 0;
  const std::uint32_t v = static_cast<std::uint32_t>(block[offset]) | static_cast<std::uint32_t>(block[offset + 1]) << 8 |
                          static_cast<std::uint32_t>(block[offset + 2]) << 16 |
                          static_cast<std::uint32_t>(block[offset + 3]) << 24;
  return static_cast<std::int32_t>(v);
}

// A write past the end of the block is ignored: the blocks have fixed sizes, and
// growing one silently would hide a wrong offset.
void WriteInt32(std::vector<std::uint8_t>& block, std::size_t offset, std::int32_t value) {
  if (offset > block.size() || block.size() - offset < 4) return;
  const auto v = static_cast<std::uint32_t>(value);
  block[offset] = static_cast<std::uint8_t>(v);
  block[offset + 1] = static_cast<std::uint8_t>(v >> 8);
  block[offset + 2] = static_cast<std::uint8_t>(v >> 16);
  block[offset + 3] = static_cast<std::uint8_t>(v >> 24);
}

AM_MEDIA_TYPE MediaTypeOf(const Capability& capability) {
  AM_MEDIA_TYPE mt;
  mt.majortype = MEDIATYPE_Video;
  mt.subtype = capability.format == WireFormat::MJPG ? MEDIASUBTYPE_MJPG : MEDIASUBTYPE_YUY2;
  mt.bFixedSizeSamples = capability.format != WireFormat::MJPG;
  mt.bTemporalCompression = false;
  mt.lSampleSize = static_cast<std::uint32_t>(ImageSizeOf(capability));
  mt.formattype = capability.videoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
  mt.pbFormat.assign(capability.videoInfo2 ? kVideoInfoHeader2Size : kVideoInfoHeaderSize, 0);

  // rcSource and rcTarget stay empty: the whole picture, no cropping.
  std::vector<std::uint8_t>& f = mt.pbFormat;
  WriteInt32(f, kBitRate, BitRateOf(capability));
  WriteInt64(f, kAvgTimePerFrame, FrameIntervalOf(capability));
  std::size_t bih = kBitmapHeaderVih;
  if (capability.videoInfo2) {
    WriteInt32(f, kInterlaceFlags, 0);
    WriteInt32(f, kCopyProtectFlags, 0);
    WriteInt32(f, kPictAspectRatioX, capability.width);
    WriteInt32(f, kPictAspectRatioY, capability.height);
    WriteInt32(f, kControlFlags, 0);
    WriteInt32(f, kReserved2, 0);
    bih = kBitmapHeaderVih2;
  }
  WriteInt32(f, bih + kBiSize, kBitmapInfoHeaderSize);
  WriteInt32(f, bih + kBiWidth, capability.width);
  WriteInt32(f, bih + kBiHeight, capability.height);
  WriteInt16(f, bih + kBiPlanes, 1);
  WriteInt16(f, bih + kBiBitCount, static_cast<std::int16_t>(BitCountOf(capability.format)));
  WriteInt32(f, bih + kBiCompression, static_cast<std::int32_t>(FourccOf(capability.format)));
  WriteInt32(f, bih + kBiSizeImage, static_cast<std::int32_t>(ImageSizeOf(capability)));
  return mt;
}

std::vector<std::uint8_t> StreamCapsOf(const Capability& capability) {
  std::vector<std::uint8_t> caps(kStreamConfigCapsSize, 0);
  WriteGuid(caps, kCapsGuid, capability.videoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo);
  // A discrete size: input, cropping and output sizes are all the frame size.
  for (std::size_t at : {kCapsInputSize, kCapsMinCroppingSize, kCapsMaxCroppingSize, kCapsMinOutputSize,
                         kCapsMaxOutputSize}) {
    WriteInt32(caps, at, capability.width);
    WriteInt32(caps, at + 4, capability.height);
  }
  const std::int64_t interval = FrameIntervalOf(capability);
  WriteInt64(caps, kCapsMinFrameInterval, interval);
  WriteInt64(caps, kCapsMaxFrameInterval, interval);
  WriteInt32(caps, kCapsMinBitsPerSecond, BitRateOf(capability));
  WriteInt32(caps, kCapsMaxBitsPerSecond, BitRateOf(capability));
  return caps;
}

bool FrameSizeOf(const AM_MEDIA_TYPE& mt, int& width, int& height) {
  std::size_t bih = 0;
  if (mt.formattype == FORMAT_VideoInfo && mt.pbFormat.size() >= static_cast<std::size_t>(kVideoInfoHeaderSize)) {
    bih = kBitmapHeaderVih;
  } else if (mt.formattype == FORMAT_VideoInfo2 &&
             mt.pbFormat.size() >= static_cast<std::size_t>(kVideoInfoHeader2Size)) {
    bih = kBitmapHeaderVih2;
  } else {
    return false;
  }
  width = ReadInt32(mt.pbFormat, bih + kBiWidth);
  height = ReadInt32(mt.pbFormat, bih + kBiHeight);
  return true;
}

bool WireFormatOf(const GUID& subtype, WireFormat& format) {
  if (subtype == MEDIASUBTYPE_YUY2) {
    format = WireFormat::YUY2;
    return true;
  }
  if (subtype == MEDIASUBTYPE_MJPG) {
    format = WireFormat::MJPG;
    return true;
  }
  return false;
}

AM_MEDIA_TYPE Rgb24MediaTypeOf(int width, int height) {
  AM_MEDIA_TYPE mt;
  mt.majortype = MEDIATYPE_Video;
  mt.subtype = MEDIASUBTYPE_RGB24;
  mt.formattype = FORMAT_VideoInfo;
  const std::int64_t image = static_cast<std::int64_t>(width) * height * 3;
  mt.lSampleSize = static_cast<std::uint32_t>(image);
  mt.pbFormat.assign(kVideoInfoHeaderSize, 0);
  std::vector<std::uint8_t>& f = mt.pbFormat;
  WriteInt32(f, kBitmapHeaderVih + kBiSize, kBitmapInfoHeaderSize);
  WriteInt32(f, kBitmapHeaderVih + kBiWidth, width);
  // A positive height: rows are stored bottom row first.
  WriteInt32(f, kBitmapHeaderVih + kBiHeight, height);
  WriteInt16(f, kBitmapHeaderVih + kBiPlanes, 1);
  WriteInt16(f, kBitmapHeaderVih + kBiBitCount, 24);
  WriteInt32(f, kBitmapHeaderVih + kBiCompression, 0);  // BI_RGB
  WriteInt32(f, kBitmapHeaderVih + kBiSizeImage, static_cast<std::int32_t>(image));
  return mt;
}

}  // namespace platform
