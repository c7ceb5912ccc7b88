// The capture folder: where snapshots and recordings go, kept in the settings file.
#pragma once

#include <QString>

// The folder stored in the settings file at settingPath, ending in its separator; the
// pictures folder when none is stored.
QString LoadCaptureFolder(const QString& settingPath);
// Stores the folder; false when the settings file cannot be written (the folder is
// still the one to use for this run).
[[nodiscard]] bool StoreCaptureFolder(const QString& settingPath, const QString& folder);
