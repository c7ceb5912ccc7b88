#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <cstring>
#include <vector>

#include "outside/ximage.h"

namespace {

// Pixel x of stored row y of a 24-bit picture as 0xRRGGBB.
unsigned StoredRgb(const CxImage& image, std::uint32_t x, std::uint32_t y) {
  const std::uint8_t* p = image.GetBits(y) + 3 * x;
  return (unsigned{p[2]} << 16) | (unsigned{p[1]} << 8) | p[0];
}

void SetStoredRgb(CxImage& image, std::uint32_t x, std::uint32_t y, unsigned rgb) {
  std::uint8_t* p = image.GetBits(y) + 3 * x;
  p[0] = rgb & 0xFF;
  p[1] = (rgb >> 8) & 0xFF;
  p[2] = (rgb >> 16) & 0xFF;
}

// 2 × 2: the bottom row (stored first) red, green; the top row blue, white.
CxImage Quadrants() {
  CxImage image(2, 2, 24);
  SetStoredRgb(image, 0, 0, 0xFF0000);
  SetStoredRgb(image, 1, 0, 0x00FF00);
  SetStoredRgb(image, 0, 1, 0x0000FF);
  SetStoredRgb(image, 1, 1, 0xFFFFFF);
  return image;
}

unsigned Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

TEST(CxImage, EmptyPictureIsInvalidAndHasNoRows) {
  CxImage image(CXIMAGE_FORMAT_UNKNOWN);
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetDIB(), nullptr);
  EXPECT_EQ(image.GetBits(), nullptr);
  EXPECT_TRUE(image.MakeBitmap().isNull());
  EXPECT_FALSE(image.GrayScale());

  CxImage blank(5, 3, 24);
  ASSERT_TRUE(blank.IsValid());
  EXPECT_NE(blank.GetDIB(), nullptr);
  EXPECT_EQ(blank.GetEffWidth(), 16u);
  EXPECT_EQ(blank.GetBits(3), nullptr);  // past the last row
  for (std::uint32_t y = 0; y < 3; ++y)
    for (std::uint32_t i = 0; i < 16; ++i) EXPECT_EQ(blank.GetBits(y)[i], 0);
  blank.Clear(255);
  for (std::uint32_t y = 0; y < 3; ++y)
    for (std::uint32_t i = 0; i < 16; ++i) EXPECT_EQ(blank.GetBits(y)[i], 255);
  blank.Destroy();
  EXPECT_FALSE(blank.IsValid());
}

TEST(CxImage, CreateFromArrayKeepsExactlyTheGivenRowsPadded) {
  // 5 pixels of 24 bits: 15 bytes of pixels, rows padded to 16.
  std::vector<std::uint8_t> pixels(15 * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i + 1);
  CxImage image;
  ASSERT_TRUE(image.CreateFromArray(pixels.data(), 5, 3, 24, 15, false));
  EXPECT_EQ(image.GetWidth(), 5u);
  EXPECT_EQ(image.GetHeight(), 3u);
  EXPECT_EQ(image.GetBpp(), 24u);
  ASSERT_EQ(image.GetEffWidth(), 16u);
  for (std::uint32_t y = 0; y < 3; ++y) {
    EXPECT_EQ(std::memcmp(image.GetBits(y), pixels.data() + 15 * y, 15), 0) << "row " << y;
    EXPECT_EQ(image.GetBits(y)[15], 0) << "padding of row " << y;
  }
  // Rows are laid out one padded row after another from GetBits(0).
  EXPECT_EQ(image.GetBits(1), image.GetBits(0) + 16);

  // The same size again reuses the rows, padding cleared; flip reverses their order.
  const std::uint8_t* before = image.GetBits();
  image.Clear(0xEE);
  ASSERT_TRUE(image.CreateFromArray(pixels.data(), 5, 3, 24, 15, true));
  EXPECT_EQ(image.GetBits(), before);
  for (std::uint32_t y = 0; y < 3; ++y) {
    EXPECT_EQ(std::memcmp(image.GetBits(y), pixels.data() + 15 * (2 - y), 15), 0) << "row " << y;
    EXPECT_EQ(image.GetBits(y)[15], 0) << "padding of row " << y;
  }

  // 32 bits per pixel is accepted; a source stride beyond the row is skipped.
  std::vector<std::uint8_t> wide(2 * 12, 0x77);
  ASSERT_TRUE(image.CreateFromArray(wide.data(), 2, 2, 32, 12, false));
  EXPECT_EQ(image.GetEffWidth(), 8u);
  EXPECT_EQ(image.GetBits(1)[7], 0x77);
}

TEST(CxImage, CreateFromArrayRefusesBadArguments) {
  std::vector<std::uint8_t> pixels(64, 1);
  CxImage image;
  EXPECT_FALSE(image.CreateFromArray(nullptr, 2, 2, 24, 6, false));
  EXPECT_FALSE(image.CreateFromArray(pixels.data(), 2, 2, 24, 5, false));  // rows shorter than the pixels
  EXPECT_FALSE(image.CreateFromArray(pixels.data(), 2, 2, 16, 4, false));
  EXPECT_FALSE(image.CreateFromArray(pixels.data(), 0, 2, 24, 6, false));
  EXPECT_FALSE(image.CreateFromArray(pixels.data(), 0x40000000u, 0x40000000u, 24, 0xC0000000u, false));
  EXPECT_FALSE(image.IsValid());
}

TEST(CxImage, CopiesAreDeepAndCopyReusesTheBuffer) {
  CxImage source = Quadrants();
  source.SetJpegQualityF(55.0f);

  CxImage constructed(source);
  CxImage assigned;
  assigned = source;
  CxImage copied;
  ASSERT_TRUE(copied.Copy(source));
  SetStoredRgb(source, 0, 0, 0x123456);
  for (const CxImage* copy : {&constructed, &assigned, &copied}) {
    EXPECT_EQ(StoredRgb(*copy, 0, 0), 0xFF0000u);
    EXPECT_EQ(copy->GetWidth(), 2u);
    EXPECT_EQ(copy->GetJpegQualityF(), 55.0f);
    EXPECT_NE(copy->GetBits(), source.GetBits());
  }

  // Copying frames of the same size again and again keeps the one buffer.
  const std::uint8_t* buffer = copied.GetBits();
  ASSERT_TRUE(copied.Copy(source));
  EXPECT_EQ(copied.GetBits(), buffer);
  EXPECT_EQ(StoredRgb(copied, 0, 0), 0x123456u);
  assigned = source;
  EXPECT_EQ(StoredRgb(assigned, 0, 0), 0x123456u);

  // Copying an empty picture empties the copy.
  EXPECT_FALSE(copied.Copy(CxImage()));
  EXPECT_FALSE(copied.IsValid());

  CxImage moved(std::move(source));
  EXPECT_TRUE(moved.IsValid());
  EXPECT_FALSE(source.IsValid());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
}

TEST(CxImage, GrayScaleGivesWeightedLevelsInPaddedRows) {
  CxImage image(3, 2, 24);
  SetStoredRgb(image, 0, 0, 0xFF0000);
  SetStoredRgb(image, 1, 0, 0x00FF00);
  SetStoredRgb(image, 2, 0, 0x0000FF);
  SetStoredRgb(image, 0, 1, 0xFFFFFF);
  SetStoredRgb(image, 1, 1, 0x000000);
  SetStoredRgb(image, 2, 1, 0x808080);
  ASSERT_TRUE(image.GrayScale());
  EXPECT_EQ(image.GetBpp(), 8u);
  EXPECT_EQ(image.GetEffWidth(), 4u);
  const std::uint8_t* bottom = image.GetBits(0);
  const std::uint8_t* top = image.GetBits(1);
  EXPECT_EQ(bottom[0], 76);   // 0.299 × 255
  EXPECT_EQ(bottom[1], 150);  // 0.587 × 255
  EXPECT_EQ(bottom[2], 29);   // 0.114 × 255
  EXPECT_EQ(bottom[3], 0);    // padding
  EXPECT_EQ(top[0], 255);
  EXPECT_EQ(top[1], 0);
  EXPECT_EQ(top[2], 128);
  EXPECT_EQ(top[3], 0);
}

TEST(CxImage, BitmapIsUprightAndComesBackUnchanged) {
  const CxImage image = Quadrants();
  const QImage bitmap = image.MakeBitmap();
  ASSERT_EQ(bitmap.size(), QSize(2, 2));
  EXPECT_EQ(Rgb(bitmap, 0, 0), 0x0000FFu);  // top left is the last stored row
  EXPECT_EQ(Rgb(bitmap, 1, 1), 0x00FF00u);

  CxImage back;
  ASSERT_TRUE(back.CreateFromHBITMAP(bitmap));
  EXPECT_EQ(back.GetBpp(), 24u);
  for (std::uint32_t y = 0; y < 2; ++y)
    for (std::uint32_t x = 0; x < 2; ++x) EXPECT_EQ(StoredRgb(back, x, y), StoredRgb(image, x, y));

  // Any format is taken, as 24-bit rows with the bottom row first.
  QImage argb(3, 1, QImage::Format_ARGB32);
  argb.setPixel(0, 0, 0xFF102030);
  argb.setPixel(1, 0, 0xFF405060);
  argb.setPixel(2, 0, 0xFF708090);
  ASSERT_TRUE(back.CreateFromHBITMAP(argb));
  EXPECT_EQ(back.GetEffWidth(), 12u);
  EXPECT_EQ(StoredRgb(back, 2, 0), 0x708090u);
  EXPECT_EQ(back.GetBits(0)[9], 0);  // padding
  EXPECT_FALSE(back.CreateFromHBITMAP(QImage()));

  // A grey picture makes a grey colour bitmap.
  CxImage grey = Quadrants();
  ASSERT_TRUE(grey.GrayScale());
  EXPECT_EQ(Rgb(grey.MakeBitmap(), 1, 0), 0xFFFFFFu);
}

TEST(CxImage, DrawShowsTheRowsUprightStretchedOrAtNaturalSize) {
  const CxImage image = Quadrants();
  QImage target(40, 40, QImage::Format_RGB32);
  target.fill(Qt::black);
  {
    QPainter painter(&target);
    EXPECT_NE(image.Draw(&painter, QRect(0, 0, 40, 40)), 0);
  }
  EXPECT_EQ(Rgb(target, 0, 0), 0x0000FFu);
  EXPECT_EQ(Rgb(target, 39, 0), 0xFFFFFFu);
  EXPECT_EQ(Rgb(target, 0, 39), 0xFF0000u);
  EXPECT_EQ(Rgb(target, 39, 39), 0x00FF00u);
  EXPECT_EQ(Rgb(target, 19, 19), 0x0000FFu);  // no smoothing: hard quadrant edges
  EXPECT_EQ(Rgb(target, 20, 20), 0x00FF00u);

  // Natural size at a position; flip draws the stored order.
  target.fill(Qt::black);
  {
    QPainter painter(&target);
    EXPECT_NE(image.Draw(&painter, 5, 7), 0);
    EXPECT_NE(image.Draw(&painter, 20, 20, -1, -1, nullptr, false, true), 0);
  }
  EXPECT_EQ(Rgb(target, 5, 7), 0x0000FFu);
  EXPECT_EQ(Rgb(target, 6, 8), 0x00FF00u);
  EXPECT_EQ(Rgb(target, 7, 7), 0x000000u);
  EXPECT_EQ(Rgb(target, 4, 7), 0x000000u);
  EXPECT_EQ(Rgb(target, 20, 20), 0xFF0000u);
  EXPECT_EQ(Rgb(target, 20, 21), 0x0000FFu);

  // A clip limits the drawing.
  target.fill(Qt::black);
  {
    QPainter painter(&target);
    const QRect clip(0, 0, 20, 40);
    EXPECT_NE(image.Draw(&painter, QRect(0, 0, 40, 40), &clip), 0);
  }
  EXPECT_EQ(Rgb(target, 0, 39), 0xFF0000u);
  EXPECT_EQ(Rgb(target, 39, 39), 0x000000u);

  // Grey pictures draw as grey; nothing is drawn without a picture or a painter.
  CxImage grey = Quadrants();
  ASSERT_TRUE(grey.GrayScale());
  {
    QPainter painter(&target);
    EXPECT_NE(grey.Draw(&painter, QRect(0, 0, 40, 40)), 0);
    EXPECT_EQ(CxImage().Draw(&painter, QRect(0, 0, 40, 40)), 0);
  }
  EXPECT_EQ(Rgb(target, 0, 39), 0x4C4C4Cu);  // red as grey level 76
  EXPECT_EQ(image.Draw(nullptr, QRect(0, 0, 4, 4)), 0);
}

// The DQT segments (quantisation tables) of a JPEG, in order.
std::vector<QByteArray> QuantTables(const QByteArray& jpeg) {
  std::vector<QByteArray> tables;
  qsizetype i = 2;  // after SOI
  while (i + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xFF) {
    const unsigned char marker = static_cast<unsigned char>(jpeg[i + 1]);
    const int length = (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
    if (marker == 0xDB) tables.push_back(jpeg.mid(i, 2 + length));
    if (marker == 0xDA) break;  // start of scan: no tables after it
    i += 2 + length;
  }
  return tables;
}

QByteArray ReferenceJpeg(const CxImage& image, int pixelFormat, int subsampling, int quality) {
  tjhandle handle = tjInitCompress();
  unsigned char* data = nullptr;
  unsigned long size = 0;
  QByteArray out;
  if (tjCompress2(handle, image.GetBits(), static_cast<int>(image.GetWidth()), static_cast<int>(image.GetEffWidth()),
                  static_cast<int>(image.GetHeight()), pixelFormat, &data, &size, subsampling, quality,
                  TJFLAG_BOTTOMUP) == 0)
    out = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  tjFree(data);
  tjDestroy(handle);
  return out;
}

struct JpegInfo {
  int width = 0, height = 0, subsampling = -1;
};

// The size and subsampling of a JPEG, and its pixels decoded top-down as RGB.
bool DecodeJpeg(const QByteArray& jpeg, JpegInfo& info, std::vector<unsigned char>& rgb) {
  tjhandle handle = tjInitDecompress();
  const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
  const auto size = static_cast<unsigned long>(jpeg.size());
  int colorspace = -1;
  bool ok = tjDecompressHeader3(handle, data, size, &info.width, &info.height, &info.subsampling, &colorspace) == 0;
  if (ok) {
    rgb.resize(std::size_t(info.width) * info.height * 3);
    ok = tjDecompress2(handle, data, size, rgb.data(), info.width, 0, info.height, TJPF_RGB, 0) == 0;
  }
  tjDestroy(handle);
  return ok;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A 37 × 21 picture (rows need padding): red in the top half, blue in the bottom half.
CxImage RedOverBlue() {
  CxImage image(37, 21, 24);
  for (std::uint32_t y = 0; y < 21; ++y)
    for (std::uint32_t x = 0; x < 37; ++x) SetStoredRgb(image, x, y, y < 10 ? 0x0000FF : 0xFF0000);
  return image;
}

TEST(CxImageSave, WritesAnUprightJpegWithTheQualityTables) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  CxImage image = RedOverBlue();
  image.SetJpegQualityF(90.0f);
  EXPECT_EQ(image.GetJpegQualityF(), 90.0f);
  const QString path = dir.filePath("shot.jpg");
  ASSERT_TRUE(image.Save(path, CXIMAGE_FORMAT_JPG));
  const QByteArray jpeg = ReadAll(path);
  JpegInfo info;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(DecodeJpeg(jpeg, info, rgb));
  EXPECT_EQ(info.width, 37);
  EXPECT_EQ(info.height, 21);
  EXPECT_EQ(info.subsampling, TJSAMP_420);
  // Top-down decode: the first row is red, the last blue.
  EXPECT_GT(rgb[0], 200);
  EXPECT_LT(rgb[2], 60);
  const std::size_t last = 20 * 37 * 3;
  EXPECT_LT(rgb[last], 60);
  EXPECT_GT(rgb[last + 2], 200);

  const auto tables = QuantTables(jpeg);
  ASSERT_FALSE(tables.empty());
  EXPECT_EQ(tables, QuantTables(ReferenceJpeg(image, TJPF_BGR, TJSAMP_420, 90)));

  // Another quality gives other tables; fractions are rounded.
  image.SetJpegQualityF(49.6f);
  ASSERT_TRUE(image.Save(path, CXIMAGE_FORMAT_JPG));
  const auto tables50 = QuantTables(ReadAll(path));
  EXPECT_NE(tables50, tables);
  EXPECT_EQ(tables50, QuantTables(ReferenceJpeg(image, TJPF_BGR, TJSAMP_420, 50)));
}

TEST(CxImageSave, GreyPicturesSaveAsGreyJpegs) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  CxImage image = RedOverBlue();
  ASSERT_TRUE(image.GrayScale());
  const QString path = dir.filePath("grey.jpg");
  ASSERT_TRUE(image.Save(path, CXIMAGE_FORMAT_JPG));
  const QByteArray jpeg = ReadAll(path);
  JpegInfo info;
  std::vector<unsigned char> rgb;
  ASSERT_TRUE(DecodeJpeg(jpeg, info, rgb));
  EXPECT_EQ(info.width, 37);
  EXPECT_EQ(info.subsampling, TJSAMP_GRAY);
  EXPECT_EQ(QuantTables(jpeg), QuantTables(ReferenceJpeg(image, TJPF_GRAY, TJSAMP_GRAY, 90)));
}

TEST(CxImageSave, FailuresReturnFalseAndLeaveNoFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const CxImage image = RedOverBlue();

  const QString missing = dir.filePath("no/such/folder/shot.jpg");
  EXPECT_FALSE(image.Save(missing, CXIMAGE_FORMAT_JPG));
  EXPECT_FALSE(QFile::exists(missing));

  const QString path = dir.filePath("shot.jpg");
  EXPECT_FALSE(image.Save(path, CXIMAGE_FORMAT_UNKNOWN));
  EXPECT_FALSE(CxImage().Save(path, CXIMAGE_FORMAT_JPG));
  EXPECT_FALSE(QFile::exists(path));

  // A file that cannot grow past 100 bytes: the short write is reported and the
  // incomplete file removed.
  {
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved100 = image.Save(path, CXIMAGE_FORMAT_JPG);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved100);
    EXPECT_FALSE(QFile::exists(path));
  }

  // A device that takes no bytes: the short write is reported and the device is left alone.
  struct stat full {};
  if (::stat("/dev/full", &full) == 0 && S_ISCHR(full.st_mode)) {
    EXPECT_FALSE(image.Save("/dev/full", CXIMAGE_FORMAT_JPG));
    struct stat after {};
    EXPECT_EQ(::stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
  }
}

}  // namespace
