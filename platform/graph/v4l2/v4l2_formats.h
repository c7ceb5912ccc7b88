// What a capture node can deliver: its wire formats, frame sizes and frame rates.
#pragma once

#include <linux/videodev2.h>

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/graph/source_device.h"
#include "platform/graph/v4l2/v4l2_device.h"

namespace platform::v4l2 {

// One (pixel format, frame size) the node offers, with its fastest frame interval.
struct V4l2FrameFormat {
  WireFormat format = WireFormat::YUY2;
  int width = 0;
  int height = 0;
  v4l2_fract interval{0, 0};  // seconds per frame; zero when the driver does not say
};

// The V4L2 pixel format of a wire format, and back (nullopt for formats we do not take).
std::uint32_t PixelFormatOf(WireFormat format);
std::optional<WireFormat> WireFormatOfPixelFormat(std::uint32_t pixelFormat);

// The capture formats of the node, YUYV and MJPEG only, in the driver's order: every
// size of its first format, then of the next. Stepwise and continuous size ranges
// offer the common sizes that fit them. Empty when the node offers none (or failed).
std::vector<V4l2FrameFormat> EnumerateFrameFormats(const V4l2Device& device);

// The capability list: every frame format twice in a row, with a VIDEOINFOHEADER and
// then a VIDEOINFOHEADER2 block, as the stream configuration of a UVC camera lists it.
std::vector<Capability> CapabilitiesOf(const std::vector<V4l2FrameFormat>& formats);

// Frames per second of an interval; 30 when the interval is unknown.
double FramesPerSecond(const v4l2_fract& interval);

// True when the node offers YUYV or MJPEG capture at all.
bool OffersWireFormat(const V4l2Device& device);

// The card name the driver reports. The UVC driver builds it from the USB product
// string, adds ": <function>" when the camera names its video function, and cuts the
// whole to 31 bytes, so it is not the product name.
QString CardName(const v4l2_capability& caps);

// The name a capture node is listed under: the product string of its USB device (the
// same string that device's USB row carries), or, for a node without a USB parent or
// whose USB device names no product, the card name.
QString CaptureNodeName(const v4l2_capability& caps, const std::optional<QString>& usbProduct);

// The capabilities of the node itself (device_caps when the driver reports them).
std::uint32_t DeviceCapsOf(const v4l2_capability& caps);
// True for a node that captures video by streaming (not a metadata node).
bool IsStreamingCaptureNode(const v4l2_capability& caps);

}  // namespace platform::v4l2
