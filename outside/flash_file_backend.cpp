#include "outside/flash_file_backend.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QtGlobal>

#include <utility>

#include "outside/alc_ids.h"
#include "platform/shell/file_io.h"
#include "platform/shell/shell.h"

namespace {

// Longest serial part of a file name; longer serials are cut and made unique by a hash,
// so the whole name stays well below the 255 bytes a file name may have.
constexpr qsizetype kMaxSerialPart = 200;
constexpr qsizetype kCutSerialPart = 180;

// Percent-encoding keeps letters, digits and "-._~" and encodes everything else
// (the percent sign and the path separator included), so distinct serials never share
// a file and no serial can leave the folder.
QString SafeSerial(const QString& serial) {
  const QByteArray encoded = QUrl::toPercentEncoding(serial);
  if (encoded.size() <= kMaxSerialPart) return QString::fromLatin1(encoded);
  const QByteArray hash = QCryptographicHash::hash(serial.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QString::fromLatin1(encoded.left(kCutSerialPart) + '~' + hash);
}

}  // namespace

FlashFileBackend::FlashFileBackend(QString folder, CameraFinder findCamera)
    : m_folder(std::move(folder)), m_findCamera(std::move(findCamera)) {
  m_image.fill(0xFF);
}

QString FlashFileBackend::FlashFilePath(const platform::UsbIdentity& camera) const {
  const QString name = QStringLiteral("%1-%2-%3.flash")
                           .arg(AlcIdText(camera.vendorId), AlcIdText(camera.productId), SafeSerial(camera.serial));
  return QDir(m_folder).filePath(name);
}

void FlashFileBackend::Open() {
  if (m_depth++ > 0) return;
  m_camera = m_findCamera ? m_findCamera() : std::nullopt;
  m_dirty = false;
  Load();
}

void FlashFileBackend::Close() {
  if (m_depth == 0) return;
  if (m_dirty && m_camera && Store()) m_dirty = false;
  if (--m_depth > 0) return;
  if (m_dirty)
    qWarning("Flash of the camera could not be written to %s", qPrintable(FlashFilePath(*m_camera)));
  m_camera.reset();
  m_dirty = false;
}

bool FlashFileBackend::GetPidVid(std::uint16_t& vendorId, std::uint16_t& productId) {
  if (!m_camera) return false;
  vendorId = m_camera->vendorId;
  productId = m_camera->productId;
  return true;
}

bool FlashFileBackend::ReadFlash(std::uint32_t address, std::uint8_t& value) {
  if (!m_camera || address >= kFlashSize) return false;
  value = m_image[address];
  return true;
}

bool FlashFileBackend::WriteFlash(std::uint32_t address, std::uint8_t value) {
  if (!m_camera || address >= kFlashSize) return false;
  if (m_image[address] != value) {
    m_image[address] = value;
    m_dirty = true;
  }
  return true;
}

bool FlashFileBackend::SetFlashSize(std::uint32_t size) { return m_camera && size > 0 && size <= kFlashSize; }

// A missing file is an erased flash; a short one is erased past its end; a longer one
// is read up to the flash size. A file that cannot be read counts as erased.
void FlashFileBackend::Load() {
  m_image.fill(0xFF);
  if (!m_camera) return;
  QFile file(FlashFilePath(*m_camera));
  if (!file.open(QIODevice::ReadOnly)) return;
  qint64 done = 0;
  while (done < static_cast<qint64>(kFlashSize)) {
    const qint64 n = file.read(reinterpret_cast<char*>(m_image.data()) + done, kFlashSize - done);
    if (n <= 0) break;
    done += n;
  }
}

// The flash file is replaced whole, so a crash leaves either the old or the new flash,
// never a mixture.
bool FlashFileBackend::Store() const {
  if (!platform::shell::MakeUserFolder(m_folder)) return false;
  return platform::ReplaceFileAtomically(FlashFilePath(*m_camera), m_image.data(), m_image.size());
}
