// The Record command and what the recording reports: the Record picture and menu mark,
// the running status, and the file named in the status bar when it ends.
#include "capture/capture_session.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/vistrel_dlg.h"
#include "media/capture_folder.h"
#include "media/snapshot.h"
#include "texts/user_files.h"

namespace {
constexpr int kRecordPicture = 2;
constexpr int kIdleIcon = 146;
constexpr int kRecordingIcon = 156;
}  // namespace

bool CVistrelDlg::IsRecording() const { return m_recording->IsRecording(); }

void CVistrelDlg::ToggleRecording() {
  // A recording can always be stopped, frozen or with the camera gone; one starts only
  // on a running picture.
  if (m_recording->IsRecording()) {
    StopRecording();
    return;
  }
  if (!m_session->HasFramePicture() || !m_session->HasCaptureSource() || !m_session->m_graph.m_bPreviewing) return;
  // As for snapshots, a missing capture folder is made, one level only (a fresh account
  // has no pictures folder yet).
  const bool folder = EnsureCaptureFolder(m_strFileFolder);
  (void)folder;  // a folder that cannot be made shows as a file that cannot be made
  const bool started = m_recording->Start(CaptureFileBase(m_strFileFolder, m_localTime()) + QStringLiteral(".mpeg"));
  (void)started;  // none was running: it starts
  m_wndToolBar->ReplacePicture(kRecordPicture, kRecordingIcon);
  m_wndToolBar->update();
  m_menu->Check(cmd::ID_RECORD, true);
}

void CVistrelDlg::StopRecording() {
  if (!m_recording->Stop()) return;
  ShowRecordingStopped();
  m_wndToolBar->update();
  m_menu->Check(cmd::ID_RECORD, false);
}

void CVistrelDlg::ShowRecordingStopped() {
  m_wndStatusBar->SetPaneText(2, m_recording->File());
  m_wndToolBar->EnableButton(cmd::ID_PLAY, true);
  m_wndToolBar->ReplacePicture(kRecordPicture, kIdleIcon);
}

void CVistrelDlg::OnRecordingOpened() { m_wndToolBar->ReplacePicture(kRecordPicture, kRecordingIcon); }

void CVistrelDlg::OnRecordingFailed() {
  // Said where the user looks, as a failed snapshot is.
  m_wndStatusBar->SetPaneText(2, m_files.UiText(Txt::Msg_NOVIDEO));
  m_wndToolBar->ReplacePicture(kRecordPicture, kIdleIcon);
  // The menu no longer marks a recording that is not running.
  m_menu->Check(cmd::ID_RECORD, false);
}

void CVistrelDlg::OnRecordingStatus(const QString& start, const QString& length) {
  m_wndStatusBar->SetPaneText(2, Text(Txt::Main_STARTTIME) + QLatin1Char(':') + start + QStringLiteral("  ") +
                                     Text(Txt::Main_TIMELEN) + QLatin1Char(':') + length);
}
