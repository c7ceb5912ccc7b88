#include "media/recording_control.h"

#include <QMetaObject>
#include <QTimerEvent>

#include <cstdio>

#include "outside/ximage.h"

RecordingControl::RecordingControl(std::function<std::shared_ptr<const CxImage>()> shownPicture)
    : m_shownPicture(std::move(shownPicture)),
      m_recorder(std::make_unique<Recorder>()) {}

RecordingControl::~RecordingControl() {
  // The recorder finishes an open file and joins its thread before anything it calls
  // back into goes.
  m_recorder.reset();
}

bool RecordingControl::Start(const QString& file) {
  {
    // The test and the change are one step under the lock, so the frame intake cannot
    // open a file between them.
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_rec.m_bRecordStopped == 0) return false;
    m_rec.m_strRecordFile = file;
    m_rec.m_bRecordOpen = false;
    m_rec.m_bRecordStopped = 0;
    ++m_rec.m_nSession;
  }
  m_rec.m_dwRecordStartTick = m_tickCount();
  return true;
}

bool RecordingControl::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_rec.m_bRecordStopped == 1) return false;
    m_rec.m_bRecordStopped = 1;
    m_rec.m_bRecordOpen = false;
  }
  m_timer2.stop();
  // Finishes the file; a backlog of a slow encoder is cut short rather than waited for.
  m_recorder->Close();
  m_timer1.stop();
  return true;
}

bool RecordingControl::IsRecording() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_rec.m_bRecordStopped == 0;
}

bool RecordingControl::IsFileOpen() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_rec.m_bRecordStopped == 0 && m_rec.m_bRecordOpen;
}

QString RecordingControl::File() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_rec.m_strRecordFile;
}

void RecordingControl::OnFrame(int width, int height) {
  std::string file;
  unsigned long session = 0;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_rec.m_bRecordStopped == 1 || m_rec.m_bRecordOpen || m_rec.m_bRecordOpening) return;
    m_rec.m_bRecordOpening = true;
    m_rec.m_nRecordWidth = width;
    m_rec.m_nRecordHeight = height;
    session = m_rec.m_nSession;
    file = m_rec.m_strRecordFile.toUtf8().toStdString();
  }
  // The file is opened on the recorder's thread; its answer comes back to this object's
  // thread. The recorder's own lock is taken here, after this one was let go.
  // An answer posted after this object went is dropped with it by Qt.
  m_recorder->Open(std::move(file), width, height, static_cast<float>(kFramesPerSecond), kBitRate,
                   [this, session](bool made) {
                     QMetaObject::invokeMethod(
                         this, [this, session, made] { OnFileOpened(session, made); }, Qt::QueuedConnection);
                   });
}

void RecordingControl::OnFileOpened(unsigned long session, bool made) {
  bool current = false;
  QString file;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (session != m_rec.m_nSession) return;  // the answer of an earlier recording
    m_rec.m_bRecordOpening = false;
    current = m_rec.m_bRecordStopped == 0;
    if (current) {
      if (made) {
        m_rec.m_bRecordOpen = true;
      } else {
        m_rec.m_bRecordStopped = 1;
      }
    }
    file = m_rec.m_strRecordFile;
  }
  if (!current) return;  // stopped meanwhile: the stop already finished the file
  if (!made) {
    std::fprintf(stderr, "vistrel: recording file not made: %s\n", qPrintable(file));
    emit failed();
    return;
  }
  m_rec.m_strRecordStart = m_localTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  m_rec.m_openedAt = m_clock();
  m_rec.m_nPictures = 0;
  if (m_ownTimers) {
    m_timer1.start(kStatusTimerMs, this);
    m_timer2.start(kPictureTimerMs, this);
  }
  emit opened();
}

void RecordingControl::OnTimer(int id) {
  if (id == 1) {
    emit status(m_rec.m_strRecordStart, m_rec.m_strRecordLength);
    return;
  }
  if (id != 2) return;
  // The shown picture is shared and never changed once composed: holding it is all the
  // copy the recorder needs.
  std::shared_ptr<const CxImage> picture = m_shownPicture ? m_shownPicture() : nullptr;
  bool take = false;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    take = m_rec.m_bRecordStopped == 0 && m_rec.m_bRecordOpen && picture && picture->IsValid() &&
           static_cast<int>(picture->GetWidth()) == m_rec.m_nRecordWidth &&
           static_cast<int>(picture->GetHeight()) == m_rec.m_nRecordHeight;
  }
  if (take) {
    // As many pictures as are due at 24 per second since the file opened, so the file
    // plays as long as the recording lasted, whatever the timer's real period.
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(m_clock() - m_rec.m_openedAt);
    const long long due = PicturesDue(elapsed.count(), kFramesPerSecond) - m_rec.m_nPictures;
    if (due > 0) {
      m_recorder->Write(std::move(picture), static_cast<int>(due));
      m_rec.m_nPictures += due;
    }
  }
  m_rec.m_strRecordLength = FormatRecordLength(m_tickCount() - m_rec.m_dwRecordStartTick);
}

void RecordingControl::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_timer1.timerId()) {
    OnTimer(1);
  } else if (event->timerId() == m_timer2.timerId()) {
    OnTimer(2);
  } else {
    QObject::timerEvent(event);
  }
}
