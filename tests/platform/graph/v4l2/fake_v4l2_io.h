// A V4L2 camera in memory, behind the ioctl seam. It keeps the rules a real driver
// enforces where a wrong call order would corrupt a stream (no format change with
// buffers allocated, no streaming without queued buffers, writes to inactive controls
// refused), and records the calls in order.
#pragma once

#include <linux/videodev2.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/graph/v4l2/v4l2_io.h"
#include "platform/graph/v4l2/v4l2_source.h"

namespace fakev4l2 {

struct FakeSize {
  std::uint32_t type = V4L2_FRMSIZE_TYPE_DISCRETE;
  std::uint32_t width = 0, height = 0;  // discrete
  v4l2_frmsize_stepwise range{};        // stepwise, continuous
};

struct FakeFormat {
  std::uint32_t pixelFormat = V4L2_PIX_FMT_YUYV;
  std::vector<FakeSize> sizes;
  std::vector<v4l2_fract> intervals{{1, 30}};  // the same for every size; empty: not enumerable
};

struct FakeControl {
  v4l2_queryctrl info{};
  std::int32_t value = 0;
  std::set<std::int32_t> menu;  // offered items of a menu control
};

// The state of one node. Tests change it under the io's lock through FakeV4l2Io::With.
struct FakeNode {
  // The UVC driver's card name is not the product name: see SetUsbProduct.
  std::string card = "Fake Camera";
  // The product string of the node's USB device; nullopt for a node without a USB parent.
  std::optional<std::string> usbProduct = "Fake Camera";
  std::uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
  std::vector<FakeFormat> formats;
  std::map<std::uint32_t, FakeControl> controls;
  unsigned grantBuffers = 0;    // buffers granted per request; 0: as many as asked
  std::uint32_t answerWidth = 0;  // S_FMT answers this width instead when non-zero
  std::map<std::string, int> failures;  // ioctl name → errno it fails with (until cleared)
  int interruptions = 0;               // the next ioctls fail with EINTR this many times

  // Current state.
  v4l2_pix_format format{};
  v4l2_fract interval{1, 30};
  std::size_t bufferSize = 640 * 480 * 2;
  std::vector<std::vector<std::uint8_t>> buffers;
  std::deque<std::uint32_t> queued;
  struct Done {
    std::uint32_t index;
    std::uint32_t bytesused;
    std::uint32_t flags;
  };
  std::deque<Done> done;
  bool streaming = false;
  int dqbufError = 0;     // DQBUF fails with this (and poll reports it readable)
  int mappings = 0;
  int unmappedWhileStreaming = 0;  // a driver would still be writing into those buffers
  bool unplugged = false;          // every ioctl fails with ENODEV, poll reports POLLERR | POLLHUP
};

// A camera with YUYV 640×480 and 1280×720 and MJPEG 1280×720, 30 and 15 fps, and the
// controls of a typical UVC camera.
FakeNode TypicalCamera();
// The card name the UVC driver gives a camera: its product string, ": <function>"
// added when the camera names its video function, the whole cut to 31 bytes.
std::string KernelCardName(const std::string& product, const std::string& function = {});
// Gives a node a USB device with that product string, and the card name the driver
// would then report.
void SetUsbProduct(FakeNode& node, const std::string& product, const std::string& function = {});
// Control helpers.
FakeControl IntegerControl(std::uint32_t id, std::int32_t min, std::int32_t max, std::int32_t def,
                           std::int32_t step = 1);
FakeControl MenuControl(std::uint32_t id, std::int32_t min, std::int32_t max, std::int32_t def,
                        std::set<std::int32_t> offered);

class FakeV4l2Io : public platform::v4l2::V4l2Io {
 public:
  ~FakeV4l2Io() override;
  void AddNode(const std::string& path, FakeNode node);

  // Runs f on a node's state under the lock; wakes any poller afterwards.
  template <class F>
  auto With(const std::string& path, F&& f) {
    std::lock_guard lock(m_mutex);
    struct Wake {
      FakeV4l2Io* io;
      const std::string& path;
      ~Wake() { io->WakeLocked(path); }
    } wake{this, path};
    return f(m_nodes.at(path));
  }

  // Fills the oldest queued buffer with `bytes` and marks it done; false when none is queued.
  bool PushFrame(const std::string& path, const std::vector<std::uint8_t>& bytes, std::uint32_t flags = 0);
  // The calls made so far, by name ("S_FMT", "mmap", …), and forgets them.
  std::vector<std::string> TakeCalls();
  int OpenCount() const;
  // Answers the product string of a node's USB device, as udev would.
  platform::v4l2::UsbProductFinder UsbProducts();

  int Open(const char* path, int flags) override;
  int Close(int fd) override;
  int Ioctl(int fd, unsigned long request, void* arg) override;
  void* Mmap(std::size_t length, int prot, int flags, int fd, off_t offset) override;
  int Munmap(void* address, std::size_t length) override;
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;

 private:
  int Handle(FakeNode& node, unsigned long request, void* arg);
  int HandleControl(FakeNode& node, unsigned long request, void* arg);
  int HandleBuffers(FakeNode& node, unsigned long request, void* arg);
  short Events(const FakeNode& node) const;
  void WakeLocked(const std::string& path);

  mutable std::mutex m_mutex;
  std::map<std::string, FakeNode> m_nodes;
  std::map<int, std::string> m_open;  // fd (an eventfd that wakes pollers) → node path
  std::vector<std::string> m_calls;
};

}  // namespace fakev4l2
