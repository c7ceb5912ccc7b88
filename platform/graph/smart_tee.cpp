#include "platform/graph/smart_tee.h"

namespace platform {

std::shared_ptr<SmartTee> SmartTee::Create() {
  std::shared_ptr<SmartTee> tee(new SmartTee());
  tee->m_input = tee->AddPin(PINDIR_INPUT, QStringLiteral("Input"));
  tee->m_capture = tee->AddPin(PINDIR_OUTPUT, QStringLiteral("Capture"));
  tee->m_preview = tee->AddPin(PINDIR_OUTPUT, QStringLiteral("Preview"));
  return tee;
}

HRESULT SmartTee::GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) {
  (void)output;
  return SUCCEEDED(m_input->ConnectionMediaType(mt)) ? S_OK : VFW_E_NOT_CONNECTED;
}

void SmartTee::Receive(const Pin& input, const MediaSample& sample) {
  (void)input;
  m_capture->Deliver(sample);
  m_preview->Deliver(sample);
}

}  // namespace platform
