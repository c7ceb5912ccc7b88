#include "platform/graph/frame_grabber.h"

#include <cstdlib>

#include "platform/graph/media_format.h"

namespace platform {

std::shared_ptr<FrameGrabber> FrameGrabber::Create() {
  std::shared_ptr<FrameGrabber> grabber(new FrameGrabber());
  grabber->m_input = grabber->AddPin(PINDIR_INPUT, QStringLiteral("Input"));
  grabber->m_output = grabber->AddPin(PINDIR_OUTPUT, QStringLiteral("Output"));
  return grabber;
}

HRESULT FrameGrabber::SetCallback(CBCLS* callback) {
  std::lock_guard lock(m_callbackLock);
  m_callback = callback;
  return S_OK;
}

bool FrameGrabber::CheckMediaType(const Pin& input, const AM_MEDIA_TYPE& mt) {
  (void)input;
  WireFormat format;
  return mt.majortype == MEDIATYPE_Video && WireFormatOf(mt.subtype, format);
}

HRESULT FrameGrabber::GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) {
  (void)output;
  AM_MEDIA_TYPE input;
  int width = 0;
  int height = 0;
  if (FAILED(m_input->ConnectionMediaType(input))) return VFW_E_NOT_CONNECTED;
  if (!FrameSizeOf(input, width, height)) return E_FAIL;
  mt = Rgb24MediaTypeOf(width, std::abs(height));
  return S_OK;
}

void FrameGrabber::Receive(const Pin& input, const MediaSample& sample) {
  (void)input;
  WireFormat format;
  if (!WireFormatOf(sample.Format().subtype, format)) return;
  const bool passOn = m_output->IsConnected();
  {
    std::lock_guard lock(m_callbackLock);
    if (!m_callback && !passOn) return;  // nobody takes the frame: spare the conversion
  }
  ConvertedFrame frame;
  if (!m_converter.Convert(sample.Data(), sample.Size(), format, sample.Format().width, sample.Format().height,
                           frame)) {
    return;  // a damaged frame is dropped, never passed on
  }
  {
    std::lock_guard lock(m_callbackLock);
    // FrameCB always answers 0; the frame goes on whatever it says.
    if (m_callback) (void)m_callback->FrameCB(frame.pixels, frame.width, frame.height, 24);
  }
  const std::size_t size = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 3;
  const MediaSample converted(frame.pixels, size, SampleFormat{MEDIASUBTYPE_RGB24, frame.width, frame.height},
                              sample.Time100ns());
  m_output->Deliver(converted);
}

}  // namespace platform
