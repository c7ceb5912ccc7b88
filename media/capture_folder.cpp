// The capture folder: where snapshots and recordings go.
#include "app/vistrel_app.h"
#include "mainwnd/vistrel_dlg.h"
#include "platform/profile/profile.h"
#include "platform/shell/shell.h"

void CVistrelDlg::LoadCaptureFolder() {
  const QString defaultFolder = platform::shell::PicturesFolder() + QLatin1Char('/');
  QString folder = profile::getString(m_app.m_strSettingPath, QStringLiteral("Path"), QStringLiteral("FileFolder"),
                                      defaultFolder);
  // File names are the folder plus the time stamp; a value edited without its trailing
  // separator still names the folder, so files land inside it rather than beside it.
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  m_strFileFolder = folder;
  m_bServiceMode = m_app.m_bServiceMode;
}
