// The still trigger: every still buffer of the camera (its snapshot button) takes a
// snapshot, except the first one after the camera was connected, its format changed or
// a device came or went, which only arms the trigger.
#include "mainwnd/vistrel_dlg.h"

HRESULT CVistrelDlg::BufferCB(double /*sampleTime*/, std::uint8_t* /*buffer*/, long /*length*/) {
  // The buffer itself is not used: a snapshot always saves the picture on screen.
  if (m_bStillArmed && m_graph.m_pSourceFilter) TakeSnapshot();
  if (m_bStillPending) {
    m_bStillPending = false;
    m_bStillArmed = true;
  }
  return S_OK;
}

HRESULT CVistrelDlg::SampleCB(double /*sampleTime*/, IMediaSample* /*sample*/) {
  if (m_bStillPending) m_bStillPending = false;
  return S_OK;
}
