// Recording control: a recording asked for, its file opened on the next camera frame,
// the shown picture written 24 times a second (timer 2, 34 ms) and the running length
// reported every second (timer 1). The MPEG writer runs on the recorder's thread, so
// neither the UI thread nor the frame intake ever waits for an encode.
#pragma once

#include <QBasicTimer>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "media/record_length.h"
#include "media/recorder.h"
#include "media/recording_state.h"

class CxImage;

// Its signals come on the UI thread.
class RecordingControl : public QObject {
  Q_OBJECT

 public:
  static constexpr int kFramesPerSecond = 24;
  static constexpr float kBitRate = 6000000.0f;
  static constexpr int kStatusTimerMs = 1000;
  static constexpr int kPictureTimerMs = 34;

  // shownPicture: the picture on screen, taken on the UI thread by timer 2.
  explicit RecordingControl(std::function<std::shared_ptr<const CxImage>()> shownPicture);
  // A file still open is finished.
  ~RecordingControl() override;
  RecordingControl(const RecordingControl&) = delete;
  RecordingControl& operator=(const RecordingControl&) = delete;

  // Asks for a recording into `file`; the file opens with the next frame. False, with
  // nothing changed, while a recording runs.
  bool Start(const QString& file);
  // Ends the recording: the file is finished before this returns, with the newest
  // picture still waiting for the encoder as its end. False when none ran.
  bool Stop();
  bool IsRecording() const;
  // Whether the current recording's file is open.
  bool IsFileOpen() const;
  // The file of the current (or last) recording.
  QString File() const;
  // Pictures given to the recorder that wait for its encoder.
  int QueuedPictures() const { return m_recorder->QueuedPictures(); }

  // Streaming thread: a frame of this size was taken in. Opens the file of a recording
  // asked for, at that size.
  void OnFrame(int width, int height);
  // Timer 1 (the status) and timer 2 (the pictures due); public so that tests can drive
  // them with their own clocks instead of waiting.
  void OnTimer(int id);

  // Clocks, replaceable for tests: the monotonic clock that decides how many pictures
  // are due, the local time shown as the start, and the tick count of the length.
  std::function<std::chrono::steady_clock::time_point()> m_clock = [] { return std::chrono::steady_clock::now(); };
  std::function<QDateTime()> m_localTime = [] { return QDateTime::currentDateTime(); };
  std::function<std::uint32_t()> m_tickCount = TickCount;
  // Whether an opened file starts the control's own timers. Tests that drive OnTimer
  // with their clocks turn this off, so a slow run cannot slip in a tick of its own.
  bool m_ownTimers = true;

 signals:
  // The file is open; pictures go into it from now on.
  void opened();
  // The file could not be made; the recording is over.
  void failed();
  // Every second while the file is open: its local start time and running length.
  void status(const QString& start, const QString& length);

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnFileOpened(unsigned long session, bool made);

  std::function<std::shared_ptr<const CxImage>()> m_shownPicture;
  mutable std::mutex m_lock;  // guards the shared part of m_rec; never held while another lock is taken
  RecordingState m_rec;
  QBasicTimer m_timer1;  // status, 1000 ms
  QBasicTimer m_timer2;  // pictures, 34 ms
  // Last: its thread ends (and its open answers stop) before the rest goes.
  std::unique_ptr<Recorder> m_recorder;
};
