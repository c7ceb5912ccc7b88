// The V4L2 format and control enumeration over a device that answers every call with
// the input's bytes: any success or error, any values in the answer. The lists built
// from it hold only the formats taken, with sizes above zero, and the control ranges
// read back are ordered.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include <linux/videodev2.h>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/graph/v4l2/v4l2_controls.h"
#include "platform/graph/v4l2/v4l2_device.h"
#include "platform/graph/v4l2/v4l2_formats.h"
#include "platform/graph/v4l2/v4l2_io.h"

namespace {

class AnsweringIo : public platform::v4l2::V4l2Io {
 public:
  explicit AnsweringIo(fuzz::Input& input) : m_input(input) {}
  int Open(const char*, int) override { return 3; }
  int Close(int) override { return 0; }
  int Ioctl(int, unsigned long request, void* arg) override {
    // A bounded number of answers: the code must not loop for ever on a device that
    // keeps saying yes, but one that has said enough now says no.
    if (++m_calls > 4096 || m_input.Left() == 0) {
      errno = EINVAL;
      return -1;
    }
    const std::uint8_t verdict = m_input.Byte();
    if (verdict % 8 == 7) {
      static const int kErrors[] = {EINVAL, ENOTTY, EIO, ENODEV, EBUSY, EINTR, EAGAIN};
      errno = kErrors[(verdict >> 3) % 7];
      return -1;
    }
    // The answer: the request's first four bytes (an index, id or type) as asked,
    // every other byte from the input.
    const std::size_t size = _IOC_SIZE(request);
    auto* bytes = static_cast<std::uint8_t*>(arg);
    for (std::size_t i = 4; i < size; ++i) bytes[i] = m_input.Byte();
    return 0;
  }
  void* Mmap(std::size_t, int, int, int, off_t) override {
    errno = ENOMEM;
    return reinterpret_cast<void*>(-1);
  }
  int Munmap(void*, std::size_t) override { return 0; }
  int Poll(pollfd*, nfds_t, int) override { return 0; }

 private:
  fuzz::Input& m_input;
  int m_calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  platform::v4l2::V4l2Device device(std::make_shared<AnsweringIo>(input));
  if (device.Open(QStringLiteral("/dev/video0")) != 0) return 0;

  (void)platform::v4l2::OffersWireFormat(device);
  const auto formats = platform::v4l2::EnumerateFrameFormats(device);
  for (const auto& format : formats) {
    FUZZ_CHECK(format.width > 0 && format.height > 0);
    FUZZ_CHECK(platform::v4l2::FramesPerSecond(format.interval) > 0);
  }
  FUZZ_CHECK(platform::v4l2::CapabilitiesOf(formats).size() == 2 * formats.size());

  platform::v4l2::V4l2Controls controls(device);
  (void)controls.Load();
  for (auto set : {platform::PropertySet::VideoProcAmp, platform::PropertySet::CameraControl}) {
    (void)controls.Offers(set);
    for (long property = 0; property < 14; ++property) {
      platform::PropertyRange range;
      if (controls.GetRange(set, property, range) == S_OK) FUZZ_CHECK(range.min <= range.max);
      long value = 0;
      long flags = 0;
      (void)controls.Get(set, property, value, flags);
    }
  }
  return 0;
}
