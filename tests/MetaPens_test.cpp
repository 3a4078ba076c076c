// Pens, brushes, raster modes, gradients, regions and pixels of the metafile player, checked by the
// pixels they draw.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>

#include "EmfWriter.h"
#include "Graphic.h"
#include "WmfWriter.h"
#include "metafile/Metafile.h"
#include "metafile/play/MetaPen.h"

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const TMetaBox kBox{0, 0, 100, 100};

U_COLORREF Ref(const QColor& c) {
  return U_COLORREF{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                    static_cast<uint8_t>(c.blue()), 0};
}

QImage Render(const QByteArray& bytes, QSize size = QSize(100, 100)) {
  TMetafile metafile;
  metafile.LoadFromBytes(bytes);
  QImage image(size, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  metafile.Draw(painter, QRect(QPoint(0, 0), size));
  return image;
}

bool Inked(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  return c.red() + c.green() + c.blue() < 3 * 160;
}

// Whether either pixel row around y has ink at x: a one-pixel line on y covers both halves.
bool LineInked(const QImage& image, int x, int y) {
  return Inked(image, x, y - 1) || Inked(image, x, y);
}

bool Near(const QColor& a, const QColor& b, int tolerance = 40) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

// An EMF of a horizontal line across the picture at y = 50 with the given pen record.
QByteArray EmfLine(const std::function<char*(uint32_t*, EMFHANDLES*)>& makePen, int from = 0, int to = 100) {
  TEmfWriter writer(kBox, 96);
  uint32_t pen = 0;
  writer.Append(makePen(&pen, writer.Handles()));
  writer.Append(selectobject_set(pen, writer.Handles()));
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{from, 50}));
  writer.Append(U_EMRLINETO_set(U_POINTL{to, 50}));
  return writer.Finish();
}

char* ExtPen(uint32_t* handle, EMFHANDLES* handles, uint32_t style, uint32_t width,
             std::vector<uint32_t> dashes = {}) {
  PU_EXTLOGPEN logPen =
      extlogpen_set(style, width, U_BS_SOLID, Ref(kBlack), 0, static_cast<uint32_t>(dashes.size()),
                    dashes.empty() ? nullptr : dashes.data());
  char* record = extcreatepen_set(handle, handles, nullptr, 0, nullptr, logPen);
  free(logPen);
  return record;
}

// The x ranges along y = 50 that have ink, as (first, last) pairs.
std::vector<std::pair<int, int>> InkRuns(const QImage& image) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < image.width(); ++x) {
    if (!LineInked(image, x, 50)) continue;
    if (!runs.empty() && runs.back().second == x - 1)
      runs.back().second = x;
    else
      runs.emplace_back(x, x);
  }
  return runs;
}

}  // namespace

TEST(MetaPens, DashPatternsAreGdisLengths) {
  EXPECT_EQ(MetaDashPattern(U_PS_DASH, true), (std::vector<double>{18, 6}));
  EXPECT_EQ(MetaDashPattern(U_PS_DOT, true), (std::vector<double>{3, 3}));
  EXPECT_EQ(MetaDashPattern(U_PS_DASHDOT, false), (std::vector<double>{3, 1, 1, 1}));
  EXPECT_TRUE(MetaDashPattern(U_PS_SOLID, true).empty());
  EXPECT_TRUE(MetaDashPattern(U_PS_INSIDEFRAME, false).empty());
}

TEST(MetaPens, ThinPensAreOnePixelOfThePicture) {
  const QPen cosmetic = MetaPen(U_PS_SOLID, 0, 0);
  // Logical units of a quarter picture unit, pixels of two picture units: the pen is eight units wide.
  const QPen drawn = MetaPenForDrawing(cosmetic, QTransform::fromScale(0.25, 0.25), 2);
  EXPECT_DOUBLE_EQ(drawn.widthF(), 8);
  // A geometric pen wider than a pixel keeps its width.
  EXPECT_DOUBLE_EQ(
      MetaPenForDrawing(MetaPen(U_PS_SOLID, 40, 0), QTransform::fromScale(0.25, 0.25), 2).widthF(), 40);
  EXPECT_EQ(MetaPen(U_PS_NULL, 5, 0).style(), Qt::NoPen);
}

TEST(MetaPens, CosmeticDashesHaveGapsWhereWindowsPutsThem) {
  // PS_DASH one pixel wide: 18 pixels drawn, 6 left out.
  const QImage dashed = Render(EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return createpen_set(pen, handles, U_LOGPEN{U_PS_DASH, U_POINT{0, 0}, Ref(kBlack)});
  }));
  const auto runs = InkRuns(dashed);
  ASSERT_GE(runs.size(), 4u);
  EXPECT_EQ(runs[0].first, 0);
  EXPECT_NEAR(runs[0].second, 17, 1);
  EXPECT_NEAR(runs[1].first, 24, 1);
  EXPECT_NEAR(runs[1].second, 41, 1);
  // PS_DOT: three on, three off.
  const QImage dotted = Render(EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return createpen_set(pen, handles, U_LOGPEN{U_PS_DOT, U_POINT{0, 0}, Ref(kBlack)});
  }));
  EXPECT_GE(InkRuns(dotted).size(), 15u);
  EXPECT_TRUE(LineInked(dotted, 1, 50));
  EXPECT_FALSE(LineInked(dotted, 4, 50));
  // A dashed pen wider than a pixel is drawn solid, as GDI draws it.
  const QImage wide = Render(EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return createpen_set(pen, handles, U_LOGPEN{U_PS_DASH, U_POINT{3, 0}, Ref(kBlack)});
  }));
  EXPECT_EQ(InkRuns(wide).size(), 1u);
}

TEST(MetaPens, GeometricAndUserStylesDashInPenWidths) {
  // A geometric PS_DASH pen four wide with flat ends: dashes of 12, gaps of 4.
  const QImage geometric = Render(EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return ExtPen(pen, handles, U_PS_GEOMETRIC | U_PS_DASH | U_PS_ENDCAP_FLAT, 4);
  }));
  const auto runs = InkRuns(geometric);
  ASSERT_GE(runs.size(), 3u);
  EXPECT_NEAR(runs[0].second - runs[0].first + 1, 12, 1);
  EXPECT_NEAR(runs[1].first - runs[0].second - 1, 4, 1);
  // A cosmetic user style of 5 on, 10 off.
  const QImage user = Render(EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return ExtPen(pen, handles, U_PS_COSMETIC | U_PS_USERSTYLE, 1, {5, 10});
  }));
  const auto userRuns = InkRuns(user);
  ASSERT_GE(userRuns.size(), 3u);
  EXPECT_NEAR(userRuns[1].first - userRuns[0].first, 15, 1);
  EXPECT_NEAR(userRuns[0].second - userRuns[0].first + 1, 5, 1);
}

TEST(MetaPens, EndCapsOfGeometricPens) {
  const auto capped = [](uint32_t cap) {
    return Render(EmfLine(
        [cap](uint32_t* pen, EMFHANDLES* handles) { return ExtPen(pen, handles, U_PS_GEOMETRIC | cap, 10); },
        30, 70));
  };
  const QImage flat = capped(U_PS_ENDCAP_FLAT), square = capped(U_PS_ENDCAP_SQUARE),
               round = capped(U_PS_ENDCAP_ROUND);
  // A square end reaches half the width beyond the end point, a flat one stops there.
  EXPECT_FALSE(Inked(flat, 27, 50));
  EXPECT_TRUE(Inked(square, 27, 50));
  EXPECT_TRUE(Inked(square, 27, 46));
  // A round end reaches as far on the line, but not into the corner.
  EXPECT_TRUE(Inked(round, 27, 50));
  EXPECT_FALSE(Inked(round, 26, 45));
  EXPECT_TRUE(Inked(square, 26, 45));
  // The null pen draws nothing.
  const QImage none = Render(EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return ExtPen(pen, handles, U_PS_GEOMETRIC | U_PS_NULL, 10);
  }));
  EXPECT_TRUE(InkRuns(none).empty());
}

TEST(MetaPens, InsideFramePensKeepBoxedShapesInTheirBox) {
  for (const bool wmf : {false, true}) {
    for (const int style : {U_PS_SOLID, U_PS_INSIDEFRAME}) {
      TMetaDrawing drawing;
      drawing.box = kBox;
      TMetaShape square;
      square.kind = TMetaShape::EKind::Rectangle;
      square.box = {20, 20, 80, 80};
      square.penWidth = 10;
      square.penStyle = style;
      square.nullBrush = true;
      drawing.shapes.push_back(square);
      const QImage image = Render(wmf ? WriteWmf(drawing) : WriteEmf(drawing));
      // A solid pen is centred on the edge; an inside-frame one lies wholly inside the box.
      EXPECT_EQ(Inked(image, 17, 50), style == U_PS_SOLID) << wmf;
      EXPECT_TRUE(Inked(image, 22, 50)) << wmf;
      EXPECT_EQ(Inked(image, 28, 50), style == U_PS_INSIDEFRAME) << wmf;
    }
  }
}

TEST(MetaPens, OnePixelPenStaysAPixelOfThePictureWhenShrunk) {
  const QByteArray line = EmfLine([](uint32_t* pen, EMFHANDLES* handles) {
    return createpen_set(pen, handles, U_LOGPEN{U_PS_SOLID, U_POINT{0, 0}, Ref(kBlack)});
  });
  // At the natural size the line is a full pixel of black; drawn at a quarter it is a faint line.
  const QImage full = Render(line);
  EXPECT_LT(std::min(full.pixelColor(50, 49).red(), full.pixelColor(50, 50).red()), 140);
  const QImage quarter = Render(line, QSize(25, 25));
  int darkest = 255;
  for (int y = 10; y <= 14; ++y) darkest = std::min(darkest, quarter.pixelColor(12, y).red());
  EXPECT_LT(darkest, 250);
  EXPECT_GT(darkest, 120);
}

namespace {

// An EMF filling the square 10..90 with the hatch, in the background mode given.
QByteArray HatchedSquare(int hatch, bool opaque, bool wmf = false) {
  TMetaDrawing drawing;
  drawing.box = kBox;
  TMetaShape square;
  square.kind = TMetaShape::EKind::Rectangle;
  square.box = {10, 10, 90, 90};
  square.nullPen = true;
  square.brushColour = kBlack;
  square.hatch = hatch;
  if (wmf) {
    TWmfWriter writer(true, kBox, 96);
    writer.Append(U_WMRSETBKMODE_set(opaque ? U_OPAQUE : U_TRANSPARENT));
    writer.Append(U_WMRSETBKCOLOR_set(Ref(kRed)));
    writer.AddShape(square);
    return writer.Finish();
  }
  TEmfWriter writer(kBox, 96);
  writer.Append(U_EMRSETBKMODE_set(opaque ? U_OPAQUE : U_TRANSPARENT));
  writer.Append(U_EMRSETBKCOLOR_set(Ref(kRed)));
  writer.AddShape(square);
  return writer.Finish();
}

int CountInked(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) == kBlack;
  return count;
}

}  // namespace

TEST(MetaBrushes, HatchesRunAtTheirAngleOverTheBackground) {
  const QRect inside(20, 20, 60, 60);
  const QImage horizontal = Render(HatchedSquare(U_HS_HORIZONTAL, true));
  // Rows of black eight pixels apart, the background colour between them.
  int blackRows = 0;
  for (int y = 20; y < 80; ++y) blackRows += horizontal.pixelColor(50, y) == kBlack;
  EXPECT_GE(blackRows, 6);
  EXPECT_LE(blackRows, 9);
  for (int y = 20; y < 80; ++y) {
    if (horizontal.pixelColor(50, y) == kBlack) {
      EXPECT_EQ(horizontal.pixelColor(70, y), kBlack) << y;
    }
  }
  EXPECT_GT(CountInked(horizontal, inside), 0);
  int red = 0;
  for (int y = 20; y < 80; ++y) red += horizontal.pixelColor(50, y) == kRed;
  EXPECT_GT(red, 40);
  EXPECT_EQ(horizontal.pixelColor(5, 5), kWhite);
  // Forward diagonals fall to the right, backward ones rise.
  for (const auto& [hatch, step] : {std::pair{U_HS_FDIAGONAL, 1}, std::pair{U_HS_BDIAGONAL, -1}}) {
    const QImage diagonal = Render(HatchedSquare(hatch, true));
    int along = 0, across = 0;
    for (int y = 30; y < 70; ++y)
      for (int x = 30; x < 70; ++x) {
        if (diagonal.pixelColor(x, y) != kBlack) continue;
        along += diagonal.pixelColor(x + 1, y + step) == kBlack;
        across += diagonal.pixelColor(x + 1, y - step) == kBlack;
      }
    EXPECT_GT(along, 100) << hatch;
    EXPECT_LT(across, along / 4) << hatch;
  }
  // Transparent background: no background colour, the paper shows between the lines (WMF too).
  const QImage transparent = Render(HatchedSquare(U_HS_CROSS, false, true));
  int redLeft = 0, white = 0;
  for (int y = 20; y < 80; ++y)
    for (int x = 20; x < 80; ++x) {
      redLeft += transparent.pixelColor(x, y) == kRed;
      white += transparent.pixelColor(x, y) == kWhite;
    }
  EXPECT_EQ(redLeft, 0);
  EXPECT_GT(white, 1000);
  EXPECT_GT(CountInked(transparent, inside), 300);
}

namespace {

// A blue square 0..100, then red rectangles 20..80 drawn the given number of times in the mix mode.
QByteArray MixedSquares(int rop2, int times) {
  TMetaDrawing drawing;
  TEmfWriter writer(kBox, 96);
  TMetaShape background;
  background.kind = TMetaShape::EKind::Rectangle;
  background.box = kBox;
  background.nullPen = true;
  background.brushColour = kBlue;
  writer.AddShape(background);
  writer.Append(U_EMRSETROP2_set(static_cast<uint32_t>(rop2)));
  TMetaShape box = background;
  box.box = {20, 20, 80, 80};
  box.brushColour = kRed;
  for (int i = 0; i < times; ++i) writer.AddShape(box);
  return writer.Finish();
}

}  // namespace

TEST(MetaRasterModes, MixModesCombinePenAndPicture) {
  // XOR once mixes, twice restores.
  EXPECT_EQ(Render(MixedSquares(U_R2_XORPEN, 1)).pixelColor(50, 50), QColor(255, 0, 255));
  const QImage twice = Render(MixedSquares(U_R2_XORPEN, 2));
  EXPECT_EQ(twice.pixelColor(50, 50), kBlue);
  EXPECT_EQ(twice.pixelColor(21, 21), kBlue);
  EXPECT_EQ(Render(MixedSquares(U_R2_NOP, 1)).pixelColor(50, 50), kBlue);
  EXPECT_EQ(Render(MixedSquares(U_R2_BLACK, 1)).pixelColor(50, 50), kBlack);
  EXPECT_EQ(Render(MixedSquares(U_R2_WHITE, 1)).pixelColor(50, 50), kWhite);
  EXPECT_EQ(Render(MixedSquares(U_R2_NOTCOPYPEN, 1)).pixelColor(50, 50), QColor(0, 255, 255));
  EXPECT_EQ(Render(MixedSquares(U_R2_COPYPEN, 1)).pixelColor(50, 50), kRed);
  // Red AND blue is black; red OR blue is magenta; NOT blue is yellow.
  EXPECT_EQ(Render(MixedSquares(U_R2_MASKPEN, 1)).pixelColor(50, 50), kBlack);
  EXPECT_EQ(Render(MixedSquares(U_R2_MERGEPEN, 1)).pixelColor(50, 50), QColor(255, 0, 255));
  EXPECT_EQ(Render(MixedSquares(U_R2_NOT, 1)).pixelColor(50, 50), QColor(255, 255, 0));
  // Outside the rectangles nothing changes.
  EXPECT_EQ(Render(MixedSquares(U_R2_NOT, 1)).pixelColor(5, 5), kBlue);
}

TEST(MetaGradients, CornersHaveTheVertexColours) {
  const auto gradient = [](uint32_t mode, std::vector<U_TRIVERTEX> vertices, std::vector<uint32_t> shapes) {
    TEmfWriter writer(kBox, 96);
    const uint32_t perShape = mode == U_GRADIENT_FILL_TRIANGLE ? 3 : 2;
    writer.Append(U_EMRGRADIENTFILL_set(U_RECTL{0, 0, 100, 100}, static_cast<uint32_t>(vertices.size()),
                                        static_cast<uint32_t>(shapes.size() / perShape), mode,
                                        vertices.data(), shapes.data()));
    return Render(writer.Finish());
  };
  const U_TRIVERTEX redCorner{10, 10, 0xFF00, 0, 0, 0}, blueCorner{90, 90, 0, 0, 0xFF00, 0};
  const QImage horizontal = gradient(U_GRADIENT_FILL_RECT_H, {redCorner, blueCorner}, {0, 1});
  EXPECT_TRUE(Near(horizontal.pixelColor(11, 11), kRed));
  EXPECT_TRUE(Near(horizontal.pixelColor(88, 11), kBlue));
  EXPECT_TRUE(Near(horizontal.pixelColor(11, 88), kRed));
  EXPECT_TRUE(Near(horizontal.pixelColor(50, 50), QColor(128, 0, 128), 20));
  EXPECT_EQ(horizontal.pixelColor(5, 50), kWhite);
  const QImage vertical = gradient(U_GRADIENT_FILL_RECT_V, {redCorner, blueCorner}, {0, 1});
  EXPECT_TRUE(Near(vertical.pixelColor(88, 11), kRed));
  EXPECT_TRUE(Near(vertical.pixelColor(11, 88), kBlue));
  const U_TRIVERTEX greenCorner{10, 90, 0, 0xFF00, 0, 0};
  const QImage triangle = gradient(U_GRADIENT_FILL_TRIANGLE, {redCorner, blueCorner, greenCorner}, {0, 1, 2});
  EXPECT_TRUE(Near(triangle.pixelColor(13, 18), kRed, 60));
  EXPECT_TRUE(Near(triangle.pixelColor(13, 86), QColor(0, 255, 0), 60));
  EXPECT_TRUE(Near(triangle.pixelColor(82, 86), kBlue, 60));
  EXPECT_EQ(triangle.pixelColor(80, 20), kWhite);  // beyond the triangle's long side
  // A shape naming a vertex that is not there draws nothing.
  EXPECT_EQ(gradient(U_GRADIENT_FILL_RECT_H, {redCorner, blueCorner}, {0, 7}).pixelColor(50, 50), kWhite);
}

namespace {

U_RECTL RectL(int left, int top, int right, int bottom) {
  return U_RECTL{left, top, right, bottom};
}

PU_RGNDATA Region(std::vector<U_RECTL> rects) {
  return rgndata_set(rgndataheader_set(static_cast<uint32_t>(rects.size()), RectL(0, 0, 100, 100)),
                     rects.data());
}

// An EMR_POLYDRAW record, padded to whole words as GDI writes it (libuemf leaves it unpadded).
char* PolyDraw(const std::vector<U_POINTL>& points, const std::vector<uint8_t>& types) {
  const uint32_t count = static_cast<uint32_t>(points.size());
  const uint32_t size = (28 + 8 * count + count + 3) / 4 * 4;
  char* record = static_cast<char*>(calloc(size, 1));
  const uint32_t head[7] = {U_EMR_POLYDRAW, size, 0, 0, 100, 100, count};
  std::memcpy(record, head, sizeof head);
  std::memcpy(record + 28, points.data(), 8 * count);
  std::memcpy(record + 28 + 8 * count, types.data(), count);
  return record;
}

}  // namespace

TEST(MetaRegions, EmfRegionFillCoversExactlyItsRectangles) {
  TEmfWriter writer(kBox, 96);
  uint32_t brush = 0;
  writer.Append(createbrushindirect_set(&brush, writer.Handles(), U_LOGBRUSH{U_BS_SOLID, Ref(kRed), 0}));
  PU_RGNDATA region = Region({RectL(10, 10, 30, 40), RectL(50, 60, 90, 70)});
  writer.Append(U_EMRFILLRGN_set(RectL(10, 10, 90, 70), brush, region));
  free(region);
  const QImage image = Render(writer.Finish());
  EXPECT_EQ(image.pixelColor(10, 10), kRed);
  EXPECT_EQ(image.pixelColor(29, 39), kRed);
  EXPECT_EQ(image.pixelColor(30, 20), kWhite);  // right and bottom edges are outside
  EXPECT_EQ(image.pixelColor(20, 40), kWhite);
  EXPECT_EQ(image.pixelColor(89, 69), kRed);
  EXPECT_EQ(image.pixelColor(40, 50), kWhite);
}

TEST(MetaRegions, WmfRegionObjectsFillAndClip) {
  // A region of two scans: 10..40 x 10..30 and 60..90 x 50..80.
  std::vector<uint16_t> scans = {2, 10, 30, 10, 40, 2, 2, 50, 80, 60, 90, 2};
  // Written whole: libuemf's U_REGION_set reads beyond the scans it is given.
  const auto regionRecord = [&]() {
    std::vector<uint16_t> words = {0, 0, 0x06FF, 0,  6,  0, static_cast<uint16_t>(20 + 2 * scans.size()),
                                   2, 2, 10,     10, 90, 80};
    words.insert(words.end(), scans.begin(), scans.end());
    words[0] = static_cast<uint16_t>(words.size());
    char* record = static_cast<char*>(malloc(2 * words.size()));
    std::memcpy(record, words.data(), 2 * words.size());
    return record;
  };
  // FillRegion with a blue brush.
  {
    TWmfWriter writer(true, kBox, 96);
    writer.Append(regionRecord());                                                        // slot 0
    writer.Append(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH{U_BS_SOLID, Ref(kBlue), 0}));  // slot 1
    writer.Append(U_WMRFILLREGION_set(0, 1));
    const QImage image = Render(writer.Finish());
    EXPECT_EQ(image.pixelColor(15, 15), kBlue);
    EXPECT_EQ(image.pixelColor(85, 75), kBlue);
    EXPECT_EQ(image.pixelColor(50, 40), kWhite);
    EXPECT_EQ(image.pixelColor(45, 15), kWhite);
  }
  // SelectClipRegion, then a red rectangle over everything; SaveDC/RestoreDC bring the clipping back.
  {
    // Objects are written without the writer's table, so that their slots are plain: 0 to 3.
    TWmfWriter writer(true, kBox, 96);
    writer.Append(regionRecord());
    writer.Append(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_NULL, 0, Ref(kBlack))));
    writer.Append(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH{U_BS_SOLID, Ref(kRed), 0}));
    writer.Append(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH{U_BS_SOLID, Ref(kBlue), 0}));
    writer.Append(U_WMRSELECTOBJECT_set(1));
    writer.Append(U_WMRSELECTOBJECT_set(2));
    writer.Append(U_WMRSAVEDC_set());
    writer.Append(U_WMRSELECTCLIPREGION_set(0));
    writer.Append(U_WMRRECTANGLE_set(U_RECT16{0, 0, 100, 100}));
    writer.Append(U_WMRRESTOREDC_set(-1));
    writer.Append(U_WMRSELECTOBJECT_set(3));
    writer.Append(U_WMRRECTANGLE_set(U_RECT16{0, 90, 100, 100}));
    const QImage image = Render(writer.Finish());
    EXPECT_EQ(image.pixelColor(15, 15), kRed);
    EXPECT_EQ(image.pixelColor(70, 60), kRed);
    EXPECT_EQ(image.pixelColor(50, 50), kWhite);
    EXPECT_EQ(image.pixelColor(5, 5), kWhite);
    EXPECT_EQ(image.pixelColor(50, 95), kBlue);  // drawn after RestoreDC: unclipped
  }
}

TEST(MetaShapes, PixelsAngleArcsAndPolyDraw) {
  TEmfWriter writer(kBox, 96);
  writer.Append(U_EMRSETPIXELV_set(U_POINTL{5, 5}, Ref(kRed)));
  uint32_t pen = 0;
  writer.Append(createpen_set(&pen, writer.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{3, 0}, Ref(kBlue)}));
  writer.Append(selectobject_set(pen, writer.Handles()));
  // An angle arc: a line from the position to the arc's start at 0 degrees, a half circle above.
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{10, 50}));
  writer.Append(U_EMRANGLEARC_set(U_POINTL{50, 50}, 20, 0.0f, 180.0f));
  // PolyDraw: a move and two lines along the bottom.
  writer.Append(PolyDraw({{10, 90}, {50, 90}, {90, 90}}, {U_PT_MOVETO, U_PT_LINETO, U_PT_LINETO}));
  const QImage image = Render(writer.Finish());
  EXPECT_TRUE(Near(image.pixelColor(5, 5), kRed, 8));
  EXPECT_EQ(image.pixelColor(6, 5), kWhite);
  EXPECT_EQ(image.pixelColor(5, 6), kWhite);
  EXPECT_TRUE(Inked(image, 60, 50));  // the line to the arc's start
  EXPECT_TRUE(Inked(image, 50, 30));  // the top of the arc
  EXPECT_FALSE(Inked(image, 50, 70));
  EXPECT_TRUE(Inked(image, 70, 90));
  EXPECT_FALSE(Inked(image, 5, 90));
}

TEST(MetaBadInput, BrokenPenGradientAndRegionRecordsDoNotCrash) {
  TEmfWriter writer(kBox, 96);
  // A gradient claiming millions of vertices, a region claiming millions of rectangles, a user style
  // claiming more entries than its record holds.
  const U_TRIVERTEX vertices[2] = {{0, 0, 0, 0, 0, 0}, {50, 50, 0, 0, 0, 0}};
  const uint32_t shape[2] = {0, 1};
  char* gradient = U_EMRGRADIENTFILL_set(RectL(0, 0, 50, 50), 2, 1, U_GRADIENT_FILL_RECT_H,
                                         const_cast<PU_TRIVERTEX>(vertices), shape);
  std::memcpy(gradient + 24, "\xff\xff\xff\x0f", 4);
  writer.Append(gradient);
  PU_RGNDATA region = Region({RectL(10, 10, 30, 40)});
  char* fill = U_EMRFILLRGN_set(RectL(10, 10, 30, 40), U_BLACK_BRUSH, region);
  free(region);
  std::memcpy(fill + 32 + 8, "\xff\xff\xff\x7f", 4);
  writer.Append(fill);
  writer.Append(U_EMRSETROP2_set(12345));
  writer.Append(U_EMRRECTANGLE_set(RectL(60, 60, 90, 90)));
  const QImage image = Render(writer.Finish());
  EXPECT_TRUE(Inked(image, 60, 75));  // the rectangle after them is still drawn
  // A user style claiming more entries than its record holds: refused or drawn, never read beyond.
  TEmfWriter penWriter(kBox, 96);
  uint32_t pen = 0;
  char* userPen = ExtPen(&pen, penWriter.Handles(), U_PS_USERSTYLE, 1, {3, 3});
  std::memcpy(userPen + 48, "\xff\xff\xff\xff", 4);
  penWriter.Append(userPen);
  penWriter.Append(selectobject_set(pen, penWriter.Handles()));
  penWriter.Append(U_EMRRECTANGLE_set(RectL(60, 60, 90, 90)));
  try {
    Render(penWriter.Finish());
  } catch (const EInvalidGraphic&) {
  }
  // A WMF region record too short for its header, and region ops naming missing objects.
  TWmfWriter wmf(true, kBox, 96);
  char* shortRegion = static_cast<char*>(calloc(14, 1));
  const uint16_t head[3] = {7, 0, U_WMR_CREATEREGION | 0x0600};
  std::memcpy(shortRegion, head, sizeof head);
  wmf.Append(shortRegion);
  wmf.Append(U_WMRFILLREGION_set(7, 9));
  wmf.Append(U_WMRSELECTCLIPREGION_set(40));
  wmf.Append(U_WMRINVERTREGION_set(0));
  EXPECT_NO_THROW(Render(wmf.Finish()));
}

TEST(MetaText, SmallTextOutDrawsItsCharacters) {
  const auto smallText = [](bool eightBit) {
    TEmfWriter writer(kBox, 96);
    writer.Append(U_EMRSETTEXTCOLOR_set(Ref(kRed)));
    writer.Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
    // Reference point, character count, options, graphics mode, scales, then the characters.
    const uint32_t options = U_ETO_NO_RECT | (eightBit ? 0x200u : 0u);
    const QByteArray text = eightBit ? QByteArray("WWWW") : QByteArray("W\0W\0W\0W\0", 8);
    const uint32_t size = static_cast<uint32_t>((36 + text.size() + 3) / 4 * 4);
    char* record = static_cast<char*>(calloc(size, 1));
    const uint32_t head[7] = {U_EMR_SMALLTEXTOUT, size, 20, 40, 4, options, U_GM_COMPATIBLE};
    std::memcpy(record, head, sizeof head);
    std::memcpy(record + 36, text.constData(), static_cast<size_t>(text.size()));
    writer.Append(record);
    return Render(writer.Finish());
  };
  for (const bool eightBit : {true, false}) {
    const QImage image = smallText(eightBit);
    int red = 0, redLeft = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 120) {
          ++red;
          redLeft += x < 18;
        }
      }
    EXPECT_GT(red, 20) << eightBit;
    EXPECT_EQ(redLeft, 0) << eightBit;  // text starts at its reference point
  }
}

TEST(MetaText, JustificationWidensTheSpaces) {
  const auto rightmostRed = [](bool wmf, int extra) {
    TMetaText text;
    text.at = {5, 40};
    text.text = "i i i";
    text.colour = kRed;
    text.height = -16;
    text.wide = false;
    QByteArray bytes;
    if (wmf) {
      TWmfWriter writer(true, {0, 0, 200, 100}, 96);
      // Break count, then extra space (libuemf's own writer puts the wrong function in).
      char* record = static_cast<char*>(calloc(10, 1));
      const uint16_t words[5] = {5, 0, 0x020A, 2, static_cast<uint16_t>(extra)};
      std::memcpy(record, words, sizeof words);
      writer.Append(record);
      writer.AddText(text);
      bytes = writer.Finish();
    } else {
      TEmfWriter writer({0, 0, 200, 100}, 96);
      // EMR_SETTEXTJUSTIFICATION: extra space, then the break count.
      char* record = static_cast<char*>(calloc(16, 1));
      const int32_t fields[4] = {U_EMR_SETTEXTJUSTIFICATION, 16, extra, 2};
      std::memcpy(record, fields, sizeof fields);
      writer.Append(record);
      writer.AddText(text);
      bytes = writer.Finish();
    }
    const QImage image = Render(bytes, QSize(200, 100));
    int right = -1;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 120) right = std::max(right, x);
      }
    return right;
  };
  for (const bool wmf : {false, true}) {
    const int plain = rightmostRed(wmf, 0), justified = rightmostRed(wmf, 60);
    ASSERT_GT(plain, 0) << wmf;
    // Sixty units over two spaces: the last letter moves sixty to the right.
    EXPECT_NEAR(justified - plain, 60, 3) << wmf;
  }
}

// A run of LineTo records: one line through their points for a thin pen, leaving the position at its
// end; a pen with flat ends and mitred joins still draws each line alone, leaving the corners notched.
TEST(MetaPens, RunsOfLinesDrawAsGdiDrawsThem) {
  const auto square = [](const std::function<char*(uint32_t*, EMFHANDLES*)>& makePen) {
    TEmfWriter writer(kBox, 96);
    uint32_t pen = 0, blue = 0;
    writer.Append(makePen(&pen, writer.Handles()));
    writer.Append(selectobject_set(pen, writer.Handles()));
    writer.Append(U_EMRMOVETOEX_set(U_POINTL{20, 20}));
    for (const U_POINTL p : {U_POINTL{80, 20}, U_POINTL{80, 80}, U_POINTL{20, 80}})
      writer.Append(U_EMRLINETO_set(p));
    writer.Append(createpen_set(&blue, writer.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{1, 0}, Ref(kBlue)}));
    writer.Append(selectobject_set(blue, writer.Handles()));
    writer.Append(U_EMRLINETO_set(U_POINTL{20, 20}));
    return Render(writer.Finish());
  };
  const QImage thin = square([](uint32_t* handle, EMFHANDLES* handles) {
    return createpen_set(handle, handles, U_LOGPEN{U_PS_SOLID, U_POINT{1, 0}, Ref(kRed)});
  });
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{50, 20}, {80, 50}, {50, 80}})
    EXPECT_TRUE(Near(thin.pixelColor(x, y), kRed)) << x << "," << y;
  EXPECT_TRUE(Near(thin.pixelColor(20, 50), kBlue));
  EXPECT_TRUE(Near(thin.pixelColor(50, 50), kWhite));

  const QImage mitred = square([](uint32_t* handle, EMFHANDLES* handles) {
    return ExtPen(handle, handles, U_PS_GEOMETRIC | U_PS_SOLID | U_PS_ENDCAP_FLAT | U_PS_JOIN_MITER, 10);
  });
  EXPECT_TRUE(Inked(mitred, 50, 17));
  EXPECT_TRUE(Inked(mitred, 83, 50));
  // Outside the corner at (80, 20): the first line ends flat at x = 80, the second starts flat at y = 20.
  EXPECT_FALSE(Inked(mitred, 83, 17));
}
