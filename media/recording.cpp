// Recording control: the Record command, the file opened on the next frame, and the
// timers that feed the recorder and show the running length.
#include <QMetaObject>
#include <QTimerEvent>

#include "app/vistrel_app.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/main_menu.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/main_toolbar.h"
#include "mainwnd/vistrel_dlg.h"
#include "media/record_length.h"
#include "media/recorder.h"

namespace {
constexpr int kRecordPicture = 2;
constexpr int kIdleIcon = 146;
constexpr int kRecordingIcon = 156;
constexpr int kFramesPerSecond = 24;
constexpr float kBitRate = 6000000.0f;
constexpr int kStatusTimerMs = 1000;
constexpr int kPictureTimerMs = 34;
}  // namespace

bool CVistrelDlg::IsRecording() const {
  std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
  return m_rec.m_bRecordStopped == 0;
}

void CVistrelDlg::ToggleRecording() {
  if (!HasFramePicture() || !m_graph.m_pSourceFilter || !m_graph.m_bPreviewing || !m_recorder) return;
  bool start = false;
  {
    // The test and the change are one step under the frame lock, so the frame intake
    // cannot open a file between them.
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    start = m_rec.m_bRecordStopped == 1;
    if (start) {
      m_rec.m_strRecordFile = CaptureFileBase(m_localTime()) + QStringLiteral(".mpeg");
      m_rec.m_bRecordOpen = false;
      m_rec.m_bRecordStopped = 0;
      ++m_rec.m_nSession;
    } else {
      m_rec.m_bRecordStopped = 1;
      m_rec.m_bRecordOpen = false;
    }
  }
  if (start) {
    m_rec.m_dwRecordStartTick = TickCount();
    m_wndToolBar->ReplacePicture(kRecordPicture, kRecordingIcon);
  } else {
    StopRecording();
  }
  m_wndToolBar->update();
  m_menu->Check(cmd::ID_RECORD, start);
}

void CVistrelDlg::StopRecording() {
  m_timer2.stop();
  // Waits for the pictures still queued and finishes the file.
  m_recorder->Close();
  m_timer1.stop();
  m_wndStatusBar->SetPaneText(2, m_rec.m_strRecordFile);
  m_wndToolBar->EnableButton(cmd::ID_PLAY, true);
  m_wndToolBar->ReplacePicture(kRecordPicture, kIdleIcon);
}

void CVistrelDlg::RecordOnFrame() {
  // Streaming thread, frame lock held.
  // The frame picture was just made from this frame: the file can take its size.
  if (m_rec.m_bRecordStopped == 1 || !m_frame.m_pFrameImage) return;
  if (m_rec.m_bRecordOpen || m_rec.m_bRecordOpening) return;
  m_rec.m_bRecordOpening = true;
  m_rec.m_nRecordWidth = m_frame.m_nFrameWidth;
  m_rec.m_nRecordHeight = m_frame.m_nFrameHeight;
  const unsigned long session = m_rec.m_nSession;
  // The file is opened on the recorder's thread; its answer comes back to the UI thread.
  m_recorder->Open(m_rec.m_strRecordFile.toUtf8().toStdString(), m_rec.m_nRecordWidth, m_rec.m_nRecordHeight,
                   static_cast<float>(kFramesPerSecond), kBitRate, [this, session](bool opened) {
                     QMetaObject::invokeMethod(
                         this, [this, session, opened] { OnRecordOpened(session, opened); }, Qt::QueuedConnection);
                   });
}

void CVistrelDlg::OnRecordOpened(unsigned long session, bool opened) {
  bool current = false;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    if (session != m_rec.m_nSession) return;  // the answer of an earlier recording
    m_rec.m_bRecordOpening = false;
    current = m_rec.m_bRecordStopped == 0;
    if (current) {
      if (opened) {
        m_rec.m_bRecordOpen = true;
      } else {
        m_rec.m_bRecordStopped = 1;
      }
    }
  }
  if (!current) return;  // stopped meanwhile: the stop already finished the file
  if (opened) {
    m_rec.m_strRecordStart = m_localTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_rec.m_openedAt = std::chrono::steady_clock::now();
    m_rec.m_nPictures = 0;
    m_timer1.start(kStatusTimerMs, this);
    m_timer2.start(kPictureTimerMs, this);
    m_wndToolBar->ReplacePicture(kRecordPicture, kRecordingIcon);
  } else {
    m_app.UiText(Txt::Msg_NOVIDEO);
    m_wndToolBar->ReplacePicture(kRecordPicture, kIdleIcon);
  }
}

void CVistrelDlg::OnTimer(int id) {
  if (id == 1) {
    m_wndStatusBar->SetPaneText(2, Text(Txt::Main_STARTTIME) + QLatin1Char(':') + m_rec.m_strRecordStart + QStringLiteral("  ") +
                 Text(Txt::Main_TIMELEN) + QLatin1Char(':') + m_rec.m_strRecordLength);
    return;
  }
  if (id != 2 || !m_recorder) return;

  // The shown picture is shared and never changed once composed: taking it under the
  // frame lock is all the copy the recorder needs.
  std::shared_ptr<const CxImage> picture;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    const std::shared_ptr<const CxImage>& shown = m_frame.m_imgShown;
    if (m_rec.m_bRecordStopped == 0 && m_rec.m_bRecordOpen && shown && shown->IsValid() &&
        static_cast<int>(shown->GetWidth()) == m_rec.m_nRecordWidth && static_cast<int>(shown->GetHeight()) == m_rec.m_nRecordHeight) {
      picture = shown;
    }
  }
  if (picture) {
    // As many pictures as are due at 24 per second since the file opened, so the file
    // plays as long as the recording lasted, whatever the timer's real period.
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                               m_rec.m_openedAt);
    const long long due = PicturesDue(elapsed.count(), kFramesPerSecond) - m_rec.m_nPictures;
    if (due > 0) {
      m_recorder->Write(std::move(picture), static_cast<int>(due));
      m_rec.m_nPictures += due;
    }
  }
  m_rec.m_strRecordLength = FormatRecordLength(TickCount() - m_rec.m_dwRecordStartTick);
}

void CVistrelDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_timer1.timerId()) {
    OnTimer(1);
  } else if (event->timerId() == m_timer2.timerId()) {
    OnTimer(2);
  } else {
    QDialog::timerEvent(event);
  }
}
