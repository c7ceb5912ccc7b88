// The still trigger: every still buffer of the camera (its snapshot button) takes a
// snapshot, except the first one after the camera was connected, its format changed or
// a device came or went, which only arms the trigger.
#include "capture/capture_session.h"

HRESULT CaptureSession::BufferCB(double /*sampleTime*/, std::uint8_t* /*buffer*/, long /*length*/) {
  // The buffer itself is not used: a snapshot always saves the picture on screen. The
  // owner takes it on the UI thread, where it can tell whether a camera is in use; the
  // still thread only reads the trigger's own flags.
  bool press = false;
  {
    // Test and arm in one step: a re-arm on the UI thread lands before or after it,
    // never between, so the buffer after a re-arm is never a press.
    std::lock_guard<std::mutex> lock(m_stillLock);
    press = m_bStillArmed;
    if (m_bStillPending) {
      m_bStillPending = false;
      m_bStillArmed = true;
    }
  }
  if (press) emit stillPressed();
  return S_OK;
}

HRESULT CaptureSession::SampleCB(double /*sampleTime*/, IMediaSample* /*sample*/) {
  std::lock_guard<std::mutex> lock(m_stillLock);
  if (m_bStillPending) m_bStillPending = false;
  return S_OK;
}

void CaptureSession::RearmStill() {
  std::lock_guard<std::mutex> lock(m_stillLock);
  m_bStillPending = true;
  m_bStillArmed = false;
}
