// The baseline MJPEG decoder on any bytes. A frame it takes must be one the general
// decoder (TurboJPEG, with its own strict checks) also decodes cleanly, at the same
// size: the converter shows what this decoder takes without asking the other.
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "platform/graph/baseline_jpeg.h"
#include "platform/graph/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Kept from input to input, as a stream keeps its decoder and buffers.
  static platform::BaselineJpeg decoder(platform::JpegDecoder::kToleratedStrayBytes);
  static std::vector<std::uint8_t> ours;
  static std::vector<std::uint8_t> theirs;

  int width = 0;
  int height = 0;
  if (decoder.ReadHeaders(data, size, width, height) != platform::BaselineJpeg::Result::Decoded) return 0;
  FUZZ_CHECK(width > 0 && height > 0);
  // Larger pictures are decoded by the same code as smaller ones; their headers only
  // make the run slow.
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (bytes > std::size_t{1} << 20) return 0;
  ours.resize(bytes);
  if (decoder.Decode(ours.data()) != platform::BaselineJpeg::Result::Decoded) return 0;

  // A fresh general decoder: one that decoded a frame with Huffman tables keeps them
  // for a later frame without (libjpeg's abbreviated streams), where this decoder
  // takes the standard tables, as a frame without its own means.
  platform::JpegDecoder general;
  int generalWidth = 0;
  int generalHeight = 0;
  FUZZ_CHECK(general.ReadSize(data, size, generalWidth, generalHeight));
  FUZZ_CHECK(generalWidth == width && generalHeight == height);
  theirs.resize(bytes);
  FUZZ_CHECK(general.Decode(data, size, theirs.data(), width, height));
  return 0;
}
