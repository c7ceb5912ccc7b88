// Reads a fuzz input piece by piece: small choices from its front, the rest as one
// block. Past its end every read gives zeros, so a target never runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  std::uint32_t U32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
    return value;
  }
  // Up to `length` bytes (fewer at the end of the input).
  std::string Bytes(std::size_t length) {
    const std::size_t n = length < Left() ? length : Left();
    std::string out(reinterpret_cast<const char*>(m_data + m_pos), n);
    m_pos += n;
    return out;
  }
  // The rest, without a copy.
  std::string_view RestView() {
    const std::string_view rest(reinterpret_cast<const char*>(m_data + m_pos), Left());
    m_pos = m_size;
    return rest;
  }
  std::size_t Left() const { return m_size - m_pos; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

}  // namespace fuzz
