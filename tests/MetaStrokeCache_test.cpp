#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <vector>

#include "EmfWriter.h"
#include "metafile/Metafile.h"
#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"

// Stroke outlines kept from one drawing of a picture to the next must draw what Qt's own stroke draws.

namespace {

QPen Pen(double width) {
  QPen pen(Qt::black);
  pen.setWidthF(width);
  return pen;
}

QPainterPath Zigzag(double step) {
  QPainterPath path(QPointF(0, 0));
  path.lineTo(step, 20);
  path.lineTo(2 * step, 0);
  return path;
}

// Thick lines, a filled polygon, ellipse and rectangle with borders, with a pen of width 6 in 200 units.
QByteArray LineDrawing(int shift) {
  TEmfWriter writer({0, 0, 200, 200}, 96);
  uint32_t pen = 0, brush = 0;
  writer.Append(
      createpen_set(&pen, writer.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{6, 0}, U_COLORREF{200, 0, 0, 0}}));
  writer.Append(selectobject_set(pen, writer.Handles()));
  writer.Append(
      createbrushindirect_set(&brush, writer.Handles(), U_LOGBRUSH{U_BS_SOLID, U_COLORREF{0, 0, 200, 0}, 0}));
  writer.Append(selectobject_set(brush, writer.Handles()));
  const std::vector<U_POINTL> line{{10, 10 + shift}, {60, 90}, {110, 20}, {190, 170}};
  writer.Append(U_EMRPOLYLINE_set(U_RECTL{0, 0, 200, 200}, static_cast<uint32_t>(line.size()), line.data()));
  const std::vector<U_POINTL> triangle{{20, 120 + shift}, {90, 190}, {30, 190}};
  writer.Append(
      U_EMRPOLYGON_set(U_RECTL{0, 0, 200, 200}, static_cast<uint32_t>(triangle.size()), triangle.data()));
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{120, 100}));
  writer.Append(U_EMRLINETO_set(U_POINTL{180, 110 + shift}));
  writer.Append(U_EMRELLIPSE_set(U_RECTL{120, 130, 180, 190}));
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{140, 20, 190, 60 + shift / 4}));
  return writer.Finish();
}

// The list drawn into a tile whose two axes scale a little differently, as fitted pictures are.
QImage Draw(const TMetaPlayList& list, TMetaStrokeCache* strokes) {
  QImage image(97, 93, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  TMetafilePlayer(list, strokes).Play(painter, QRectF(0, 0, 97, 93));
  return image;
}

QImage Draw(TMetafile& metafile) {
  QImage image(97, 93, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  metafile.Draw(painter, QRect(0, 0, 97, 93));
  return image;
}

}  // namespace

TEST(MetaStrokeCache, OutlinesStandInOnlyWhereQtStrokesWithItsGeneralStroker) {
  const QTransform uneven = QTransform::fromScale(0.031, 0.030);
  EXPECT_TRUE(TMetaStrokeCache::StrokedAsOutline(Pen(6), uneven, true));
  EXPECT_TRUE(TMetaStrokeCache::StrokedAsOutline(Pen(600), uneven, true));
  EXPECT_TRUE(TMetaStrokeCache::StrokedAsOutline(Pen(6), QTransform().rotate(30).scale(2, 3), true));
  // Even scales: thin pens go to Qt's fast line drawer, single wide lines to another rasteriser.
  EXPECT_FALSE(TMetaStrokeCache::StrokedAsOutline(Pen(6), QTransform::fromScale(0.03, 0.03), true));
  EXPECT_FALSE(TMetaStrokeCache::StrokedAsOutline(Pen(6), QTransform().rotate(30).scale(2, 2), true));
  EXPECT_FALSE(
      TMetaStrokeCache::StrokedAsOutline(Pen(6), QTransform::fromScale(0.03, 0.03 * (1 + 1e-13)), true));
  // Without antialiasing thin pens are drawn fast under any scale.
  EXPECT_FALSE(TMetaStrokeCache::StrokedAsOutline(Pen(6), uneven, false));
  QPen cosmetic = Pen(1);
  cosmetic.setCosmetic(true);
  EXPECT_FALSE(TMetaStrokeCache::StrokedAsOutline(cosmetic, uneven, true));
  QPen dashed = Pen(6);
  dashed.setStyle(Qt::DashLine);
  EXPECT_FALSE(TMetaStrokeCache::StrokedAsOutline(dashed, uneven, true));
}

TEST(MetaStrokeCache, KeepsAnOutlineUntilTheShapeOrPenChanges) {
  TMetaStrokeCache cache;
  const QPainterPath* first = cache.Outline(3, Zigzag(10), Pen(4));
  ASSERT_NE(first, nullptr);
  const std::int64_t kept = cache.Elements();
  EXPECT_GT(kept, 0);
  EXPECT_EQ(cache.Outline(3, Zigzag(10), Pen(4)), first);
  EXPECT_EQ(cache.Elements(), kept);
  // Another pen width or another shape in the slot: a new outline of the new width.
  const QPainterPath* wider = cache.Outline(3, Zigzag(10), Pen(8));
  ASSERT_NE(wider, nullptr);
  EXPECT_GT(wider->boundingRect().height(), 24);
  EXPECT_LT(wider->boundingRect().height(), 30);
  const QPainterPath* longer = cache.Outline(3, Zigzag(30), Pen(8));
  ASSERT_NE(longer, nullptr);
  EXPECT_GT(longer->boundingRect().width(), 60);
  // Curves are flattened for the transform in force, so they are not kept.
  QPainterPath curve(QPointF(0, 0));
  curve.cubicTo(10, 0, 20, 10, 20, 20);
  EXPECT_EQ(cache.Outline(4, curve, Pen(4)), nullptr);
}

TEST(MetaStrokeCache, DrawingWithKeptOutlinesGivesQtsOwnPixels) {
  const TMetaPlayList list = ReadEmf(LineDrawing(0));
  const QImage stroked = Draw(list, nullptr);
  TMetaStrokeCache cache;
  const QImage first = Draw(list, &cache);
  EXPECT_GT(cache.Elements(), 0);
  const QImage again = Draw(list, &cache);
  EXPECT_EQ(first, stroked);
  EXPECT_EQ(again, stroked);
  // The drawing itself is there: the red lines and the blue fill.
  int red = 0, blue = 0;
  for (int y = 0; y < stroked.height(); ++y)
    for (int x = 0; x < stroked.width(); ++x) {
      const QColor c = stroked.pixelColor(x, y);
      red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
      blue += c.blue() > 150 && c.red() < 80 && c.green() < 80;
    }
  EXPECT_GT(red, 100);
  EXPECT_GT(blue, 100);
}

TEST(MetaStrokeCache, APictureLoadedAnewDrawsItsOwnStrokes) {
  TMetafile metafile;
  metafile.LoadFromBytes(LineDrawing(0));
  const QImage before = Draw(metafile);
  metafile.LoadFromBytes(LineDrawing(40));
  TMetafile fresh;
  fresh.LoadFromBytes(LineDrawing(40));
  EXPECT_EQ(Draw(metafile), Draw(fresh));
  EXPECT_NE(Draw(metafile), before);
}
