#include "flash_image.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "unique_fd.h"

namespace platform::vcam {

namespace {

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

FlashImage::FlashImage(QString path) : m_path(std::move(path)) {
  m_bytes.fill(kErased);
  if (m_path.isEmpty()) return;
  UniqueFd fd(::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return;
  std::size_t filled = 0;
  while (filled < kSize) {
    const ssize_t n = ::read(fd.Get(), m_bytes.data() + filled, kSize - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    filled += static_cast<std::size_t>(n);
  }
}

void FlashImage::SetFailingReads(std::set<std::uint32_t> addresses) {
  std::lock_guard lock(m_mutex);
  m_failingReads = std::move(addresses);
}

bool FlashImage::Read(std::uint32_t address, std::uint8_t& value) const {
  std::lock_guard lock(m_mutex);
  if (address >= kSize || m_failingReads.count(address)) return false;
  value = m_bytes[address];
  return true;
}

bool FlashImage::Write(std::uint32_t address, std::uint8_t value) {
  std::lock_guard lock(m_mutex);
  if (address >= kSize) return false;
  m_bytes[address] = value;
  m_dirty = true;
  return true;
}

bool FlashImage::HasUnflushedWrites() const {
  std::lock_guard lock(m_mutex);
  return m_dirty;
}

bool FlashImage::Flush() {
  std::lock_guard lock(m_mutex);
  if (!m_dirty) return true;
  if (m_path.isEmpty()) {
    m_dirty = false;
    return true;
  }
  if (!WriteFileLocked()) return false;
  m_dirty = false;
  return true;
}

bool FlashImage::WriteFileLocked() const {
  const QFileInfo info(m_path);
  const QString folder = info.absolutePath();
  if (!QDir().mkpath(folder)) return false;

  QByteArray temp = QFile::encodeName(info.absoluteFilePath() + ".XXXXXX");
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.Valid()) return false;
  const bool written = ::fchmod(fd.Get(), 0644) == 0 && WriteAll(fd.Get(), m_bytes.data(), m_bytes.size()) &&
                       ::fsync(fd.Get()) == 0;
  // close reports late write errors (full disk, network file systems), so it is checked.
  const int closed = ::close(fd.Release());
  if (!written || closed != 0 || ::rename(temp.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
    ::unlink(temp.constData());
    return false;
  }
  // Make the rename itself durable. Best effort: some file systems refuse fsync on a
  // folder, and the new image is in place either way.
  UniqueFd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) (void)::fsync(dir.Get());
  return true;
}

}  // namespace platform::vcam
