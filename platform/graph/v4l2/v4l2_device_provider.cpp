#include "platform/graph/v4l2/v4l2_device_provider.h"

#include <utility>

#include "platform/graph/v4l2/udev_lookup.h"
#include "platform/graph/v4l2/v4l2_device.h"
#include "platform/graph/v4l2/v4l2_device_handle.h"
#include "platform/graph/v4l2/v4l2_formats.h"

namespace platform::v4l2 {
namespace {

// The friendly name of a camera node worth listing; a null string for any other node.
QString CameraName(const std::shared_ptr<V4l2Io>& io, const QString& node, const UsbProductFinder& findProduct) {
  V4l2Device device(io);
  if (device.Open(node) != 0) return {};
  v4l2_capability caps{};
  if (device.Ioctl(VIDIOC_QUERYCAP, &caps) != 0 || !IsStreamingCaptureNode(caps)) return {};
  // Only the formats are asked here; sizes and rates wait until the camera is opened.
  if (!OffersWireFormat(device)) return {};
  const QString name = CaptureNodeName(caps, findProduct ? findProduct(node) : UsbProductOf(node));
  return name.isNull() ? QString("") : name;
}

}  // namespace

V4l2DeviceProvider::V4l2DeviceProvider()
    : V4l2DeviceProvider(std::make_shared<SystemV4l2Io>(), ListVideoNodes, V4l2Source::Options{}) {}

V4l2DeviceProvider::V4l2DeviceProvider(std::shared_ptr<V4l2Io> io, NodeLister listNodes,
                                       V4l2Source::Options options)
    : m_io(std::move(io)), m_listNodes(std::move(listNodes)), m_options(std::move(options)) {}

std::vector<std::shared_ptr<DeviceHandle>> V4l2DeviceProvider::Devices() {
  std::vector<std::shared_ptr<DeviceHandle>> devices;
  for (const QString& node : m_listNodes()) {
    const QString name = CameraName(m_io, node, m_options.findUsbProduct);
    if (name.isNull()) continue;
    devices.push_back(std::make_shared<V4l2DeviceHandle>(m_io, node, name, m_options));
  }
  return devices;
}

}  // namespace platform::v4l2
