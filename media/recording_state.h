// The state of a recording.
#pragma once

#include <QString>

#include <chrono>
#include <cstdint>

struct RecordingState {
  // Guarded by the recording's lock: the frame intake reads them on the streaming thread.
  int m_bRecordStopped = 1;       // 1: no recording; 0: asked for or running
  bool m_bRecordOpen = false;     // the file of the current recording is open
  bool m_bRecordOpening = false;  // the recorder is opening the file
  int m_nRecordWidth = 0;         // size of the file's pictures
  int m_nRecordHeight = 0;
  QString m_strRecordFile;
  unsigned long m_nSession = 0;  // tells a late open result from the current one

  // UI thread only.
  std::uint32_t m_dwRecordStartTick = 0;  // tick of the Record command
  QString m_strRecordStart;               // local time the file opened
  QString m_strRecordLength;              // running length shown
  std::chrono::steady_clock::time_point m_openedAt;
  std::int64_t m_nPictures = 0;  // pictures handed to the recorder for this file
};
