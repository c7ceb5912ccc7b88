// The camera's flash from the main window: Save and Restore (service mode), the
// close-time write outside service mode, and timer 3 that follows Save and Restore.
#include <QTimerEvent>

#include "capture/capture_session.h"
#include "flash/param_store.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/vistrel_dlg.h"
#include "media/capture_folder.h"
#include "platform/shell/shell.h"
#include "texts/user_files.h"

namespace {
constexpr int kFlashMessageMs = 2000;
}  // namespace

void CVistrelDlg::OnSaveParams() {
  if (!m_session->HasCaptureSource()) return;
  // Only a camera that delivers pictures has parameters to save; without one nothing is
  // written (not even the marker, which would let an old block rule) and it is said so.
  const bool saved = m_session->CameraRuns() &&
                     SaveAllParams(m_session->FlashMembers(), CameraProperties::Of(m_session->m_graph.m_pSourceFilter));
  m_wndStatusBar->SetPaneText(2, m_files.UiText(saved ? Txt::Main_STOREINFO : Txt::Msg_STOREFAILED));
  m_timer3.start(kFlashMessageMs, this);
}

void CVistrelDlg::OnRestoreParams() {
  if (!m_session->HasCaptureSource()) return;
  // The capture folder goes back to the pictures folder; it is used for this run even
  // when it cannot be stored, but then Restore is not reported as done.
  m_strFileFolder = platform::shell::PicturesFolder() + QLatin1Char('/');
  const bool stored = StoreCaptureFolder(m_files.m_strSettingPath, m_strFileFolder);
  const bool cleared = ClearSavedBlockMarker();
  m_session->SetPowerLine50Hz();
  // The graph is built again, reading the default block and the camera's own values.
  // Without a camera found the session reports that itself; the flash is restored all
  // the same.
  m_session->RebuildOnFirstCamera();
  m_wndStatusBar->SetPaneText(2, m_files.UiText(stored && cleared ? Txt::Main_RESTOREINFO : Txt::Msg_RESTOREFAILED));
  m_timer3.start(kFlashMessageMs, this);
}

void CVistrelDlg::WriteParamsAtClose() {
  if (m_bServiceMode || !m_session->CameraRuns()) return;
  const bool written = WriteBasicParams(m_session->FlashMembers(), CameraProperties::Of(m_session->m_graph.m_pSourceFilter));
  (void)written;  // said where it failed; nobody is left to tell at close
}

void CVistrelDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_timer3.timerId()) {
    // The message stays until other text replaces it; the timer only stops itself.
    m_timer3.stop();
    return;
  }
  QDialog::timerEvent(event);
}
