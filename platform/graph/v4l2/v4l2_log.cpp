#include "platform/graph/v4l2/v4l2_log.h"

namespace platform::v4l2 {
Q_LOGGING_CATEGORY(lcV4l2, "vistrel.v4l2")
}
