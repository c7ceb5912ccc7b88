#include "outside/ximage.h"

#include <QFile>
#include <QPainter>

#include <turbojpeg.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/shell/file_io.h"

namespace {

bool SupportedBpp(std::uint32_t bpp) { return bpp == 8 || bpp == 24 || bpp == 32; }

// Row length in bytes padded to four, and the size of all rows; false when the size
// is empty or too large for the int-sized strides of QImage and TurboJPEG.
bool RowLayout(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t& effWidth,
               std::size_t& total) {
  if (width == 0 || height == 0 || !SupportedBpp(bpp)) return false;
  const std::uint64_t eff = ((std::uint64_t{bpp} * width + 31) / 32) * 4;
  const std::uint64_t all = eff * height;
  if (eff > INT_MAX || all > INT_MAX) return false;
  effWidth = static_cast<std::uint32_t>(eff);
  total = static_cast<std::size_t>(all);
  return true;
}

// Bytes of pixel data in one row, without the padding.
std::size_t RowBytes(std::uint32_t width, std::uint32_t bpp) { return (std::size_t{width} * bpp + 7) / 8; }

std::uint8_t GreyLevel(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  return static_cast<std::uint8_t>((299u * r + 587u * g + 114u * b + 500u) / 1000u);
}

class TjCompressor {
 public:
  TjCompressor() : m_handle(tjInitCompress()) {}
  ~TjCompressor() {
    if (m_handle) tjDestroy(m_handle);
  }
  TjCompressor(const TjCompressor&) = delete;
  TjCompressor& operator=(const TjCompressor&) = delete;
  tjhandle get() const { return m_handle; }

 private:
  tjhandle m_handle;
};

class TjBuffer {
 public:
  TjBuffer() = default;
  ~TjBuffer() {
    if (data) tjFree(data);
  }
  TjBuffer(const TjBuffer&) = delete;
  TjBuffer& operator=(const TjBuffer&) = delete;
  unsigned char* data = nullptr;
  unsigned long size = 0;
};

// Writes the bytes as the whole content of the file, replacing it. A file left
// incomplete by a failure is removed, but only the regular file this call opened:
// a device or another file put in its place is never touched.
bool WriteFileCompletely(const QString& fileName, const unsigned char* data, std::size_t size) {
  const QByteArray path = QFile::encodeName(fileName);
  platform::UniqueFd fd(::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd.Valid()) return false;
  struct stat opened {};
  const bool regular = ::fstat(fd.Get(), &opened) == 0 && S_ISREG(opened.st_mode);
  const bool written = platform::WriteAll(fd.Get(), data, size);
  const bool closed = fd.Close();
  if (written && closed) return true;
  struct stat now {};
  if (regular && ::stat(path.constData(), &now) == 0 && now.st_dev == opened.st_dev && now.st_ino == opened.st_ino)
    ::unlink(path.constData());
  return false;
}

}  // namespace

CxImage::CxImage(std::uint32_t imageType) : m_type(imageType) {}

CxImage::CxImage(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t imageType)
    : m_type(imageType) {
  Allocate(width, height, bpp);
}

CxImage::CxImage(const CxImage& other) { Copy(other); }

CxImage& CxImage::operator=(const CxImage& other) {
  if (this != &other) Copy(other);
  return *this;
}

CxImage::CxImage(CxImage&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_bpp(std::exchange(other.m_bpp, 0)),
      m_effWidth(std::exchange(other.m_effWidth, 0)),
      m_type(other.m_type),
      m_jpegQuality(other.m_jpegQuality),
      m_bits(std::move(other.m_bits)) {
  other.m_bits.clear();
}

CxImage& CxImage::operator=(CxImage&& other) noexcept {
  if (this != &other) {
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_bpp = std::exchange(other.m_bpp, 0);
    m_effWidth = std::exchange(other.m_effWidth, 0);
    m_type = other.m_type;
    m_jpegQuality = other.m_jpegQuality;
    m_bits = std::move(other.m_bits);
    other.m_bits.clear();
  }
  return *this;
}

CxImage::~CxImage() = default;

bool CxImage::Allocate(std::uint32_t width, std::uint32_t height, std::uint32_t bpp) {
  std::uint32_t effWidth = 0;
  std::size_t total = 0;
  if (!RowLayout(width, height, bpp, effWidth, total)) {
    MakeEmpty();
    return false;
  }
  // resize keeps the capacity, so a picture refilled at the same size never reallocates.
  m_bits.resize(total);
  m_width = width;
  m_height = height;
  m_bpp = bpp;
  m_effWidth = effWidth;
  return true;
}

void CxImage::MakeEmpty() {
  m_bits.clear();
  m_width = m_height = m_bpp = m_effWidth = 0;
}

bool CxImage::Copy(const CxImage& src, bool, bool, bool) {
  if (this == &src) return IsValid();
  m_type = src.m_type;
  m_jpegQuality = src.m_jpegQuality;
  m_width = src.m_width;
  m_height = src.m_height;
  m_bpp = src.m_bpp;
  m_effWidth = src.m_effWidth;
  // assign reuses the present buffer whenever it is large enough.
  m_bits.assign(src.m_bits.begin(), src.m_bits.end());
  return IsValid();
}

bool CxImage::CreateFromArray(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                              std::uint32_t bitsPerPixel, std::uint32_t bytesPerLine, bool flip) {
  if (!pixels || bytesPerLine < RowBytes(width, bitsPerPixel)) return false;
  if (!Allocate(width, height, bitsPerPixel)) return false;
  const std::size_t rowBytes = RowBytes(width, bitsPerPixel);
  const std::size_t padding = m_effWidth - rowBytes;
  for (std::uint32_t row = 0; row < height; ++row) {
    const std::uint32_t from = flip ? height - 1 - row : row;
    std::uint8_t* dst = m_bits.data() + std::size_t{row} * m_effWidth;
    std::memcpy(dst, pixels + std::size_t{from} * bytesPerLine, rowBytes);
    if (padding) std::memset(dst + rowBytes, 0, padding);
  }
  return true;
}

bool CxImage::IsValid() const { return !m_bits.empty(); }
std::uint32_t CxImage::GetWidth() const { return m_width; }
std::uint32_t CxImage::GetHeight() const { return m_height; }
std::uint32_t CxImage::GetBpp() const { return m_bpp; }
std::uint32_t CxImage::GetEffWidth() const { return m_effWidth; }

std::uint8_t* CxImage::GetBits(std::uint32_t row) {
  if (!IsValid() || row >= m_height) return nullptr;
  return m_bits.data() + std::size_t{row} * m_effWidth;
}

const std::uint8_t* CxImage::GetBits(std::uint32_t row) const {
  if (!IsValid() || row >= m_height) return nullptr;
  return m_bits.data() + std::size_t{row} * m_effWidth;
}

const void* CxImage::GetDIB() const { return IsValid() ? m_bits.data() : nullptr; }

void CxImage::Clear(std::uint8_t value) { std::fill(m_bits.begin(), m_bits.end(), value); }

bool CxImage::GrayScale() {
  if (!IsValid()) return false;
  if (m_bpp == 8) return true;
  std::uint32_t effWidth = 0;
  std::size_t total = 0;
  if (!RowLayout(m_width, m_height, 8, effWidth, total)) return false;
  // In place: every grey row starts at or before the colour row it is made from, and
  // each byte is written only after the pixel it replaces has been read.
  const std::uint32_t step = m_bpp / 8;
  for (std::uint32_t row = 0; row < m_height; ++row) {
    const std::uint8_t* src = m_bits.data() + std::size_t{row} * m_effWidth;
    std::uint8_t* dst = m_bits.data() + std::size_t{row} * effWidth;
    for (std::uint32_t x = 0; x < m_width; ++x, src += step) dst[x] = GreyLevel(src[0], src[1], src[2]);
    std::fill(dst + m_width, dst + effWidth, std::uint8_t{0});
  }
  m_bits.resize(total);
  m_bpp = 8;
  m_effWidth = effWidth;
  return true;
}

QImage CxImage::View() const {
  if (!IsValid()) return {};
  const QImage::Format format = m_bpp == 8    ? QImage::Format_Grayscale8
                                : m_bpp == 24 ? QImage::Format_BGR888
                                              : QImage::Format_RGB32;
  // The read-only constructor wraps the rows; nothing is copied.
  return QImage(m_bits.data(), static_cast<int>(m_width), static_cast<int>(m_height),
                static_cast<qsizetype>(m_effWidth), format);
}

long CxImage::Draw(QPainter* painter, long x, long y, long cx, long cy, const QRect* clip, bool smooth,
                   bool flip) const {
  if (cx < 0) cx = m_width;
  if (cy < 0) cy = m_height;
  return DrawInto(painter, QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(cx), static_cast<int>(cy)),
                  clip, smooth, flip);
}

long CxImage::Draw(QPainter* painter, const QRect& rect, const QRect* clip, bool smooth, bool flip) const {
  return DrawInto(painter, rect, clip, smooth, flip);
}

long CxImage::DrawInto(QPainter* painter, const QRect& target, const QRect* clip, bool smooth, bool flip) const {
  if (!painter || !painter->isActive() || !IsValid() || target.isEmpty()) return 0;
  const QImage view = View();
  painter->save();
  if (clip) painter->setClipRect(*clip, Qt::IntersectClip);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  // The first stored row is the bottom of the picture: mirror the target vertically
  // around its centre instead of reordering the rows. flip asks for the stored order.
  if (!flip) {
    painter->translate(0, 2 * target.y() + target.height());
    painter->scale(1, -1);
  }
  painter->drawImage(QRectF(target), view, QRectF(view.rect()));
  painter->restore();
  return 1;
}

QImage CxImage::MakeBitmap(void*, bool) const {
  if (!IsValid()) return {};
  QImage out(static_cast<int>(m_width), static_cast<int>(m_height), QImage::Format_BGR888);
  if (out.isNull()) return {};
  for (std::uint32_t y = 0; y < m_height; ++y) {
    const std::uint8_t* src = GetBits(m_height - 1 - y);
    std::uint8_t* dst = out.scanLine(static_cast<int>(y));
    if (m_bpp == 24) {
      std::memcpy(dst, src, std::size_t{m_width} * 3);
    } else if (m_bpp == 8) {
      for (std::uint32_t x = 0; x < m_width; ++x, dst += 3) dst[0] = dst[1] = dst[2] = src[x];
    } else {
      for (std::uint32_t x = 0; x < m_width; ++x, dst += 3, src += 4) std::memcpy(dst, src, 3);
    }
  }
  return out;
}

bool CxImage::CreateFromHBITMAP(const QImage& bitmap, void*, bool) {
  if (bitmap.isNull()) return false;
  const QImage bgr = bitmap.format() == QImage::Format_BGR888 ? bitmap : bitmap.convertToFormat(QImage::Format_BGR888);
  if (bgr.isNull()) return false;
  const auto width = static_cast<std::uint32_t>(bgr.width());
  const auto height = static_cast<std::uint32_t>(bgr.height());
  if (!Allocate(width, height, 24)) return false;
  const std::size_t rowBytes = std::size_t{width} * 3;
  for (std::uint32_t row = 0; row < height; ++row) {
    std::uint8_t* dst = GetBits(row);
    std::memcpy(dst, bgr.constScanLine(static_cast<int>(height - 1 - row)), rowBytes);
    std::fill(dst + rowBytes, dst + m_effWidth, std::uint8_t{0});
  }
  return true;
}

void CxImage::SetJpegQualityF(float quality) { m_jpegQuality = quality; }
float CxImage::GetJpegQualityF() const { return m_jpegQuality; }

bool CxImage::Save(const QString& fileName, std::uint32_t imageType) const {
  if (imageType != CXIMAGE_FORMAT_JPG || !IsValid() || fileName.isEmpty()) return false;
  TjCompressor compressor;
  if (!compressor.get()) return false;
  const int pixelFormat = m_bpp == 8 ? TJPF_GRAY : m_bpp == 24 ? TJPF_BGR : TJPF_BGRX;
  const int subsampling = m_bpp == 8 ? TJSAMP_GRAY : TJSAMP_420;
  const float q = std::isfinite(m_jpegQuality) ? std::clamp(m_jpegQuality, 1.0f, 100.0f) : 90.0f;
  const int quality = static_cast<int>(std::lround(q));
  TjBuffer jpeg;
  // The rows are stored bottom row first, which TurboJPEG reads directly.
  if (tjCompress2(compressor.get(), m_bits.data(), static_cast<int>(m_width), static_cast<int>(m_effWidth),
                  static_cast<int>(m_height), pixelFormat, &jpeg.data, &jpeg.size, subsampling, quality,
                  TJFLAG_BOTTOMUP) != 0)
    return false;
  return WriteFileCompletely(fileName, jpeg.data, jpeg.size);
}

void CxImage::Destroy() {
  MakeEmpty();
  std::vector<std::uint8_t>().swap(m_bits);
}

// A picture here never holds further frames; Destroy frees its rows.
void CxImage::DestroyFrames() {}
