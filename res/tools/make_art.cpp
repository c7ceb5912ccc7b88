// Draws every picture of the program (application icon, toolbar icons, language menu
// badges) and writes them as PNG files. The pictures are drawn at their native size on
// whole pixels, so nothing is scaled and nothing blurs; curves are antialiased.
//
//   vistrel_make_art <output folder> [--sheet <contact sheet.png>]
//
// The contact sheet shows every picture at 1x and enlarged 8x (nearest neighbour) on a
// light and a dark background, to judge them as a toolbar shows them.
//
// Style: filled shapes with a 1 px dark outline (one outline width everywhere), light or
// coloured fills, so each shape reads on light toolbars (by its outline) and on dark ones
// (by its fill). The "active" look of a toolbar picture is the same pictogram with its
// main fill in the accent blue.
#include <QCommandLineParser>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <vector>

namespace {

// The palette.
const QColor kInk(0x26, 0x2f, 0x3a);          // outlines, dark symbols
const QColor kMetalTop(0xf4, 0xf6, 0xf9);     // neutral fill, top
const QColor kMetalBottom(0xb4, 0xc0, 0xcc);  // neutral fill, bottom
const QColor kSlateTop(0xcc, 0xd6, 0xe0);    // solid neutral fill, top
const QColor kSlateBottom(0x6c, 0x7f, 0x95);  // solid neutral fill, bottom
const QColor kGlassLight(0xfb, 0xfc, 0xfd);   // magnifier glass, plain look
const QColor kAccent(0x1f, 0x7a, 0xdc);       // active look
const QColor kAccentLight(0x8e, 0xc3, 0xf7);
const QColor kAccentDark(0x0d, 0x3f, 0x7a);
const QColor kRed(0xe3, 0x36, 0x2c);
const QColor kRedLight(0xf5, 0x8a, 0x80);
const QColor kAmberDark(0xd9, 0x8a, 0x00);
const QColor kGreen(0x3c, 0xae, 0x4a);
const QColor kAmber(0xf6, 0xb7, 0x26);
const QColor kLensDark(0x1a, 0x2a, 0x3c);
const QColor kWhite(0xff, 0xff, 0xff);

constexpr int kToolbarWidth = 22;
constexpr int kToolbarHeight = 20;
constexpr int kMenuSize = 16;

QImage Blank(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

QPainterPath RectPath(qreal x, qreal y, qreal w, qreal h, qreal radius = 0) {
  QPainterPath path;
  if (radius > 0)
    path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
  else
    path.addRect(QRectF(x, y, w, h));
  return path;
}

QPainterPath Circle(qreal cx, qreal cy, qreal r) {
  QPainterPath path;
  path.addEllipse(QPointF(cx, cy), r, r);
  return path;
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPolygonF polygon;
  for (const QPointF& point : points) polygon << point;
  QPainterPath path;
  path.addPolygon(polygon);
  path.closeSubpath();
  return path;
}

// A neutral fill with a little top light, as the toolbar's "metal" shapes use.
QBrush Metal(qreal top, qreal bottom) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0, kMetalTop);
  g.setColorAt(1, kMetalBottom);
  return QBrush(g);
}

// The solid neutral fill: dark enough to read as solid on a light toolbar, light enough
// to stand out on a dark one.
QBrush Slate(qreal top, qreal bottom) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0, kSlateTop);
  g.setColorAt(1, kSlateBottom);
  return QBrush(g);
}

// Fills a shape with its outline colour and then its inside, one pixel in, with the fill:
// a crisp 1 px outline that never straddles two pixels on straight edges.
void Outlined(QPainter& p, const QPainterPath& shape, const QBrush& fill, const QColor& line = kInk) {
  p.fillPath(shape, line);
  QPainterPathStroker stroker;
  stroker.setWidth(2);
  stroker.setJoinStyle(Qt::MiterJoin);
  p.fillPath(shape.subtracted(stroker.createStroke(shape)), fill);
}

// A band of the given width along a path (for arcs and lines drawn as shapes).
QPainterPath Band(const QPainterPath& centre, qreal width) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::FlatCap);
  stroker.setJoinStyle(Qt::MiterJoin);
  return stroker.createStroke(centre).simplified();
}

// Sets whole pixels where a row string has 'X': small letters and symbols stay sharp.
void Pixels(QPainter& p, int x, int y, std::initializer_list<const char*> rows, const QColor& c) {
  int row = 0;
  for (const char* r : rows) {
    for (int col = 0; r[col] != '\0'; ++col)
      if (r[col] == 'X') p.fillRect(x + col, y + row, 1, 1, c);
    ++row;
  }
}

// ----- toolbar pictograms -----------------------------------------------------------

// Shown while the picture runs: the button freezes it, so it shows pause bars.
void DrawFreeze(QPainter& p, bool) {
  Outlined(p, RectPath(5, 3, 4, 14, 1), Slate(3, 17));
  Outlined(p, RectPath(13, 3, 4, 14, 1), Slate(3, 17));
}

// Shown while the picture is frozen: the button resumes it, so it shows a play triangle.
void DrawPlay(QPainter& p, bool) {
  Outlined(p, Polygon({{6, 2}, {6, 18}, {18, 10}}), kGreen);
}

void DrawSnapshot(QPainter& p, bool) {
  const QPainterPath body = RectPath(1, 6, 20, 12, 2).united(Polygon({{6, 6.5}, {8, 3}, {14, 3}, {16, 6.5}}));
  Outlined(p, body, Metal(3, 18));
  p.fillRect(QRectF(3, 8, 2, 1), kInk);  // flash window
  Outlined(p, Circle(11, 12, 5), kWhite);
  p.fillPath(Circle(11, 12, 3), kLensDark);
  p.fillRect(QRectF(10, 10, 1, 1), kWhite);  // glint
}

// Idle: a red dot. Recording: the dot inside a red ring, the "on air" look.
void DrawRecord(QPainter& p, bool active) {
  if (!active) {
    Outlined(p, Circle(11, 10, 7), kRed, kInk);
    p.fillPath(Circle(9, 8, 1.6), kRedLight);
    return;
  }
  p.fillPath(Circle(11, 10, 10).subtracted(Circle(11, 10, 8)), kRed);
  Outlined(p, Circle(11, 10, 6), kRed, kInk);
  p.fillPath(Circle(9.6, 8.6, 1.2), kRedLight);
}

enum class ZoomMark { kPlus, kMinus, kOneToOne };

void DrawZoom(QPainter& p, bool active, ZoomMark mark) {
  // The handle first, so the glass's outline closes over its end.
  const QPointF a(13.0, 13.0), b(18.6, 18.6);
  const QPointF n(-1.5, 1.5);  // half the handle's thickness, across it
  Outlined(p, Polygon({a + n, a - n, b - n, b + n}), Slate(12, 20));
  Outlined(p, Circle(9, 9, 7), active ? QBrush(kAccent) : QBrush(kGlassLight));
  const QColor sym = active ? kWhite : kInk;
  switch (mark) {
    case ZoomMark::kPlus:
      p.fillRect(5, 8, 8, 2, sym);
      p.fillRect(8, 5, 2, 8, sym);
      break;
    case ZoomMark::kMinus:
      p.fillRect(5, 8, 8, 2, sym);
      break;
    case ZoomMark::kOneToOne:
      Pixels(p, 5, 6, {".X...X.", "XX..XX.", ".X.X.X.", ".X...X.", ".X.X.X.", "XXX.XXX"}, sym);
      break;
  }
}

// The dashed mirror axis, two pixels wide so it sits on the picture's centre line.
void Axis(QPainter& p, bool vertical, const QColor& c) {
  for (int i = 1; i < (vertical ? kToolbarHeight : kToolbarWidth) - 1; i += 3) {
    if (vertical)
      p.fillRect(10, i, 2, 2, c);
    else
      p.fillRect(i, 9, 2, 2, c);
  }
}

// The original as a solid triangle, its reflection as a light one across the axis.
void DrawHMirror(QPainter& p, bool active) {
  Axis(p, true, active ? kAccent : kSlateBottom);
  Outlined(p, Polygon({{9, 3}, {9, 17}, {2, 17}}), active ? QBrush(kAccent) : Slate(3, 17));
  Outlined(p, Polygon({{13, 3}, {13, 17}, {20, 17}}), active ? QBrush(kAccentLight) : Metal(3, 17));
}

void DrawVMirror(QPainter& p, bool active) {
  Axis(p, false, active ? kAccent : kSlateBottom);
  Outlined(p, Polygon({{4, 8}, {18, 8}, {4, 1}}), active ? QBrush(kAccent) : Slate(1, 8));
  Outlined(p, Polygon({{4, 12}, {18, 12}, {4, 19}}), active ? QBrush(kAccentLight) : Metal(12, 19));
}

// An anticlockwise turn-back arrow around a small copy of the mirror picture.
void DrawMirrorReset(QPainter& p, bool active) {
  const QPointF c(11, 10);
  const qreal r = 7;
  const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
  const qreal head = 140, sweep = 270;
  QPainterPath arc;
  arc.arcMoveTo(box, head - sweep);
  arc.arcTo(box, head - sweep, sweep);
  const qreal t = head * M_PI / 180;
  const QPointF tip(c.x() + r * std::cos(t), c.y() - r * std::sin(t));
  const QPointF out(std::cos(t), -std::sin(t));
  const QPointF ahead(-std::sin(t), -std::cos(t));  // the way the arrow turns at its head
  const QPainterPath arrow =
      Band(arc, 4).united(Polygon({tip + out * 4, tip - out * 4, tip + ahead * 4.5}));
  Outlined(p, arrow, active ? QBrush(kAccent) : Slate(2, 18));
  // A small copy of the mirror picture inside: solid half, gap, light half.
  Pixels(p, 8, 7, {"..X", "..X", ".XX", ".XX", "XXX", "XXX"}, active ? kAccent : kSlateBottom);
  Pixels(p, 12, 7, {"X..", "X..", "XX.", "XX.", "XXX", "XXX"}, active ? kAccentLight : kSlateTop);
}

// Exposure: a sun. Manual: "M" on an amber disc. Automatic: "A" on an accent disc.
void DrawExposure(QPainter& p, bool automatic) {
  const QPointF c(10.5, 9.5);
  QPolygonF star;
  for (int i = 0; i < 16; ++i) {
    const qreal t = i * M_PI / 8;
    const qreal radius = (i % 2 == 0) ? 9.8 : 6.0;
    star << c + QPointF(std::cos(t), std::sin(t)) * radius;
  }
  QPainterPath rays;
  rays.addPolygon(star);
  rays.closeSubpath();
  // The rays have no outline: thin spikes would be all outline.
  p.fillPath(rays, kAmberDark);
  Outlined(p, Circle(c.x(), c.y(), 5.6), automatic ? QBrush(kAccent) : QBrush(kAmber));
  if (automatic)
    Pixels(p, 8, 7, {".XXX.", "X...X", "XXXXX", "X...X", "X...X"}, kWhite);
  else
    Pixels(p, 8, 7, {"X...X", "XX.XX", "X.X.X", "X...X", "X...X"}, kInk);
}

struct ToolbarPicture {
  int id;
  std::function<void(QPainter&)> draw;
  const char* what;
};

std::vector<ToolbarPicture> ToolbarPictures() {
  return {
      {144, [](QPainter& p) { DrawFreeze(p, false); }, "freeze (shown while running)"},
      {145, [](QPainter& p) { DrawSnapshot(p, false); }, "snapshot"},
      {146, [](QPainter& p) { DrawRecord(p, false); }, "record"},
      {147, [](QPainter& p) { DrawZoom(p, false, ZoomMark::kPlus); }, "zoom in"},
      {148, [](QPainter& p) { DrawZoom(p, false, ZoomMark::kMinus); }, "zoom out"},
      {149, [](QPainter& p) { DrawZoom(p, false, ZoomMark::kOneToOne); }, "zoom reset"},
      {150, [](QPainter& p) { DrawHMirror(p, false); }, "horizontal mirror"},
      {151, [](QPainter& p) { DrawVMirror(p, false); }, "vertical mirror"},
      {152, [](QPainter& p) { DrawMirrorReset(p, false); }, "mirror reset"},
      {153, [](QPainter& p) { DrawExposure(p, false); }, "manual exposure"},
      {154, [](QPainter& p) { DrawPlay(p, false); }, "play (shown while frozen)"},
      {155, nullptr, ""},
      {156, [](QPainter& p) { DrawRecord(p, true); }, "recording"},
      {157, [](QPainter& p) { DrawZoom(p, true, ZoomMark::kPlus); }, "zoom in, zoomed"},
      {158, [](QPainter& p) { DrawZoom(p, true, ZoomMark::kMinus); }, "zoom out, zoomed"},
      {159, [](QPainter& p) { DrawZoom(p, true, ZoomMark::kOneToOne); }, "zoom reset, zoomed"},
      {160, [](QPainter& p) { DrawHMirror(p, true); }, "horizontal mirror on"},
      {161, [](QPainter& p) { DrawVMirror(p, true); }, "vertical mirror on"},
      {162, [](QPainter& p) { DrawMirrorReset(p, true); }, "mirror reset, a mirror on"},
      {163, [](QPainter& p) { DrawExposure(p, true); }, "automatic exposure"},
  };
}

// ----- language badges --------------------------------------------------------------

// A rounded accent tag with a white mark drawn pixel by pixel, so it needs no font.
QImage LanguageBadge(int id) {
  QImage img = Blank(kMenuSize, kMenuSize);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  Outlined(p, RectPath(0, 1, 16, 14, 3), kAccent, kAccentDark);
  switch (id) {
    case 140:  // Chinese: the character for "middle", a box with a stroke through it
      Pixels(p, 3, 3,
             {".....XX...", ".....XX...", "XXXXXXXXXX", "X....XX..X", "X....XX..X", "X....XX..X",
              "XXXXXXXXXX", ".....XX...", ".....XX...", ".....XX..."},
             kWhite);
      break;
    case 141:  // English: the letters E N
      Pixels(p, 3, 4,
             {"XXXX.X...X", "X....XX..X", "X....XX..X", "XXX..X.X.X", "X....X.XXX", "X....X..XX",
              "X....X..XX", "XXXX.X...X"},
             kWhite);
      break;
    case 142:  // Japanese: the character for "sun/day", a tall box with a middle stroke
      Pixels(p, 4, 3,
             {"XXXXXXXX", "X......X", "X......X", "X......X", "XXXXXXXX", "X......X", "X......X",
              "X......X", "X......X", "XXXXXXXX"},
             kWhite);
      break;
  }
  return img;
}

// ----- application icon -------------------------------------------------------------

// A lens on a dark rounded tile, drawn in a 256-unit design space. Small sizes drop the
// fine rings that would only blur.
QImage AppIcon(int size) {
  QImage img = Blank(size, size);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 256.0;
  p.scale(s, s);
  const bool small = size <= 32;

  QLinearGradient tile(0, 0, 0, 256);
  tile.setColorAt(0, QColor(0x4a, 0x5d, 0x73));
  tile.setColorAt(1, QColor(0x1b, 0x23, 0x2d));
  const qreal inset = small ? 0 : 8;
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(QRectF(inset, inset, 256 - 2 * inset, 256 - 2 * inset), 56, 56);
  // A one-pixel lighter rim keeps the tile's edge visible on dark panels.
  const qreal px = 1 / s;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x8a, 0x9c, 0xb0, 150), px));
  p.drawRoundedRect(QRectF(inset + px / 2, inset + px / 2, 256 - 2 * inset - px, 256 - 2 * inset - px), 56, 56);
  p.setPen(Qt::NoPen);

  const QPointF c(128, 136);
  QLinearGradient metal(0, c.y() - 100, 0, c.y() + 100);
  metal.setColorAt(0, QColor(0xf2, 0xf5, 0xf8));
  metal.setColorAt(1, QColor(0x84, 0x93, 0xa4));
  p.setBrush(metal);
  p.drawEllipse(c, small ? 100.0 : 92.0, small ? 100.0 : 92.0);
  p.setBrush(QColor(0x10, 0x16, 0x1d));
  p.drawEllipse(c, small ? 80.0 : 76.0, small ? 80.0 : 76.0);

  QRadialGradient glass(c.x() - 20, c.y() - 24, 90);
  glass.setColorAt(0, QColor(0x4f, 0xa6, 0xf5));
  glass.setColorAt(0.55, QColor(0x1d, 0x5f, 0xaa));
  glass.setColorAt(1, QColor(0x0a, 0x22, 0x40));
  p.setBrush(glass);
  const qreal rg = small ? 64 : 62;
  p.drawEllipse(c, rg, rg);
  if (!small) {
    p.setBrush(QColor(0x06, 0x10, 0x1c));
    p.drawEllipse(c, 26.0, 26.0);
  }
  p.setBrush(QColor(255, 255, 255, 210));
  p.save();
  p.translate(c.x() - 26, c.y() - 28);
  p.rotate(-35);
  p.drawEllipse(QPointF(0, 0), small ? 22.0 : 20.0, small ? 13.0 : 11.0);
  p.restore();
  if (!small) {
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QPointF(c.x() + 28, c.y() + 30), 9.0, 9.0);
    // The live light.
    p.setBrush(QColor(0x7a, 0x14, 0x10));
    p.drawEllipse(QPointF(212, 44), 17.0, 17.0);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(212, 44), 13.0, 13.0);
  }
  return img;
}

// ----- output -----------------------------------------------------------------------

QImage Toolbar(const ToolbarPicture& pic) {
  QImage img = Blank(kToolbarWidth, kToolbarHeight);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  pic.draw(p);
  return img;
}

bool Save(const QImage& img, const QString& path) {
  // Straight (not premultiplied) alpha, as PNG stores it.
  if (img.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

QImage Enlarged(const QImage& img, int factor) {
  return img.scaled(img.width() * factor, img.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

struct SheetItem {
  int id;
  QImage img;
};

// Every picture at 1x in toolbar order and at 8x, each on a light and a dark background.
QImage ContactSheet(const std::vector<SheetItem>& toolbar, const std::vector<SheetItem>& menu,
                    const std::vector<QImage>& app) {
  const QColor backs[2] = {QColor(0xf0, 0xf0, 0xf0), QColor(0x2d, 0x2f, 0x33)};
  const QColor texts[2] = {QColor(0x30, 0x30, 0x30), QColor(0xe0, 0xe0, 0xe0)};
  constexpr int kZoom = 8;
  constexpr int kCell = kToolbarWidth * kZoom + 12;
  constexpr int kPerRow = 5;
  const int rows = (static_cast<int>(toolbar.size()) + kPerRow - 1) / kPerRow;
  const int half = std::max(kPerRow * kCell + 20, 1040);
  const int width = 2 * half;
  const int stripH = 2 * (kToolbarHeight + 10) + 20;
  const int gridH = rows * (kToolbarHeight * kZoom + 24);
  const int menuH = kMenuSize * kZoom + 40;
  const int appH = 256 + 40;
  QImage sheet(width, stripH * 3 + gridH + menuH + appH, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&sheet);
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  p.setFont(font);
  for (int side = 0; side < 2; ++side) {
    const int x0 = side * half;
    p.fillRect(x0, 0, half, sheet.height(), backs[side]);
    p.setPen(texts[side]);
    // The toolbar as it looks at start-up, and with every picture swapped.
    int y = 10;
    for (int swapped = 0; swapped < 2; ++swapped) {
      int x = x0 + 10;
      for (const SheetItem& it : toolbar) {
        if ((it.id >= 154) != (swapped == 1)) continue;
        p.drawImage(x, y, it.img);
        x += kToolbarWidth + 8;
        if (it.id == 146 || it.id == 149 || it.id == 152 || it.id == 156 || it.id == 159 || it.id == 162)
          x += 8;  // separator
      }
      y += kToolbarHeight + 10;
    }
    // The same strip at 3x, for a closer look at the toolbar's rhythm.
    const QImage strip = sheet.copy(x0, 10, half, 2 * (kToolbarHeight + 10));
    p.drawImage(x0, y + 10, Enlarged(strip, 3).copy(0, 0, half, strip.height() * 3));
    y += 10 + strip.height() * 3 + 10;
    int i = 0;
    for (const SheetItem& it : toolbar) {
      const int cx = x0 + 10 + (i % kPerRow) * kCell;
      const int cy = y + (i / kPerRow) * (kToolbarHeight * kZoom + 24);
      p.drawText(cx, cy + 12, QString::number(it.id));
      p.drawImage(cx, cy + 16, Enlarged(it.img, kZoom));
      ++i;
    }
    y += gridH;
    int x = x0 + 10;
    for (const SheetItem& it : menu) {
      p.drawText(x, y + 12, QString::number(it.id));
      p.drawImage(x, y + 16, Enlarged(it.img, kZoom));
      p.drawImage(x + kMenuSize * kZoom + 8, y + 16, it.img);
      x += kMenuSize * kZoom + 40;
    }
    y += menuH;
    x = x0 + 10;
    for (const QImage& a : app) {
      p.drawImage(x, y + 16, a);
      x += a.width() + 10;
    }
  }
  return sheet;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("Draws the program's icons into PNG files.");
  parser.addHelpOption();
  parser.addPositionalArgument("folder", "Output folder for the PNG files.");
  const QCommandLineOption sheetOption("sheet", "Also write a contact sheet to <file>.", "file");
  parser.addOption(sheetOption);
  parser.process(app);
  if (parser.positionalArguments().size() != 1) parser.showHelp(1);

  const QDir out(parser.positionalArguments().first());
  if (!out.mkpath(".")) {
    std::fprintf(stderr, "cannot make %s\n", qPrintable(out.path()));
    return 1;
  }
  bool ok = true;
  std::vector<SheetItem> toolbar, menu;
  std::vector<QImage> appIcons;
  for (const ToolbarPicture& pic : ToolbarPictures()) {
    if (!pic.draw) continue;
    QImage img = Toolbar(pic);
    ok &= Save(img, out.filePath(QString("toolbar_%1.png").arg(pic.id)));
    toolbar.push_back({pic.id, img});
  }
  for (int id : {140, 141, 142}) {
    QImage img = LanguageBadge(id);
    ok &= Save(img, out.filePath(QString("menu_%1.png").arg(id)));
    menu.push_back({id, img});
  }
  for (int size : {16, 22, 32, 48, 64, 128, 256}) {
    QImage img = AppIcon(size);
    ok &= Save(img, out.filePath(QString("app_%1.png").arg(size)));
    appIcons.push_back(img);
  }
  if (parser.isSet(sheetOption)) {
    const QString sheet = parser.value(sheetOption);
    ok &= Save(ContactSheet(toolbar, menu, appIcons), sheet);
  }
  return ok ? 0 : 1;
}
