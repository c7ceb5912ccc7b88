// File descriptors and whole-file writes, shared by everything that writes files below
// Qt's level (the flash images, JPEG snapshots). Header-only, so libraries that do not
// link the shell library can use it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>

namespace platform {

// A file descriptor that closes itself.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_fd, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return m_fd; }
  bool Valid() const { return m_fd >= 0; }
  // Gives up ownership without closing.
  int Release() { return std::exchange(m_fd, -1); }
  void Reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }
  // Closes now and says whether the close succeeded: the last chance to learn of a
  // write that did not reach the disk.
  bool Close() {
    const int fd = std::exchange(m_fd, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd = -1;
};

// Writes all `size` bytes, retrying short and interrupted writes.
inline bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Replaces the file at `path` with `size` bytes so that a crash leaves either the old or
// the new content, never half of one: a temporary file beside it, written and put on
// disk, then renamed over it, and the folder's entry put on disk too. The folder must
// exist. False (and the old file untouched) on any failure.
inline bool ReplaceFileAtomically(const QString& path, const void* data, std::size_t size, mode_t mode = 0644) {
  const QFileInfo info(path);
  const QByteArray target = QFile::encodeName(info.absoluteFilePath());
  QByteArray temp = target + ".XXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.Valid()) return false;
  const bool written =
      ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), data, size) && ::fsync(fd.Get()) == 0 && fd.Close();
  if (!written || ::rename(temp.constData(), target.constData()) != 0) {
    ::unlink(temp.constData());
    return false;
  }
  // Best effort: some file systems refuse fsync on a folder; the rename is done anyway.
  UniqueFd dir(::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) (void)::fsync(dir.Get());
  return true;
}

enum class CreateResult { Created, Exists, Failed };

// Makes the file at `path` with `size` bytes unless something is already there, so that
// neither a file made meanwhile by someone else is replaced nor a half-written file ever
// shows under that name: a temporary file beside it, written and put on disk, then
// linked to the name, which fails when the name is taken. The folder must exist. On
// Failed, errno says why.
inline CreateResult CreateFileAtomically(const QString& path, const void* data, std::size_t size, mode_t mode = 0644) {
  const QFileInfo info(path);
  const QByteArray target = QFile::encodeName(info.absoluteFilePath());
  QByteArray temp = target + ".XXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.Valid()) return CreateResult::Failed;
  const bool written =
      ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), data, size) && ::fsync(fd.Get()) == 0 && fd.Close();
  int error = errno;
  CreateResult result = CreateResult::Failed;
  if (written) {
    if (::link(temp.constData(), target.constData()) == 0) {
      result = CreateResult::Created;
    } else if (errno == EEXIST) {
      result = CreateResult::Exists;
    } else if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP) {
      // A file system without hard links: a rename cannot refuse a taken name, so the
      // name is checked just before; the window between is as small as it gets there.
      if (QFileInfo::exists(info.absoluteFilePath()))
        result = CreateResult::Exists;
      else if (::rename(temp.constData(), target.constData()) == 0)
        return CreateResult::Created;
    }
    error = errno;
  }
  ::unlink(temp.constData());
  errno = error;
  return result;
}

}  // namespace platform
