// Format blocks and capability records in their real byte layouts.
#pragma once

#include <cstdint>
#include <vector>

#include "interfaces.h"
#include "source_device.h"

namespace platform {

// Little-endian field access into a byte block; 0 when the field lies outside it.
std::int32_t ReadInt32(const std::vector<std::uint8_t>& block, std::size_t offset);
void WriteInt32(std::vector<std::uint8_t>& block, std::size_t offset, std::int32_t value);

// The media type of a capability: major type video, subtype YUY2 or MJPG, and a
// VIDEOINFOHEADER (width at byte 52, height at 56) or VIDEOINFOHEADER2 block
// (interlace flags at 48, copy-protection flags at 52, its bitmap header at 72).
AM_MEDIA_TYPE MediaTypeOf(const Capability& capability);
// The 128-byte VIDEO_STREAM_CONFIG_CAPS record of a capability.
std::vector<std::uint8_t> StreamCapsOf(const Capability& capability);
// Width and height of a media type's bitmap header, for either block; false when the
// type is no video format this model knows.
bool FrameSizeOf(const AM_MEDIA_TYPE& mt, int& width, int& height);
// The wire format a subtype names; false for others.
bool WireFormatOf(const GUID& subtype, WireFormat& format);
// The media type of 24-bit BGR frames (subtype RGB24, VIDEOINFOHEADER, bottom row first).
AM_MEDIA_TYPE Rgb24MediaTypeOf(int width, int height);

}  // namespace platform
