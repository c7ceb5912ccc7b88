#include "platform/graph/jpeg_decoder.h"

#include <turbojpeg.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

// Chroma is replicated instead of interpolated, which lets the library upsample and
// convert colour in one merged pass; it is also what libswscale's unscaled route
// did with these pictures. The accurate integer transform is kept (the fast one is
// off by several levels).
constexpr int kDecodeFlags = TJFLAG_BOTTOMUP | TJFLAG_FASTUPSAMPLE | TJFLAG_STOPONWARNING;

// libjpeg's wording of the one warning that leaves a whole picture behind.
bool IsStrayBytesBeforeEnd(const char* message) {
  unsigned count = 0;
  unsigned marker = 0;
  return std::sscanf(message, "Corrupt JPEG data: %u extraneous bytes before marker 0x%x", &count, &marker) == 2 &&
         marker == 0xD9 && count <= JpegDecoder::kToleratedStrayBytes;
}

}  // namespace

JpegDecoder::~JpegDecoder() { DropHandle(); }

void JpegDecoder::DropHandle() {
  if (m_handle) tjDestroy(m_handle);
  m_handle = nullptr;
}

bool JpegDecoder::EnsureHandle() {
  if (!m_handle) m_handle = tjInitDecompress();
  if (m_handle) return true;
  KeepError("cannot make a decoder: ", tjGetErrorStr2(nullptr));
  return false;
}

void JpegDecoder::KeepError(std::string_view prefix, const char* message) {
  std::snprintf(m_error.data(), m_error.size(), "%.*s%s", static_cast<int>(prefix.size()), prefix.data(),
                message ? message : "");
}

bool JpegDecoder::ReadSize(const std::uint8_t* data, std::size_t size, int& width, int& height) {
  m_error[0] = '\0';
  if (!EnsureHandle()) return false;
  if (size > ULONG_MAX) {
    KeepError("frame too large", nullptr);
    return false;
  }
  int subsampling = 0;
  int colourspace = 0;
  if (tjDecompressHeader3(m_handle, data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                          &colourspace) != 0) {
    KeepError("unreadable header: ", tjGetErrorStr2(m_handle));
    DropHandle();
    return false;
  }
  return true;
}

bool JpegDecoder::Decode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, int width, int height) {
  m_error[0] = '\0';
  if (!EnsureHandle()) return false;
  if (size > ULONG_MAX || width <= 0 || height <= 0 || width > INT_MAX / 3) {
    KeepError("frame too large", nullptr);
    return false;
  }
  if (tjDecompress2(m_handle, data, static_cast<unsigned long>(size), out, width, width * 3, height, TJPF_BGR,
                    kDecodeFlags) == 0) {
    return true;
  }
  const char* message = tjGetErrorStr2(m_handle);
  if (tjGetErrorCode(m_handle) == TJERR_WARNING && IsStrayBytesBeforeEnd(message)) return true;
  KeepError("damaged: ", message);
  DropHandle();
  return false;
}

}  // namespace platform
