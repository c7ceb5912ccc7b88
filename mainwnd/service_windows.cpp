// The service-mode windows from the main window: the camera property window (Property
// command), the pan and zoom window (Move command) and its return with the camera.
#include "adjust/move_wnd.h"
#include "adjust/move_wnd_open.h"
#include "adjust/open_camera_pro_wnd.h"
#include "capture/capture_session.h"
#include "mainwnd/vistrel_dlg.h"

void CVistrelDlg::OnCameraProperties() {
  const CaptureGraphState& graph = m_session->m_graph;
  // The window opens beside this one, below the pan window while that exists. It reads
  // the camera at opening and puts it back itself after Cancel; nothing opens without a
  // capture source and a frame grabber.
  // How it ended changes nothing here: in service mode the Property button keeps its
  // picture whatever the exposure mode.
  [[maybe_unused]] const int ended = OpenCameraProWnd(graph.m_pSourceFilter, graph.m_pGrabberFilter,
                                                      m_session->m_camera, m_files,
                                                      RectsBeside(*this, m_pMoveWnd.get()), this);
  ApplyWindowTexts();
}

void CVistrelDlg::OnMove() {
  if (OpenMoveWnd(m_pMoveWnd, *m_session, m_files, this, [this] { BuildOverlay(); })) m_bMoveWndShown = true;
}

void CVistrelDlg::OnCameraArrived() {
  // A pan window opened once in this run comes back with the camera, over its new graph.
  if (m_bMoveWndShown) OnMove();
}
