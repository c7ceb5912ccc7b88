#include "support/jpeg_file.h"

#include <QFile>

#include <turbojpeg.h>

namespace testsupport {

std::optional<Jpeg> DecodeJpeg(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.readAll();
  tjhandle tj = tjInitDecompress();
  if (!tj) return std::nullopt;
  Jpeg jpeg;
  int subsampling = 0;
  int colorspace = 0;
  auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  bool ok = tjDecompressHeader3(tj, data, static_cast<unsigned long>(bytes.size()), &jpeg.width, &jpeg.height,
                                &subsampling, &colorspace) == 0;
  if (ok) {
    jpeg.rgb.resize(static_cast<std::size_t>(jpeg.width) * jpeg.height * 3);
    ok = tjDecompress2(tj, data, static_cast<unsigned long>(bytes.size()), jpeg.rgb.data(), jpeg.width, 0,
                       jpeg.height, TJPF_RGB, 0) == 0;
  }
  tjDestroy(tj);
  if (!ok) return std::nullopt;
  return jpeg;
}

}  // namespace testsupport
