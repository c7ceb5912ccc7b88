// Logging category of the media graph: what a filter drops or cannot do on a streaming
// thread, where no caller is there to be told.
#pragma once

#include <QLoggingCategory>

namespace platform {
Q_DECLARE_LOGGING_CATEGORY(lcGraph)
}
