// The Snap command (and the camera's snapshot button): the picture on screen as a JPEG
// in the capture folder, the file named in the status bar.
#include "capture/capture_session.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/vistrel_dlg.h"
#include "media/snapshot.h"
#include "outside/ximage.h"
#include "texts/user_files.h"

void CVistrelDlg::TakeSnapshot() {
  if (!m_session->HasFramePicture() || !m_session->HasCaptureSource()) return;
  const QDateTime now = m_localTime();
  // The shown picture is shared and never changed once composed: it is taken under the
  // frame lock and encoded outside it.
  const std::shared_ptr<const CxImage> shown = m_session->ShownPicture();
  std::optional<QString> file;
  if (shown) file = SaveSnapshot(*shown, m_strFileFolder, now);
  m_wndStatusBar->SetPaneText(2, file ? *file : m_files.UiText(Txt::Msg_SNAPFAILED));
}
