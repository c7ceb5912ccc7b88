// The emulated UVC camera of the kernel test. Serves the camera through gadgetfs and
// takes commands, one a line, from <state dir>/ctl: "button", "unplug", "plug". What
// happens (plugged, configured, commit, set <entity> <selector> <value>, button, ...)
// is appended to <state dir>/events.
//
// Usage: uvc-test-camera <gadgetfs dir> <state dir>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <cerrno>

#include "uvc_gadget.h"

namespace {
void Wake(int) {}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: uvc-test-camera <gadgetfs dir> <state dir>\n";
    return 2;
  }
  const std::string gadgetDir = argv[1];
  const std::string stateDir = argv[2];
  // Threads blocked in an endpoint write are woken by this signal, so it must not
  // restart the call.
  struct sigaction action {};
  action.sa_handler = Wake;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGUSR1, &action, nullptr) != 0) return 1;

  const std::string ctl = stateDir + "/ctl";
  if (::mkfifo(ctl.c_str(), 0600) != 0 && errno != EEXIST) {
    std::perror("mkfifo");
    return 1;
  }
  std::mutex logMutex;
  std::ofstream events(stateDir + "/events", std::ios::app);
  auto log = [&](const std::string& line) {
    std::lock_guard lock(logMutex);
    events << line << std::endl;
    std::cerr << "camera: " << line << std::endl;
  };

  auto gadget = std::make_unique<testcam::UvcGadget>(gadgetDir, log);
  if (!gadget->Plug()) return 1;
  // Opened for writing too, so the FIFO never reports the end while no writer is there.
  const int fifo = ::open(ctl.c_str(), O_RDWR | O_CLOEXEC);
  if (fifo < 0) {
    std::perror("open ctl");
    return 1;
  }
  std::string line;
  for (;;) {
    char c;
    const ssize_t n = ::read(fifo, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (c != '\n') {
      line += c;
      continue;
    }
    const std::string command = std::exchange(line, {});
    log("command " + command);
    if (command == "button") {
      if (gadget) gadget->PressButton();
    } else if (command == "unplug") {
      gadget.reset();
    } else if (command == "plug") {
      if (!gadget) {
        gadget = std::make_unique<testcam::UvcGadget>(gadgetDir, log);
        if (!gadget->Plug()) gadget.reset();
      }
    } else if (command == "quit") {
      break;
    }
  }
  return 0;
}
