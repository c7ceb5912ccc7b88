// Logging category of the V4L2 source: failures that no caller can act on (a device
// that does not stop cleanly after an unplug) are reported here instead of dropped.
#pragma once

#include <QLoggingCategory>

namespace platform::v4l2 {
Q_DECLARE_LOGGING_CATEGORY(lcV4l2)
}
