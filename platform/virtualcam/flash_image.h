// The camera's 8192-byte flash, kept in memory and backed by an image file.
//
// The file is read once at construction: missing bytes (no file, a short file) read as
// erased (0xFF) and bytes beyond 8192 are ignored. Writes stay in memory until Flush,
// which replaces the whole file atomically (temporary file in the same folder, fsync,
// rename), so a crash leaves either the old or the new image, never half of one.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <mutex>
#include <set>

namespace platform::vcam {

class FlashImage {
 public:
  static constexpr std::uint32_t kSize = 8192;
  static constexpr std::uint8_t kErased = 0xFF;

  // An empty path keeps the flash in memory only.
  explicit FlashImage(QString path);

  void SetFailingReads(std::set<std::uint32_t> addresses);
  bool Read(std::uint32_t address, std::uint8_t& value) const;
  bool Write(std::uint32_t address, std::uint8_t value);
  // Writes the image when there were writes since the last successful flush.
  bool Flush();
  bool HasUnflushedWrites() const;

 private:
  bool WriteFileLocked() const;

  const QString m_path;
  mutable std::mutex m_mutex;
  std::array<std::uint8_t, kSize> m_bytes;
  std::set<std::uint32_t> m_failingReads;
  bool m_dirty = false;
};

}  // namespace platform::vcam
