// Shell folders and the folder browser.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace platform::shell {

// $XDG_DATA_HOME, or ~/.local/share when unset; no trailing separator.
QString LocalAppDataFolder();
// The XDG pictures folder; no trailing separator.
QString PicturesFolder();
// The folder of the running executable, ending in '/'.
QString ExecutableFolder();
bool IsDirectory(const QString& path);
// Creates the last level only; false when it could not be made.
bool CreateDirectory(const QString& path);
// Makes the folder with every missing folder above it, each made for its owner alone
// (mode 0700, as the XDG base-directory rules ask of the per-user data folders); the
// folders that exist are left as they are. True when the folder exists afterwards.
[[nodiscard]] bool MakeUserFolder(const QString& path);

// What the folder browser is asked.
struct FolderBrowseRequest {
  QWidget* owner = nullptr;
  QString title;          // the line above the folder tree
  QString caption;        // the window caption
  QString initialFolder;  // selected at start
};
// Answers the chosen folder's path, or nullopt when cancelled.
using FolderBrowser = std::function<std::optional<QString>(const FolderBrowseRequest&)>;
// The platform's own folder browser (a QFileDialog for directories).
std::optional<QString> BrowseForFolder(const FolderBrowseRequest& request);

}  // namespace platform::shell
