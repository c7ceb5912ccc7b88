#include "flash/flash_access.h"

#include <cstdio>

#include "outside/acam.h"

namespace flash {

AlcBracket::AlcBracket() {
  // The library's answer is not needed: without a backend every call inside fails and
  // says so itself.
  (void)ALC_Initialize();
}

AlcBracket::~AlcBracket() { ALC_UnInitialize(); }

std::optional<std::uint8_t> ReadFlashByte(std::uint32_t address) {
  unsigned char value = 0;
  if (ALC_ReadFlash(address, 1, &value) == 0) return std::nullopt;
  return value;
}

void FlashWriter::Write(std::uint32_t address, std::uint8_t value) {
  const unsigned char byte = value;
  if (ALC_WriteFlash(address, 1, &byte) == 0) m_refused.push_back(address);
  m_written.emplace_back(address, value);
}

bool VerifyStored(const FlashWriter& writer, const char* what) {
  if (!writer.Refused().empty()) {
    std::fprintf(stderr, "vistrel: camera flash: %s not stored: %zu of %zu byte writes refused, the first at 0x%04X\n",
                 what, writer.Refused().size(), writer.Written().size(), static_cast<unsigned>(writer.Refused().front()));
    return false;
  }
  const AlcBracket bracket;
  for (const auto& [address, value] : writer.Written()) {
    const std::optional<std::uint8_t> stored = ReadFlashByte(address);
    if (!stored) {
      std::fprintf(stderr, "vistrel: camera flash: %s not stored: byte 0x%04X cannot be read back\n", what,
                   static_cast<unsigned>(address));
      return false;
    }
    if (*stored != value) {
      std::fprintf(stderr, "vistrel: camera flash: %s not stored: byte 0x%04X written 0x%02X reads back 0x%02X\n",
                   what, static_cast<unsigned>(address), static_cast<unsigned>(value), static_cast<unsigned>(*stored));
      return false;
    }
  }
  return true;
}

}  // namespace flash
