#include "flash_image.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/shell/file_io.h"

namespace platform::vcam {

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
  if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) return false;
  return ReplaceFileAtomically(m_path, m_bytes.data(), m_bytes.size());
}

}  // namespace platform::vcam
