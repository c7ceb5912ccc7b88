#include "platform/graph/v4l2/v4l2_source.h"

#include <utility>

#include "platform/graph/v4l2/udev_lookup.h"
#include "platform/graph/v4l2/v4l2_log.h"

namespace platform::v4l2 {
namespace {

bool SameFrameFormat(const V4l2FrameFormat& f, const Capability& c) {
  return f.format == c.format && f.width == c.width && f.height == c.height;
}

}  // namespace

std::shared_ptr<V4l2Source> V4l2Source::Open(std::shared_ptr<V4l2Io> io, const QString& node, Options options) {
  auto source = std::make_shared<V4l2Source>(std::move(io));
  if (!source->Initialise(node, std::move(options))) return nullptr;
  return source;
}

std::shared_ptr<V4l2Source> V4l2Source::Open(const QString& node) {
  return Open(std::make_shared<SystemV4l2Io>(), node, Options{});
}

V4l2Source::V4l2Source(std::shared_ptr<V4l2Io> io)
    : m_device(std::move(io)), m_controls(m_device), m_stream(m_device) {}

V4l2Source::~V4l2Source() { Stop(); }

bool V4l2Source::Initialise(const QString& node, Options options) {
  m_options = std::move(options);
  if (const int error = m_device.Open(node); error != 0) {
    qCInfo(lcV4l2) << "cannot open" << node << qt_error_string(error);
    return false;
  }
  v4l2_capability caps{};
  if (const int error = m_device.Ioctl(VIDIOC_QUERYCAP, &caps); error != 0) {
    qCInfo(lcV4l2) << node << "is no V4L2 device:" << qt_error_string(error);
    return false;
  }
  if (!IsStreamingCaptureNode(caps)) return false;
  const UsbProductFinder& product = m_options.findUsbProduct ? m_options.findUsbProduct : UsbProductOf;
  m_name = CaptureNodeName(caps, product(node));
  m_formats = EnumerateFrameFormats(m_device);
  if (m_formats.empty()) return false;
  m_capabilities = CapabilitiesOf(m_formats);
  if (m_controls.Load() != 0) return false;
  ReadCurrentFormat();
  const StillButtonFinder& find = m_options.findStillButton ? m_options.findStillButton : FindStillButton;
  m_stillButton = find(node);
  return true;
}

void V4l2Source::ReadCurrentFormat() {
  // Start from the format the camera is in when it is one of ours, else from the first.
  const V4l2FrameFormat* current = &m_formats.front();
  v4l2_format fmt{};
  fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (m_device.Ioctl(VIDIOC_G_FMT, &fmt) == 0) {
    const std::optional<WireFormat> wire = WireFormatOfPixelFormat(fmt.fmt.pix.pixelformat);
    for (const V4l2FrameFormat& f : m_formats) {
      if (wire && f.format == *wire && f.width == static_cast<int>(fmt.fmt.pix.width) &&
          f.height == static_cast<int>(fmt.fmt.pix.height)) {
        current = &f;
        break;
      }
    }
  }
  m_current = {current->format, current->width, current->height, false, FramesPerSecond(current->interval)};
}

std::vector<Capability> V4l2Source::Capabilities() const { return m_capabilities; }

const V4l2FrameFormat* V4l2Source::FindFrameFormat(const Capability& format) const {
  for (const V4l2FrameFormat& f : m_formats) {
    if (SameFrameFormat(f, format)) return &f;
  }
  return nullptr;
}

bool V4l2Source::ApplyFormat(const V4l2FrameFormat& format) {
  v4l2_format fmt{};
  fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  fmt.fmt.pix.width = static_cast<std::uint32_t>(format.width);
  fmt.fmt.pix.height = static_cast<std::uint32_t>(format.height);
  fmt.fmt.pix.pixelformat = PixelFormatOf(format.format);
  fmt.fmt.pix.field = V4L2_FIELD_ANY;
  if (const int error = m_device.Ioctl(VIDIOC_S_FMT, &fmt); error != 0) {
    qCWarning(lcV4l2) << m_device.Path() << "S_FMT:" << qt_error_string(error);
    return false;
  }
  // The driver answers the nearest format it has; anything else than asked would make
  // the frames disagree with the format the graph was told.
  if (fmt.fmt.pix.width != static_cast<std::uint32_t>(format.width) ||
      fmt.fmt.pix.height != static_cast<std::uint32_t>(format.height) ||
      fmt.fmt.pix.pixelformat != PixelFormatOf(format.format)) {
    qCWarning(lcV4l2) << m_device.Path() << "answered" << fmt.fmt.pix.width << "x" << fmt.fmt.pix.height << "for"
                      << format.width << "x" << format.height;
    return false;
  }
  if (format.interval.numerator == 0 || format.interval.denominator == 0) return true;
  // The frame rate is a request: a camera that keeps its own still delivers the format.
  v4l2_streamparm parm{};
  parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  int error = m_device.Ioctl(VIDIOC_G_PARM, &parm);
  if (error == 0 && (parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME)) {
    parm.parm.capture.timeperframe = format.interval;
    error = m_device.Ioctl(VIDIOC_S_PARM, &parm);
  }
  if (error == ENODEV) return false;
  if (error != 0) qCInfo(lcV4l2) << m_device.Path() << "frame interval not set:" << qt_error_string(error);
  return true;
}

bool V4l2Source::SetFormat(const Capability& format) {
  std::lock_guard lock(m_runMutex);
  if (m_streaming) return false;
  const V4l2FrameFormat* f = FindFrameFormat(format);
  if (!f || !ApplyFormat(*f)) return false;
  std::lock_guard formatLock(m_formatMutex);
  m_current = format;
  m_current.framesPerSecond = FramesPerSecond(f->interval);
  return true;
}

Capability V4l2Source::CurrentFormat() const {
  std::lock_guard lock(m_formatMutex);
  return m_current;
}

bool V4l2Source::Start(Callbacks callbacks) {
  if (m_stream.OnStreamThread() || m_stillReader.OnReaderThread()) return false;
  std::lock_guard lock(m_runMutex);
  if (m_streaming && m_delivering) return false;
  // A run ended from inside its own callback still has its threads and buffers.
  m_stillReader.Stop();
  m_stream.Stop();
  m_streaming = false;
  const V4l2FrameFormat* f = FindFrameFormat(CurrentFormat());
  if (!f || !ApplyFormat(*f)) return false;
  V4l2Stream::Settings settings;
  settings.format = f->format;
  settings.width = f->width;
  settings.height = f->height;
  settings.stallTimeout = m_options.stallTimeout;
  // Each callback begins only while the source delivers, so a Stop from inside one
  // ends the others too.
  auto frame = [this, call = std::move(callbacks.frame)](const SourceFrame& delivered) {
    if (m_delivering && call) call(delivered);
  };
  auto lost = [this, call = std::move(callbacks.lost)] {
    if (m_delivering && call) call();
  };
  m_delivering = true;
  if (const int error = m_stream.Start(settings, std::move(frame), std::move(lost)); error != 0) {
    m_delivering = false;
    qCWarning(lcV4l2) << m_device.Path() << "cannot stream:" << qt_error_string(error);
    return false;
  }
  if (m_stillButton && callbacks.still) {
    auto still = [this, call = std::move(callbacks.still)] {
      if (m_delivering) call();
    };
    // Without its button the camera still streams; the press is what is lost.
    if (!m_stillReader.Start(m_stillButton(), std::move(still))) {
      qCWarning(lcV4l2) << m_device.Path() << "still button not readable";
    }
  }
  m_streaming = true;
  return true;
}

void V4l2Source::Stop() {
  // From inside a callback: the thread cannot wait for itself. Delivery ends now; the
  // threads and buffers go at the next Start or Stop from another thread.
  if (m_stream.OnStreamThread() || m_stillReader.OnReaderThread()) {
    m_delivering = false;
    if (m_stream.OnStreamThread()) {
      m_stream.RequestStop();
    } else {
      m_stillReader.RequestStop();
    }
    return;
  }
  std::lock_guard lock(m_runMutex);
  m_delivering = false;
  m_stillReader.Stop();
  m_stream.Stop();
  m_streaming = false;
}

bool V4l2Source::OffersPropertySet(PropertySet set) const { return m_controls.Offers(set); }

HRESULT V4l2Source::GetRange(PropertySet set, long property, PropertyRange& range) {
  return m_controls.GetRange(set, property, range);
}

HRESULT V4l2Source::Get(PropertySet set, long property, long& value, long& flags) {
  return m_controls.Get(set, property, value, flags);
}

HRESULT V4l2Source::Set(PropertySet set, long property, long value, long flags) {
  return m_controls.Set(set, property, value, flags);
}

}  // namespace platform::v4l2
