#include "media/capture_folder.h"

#include "platform/profile/profile.h"
#include "platform/shell/shell.h"
#include "texts/settings_keys.h"

QString LoadCaptureFolder(const QString& settingPath) {
  const QString defaultFolder = platform::shell::PicturesFolder() + QLatin1Char('/');
  QString folder = profile::getString(settingPath, settings::kPathSection, settings::kFileFolderKey, defaultFolder);
  // File names are the folder plus the time stamp; a value edited without its trailing
  // separator still names the folder, so files land inside it rather than beside it.
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

bool EnsureCaptureFolder(const QString& folder) {
  if (platform::shell::IsDirectory(folder)) return true;
  return platform::shell::CreateDirectory(folder);
}

bool StoreCaptureFolder(const QString& settingPath, const QString& folder) {
  return profile::writeString(settingPath, settings::kPathSection, settings::kFileFolderKey, folder);
}
