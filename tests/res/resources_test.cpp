#include "res/resources.h"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

namespace {

std::vector<int> ToolbarIds() {
  std::vector<int> ids;
  for (int id = 144; id <= 163; ++id)
    if (id != 155) ids.push_back(id);
  return ids;
}

QImage Argb(const QPixmap& pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_ARGB32); }

struct AlphaCounts {
  int transparent = 0;
  int opaque = 0;
};

AlphaCounts CountAlpha(const QImage& img) {
  AlphaCounts counts;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const int a = qAlpha(img.pixel(x, y));
      if (a == 0) ++counts.transparent;
      if (a == 255) ++counts.opaque;
    }
  return counts;
}

// A picture that draws on any toolbar: it has a transparent background and a body of
// fully opaque pixels (not a faint or blurred smear).
void ExpectDrawnPicture(const QImage& img, int id) {
  const AlphaCounts counts = CountAlpha(img);
  EXPECT_TRUE(img.hasAlphaChannel()) << id;
  EXPECT_GT(counts.transparent, 0) << id << " has no transparent background";
  EXPECT_GE(counts.opaque, img.width() * img.height() / 8) << id << " is nearly empty";
}

}  // namespace

TEST(Resources, ToolbarPicturesHaveTheirSizeAndAreDrawn) {
  for (int id : ToolbarIds()) {
    const QPixmap pixmap = IconPixmap(id);
    ASSERT_FALSE(pixmap.isNull()) << id;
    EXPECT_EQ(pixmap.size(), kToolbarIconSize) << id;
    ExpectDrawnPicture(Argb(pixmap), id);
    const QIcon icon = ToolbarIcon(id);
    ASSERT_FALSE(icon.isNull()) << id;
    EXPECT_EQ(Argb(icon.pixmap(kToolbarIconSize)), Argb(pixmap)) << id;
  }
}

TEST(Resources, EveryToolbarPictureIsDistinct) {
  const std::vector<int> ids = ToolbarIds();
  for (size_t i = 0; i < ids.size(); ++i)
    for (size_t j = i + 1; j < ids.size(); ++j)
      EXPECT_NE(Argb(IconPixmap(ids[i])), Argb(IconPixmap(ids[j]))) << ids[i] << " and " << ids[j];
}

TEST(Resources, StatePicturesDifferFromTheirPlainLook) {
  // Toolbar image i starts as 144 + i and is swapped for 154 + i to show the other state;
  // the snapshot button (i = 1) has one picture only.
  for (int i = 0; i < 10; ++i) {
    if (i == 1) continue;
    const QImage plain = Argb(IconPixmap(144 + i));
    const QImage other = Argb(IconPixmap(154 + i));
    ASSERT_FALSE(plain.isNull()) << 144 + i;
    ASSERT_FALSE(other.isNull()) << 154 + i;
    int differing = 0;
    for (int y = 0; y < plain.height(); ++y)
      for (int x = 0; x < plain.width(); ++x)
        if (plain.pixel(x, y) != other.pixel(x, y)) ++differing;
    // Obvious at a glance: a good part of the picture changes, not a stray pixel.
    EXPECT_GE(differing, 20) << 144 + i << " and " << 154 + i;
  }
}

TEST(Resources, UnknownNumbersGiveNullPictures) {
  for (int id : {-1, 0, 128, 139, 140, 143, 155, 164, 1000}) {
    EXPECT_TRUE(IconPixmap(id).isNull()) << id;
    EXPECT_TRUE(ToolbarIcon(id).isNull()) << id;
  }
  for (int id : {-1, 0, 128, 139, 143, 144}) EXPECT_TRUE(MenuBitmap(id).isNull()) << id;
}

TEST(Resources, MenuBadgesAreDrawnAndDistinct) {
  std::vector<QImage> badges;
  for (int id : {140, 141, 142}) {
    const QPixmap pixmap = MenuBitmap(id);
    ASSERT_FALSE(pixmap.isNull()) << id;
    EXPECT_EQ(pixmap.size(), kMenuBitmapSize) << id;
    badges.push_back(Argb(pixmap));
    ExpectDrawnPicture(badges.back(), id);
  }
  EXPECT_NE(badges[0], badges[1]);
  EXPECT_NE(badges[1], badges[2]);
  EXPECT_NE(badges[0], badges[2]);
}

TEST(Resources, AppIconHasEverySizeDrawnForIt) {
  const QIcon icon = AppIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (int size : {16, 22, 32, 48, 64, 128, 256}) {
    const QSize want(size, size);
    EXPECT_TRUE(sizes.contains(want)) << size;
    // The pixmap at each size is the one drawn for it, not a scaled neighbour.
    const QImage img = Argb(icon.pixmap(want));
    EXPECT_EQ(img.size(), want) << size;
    const QImage file(QStringLiteral(":/vistrel/icons/app_%1.png").arg(size));
    EXPECT_EQ(img, file.convertToFormat(QImage::Format_ARGB32)) << size;
    ExpectDrawnPicture(img, size);
  }
}
