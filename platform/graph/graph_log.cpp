#include "platform/graph/graph_log.h"

namespace platform {
Q_LOGGING_CATEGORY(lcGraph, "vistrel.graph")
}
