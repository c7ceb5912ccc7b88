// The UVC cameras present as V4L2 capture nodes.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "platform/graph/source_device.h"
#include "platform/graph/v4l2/v4l2_io.h"
#include "platform/graph/v4l2/v4l2_source.h"

namespace platform::v4l2 {

class V4l2DeviceProvider : public DeviceProvider {
 public:
  // Lists the nodes to look at; by default udev's video4linux nodes by minor number.
  using NodeLister = std::function<QStringList()>;

  V4l2DeviceProvider();
  V4l2DeviceProvider(std::shared_ptr<V4l2Io> io, NodeLister listNodes, V4l2Source::Options options);

  // One handle per node that captures video by streaming in YUYV or MJPEG (metadata
  // nodes and other devices are left out). Id = the node path, FriendlyName = the
  // product string of the node's USB device (see CaptureNodeName in v4l2_formats.h).
  std::vector<std::shared_ptr<DeviceHandle>> Devices() override;

 private:
  std::shared_ptr<V4l2Io> m_io;
  NodeLister m_listNodes;
  V4l2Source::Options m_options;
};

}  // namespace platform::v4l2
