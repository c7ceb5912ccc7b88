// The "Smart Tee" splitter: one input, a capture and a preview output, each
// connected output receiving every sample. The capture graph builder puts it on a
// camera's capture pin when the camera has no preview pin of its own.
#pragma once

#include <memory>

#include "platform/graph/base_filter.h"

namespace platform {

class SmartTee final : public BaseFilter {
 public:
  static std::shared_ptr<SmartTee> Create();

  // Both outputs offer what the input was connected with; nothing while it is free.
  HRESULT GetMediaType(const Pin& output, AM_MEDIA_TYPE& mt) override;
  void Receive(const Pin& input, const MediaSample& sample) override;

  const std::shared_ptr<Pin>& InputPin() const { return m_input; }
  const std::shared_ptr<Pin>& CapturePin() const { return m_capture; }
  const std::shared_ptr<Pin>& PreviewPin() const { return m_preview; }

 private:
  SmartTee() = default;

  std::shared_ptr<Pin> m_input;
  std::shared_ptr<Pin> m_capture;
  std::shared_ptr<Pin> m_preview;
};

}  // namespace platform
