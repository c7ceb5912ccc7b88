#include "platform/graph/v4l2/v4l2_device_handle.h"

#include <utility>

namespace platform::v4l2 {

V4l2DeviceHandle::V4l2DeviceHandle(std::shared_ptr<V4l2Io> io, QString node, QString name,
                                   V4l2Source::Options options)
    : m_io(std::move(io)), m_node(std::move(node)), m_name(std::move(name)), m_options(std::move(options)) {}

std::shared_ptr<SourceDevice> V4l2DeviceHandle::Open() { return V4l2Source::Open(m_io, m_node, m_options); }

}  // namespace platform::v4l2
