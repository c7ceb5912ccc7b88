#include "platform/graph/baseline_jpeg.h"

#include <algorithm>
#include <climits>
#include <cstring>

extern "C" {
#include <libavutil/common.h>
}

namespace platform {
namespace {

using Result = BaselineJpeg::Result;

// Larger pictures go to the general decoder.
constexpr int kMaxDimension = 16384;
// Zero bytes after the coded data. Within one MCU (at most six blocks of 64
// coefficients, each at most 31 bits) the bit reader can run this far past the end
// of damaged data before the end is noticed, plus its own 8-byte look-ahead.
constexpr std::size_t kScanPadding = 2048;
// Plane strides are a multiple of this.
constexpr int kPlaneAlign = 64;
// A block's coefficients and the spare slots past them (see kZigzag).
constexpr int kCoefficientSlots = 80;
// 4:2:0 has the most: four luma blocks and two chroma blocks.
constexpr int kMaxBlocksPerMcu = 6;
// What DecodeBlock found.
constexpr int kDamaged = -1;
constexpr int kDcOnly = 0;
constexpr int kWithAc = 1;

// Natural (row-major) position of each coefficient of the zigzag order. Damaged data
// can run up to 16 coefficients past the last; those land in a spare slot (64), so
// the decoding loop needs no bounds test, and the block is refused afterwards.
constexpr std::uint8_t kZigzag[kCoefficientSlots] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,
    6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
    39, 46, 53, 60, 61, 54, 47, 55, 62, 63, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64};

constexpr std::uint8_t kDcSymbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::uint8_t kAcLuminanceSymbols[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
constexpr std::uint8_t kAcChrominanceSymbols[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

const BaselineJpeg::TableSpec kStandardTables[4] = {
    {{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, kDcSymbols, 12},
    {{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d}, kAcLuminanceSymbols, 162},
    {{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, kDcSymbols, 12},
    {{0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}, kAcChrominanceSymbols, 162},
};

int BigEndian16(const std::uint8_t* p) { return p[0] << 8 | p[1]; }

std::uint64_t BigEndian64(const std::uint8_t* p) {
  std::uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return __builtin_bswap64(value);
}

// A value of s bits as the signed number it codes.
int Extend(unsigned bits, int s) {
  const int value = static_cast<int>(bits);
  return value < (1 << (s - 1)) ? value - (1 << s) + 1 : value;
}

// A dequantised coefficient. Damaged data may overflow 16 bits; the low 16 bits are
// kept (unsigned arithmetic), which only spoils a picture that is dropped anyway.
std::int16_t Dequantise(int value, unsigned quant) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned>(value) * quant));
}

}  // namespace

// Reads the coded bits most significant first, refilling 64 bits at a time
// without a branch (the data is padded with zeros, see kScanPadding).
class BaselineJpeg::BitReader {
 public:
  explicit BitReader(const std::uint8_t* begin) : m_begin(begin), m_next(begin) {}

  int Available() const { return m_count; }
  // Afterwards at least 56 bits are ready.
  void Refill() {
    m_bits |= BigEndian64(m_next) >> m_count;
    m_next += (63 - m_count) >> 3;
    m_count |= 56;
  }
  unsigned Peek(int n) const { return static_cast<unsigned>(m_bits >> (64 - n)); }
  void Consume(int n) {
    m_bits <<= n;
    m_count -= n;
  }
  // The next s bits (1 to 16) as a signed value.
  int Receive(int s) {
    const unsigned bits = Peek(s);
    Consume(s);
    return Extend(bits, s);
  }
  std::size_t BitsUsed() const {
    return static_cast<std::size_t>(m_next - m_begin) * 8 - static_cast<unsigned>(m_count);
  }

  // The next Huffman symbol; -1 when the bits are no code of the table.
  int Decode(const HuffmanTable& table) {
    const unsigned entry = table.fast[Peek(kLookahead)];
    if (entry != 0) {
      Consume(static_cast<int>(entry >> 8));
      return static_cast<int>(entry & 0xFF);
    }
    const int code16 = static_cast<int>(Peek(16));
    for (int length = kLookahead + 1; length <= 16; ++length) {
      const int code = code16 >> (16 - length);
      if (code <= table.maxCode[length]) {
        const int index = code + table.valueOffset[length];
        if (index < 0 || index > 255) return -1;
        Consume(length);
        return table.symbols[index];
      }
    }
    return -1;
  }

 private:
  const std::uint8_t* m_begin;
  const std::uint8_t* m_next;
  std::uint64_t m_bits = 0;
  int m_count = 0;
};

BaselineJpeg::BaselineJpeg(unsigned toleratedStrayBytes)
    : m_toleratedStrayBytes(toleratedStrayBytes),
      m_inverseDctPair(SelectInverseDctPair()),
      m_rowToBgr(SelectYcbcrRowToBgr()) {
  m_segments.reserve(64);
}

BaselineJpeg::~BaselineJpeg() = default;

const BaselineJpeg::TableSpec& BaselineJpeg::StandardTable(int index) { return kStandardTables[index & 3]; }

bool BaselineJpeg::BuildTable(bool dc, const std::uint8_t counts[16], const std::uint8_t* symbols, int symbolCount,
                              HuffmanTable& table) {
  table.defined = false;
  table.fast.fill(0);
  table.fastAc.fill(0);
  table.maxCode.fill(0);
  table.valueOffset.fill(0);
  if (symbolCount < 0 || symbolCount > 256) return false;
  // A DC symbol is a bit count; the general decoder refuses a table with one above 15.
  if (dc && std::any_of(symbols, symbols + symbolCount, [](std::uint8_t s) { return s > 15; })) return false;
  int total = 0;
  for (int i = 0; i < 16; ++i) total += counts[i];
  if (total != symbolCount) return false;
  std::memcpy(table.symbols.data(), symbols, static_cast<std::size_t>(symbolCount));

  // Canonical codes: within a length they count up; each longer length starts at
  // the next code shifted left. No code may be all ones, as the general decoder
  // also insists.
  int code = 0;
  int k = 0;
  for (int length = 1; length <= 16; ++length) {
    const int count = counts[length - 1];
    // Checked before any entry is written: an over-full length would run past the
    // look-up tables.
    if (code + count >= (1 << length)) return false;
    table.valueOffset[length] = k - code;
    for (int i = 0; i < count; ++i, ++code, ++k) {
      if (length > kLookahead) continue;
      const int shift = kLookahead - length;
      for (int fill = 0; fill < (1 << shift); ++fill) {
        table.fast[static_cast<std::size_t>((code << shift) | fill)] =
            static_cast<std::uint16_t>(length << 8 | symbols[k]);
      }
    }
    table.maxCode[length] = count > 0 ? code - 1 : -1;
    code <<= 1;
  }
  table.maxCode[17] = INT_MAX;

  for (int index = 0; index < (1 << kLookahead); ++index) {
    const unsigned entry = table.fast[static_cast<std::size_t>(index)];
    if (entry == 0) continue;
    const int length = static_cast<int>(entry >> 8);
    const int run = static_cast<int>(entry >> 4) & 15;
    const int size = static_cast<int>(entry) & 15;
    if (size == 0 || length + size > kLookahead) continue;
    const unsigned bits = (static_cast<unsigned>(index) >> (kLookahead - length - size)) & ((1u << size) - 1);
    const int value = Extend(bits, size);
    if (value < -128 || value > 127) continue;
    table.fastAc[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(value * 256 + run * 16 + length + size);
  }
  table.defined = true;
  return true;
}

Result BaselineJpeg::ReadHeaders(const std::uint8_t* data, std::size_t size, int& width, int& height) {
  m_scanReady = false;
  m_frameSeen = false;
  m_restartInterval = 0;
  m_quantDefined.fill(false);
  for (HuffmanTable& table : m_dcTables) table.defined = false;
  for (HuffmanTable& table : m_acTables) table.defined = false;
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return Result::Irregular;

  std::size_t at = 2;
  for (;;) {
    if (at >= size || data[at] != 0xFF) return Result::Irregular;
    while (at < size && data[at] == 0xFF) ++at;  // fill bytes
    if (at >= size) return Result::Irregular;
    const std::uint8_t code = data[at++];
    if (code == 0xD8 || code == 0xD9 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) return Result::Irregular;
    if (size - at < 2) return Result::Irregular;
    const std::size_t length = static_cast<std::size_t>(BigEndian16(data + at));
    if (length < 2 || length > size - at) return Result::Irregular;
    const std::uint8_t* segment = data + at + 2;
    const std::size_t segmentLength = length - 2;
    at += length;

    Result result = Result::Decoded;
    if (code == 0xC0 || code == 0xC1) {
      result = ReadFrameHeader(segment, segmentLength);
    } else if (code == 0xC4) {
      result = ReadHuffmanTables(segment, segmentLength);
    } else if (code == 0xDB) {
      result = ReadQuantTables(segment, segmentLength);
    } else if (code == 0xDD) {
      if (segmentLength != 2) return Result::Irregular;
      m_restartInterval = BigEndian16(segment);
    } else if (code == 0xEE) {
      // An Adobe marker may say the three components are RGB, not YCbCr.
      if (segmentLength >= 5 && std::memcmp(segment, "Adobe", 5) == 0) return Result::Unsupported;
    } else if (code == 0xE0) {
      // The general decoder warns about a JFIF marker of a major version other than 1,
      // and then refuses the frame.
      if (segmentLength >= 14 && std::memcmp(segment, "JFIF", 5) == 0 && segment[5] != 1) {
        return Result::Irregular;
      }
    } else if ((code >= 0xE1 && code <= 0xEF) || code == 0xFE) {
      // application data and comments
    } else if (code == 0xDA) {
      result = ReadScanHeader(segment, segmentLength);
      if (result != Result::Decoded) return result;
      result = Unstuff(data, size, at);
      if (result != Result::Decoded) return result;
      // One scan only, followed by the end of the picture and nothing else.
      while (at < size && data[at] == 0xFF) ++at;
      if (at + 1 != size || data[at] != 0xD9) return Result::Unsupported;
      if (!EnsurePlanes()) return Result::Unsupported;
      width = m_width;
      height = m_height;
      m_scanReady = true;
      return Result::Decoded;
    } else {
      return Result::Unsupported;  // other coding processes and markers
    }
    if (result != Result::Decoded) return result;
  }
}

Result BaselineJpeg::ReadFrameHeader(const std::uint8_t* p, std::size_t length) {
  if (m_frameSeen || length < 6) return Result::Irregular;
  if (p[0] != 8) return Result::Unsupported;
  m_height = BigEndian16(p + 1);
  m_width = BigEndian16(p + 3);
  if (p[5] != 3) return Result::Unsupported;
  if (length != 6 + 3 * 3) return Result::Irregular;
  if (m_width == 0 || m_height == 0 || m_width > kMaxDimension || m_height > kMaxDimension) {
    return Result::Unsupported;
  }
  for (int c = 0; c < 3; ++c) {
    const std::uint8_t* spec = p + 6 + 3 * c;
    Component& component = m_components[static_cast<std::size_t>(c)];
    component = Component{};
    component.id = spec[0];
    component.h = spec[1] >> 4;
    component.v = spec[1] & 15;
    component.quant = spec[2];
    if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4 || component.quant > 3) {
      return Result::Irregular;
    }
    for (int other = 0; other < c; ++other) {
      if (m_components[static_cast<std::size_t>(other)].id == component.id) return Result::Irregular;
    }
  }
  // Components named R, G and B are taken as RGB by the general decoder.
  if (m_components[0].id == 'R' && m_components[1].id == 'G' && m_components[2].id == 'B') {
    return Result::Unsupported;
  }
  const Component& luma = m_components[0];
  const bool chromaSingle = m_components[1].h == 1 && m_components[1].v == 1 && m_components[2].h == 1 &&
                            m_components[2].v == 1;
  const bool lumaKnown = (luma.h == 1 && luma.v == 1) || (luma.h == 2 && luma.v == 1) || (luma.h == 2 && luma.v == 2);
  if (!chromaSingle || !lumaKnown) return Result::Unsupported;
  m_blocksPerMcu = luma.h * luma.v + 2;
  m_mcusX = (m_width + 8 * luma.h - 1) / (8 * luma.h);
  m_mcusY = (m_height + 8 * luma.v - 1) / (8 * luma.v);
  m_frameSeen = true;
  return Result::Decoded;
}

Result BaselineJpeg::ReadHuffmanTables(const std::uint8_t* p, std::size_t length) {
  while (length > 0) {
    if (length < 17) return Result::Irregular;
    const int tableClass = p[0] >> 4;
    const int index = p[0] & 15;
    if (tableClass > 1 || index > 3) return Result::Irregular;
    int count = 0;
    for (int i = 1; i <= 16; ++i) count += p[i];
    if (static_cast<std::size_t>(count) > length - 17) return Result::Irregular;
    HuffmanTable& table = (tableClass == 0 ? m_dcTables : m_acTables)[static_cast<std::size_t>(index)];
    const std::size_t bytes = 17 + static_cast<std::size_t>(count);
    if (table.source.size() == bytes && std::equal(p, p + bytes, table.source.begin())) {
      table.defined = true;
    } else {
      table.source.clear();
      if (!BuildTable(tableClass == 0, p + 1, p + 17, count, table)) return Result::Irregular;
      table.source.assign(p, p + bytes);
    }
    p += 17 + count;
    length -= 17 + static_cast<std::size_t>(count);
  }
  return Result::Decoded;
}

Result BaselineJpeg::ReadQuantTables(const std::uint8_t* p, std::size_t length) {
  while (length > 0) {
    const int precision = p[0] >> 4;
    const int index = p[0] & 15;
    if (precision > 1 || index > 3) return Result::Irregular;
    const std::size_t bytes = 1 + 64 * static_cast<std::size_t>(precision + 1);
    if (length < bytes) return Result::Irregular;
    auto& table = m_quant[static_cast<std::size_t>(index)];
    for (int k = 0; k < 64; ++k) {
      table[static_cast<std::size_t>(k)] =
          static_cast<std::uint16_t>(precision == 0 ? p[1 + k] : BigEndian16(p + 1 + 2 * k));
    }
    m_quantDefined[static_cast<std::size_t>(index)] = true;
    p += bytes;
    length -= bytes;
  }
  return Result::Decoded;
}

const BaselineJpeg::HuffmanTable* BaselineJpeg::TableFor(bool dc, int index) {
  const HuffmanTable& own = (dc ? m_dcTables : m_acTables)[static_cast<std::size_t>(index)];
  if (own.defined) return &own;
  if (index > 1) return nullptr;
  if (!m_standardBuilt) {
    for (int i = 0; i < 4; ++i) {
      const TableSpec& spec = kStandardTables[i];
      if (!BuildTable(i % 2 == 0, spec.counts.data(), spec.symbols, spec.symbolCount,
                      m_standardTables[static_cast<std::size_t>(i)])) {
        return nullptr;
      }
    }
    m_standardBuilt = true;
  }
  return &m_standardTables[static_cast<std::size_t>(index * 2 + (dc ? 0 : 1))];
}

Result BaselineJpeg::ReadScanHeader(const std::uint8_t* p, std::size_t length) {
  if (!m_frameSeen || length < 1) return Result::Irregular;
  if (p[0] != 3) return Result::Unsupported;  // not all three components interleaved
  if (length != 1 + 2 * 3 + 3) return Result::Irregular;
  for (int c = 0; c < 3; ++c) {
    Component& component = m_components[static_cast<std::size_t>(c)];
    // The blocks of an MCU come in the scan's order; only the frame's order is taken.
    if (p[1 + 2 * c] != component.id) return Result::Unsupported;
    const int tables = p[2 + 2 * c];
    if ((tables >> 4) > 3 || (tables & 15) > 3) return Result::Irregular;
    component.dc = TableFor(true, tables >> 4);
    component.ac = TableFor(false, tables & 15);
    if (!component.dc || !component.ac || !m_quantDefined[static_cast<std::size_t>(component.quant)]) {
      return Result::Irregular;
    }
    component.dcPrediction = 0;
  }
  const std::uint8_t* spectral = p + 7;
  if (spectral[0] != 0 || spectral[1] != 63 || spectral[2] != 0) return Result::Irregular;
  return Result::Decoded;
}

Result BaselineJpeg::Unstuff(const std::uint8_t* data, std::size_t size, std::size_t& at) {
  m_segments.clear();
  const std::size_t capacity = size - at + kScanPadding;
  if (m_scan.size() < capacity) m_scan.resize(capacity);
  std::uint8_t* const out = m_scan.data();
  std::size_t written = 0;
  Segment segment;
  int nextRestart = 0;
  const std::uint8_t* in = data + at;
  const std::uint8_t* const end = data + size;
  for (;;) {
    const auto* marker = static_cast<const std::uint8_t*>(std::memchr(in, 0xFF, static_cast<std::size_t>(end - in)));
    if (!marker) return Result::Irregular;
    std::memcpy(out + written, in, static_cast<std::size_t>(marker - in));
    written += static_cast<std::size_t>(marker - in);
    const std::uint8_t* code = marker + 1;
    while (code < end && *code == 0xFF) ++code;  // fill bytes
    if (code >= end) return Result::Irregular;
    if (*code == 0x00) {  // a stuffed data byte
      out[written++] = 0xFF;
      in = code + 1;
      continue;
    }
    segment.end = written;
    m_segments.push_back(segment);
    if (*code >= 0xD0 && *code <= 0xD7) {
      if (*code != 0xD0 + nextRestart) return Result::Irregular;
      nextRestart = (nextRestart + 1) & 7;
      segment.begin = written;
      in = code + 1;
      continue;
    }
    at = static_cast<std::size_t>(marker - data);
    break;
  }
  std::memset(out + written, 0, kScanPadding);
  return Result::Decoded;
}

bool BaselineJpeg::EnsurePlanes() {
  int strides[3];
  int rows[3];
  std::size_t bytes = 0;
  for (int c = 0; c < 3; ++c) {
    const Component& component = m_components[static_cast<std::size_t>(c)];
    // Whole blocks, and room for the vector code's 16-byte reads past the width.
    strides[c] = FFALIGN(m_mcusX * component.h * 8 + 16, kPlaneAlign);
    rows[c] = component.v * 8;
    bytes += static_cast<std::size_t>(strides[c]) * static_cast<std::size_t>(rows[c]);
  }
  if (!m_planeMemory || m_planeBytes < bytes) {
    m_planeMemory.reset(static_cast<std::uint8_t*>(av_malloc(bytes)));
    m_planeBytes = m_planeMemory ? bytes : 0;
    if (!m_planeMemory) return false;
  }
  std::uint8_t* next = m_planeMemory.get();
  for (int c = 0; c < 3; ++c) {
    m_planes[c] = next;
    m_planeStrides[c] = strides[c];
    next += static_cast<std::size_t>(strides[c]) * static_cast<std::size_t>(rows[c]);
  }
  return true;
}

int BaselineJpeg::DecodeBlock(BitReader& shared, Component& component, std::int16_t* block) const {
  // A local copy stays in registers: the block's stores could otherwise alias it.
  BitReader reader = shared;
  const std::uint16_t* quant = m_quant[static_cast<std::size_t>(component.quant)].data();
  reader.Refill();
  const int dcSize = reader.Decode(*component.dc);
  if (dcSize < 0 || dcSize > 11) return kDamaged;
  if (dcSize > 0) component.dcPrediction += reader.Receive(dcSize);
  block[0] = Dequantise(component.dcPrediction, quant[0]);

  const HuffmanTable& ac = *component.ac;
  int k = 1;
  while (k < 64) {
    // One refill serves several coefficients: a code and its value take at most
    // 31 bits.
    if (reader.Available() < 32) reader.Refill();
    const int fast = ac.fastAc[reader.Peek(kLookahead)];
    if (fast != 0) {
      k += (fast >> 4) & 15;
      reader.Consume(fast & 15);
      block[kZigzag[k]] = Dequantise(fast >> 8, quant[k]);
      ++k;
      continue;
    }
    const int symbol = reader.Decode(ac);
    if (symbol < 0) return kDamaged;
    const int run = symbol >> 4;
    const int size = symbol & 15;
    if (size == 0) {
      if (run != 15) break;  // end of block
      k += 16;
      continue;
    }
    k += run;
    block[kZigzag[k]] = Dequantise(reader.Receive(size), quant[k]);
    ++k;
  }
  // Past the last coefficient (into the spare slots) only with damaged data; a run
  // of zeros may end exactly at 64.
  if (k > 64) return kDamaged;
  shared = reader;
  return k == 1 ? kDcOnly : kWithAc;
}

std::uint8_t* BaselineJpeg::BlockTop(int plane, int blockX, int blockRow) const {
  return m_planes[plane] + static_cast<std::ptrdiff_t>(blockRow) * 8 * m_planeStrides[plane] +
         static_cast<std::ptrdiff_t>(blockX) * 8;
}

void BaselineJpeg::ConvertRows(int mcuY, std::uint8_t* bgr) const {
  const Component& luma = m_components[0];
  const int bandHeight = 8 * luma.v;
  const int first = mcuY * bandHeight;
  const int last = std::min(first + bandHeight, m_height);
  const std::size_t rowBytes = static_cast<std::size_t>(m_width) * 3;
  for (int y = first; y < last; ++y) {
    const int local = y - first;
    const int chroma = luma.v == 2 ? local / 2 : local;
    // Stored bottom row first.
    m_rowToBgr(m_planes[0] + static_cast<std::ptrdiff_t>(local) * m_planeStrides[0],
               m_planes[1] + static_cast<std::ptrdiff_t>(chroma) * m_planeStrides[1],
               m_planes[2] + static_cast<std::ptrdiff_t>(chroma) * m_planeStrides[2], m_width, luma.h == 2,
               bgr + static_cast<std::size_t>(m_height - 1 - y) * rowBytes);
  }
}

Result BaselineJpeg::Decode(std::uint8_t* bgr) {
  if (!m_scanReady) return Result::Irregular;
  m_scanReady = false;
  if (m_segments.empty()) return Result::Irregular;
  if (m_restartInterval == 0 && m_segments.size() != 1) return Result::Irregular;

  alignas(32) std::int16_t blocks[kMaxBlocksPerMcu][kCoefficientSlots];
  std::size_t segmentIndex = 0;
  const Segment* segment = &m_segments[0];
  BitReader reader(m_scan.data() + segment->begin);
  int mcusLeft = m_restartInterval > 0 ? m_restartInterval : INT_MAX;
  for (int mcuY = 0; mcuY < m_mcusY; ++mcuY) {
    for (int mcuX = 0; mcuX < m_mcusX; ++mcuX) {
      if (mcusLeft == 0) {
        // An interval must use its data exactly, bar the padding bits of its last byte.
        if (reader.BitsUsed() + 8 <= (segment->end - segment->begin) * 8) return Result::Irregular;
        if (++segmentIndex >= m_segments.size()) return Result::Irregular;
        segment = &m_segments[segmentIndex];
        reader = BitReader(m_scan.data() + segment->begin);
        for (Component& component : m_components) component.dcPrediction = 0;
        mcusLeft = m_restartInterval;
      }
      std::memset(blocks, 0, sizeof blocks[0] * static_cast<std::size_t>(m_blocksPerMcu));
      // Blocks with AC terms are transformed in pairs; a DC term alone is a fill.
      const std::int16_t* waiting = nullptr;
      std::uint8_t* waitingTop = nullptr;
      std::ptrdiff_t waitingStride = 0;
      int b = 0;
      for (int c = 0; c < 3; ++c) {
        Component& component = m_components[static_cast<std::size_t>(c)];
        const std::ptrdiff_t stride = m_planeStrides[c];
        for (int v = 0; v < component.v; ++v) {
          for (int h = 0; h < component.h; ++h, ++b) {
            std::int16_t* block = blocks[b];
            const int kind = DecodeBlock(reader, component, block);
            if (kind == kDamaged) return Result::Irregular;
            std::uint8_t* top = BlockTop(c, mcuX * component.h + h, v);
            if (kind == kDcOnly) {
              InverseDctDcOnly(block[0], top, stride);
            } else if (!waiting) {
              waiting = block;
              waitingTop = top;
              waitingStride = stride;
            } else {
              m_inverseDctPair(waiting, waitingTop, waitingStride, block, top, stride);
              waiting = nullptr;
            }
          }
        }
      }
      if (waiting) InverseDct8x8(waiting, waitingTop, waitingStride);
      --mcusLeft;
      // Past the end: the data stopped short of the picture.
      if (reader.BitsUsed() > (segment->end - segment->begin) * 8) return Result::Irregular;
    }
    ConvertRows(mcuY, bgr);
  }
  if (segmentIndex + 1 != m_segments.size()) return Result::Irregular;
  // Bytes after the last one with picture data, counted as they were sent: a data
  // byte 0xFF was two (0xFF 0x00), and the general decoder counts it so.
  const std::uint8_t* unused = m_scan.data() + segment->begin + (reader.BitsUsed() + 7) / 8;
  const std::uint8_t* end = m_scan.data() + segment->end;
  const auto sent = static_cast<std::size_t>(end - unused) + static_cast<std::size_t>(std::count(unused, end, 0xFF));
  return sent <= m_toleratedStrayBytes ? Result::Decoded : Result::Irregular;
}

}  // namespace platform
