// The capture folder: where snapshots and recordings go, kept in the settings file.
#pragma once

#include <QString>

// The folder stored in the settings file at settingPath, ending in its separator; the
// pictures folder when none is stored.
QString LoadCaptureFolder(const QString& settingPath);
// Makes the capture folder when it is missing, one level only: a folder two levels
// below an existing one is refused (a mistyped path is not built up). True when it
// exists afterwards.
[[nodiscard]] bool EnsureCaptureFolder(const QString& folder);
// Stores the folder; false when the settings file cannot be written (the folder is
// still the one to use for this run).
[[nodiscard]] bool StoreCaptureFolder(const QString& settingPath, const QString& folder);
