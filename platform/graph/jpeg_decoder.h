// Decodes a camera's MJPEG frame with TurboJPEG straight into 24-bit BGR rows stored
// bottom row first. One decoder handle lives across frames.
//
// A frame is decoded only when it decodes cleanly: any error, and any warning the
// library raises about the data (a frame cut short, a segment ending early, data it
// had to skip), fails the frame, with one exception: a few stray bytes between the
// last coded data and the end-of-image marker, which many cameras leave and which
// the library reports only after the whole picture is out. Frames without Huffman
// tables (as many UVC cameras send them) decode with the standard tables. The
// library reads only the bytes it is given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

class JpegDecoder {
 public:
  // Stray bytes before the end-of-image marker that are still taken as a whole frame.
  static constexpr unsigned kToleratedStrayBytes = 16;

  JpegDecoder() = default;
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // The picture size from the frame's headers; false when they cannot be read.
  [[nodiscard]] bool ReadSize(const std::uint8_t* data, std::size_t size, int& width, int& height);
  // Decodes into width × height × 3 bytes at out (the size ReadSize gave); false when
  // the frame is damaged (out may then hold part of a picture).
  [[nodiscard]] bool Decode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, int width, int height);

  // Why the last call failed.
  std::string_view LastError() const { return m_error.data(); }

 private:
  [[nodiscard]] bool EnsureHandle();
  void KeepError(std::string_view prefix, const char* message);
  // After a failure: the library leaves a handle whose header reading failed half-way
  // in that state, and would take the next frame's start for a second one. Only
  // damaged frames pay for a new handle.
  void DropHandle();

  void* m_handle = nullptr;  // tjhandle
  std::array<char, 160> m_error{};
};

}  // namespace platform
