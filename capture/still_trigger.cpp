// The still trigger: every still buffer of the camera (its snapshot button) takes a
// snapshot, except the first one after the camera was connected, its format changed or
// a device came or went, which only arms the trigger.
#include "capture/capture_session.h"

HRESULT CaptureSession::BufferCB(double /*sampleTime*/, std::uint8_t* /*buffer*/, long /*length*/) {
  // The buffer itself is not used: a snapshot always saves the picture on screen. The
  // owner takes it on the UI thread, where it can tell whether a camera is in use; the
  // still thread only reads the trigger's own flags.
  if (m_bStillArmed) emit stillPressed();
  if (m_bStillPending) {
    m_bStillPending = false;
    m_bStillArmed = true;
  }
  return S_OK;
}

HRESULT CaptureSession::SampleCB(double /*sampleTime*/, IMediaSample* /*sample*/) {
  if (m_bStillPending) m_bStillPending = false;
  return S_OK;
}

void CaptureSession::RearmStill() {
  m_bStillPending = true;
  m_bStillArmed = false;
}
