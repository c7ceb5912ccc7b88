// Snapshots: a picture as a JPEG in the capture folder, named after the local time to
// the millisecond.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

class CxImage;

// The capture folder plus the time stamp, without extension: "yyyyMMdd-hhmmss-" and the
// milliseconds padded with blanks, not zeros (42 ms gives " 42").
QString CaptureFileBase(const QString& folder, const QDateTime& time);

// Writes the picture at quality 90 as <base>.jpg in the folder (made when missing,
// one level only); a second snapshot in the same millisecond gets a counter, _2, _3 …,
// rather than replacing the first. The file written, or nothing when the picture is
// empty or the file could not be written.
std::optional<QString> SaveSnapshot(const CxImage& picture, const QString& folder, const QDateTime& time);
