// Toolbar pictures that show state: play, zoom and mirror.
#include "capture/capture_session.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/vistrel_dlg.h"

namespace {
enum Picture { kPlay = 0, kZoomIn = 3, kZoomOut = 4, kZoomReset = 5, kHMirror = 6, kVMirror = 7, kMirrorReset = 8 };
// Icon resources: the plain picture at index i is 144 + i, its state picture 154 + i.
constexpr int Plain(int index) { return 144 + index; }
constexpr int Active(int index) { return 154 + index; }
}  // namespace

void CVistrelDlg::RefreshPlayPicture() {
  m_wndToolBar->ReplacePicture(kPlay, m_session->m_graph.m_bPreviewing ? Plain(kPlay) : Active(kPlay));
}

void CVistrelDlg::RefreshZoomPictures() {
  const bool plain = m_session->m_view.m_fZoom == 1.0f;
  for (int index : {kZoomIn, kZoomOut, kZoomReset}) {
    m_wndToolBar->ReplacePicture(index, plain ? Plain(index) : Active(index));
  }
}

void CVistrelDlg::RefreshMirrorPictures() {
  const bool h = m_session->m_view.m_bHMirror != 0;
  const bool v = m_session->m_view.m_bVMirror != 0;
  m_wndToolBar->ReplacePicture(kHMirror, h ? Active(kHMirror) : Plain(kHMirror));
  m_wndToolBar->ReplacePicture(kVMirror, v ? Active(kVMirror) : Plain(kVMirror));
  m_wndToolBar->ReplacePicture(kMirrorReset, h || v ? Active(kMirrorReset) : Plain(kMirrorReset));
}
