// Eventfds that wake the streaming and button threads when they are told to stop.
#pragma once

#include "platform/shell/file_io.h"

namespace platform::v4l2 {

// A fresh eventfd (non-blocking, close-on-exec); invalid when none can be made.
UniqueFd MakeEventFd();
// Makes an eventfd readable for every poller; false when the write failed.
bool SignalEventFd(int fd);

}  // namespace platform::v4l2
