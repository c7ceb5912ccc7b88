// CxImage: the picture object every in-memory picture of the program uses.
//
// One device-independent bitmap: width, height, bits per pixel (8 or 24; 32 accepted
// by CreateFromArray), rows padded to a multiple of four bytes and kept in the order
// they were given (the program stores the bottom row first). JPEG output through
// TurboJPEG.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;

constexpr std::uint32_t CXIMAGE_FORMAT_UNKNOWN = 0;
constexpr std::uint32_t CXIMAGE_FORMAT_JPG = 3;

class CxImage {
 public:
  explicit CxImage(std::uint32_t imageType = CXIMAGE_FORMAT_UNKNOWN);
  // A blank (all zero) picture of that size.
  CxImage(std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
          std::uint32_t imageType = CXIMAGE_FORMAT_UNKNOWN);
  CxImage(const CxImage& other);             // deep copy
  CxImage& operator=(const CxImage& other);  // deep copy; reuses the buffer when it fits
  CxImage(CxImage&& other) noexcept;
  CxImage& operator=(CxImage&& other) noexcept;
  ~CxImage();

  // Deep copy of pixels and attributes (the flags are kept for the contract's form).
  bool Copy(const CxImage& src, bool copyPixels = true, bool copySelection = true, bool copyAlpha = true);
  // The picture becomes exactly these rows (bytesPerLine each, padded to four bytes),
  // in the given order, or reversed when flip is true. Reuses the buffer when the size
  // is unchanged.
  bool CreateFromArray(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                       std::uint32_t bitsPerPixel, std::uint32_t bytesPerLine, bool flip);
  bool IsValid() const;
  std::uint32_t GetWidth() const;
  std::uint32_t GetHeight() const;
  std::uint32_t GetBpp() const;
  std::uint32_t GetEffWidth() const;  // padded row length in bytes
  // Pointer to stored row `row` (row 0 is the first row in memory); null when empty.
  std::uint8_t* GetBits(std::uint32_t row = 0);
  const std::uint8_t* GetBits(std::uint32_t row = 0) const;
  // Non-null when a bitmap is present.
  const void* GetDIB() const;
  // Every byte of the rows set to value.
  void Clear(std::uint8_t value = 0);
  // To 8-bit grey levels (0.299 R + 0.587 G + 0.114 B).
  bool GrayScale();

  // Draws through the painter without copying the pixels: at (x, y) at natural size
  // (cx, cy of -1), or stretched to the rectangle. The bottom-up rows are shown upright.
  long Draw(QPainter* painter, long x = 0, long y = 0, long cx = -1, long cy = -1, const QRect* clip = nullptr,
            bool smooth = false, bool flip = false) const;
  long Draw(QPainter* painter, const QRect& rect, const QRect* clip = nullptr, bool smooth = false,
            bool flip = false) const;

  // The picture handed off as a device picture (upright, 24-bit) and back.
  QImage MakeBitmap(void* deviceContext = nullptr, bool transparency = false) const;
  bool CreateFromHBITMAP(const QImage& bitmap, void* palette = nullptr, bool transparency = false);

  void SetJpegQualityF(float quality);
  float GetJpegQualityF() const;
  // Writes the picture as JPEG (imageType CXIMAGE_FORMAT_JPG); false when the file
  // could not be written completely.
  bool Save(const QString& fileName, std::uint32_t imageType) const;

  void Destroy();
  void DestroyFrames();

 private:
  // Sets the size and makes room for the rows (contents undefined); on a bad size the
  // picture becomes empty and false is returned.
  bool Allocate(std::uint32_t width, std::uint32_t height, std::uint32_t bpp);
  void MakeEmpty();
  // The rows wrapped as a QImage without copying (stored order, so upside down).
  QImage View() const;
  long DrawInto(QPainter* painter, const QRect& target, const QRect* clip, bool smooth, bool flip) const;

  std::uint32_t m_width = 0;
  std::uint32_t m_height = 0;
  std::uint32_t m_bpp = 0;
  std::uint32_t m_effWidth = 0;
  std::uint32_t m_type = CXIMAGE_FORMAT_UNKNOWN;
  float m_jpegQuality = 90.0f;
  std::vector<std::uint8_t> m_bits;
};
