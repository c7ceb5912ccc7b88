// Decodes the JPEG most cameras send as an MJPEG frame: one baseline, Huffman-coded
// scan of 8-bit Y, Cb and Cr, interleaved, sampled 4:4:4, 4:2:2 or 4:2:0, with or
// without restart markers, straight into 24-bit BGR rows stored bottom row first.
//
// Why a decoder of our own for this one case: the general decoder reads the coded
// data a byte at a time and tests every byte for a marker, and a detailed picture
// has a stuffed 0xFF byte every few dozen bytes, each a mispredicted branch. Here the
// coded data is first copied without its stuffing (a memchr pass), so the bit reader
// refills 64 bits at once with no test, short codes decode with their value in one
// table look-up, and blocks are transformed two at a time. Each row of MCUs is
// turned into BGR while it is still in the cache. The arithmetic (the accurate
// integer transform, chroma replicated, the colour rounding) is libjpeg's.
//
// Everything else (progressive or arithmetic coding, other precisions, grey or four
// components, other sampling, several scans) is Unsupported, and any data this
// decoder does not take as clean is Irregular: the caller hands both to the general
// decoder, which decides whether the frame is shown. A frame decoded here is one
// the general decoder also takes as clean. Nothing is read outside
// [data, data + size).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graph/ffmpeg_ptr.h"
#include "platform/graph/jpeg_idct.h"
#include "platform/graph/ycbcr_to_bgr.h"

namespace platform {

class BaselineJpeg {
 public:
  enum class Result { Decoded, Unsupported, Irregular };

  // Stray bytes after the coded data that are still taken as clean (the general
  // decoder's tolerance, see JpegDecoder).
  explicit BaselineJpeg(unsigned toleratedStrayBytes);
  ~BaselineJpeg();
  BaselineJpeg(const BaselineJpeg&) = delete;
  BaselineJpeg& operator=(const BaselineJpeg&) = delete;

  // Reads a whole JPEG's headers (data: from its start-of-image to its end-of-image
  // marker) and readies its scan; Decoded when this decoder takes the frame. The
  // frame's bytes are not read again.
  [[nodiscard]] Result ReadHeaders(const std::uint8_t* data, std::size_t size, int& width, int& height);
  // Then decodes the scan into width × height × 3 bytes of BGR, bottom row first.
  // Unless Decoded, bgr may hold part of the picture.
  [[nodiscard]] Result Decode(std::uint8_t* bgr);

  // The standard Huffman tables frames without their own use, as (lengths, symbols):
  // DC luminance, AC luminance, DC chrominance, AC chrominance.
  struct TableSpec {
    std::array<std::uint8_t, 16> counts;  // codes of each length, 1 to 16 bits
    const std::uint8_t* symbols;
    int symbolCount;
  };
  static const TableSpec& StandardTable(int index);

 private:
  // Bits looked up at once; longer codes take a slower path.
  static constexpr int kLookahead = 11;

  struct HuffmanTable {
    bool defined = false;  // by this frame
    // What it was built from (class, counts, symbols): a camera sends the same tables
    // with every frame, and they are built again only when they change.
    std::vector<std::uint8_t> source;
    // By the next kLookahead bits: code length << 8 | symbol; 0 for longer codes.
    std::array<std::uint16_t, 1 << kLookahead> fast{};
    // AC only, by the next kLookahead bits when a code and its value bits both fit:
    // value << 8 | run << 4 | bits used; 0 otherwise.
    std::array<std::int16_t, 1 << kLookahead> fastAc{};
    std::array<std::int32_t, 18> maxCode{};  // largest code of each length, -1 if none
    std::array<std::int32_t, 17> valueOffset{};
    std::array<std::uint8_t, 256> symbols{};
  };
  // Builds a DC or AC table from its code counts and symbols; false for a table that
  // is not a valid prefix code or has a DC symbol above 15.
  [[nodiscard]] static bool BuildTable(bool dc, const std::uint8_t counts[16], const std::uint8_t* symbols,
                                       int symbolCount, HuffmanTable& table);

  struct Component {
    int id = 0;
    int h = 1;
    int v = 1;
    int quant = 0;
    const HuffmanTable* dc = nullptr;
    const HuffmanTable* ac = nullptr;
    int dcPrediction = 0;
  };
  struct Segment {  // a restart interval's coded data in m_scan
    std::size_t begin = 0;
    std::size_t end = 0;
  };
  class BitReader;

  Result ReadFrameHeader(const std::uint8_t* p, std::size_t length);
  Result ReadHuffmanTables(const std::uint8_t* p, std::size_t length);
  Result ReadQuantTables(const std::uint8_t* p, std::size_t length);
  Result ReadScanHeader(const std::uint8_t* p, std::size_t length);
  // Copies the coded data from data[at] on without its stuffing, split at restart
  // markers; sets `at` to the marker that ends it.
  Result Unstuff(const std::uint8_t* data, std::size_t size, std::size_t& at);
  bool EnsurePlanes();
  // Decodes one block's coefficients into `block` (zeroed, with spare slots):
  // kDamaged, kDcOnly or kWithAc (see the .cpp).
  int DecodeBlock(BitReader& reader, Component& component, std::int16_t* block) const;
  std::uint8_t* BlockTop(int plane, int blockX, int blockRow) const;
  // The image rows of MCU row mcuY, from the planes to their place in bgr.
  void ConvertRows(int mcuY, std::uint8_t* bgr) const;
  // The table a scan names; a missing table 0 or 1 is the standard one.
  const HuffmanTable* TableFor(bool dc, int index);

  unsigned m_toleratedStrayBytes;
  InverseDctPair m_inverseDctPair;
  YcbcrRowToBgr m_rowToBgr;
  // In zigzag order, with zeros for the spare slots past the 64 coefficients.
  std::array<std::array<std::uint16_t, 80>, 4> m_quant{};
  std::array<bool, 4> m_quantDefined{};
  std::array<HuffmanTable, 4> m_dcTables;
  std::array<HuffmanTable, 4> m_acTables;
  std::array<HuffmanTable, 4> m_standardTables;  // built once, on the first frame without tables
  bool m_standardBuilt = false;

  int m_width = 0;
  int m_height = 0;
  std::array<Component, 3> m_components;
  bool m_frameSeen = false;
  bool m_scanReady = false;  // ReadHeaders took the frame, Decode has not run
  int m_restartInterval = 0;
  int m_blocksPerMcu = 0;
  int m_mcusX = 0;
  int m_mcusY = 0;

  std::vector<std::uint8_t> m_scan;  // coded data without stuffing, then zero padding
  std::vector<Segment> m_segments;

  // One MCU row of each plane, whole blocks wide, with a padded stride.
  AvPtr<std::uint8_t> m_planeMemory;
  std::size_t m_planeBytes = 0;
  std::uint8_t* m_planes[3] = {};
  int m_planeStrides[3] = {};
};

}  // namespace platform
