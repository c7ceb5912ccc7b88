// A present V4L2 camera node, before it is opened.
#pragma once

#include <QString>

#include <memory>

#include "platform/graph/source_device.h"
#include "platform/graph/v4l2/v4l2_io.h"
#include "platform/graph/v4l2/v4l2_source.h"

namespace platform::v4l2 {

class V4l2DeviceHandle : public DeviceHandle {
 public:
  V4l2DeviceHandle(std::shared_ptr<V4l2Io> io, QString node, QString name, V4l2Source::Options options);

  QString FriendlyName() const override { return m_name; }
  QString Id() const override { return m_node; }
  // Null when the node is gone, busy or no longer a camera.
  std::shared_ptr<SourceDevice> Open() override;

 private:
  std::shared_ptr<V4l2Io> m_io;
  QString m_node;
  QString m_name;
  V4l2Source::Options m_options;
};

}  // namespace platform::v4l2
