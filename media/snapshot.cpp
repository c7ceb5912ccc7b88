// Snapshots: the picture the user sees, as a JPEG in the capture folder, named after
// the local time to the millisecond. Also taken by the camera's still button.
#include <QFileInfo>

#include "app/vistrel_app.h"
#include "mainwnd/main_status_bar.h"
#include "mainwnd/vistrel_dlg.h"
#include "platform/shell/shell.h"

namespace {
constexpr float kJpegQuality = 90.0f;
}  // namespace

QString CVistrelDlg::CaptureFileBase(const QDateTime& time) const {
  // The milliseconds are padded with blanks, not zeros: 42 ms gives " 42".
  return m_strFileFolder + time.toString(QStringLiteral("yyyyMMdd-hhmmss-")) +
         QStringLiteral("%1").arg(time.time().msec(), 3, 10, QLatin1Char(' '));
}

void CVistrelDlg::TakeSnapshot() {
  if (!HasFramePicture() || !m_graph.m_pSourceFilter) return;
  const QDateTime now = m_localTime();
  if (!platform::shell::IsDirectory(m_strFileFolder)) {
    const bool made = platform::shell::CreateDirectory(m_strFileFolder);
    (void)made;  // a folder that cannot be made shows as a failed save below
  }
  const QString base = CaptureFileBase(now);

  // The picture is copied under the frame lock and encoded outside it, so the lock is
  // held for one copy, not a whole JPEG encode, and the file never comes from a
  // half-replaced picture.
  CxImage picture;
  {
    std::lock_guard<std::mutex> lock(m_frame.m_csFrame);
    if (m_frame.m_pFrameImage && m_frame.m_imgShown && m_frame.m_imgShown->IsValid()) picture = *m_frame.m_imgShown;
  }

  bool saved = false;
  QString file;
  if (picture.IsValid()) {
    // A second snapshot in the same millisecond gets a counter instead of replacing
    // the first.
    file = base + QStringLiteral(".jpg");
    for (int n = 2; QFileInfo::exists(file); ++n) file = base + QStringLiteral("_%1.jpg").arg(n);
    picture.SetJpegQualityF(kJpegQuality);
    saved = picture.Save(file, CXIMAGE_FORMAT_JPG);
  }
  m_wndStatusBar->SetPaneText(2, saved ? file : m_app.UiText(Txt::Msg_SNAPFAILED));
}
