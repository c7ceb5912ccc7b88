#include "media/snapshot.h"

#include <QFileInfo>

#include <cstdio>

#include "outside/ximage.h"
#include "media/capture_folder.h"

namespace {
constexpr float kJpegQuality = 90.0f;
}  // namespace

QString CaptureFileBase(const QString& folder, const QDateTime& time) {
  return folder + time.toString(QStringLiteral("yyyyMMdd-hhmmss-")) +
         QStringLiteral("%1").arg(time.time().msec(), 3, 10, QLatin1Char(' '));
}

std::optional<QString> SaveSnapshot(const CxImage& picture, const QString& folder, const QDateTime& time) {
  if (!picture.IsValid()) return std::nullopt;
  const bool made = EnsureCaptureFolder(folder);
  (void)made;  // a folder that cannot be made shows as a failed save below
  const QString base = CaptureFileBase(folder, time);
  QString file = base + QStringLiteral(".jpg");
  for (int n = 2; QFileInfo::exists(file); ++n) file = base + QStringLiteral("_%1.jpg").arg(n);
  // The quality belongs to the picture object, and the picture given may be shared and
  // never changed: the encode runs on a copy of its own.
  CxImage jpeg(picture);
  jpeg.SetJpegQualityF(kJpegQuality);
  if (!jpeg.Save(file, CXIMAGE_FORMAT_JPG)) {
    std::fprintf(stderr, "vistrel: snapshot not written: %s\n", qPrintable(file));
    return std::nullopt;
  }
  return file;
}
