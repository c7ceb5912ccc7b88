// The still trigger: every still buffer of the camera (its snapshot button) takes a
// snapshot, except the first one after the camera was connected, its format changed or
// a device came or went, which only arms the trigger.
#include <QMetaObject>

#include "mainwnd/vistrel_dlg.h"

HRESULT CVistrelDlg::BufferCB(double /*sampleTime*/, std::uint8_t* /*buffer*/, long /*length*/) {
  // The buffer itself is not used: a snapshot always saves the picture on screen. It is
  // taken on the UI thread, as the Snap command's is, so the capture folder, the clock
  // and the status bar are only ever used there; the still thread never waits for it.
  if (m_bStillArmed && m_graph.m_pSourceFilter) {
    QMetaObject::invokeMethod(this, [this] { TakeSnapshot(); }, Qt::QueuedConnection);
  }
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
