// Byte-wise access to the camera's flash through the camera-control library: the
// bracket of one use, single-byte reads, and the writes of one operation with the proof
// that they reached the store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace flash {

// The flash size every write bracket declares.
constexpr std::uint32_t kFlashSize = 8192;

// One use of the library: ALC_Initialize when made, ALC_UnInitialize on every way out.
// Brackets may nest.
class AlcBracket {
 public:
  AlcBracket();
  ~AlcBracket();
  AlcBracket(const AlcBracket&) = delete;
  AlcBracket& operator=(const AlcBracket&) = delete;
};

// One byte, read by itself; empty when the read failed.
[[nodiscard]] std::optional<std::uint8_t> ReadFlashByte(std::uint32_t address);

// `count` bytes from `first` on, each read by itself, in address order.
template <std::size_t count>
[[nodiscard]] std::array<std::optional<std::uint8_t>, count> ReadFlashBytes(std::uint32_t first) {
  std::array<std::optional<std::uint8_t>, count> bytes;
  for (std::size_t i = 0; i < count; ++i) bytes[i] = ReadFlashByte(first + static_cast<std::uint32_t>(i));
  return bytes;
}

// The bytes one write operation sends (each its own library call, inside a bracket
// the caller holds), and whether the library took every one.
class FlashWriter {
 public:
  void Write(std::uint32_t address, std::uint8_t value);
  // Consecutive bytes from `first` on, in address order.
  template <std::size_t count>
  void Write(std::uint32_t first, const std::array<std::uint8_t, count>& bytes) {
    for (std::size_t i = 0; i < count; ++i) Write(first + static_cast<std::uint32_t>(i), bytes[i]);
  }

  const std::vector<std::pair<std::uint32_t, std::uint8_t>>& Written() const { return m_written; }
  // Addresses whose write the library refused.
  const std::vector<std::uint32_t>& Refused() const { return m_refused; }

 private:
  std::vector<std::pair<std::uint32_t, std::uint8_t>> m_written;
  std::vector<std::uint32_t> m_refused;
};

// Once the bracket of the writes has closed: true when the library took every write and
// a fresh bracket reads every written byte back equal. A store loads what it keeps at the
// outermost opening, so this proves the bytes reached it. Otherwise one log line saying
// what of `what` was not stored.
[[nodiscard]] bool VerifyStored(const FlashWriter& writer, const char* what);

}  // namespace flash
