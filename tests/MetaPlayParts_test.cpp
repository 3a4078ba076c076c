#include <gtest/gtest.h>
#include <uemf.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaClipRegion.h"
#include "metafile/play/MetaGdiObjects.h"
#include "metafile/play/MetaGradientPainter.h"
#include "metafile/play/MetaOpFamily.h"
#include "metafile/play/MetaPathBracket.h"
#include "metafile/play/MetaPlayView.h"

// The parts of the GDI player, each on its own: the view, clip regions, the path bracket, GDI objects,
// the families of operations and gradients.

namespace {

constexpr int kUnits = kClipRectUnits;

QRect Units(int left, int top, int width, int height) {
  return QRect(left * kUnits, top * kUnits, width * kUnits, height * kUnits);
}

TMetaPlayList Frame100() {
  TMetaPlayList list;
  list.frame = QRectF(0, 0, 100, 100);
  list.width = list.height = 100;
  return list;
}

QPainterPath Rects(std::initializer_list<QRectF> rects, Qt::FillRule rule = Qt::WindingFill) {
  QPainterPath path;
  path.setFillRule(rule);
  for (const QRectF& r : rects) path.addRect(r);
  return path;
}

bool SameColour(const QColor& a, const QColor& b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

TEST(MetaPlayView, PixelSizeComesFromTheRecordingDeviceOrTheOuterPicture) {
  TMetaPlayList list = Frame100();
  list.frame = QRectF(0, 0, 1000, 500);
  list.width = 100, list.height = 50;
  TMetaPlayView view(list);
  EXPECT_DOUBLE_EQ(view.PixelSize(), 10);
  list.devicePixel = 20;  // a coarser recording device
  EXPECT_DOUBLE_EQ(view.PixelSize(), 20);
  list.devicePixel = 0;
  // Drawn inside another picture, a pixel is the outer picture's, here 2 device pixels.
  QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  ASSERT_TRUE(view.Aim(painter, QRectF(0, 0, 100, 50), 2));
  EXPECT_DOUBLE_EQ(view.PixelSize(), 20);  // 2 device pixels at a tenth of picture size
  EXPECT_EQ(view.halfPixel, QPointF(1, 1));
  EXPECT_FALSE(view.Aim(painter, QRectF(), 0));
}

TEST(MetaPlayView, TheVisibleAreaIsThePainterWindowInPictureSpace) {
  const TMetaPlayList list = Frame100();
  TMetaPlayView view(list);
  QImage image(50, 50, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  ASSERT_TRUE(view.Aim(painter, QRectF(0, 0, 200, 200), 0));  // the picture at twice its size
  const QRectF visible = view.VisibleArea();
  EXPECT_TRUE(visible.contains(QRectF(0, 0, 25, 25)));
  EXPECT_FALSE(visible.contains(QPointF(30, 30)));
  view.SetMapping(QTransform::fromScale(2, 2));
  EXPECT_EQ(view.LogicalToTarget().map(QPointF(1, 1)), QPointF(4, 4));
  EXPECT_DOUBLE_EQ(view.deviceScale, 4);
}

TEST(MetaClipRegion, RectanglesStayRectanglesAndExcludedOnesAreCutTogether) {
  const TMetaPlayList list = Frame100();
  TMetaPlayView view(list);
  view.SetMapping(QTransform());
  TMetaClipState state;
  TMetaClipRegion clip(state, view);
  clip.IntersectRect(QRectF(10, 10, 50, 50));
  EXPECT_TRUE(clip.Pending());
  EXPECT_TRUE(state.clipped && state.asRects);
  EXPECT_EQ(state.rects, QRegion(Units(10, 10, 50, 50)));
  clip.ExcludeRect(QRectF(10, 10, 20, 50));
  clip.ExcludeRect(QRectF(50, 10, 10, 50));
  EXPECT_EQ(state.cuts.size(), 2);  // waiting to be cut at once
  clip.Apply();
  EXPECT_FALSE(clip.Pending());
  EXPECT_TRUE(state.cuts.isEmpty());
  EXPECT_EQ(state.rects, QRegion(Units(30, 10, 20, 50)));
}

TEST(MetaClipRegion, ARotatedBoxMakesThePathForm) {
  const TMetaPlayList list = Frame100();
  TMetaPlayView view(list);
  view.SetMapping(QTransform().rotate(30));
  TMetaClipState state;
  TMetaClipRegion clip(state, view);
  clip.IntersectRect(QRectF(10, 10, 30, 30));
  EXPECT_TRUE(state.clipped);
  EXPECT_FALSE(state.asRects);
  EXPECT_TRUE(state.path.contains(QTransform().rotate(30).map(QPointF(25, 25))));
  EXPECT_FALSE(state.path.contains(QPointF(25, 25)));
}

TEST(MetaClipRegion, OffsetMovesTheRegionByTheMappedOffset) {
  const TMetaPlayList list = Frame100();
  TMetaPlayView view(list);
  view.SetMapping(QTransform::fromScale(2, 2));
  TMetaClipState state;
  TMetaClipRegion clip(state, view);
  clip.Offset(QPointF(5, 0));  // nothing to move yet
  EXPECT_FALSE(clip.Pending());
  clip.IntersectRect(QRectF(0, 0, 10, 10));
  clip.Offset(QPointF(5, 0));
  EXPECT_EQ(state.rects, QRegion(Units(10, 0, 20, 20)));
}

TEST(MetaClipRegion, TheMetaRegionNarrowsAndSelectingNoneClears) {
  const TMetaPlayList list = Frame100();
  TMetaPlayView view(list);
  view.SetMapping(QTransform());
  TMetaClipState state;
  TMetaClipRegion clip(state, view);
  clip.IntersectRect(QRectF(0, 0, 50, 50));
  clip.SetMetaRegion();
  EXPECT_FALSE(state.clipped);
  EXPECT_TRUE(state.metaClipped);
  EXPECT_TRUE(state.metaRegion.contains(QPointF(25, 25)));
  EXPECT_FALSE(state.metaRegion.contains(QPointF(75, 75)));
  clip.Combine(Rects({QRectF(40, 40, 20, 20)}), U_RGN_COPY);
  EXPECT_TRUE(state.clipped);
  clip.SelectNone();
  EXPECT_FALSE(state.clipped);
  EXPECT_TRUE(state.metaClipped);  // only SetMetaRegion changes the meta region
  // Uniting with no clip region at all leaves it unclipped.
  clip.Apply();
  clip.Combine(Rects({QRectF(0, 0, 10, 10)}), U_RGN_OR);
  EXPECT_FALSE(state.clipped);
  EXPECT_FALSE(clip.Pending());
}

TEST(MetaClipRegion, OnlyPathsOfAxisAlignedRectanglesBecomeRectangles) {
  QRegion region;
  ASSERT_TRUE(MetaClipRects(Rects({QRectF(0, 0, 10, 10), QRectF(5, 5, 10, 10)}), region));
  EXPECT_EQ(region, QRegion(Units(0, 0, 10, 10)).united(Units(5, 5, 10, 10)));
  // Overlaps under the odd-even rule would cancel out.
  EXPECT_FALSE(MetaClipRects(Rects({QRectF(0, 0, 10, 10), QRectF(5, 5, 10, 10)}, Qt::OddEvenFill), region));
  QPainterPath triangle;
  triangle.moveTo(0, 0);
  triangle.lineTo(10, 0);
  triangle.lineTo(0, 10);
  triangle.closeSubpath();
  EXPECT_FALSE(MetaClipRects(triangle, region));
  EXPECT_FALSE(MetaClipRects(QTransform().rotate(10).map(Rects({QRectF(0, 0, 10, 10)})), region));
  EXPECT_FALSE(MetaClipRects(QPainterPath(), region));
}

TEST(MetaPathBracket, ConnectedSegmentsMakeOneFigureUntilItIsClosed) {
  TMetaPathBracket bracket;
  EXPECT_FALSE(bracket.Recording());
  bracket.Begin();
  EXPECT_TRUE(bracket.Recording());
  const QTransform twice = QTransform::fromScale(2, 2);
  QPainterPath first(QPointF(0, 0));
  first.lineTo(10, 0);
  QPainterPath second(QPointF(10, 0));
  second.lineTo(10, 10);
  bracket.Connect(first, twice);
  bracket.Connect(second, twice);
  bracket.CloseFigure();
  bracket.Connect(first, twice);
  bracket.End();
  EXPECT_FALSE(bracket.Recording());
  const QPainterPath path = bracket.Take();
  ASSERT_EQ(path.elementCount(), 6);  // move, line, line, close; move, line
  EXPECT_EQ(QPointF(path.elementAt(2)), QPointF(20, 20));
  EXPECT_EQ(QPointF(path.elementAt(3)), QPointF(0, 0));
  EXPECT_TRUE(path.elementAt(4).isMoveTo());
  EXPECT_TRUE(bracket.Empty());
}

TEST(MetaPathBracket, ShapesAndMovesStartFiguresOfTheirOwn) {
  TMetaPathBracket bracket;
  bracket.Begin();
  QPainterPath line(QPointF(0, 0));
  line.lineTo(10, 0);
  bracket.Connect(line, QTransform());
  QPainterPath box;
  box.addRect(20, 20, 5, 5);
  bracket.AddShape(box, QTransform());
  bracket.Connect(line, QTransform());  // after a shape: a new figure
  bracket.EndFigure();
  bracket.Connect(line, QTransform());  // after a move: a new figure
  EXPECT_EQ(bracket.Take().toSubpathPolygons().size(), 4);
  bracket.Begin();
  bracket.Connect(line, QTransform());
  bracket.Abort();
  EXPECT_TRUE(bracket.Empty());
  EXPECT_FALSE(bracket.Recording());
}

TEST(MetaPathBracket, FlatteningDropsCurvesAndWideningOutlinesThePath) {
  TMetaPathBracket bracket;
  bracket.Begin();
  QPainterPath curve(QPointF(0, 0));
  curve.cubicTo(0, 50, 50, 50, 50, 0);
  bracket.Connect(curve, QTransform());
  bracket.End();
  bracket.Flatten();
  const QPainterPath flat = bracket.Take();
  ASSERT_GT(flat.elementCount(), 4);
  for (int i = 0; i < flat.elementCount(); ++i) EXPECT_FALSE(flat.elementAt(i).isCurveTo());
  bracket.Begin();
  QPainterPath line(QPointF(0, 0));
  line.lineTo(100, 0);
  bracket.Connect(line, QTransform());
  bracket.Widen(QPen(Qt::black, 1), 10);
  const QPainterPath wide = bracket.Take();
  EXPECT_EQ(wide.fillRule(), Qt::WindingFill);
  EXPECT_TRUE(wide.contains(QPointF(50, 4)));
  EXPECT_FALSE(wide.contains(QPointF(50, 6)));
}

TEST(MetaGdiObjects, StockObjectsAreBrushesPensAndFonts) {
  EXPECT_EQ(MetaStockObject(U_LTGRAY_BRUSH & ~U_STOCK_OBJECT).brush.color(), QColor(192, 192, 192));
  EXPECT_EQ(MetaStockObject(U_NULL_BRUSH & ~U_STOCK_OBJECT).kind, TMetaStockObject::EKind::Brush);
  EXPECT_EQ(MetaStockObject(U_NULL_BRUSH & ~U_STOCK_OBJECT).brush.style(), Qt::NoBrush);
  const TMetaStockObject white = MetaStockObject(U_WHITE_PEN & ~U_STOCK_OBJECT);
  EXPECT_EQ(white.kind, TMetaStockObject::EKind::Pen);
  EXPECT_EQ(white.pen.color(), QColor(255, 255, 255));
  EXPECT_EQ(white.pen.widthF(), 0);  // the one-pixel pen
  EXPECT_EQ(MetaStockObject(U_ANSI_VAR_FONT & ~U_STOCK_OBJECT).kind, TMetaStockObject::EKind::Font);
  EXPECT_EQ(MetaStockObject(U_DEFAULT_PALETTE & ~U_STOCK_OBJECT).kind, TMetaStockObject::EKind::None);
  EXPECT_EQ(MetaStockObject(99).kind, TMetaStockObject::EKind::None);
}

TEST(MetaGdiObjects, SelectingStockObjectsChangesOnlyTheirKind) {
  TMetaDc dc;
  dc.font = 3;
  dc.penInsideFrame = true;
  SelectMetaStockObject(dc, U_NULL_PEN & ~U_STOCK_OBJECT);
  EXPECT_EQ(dc.pen.style(), Qt::NoPen);
  EXPECT_FALSE(dc.penInsideFrame);
  EXPECT_EQ(dc.font, 3);
  SelectMetaStockObject(dc, 19);  // DC_PEN: black until recoloured, which files cannot record
  EXPECT_EQ(dc.pen.color(), QColor(0, 0, 0));
  dc.monoPattern = 0;
  SelectMetaStockObject(dc, 18);  // DC_BRUSH: white
  EXPECT_EQ(dc.brush.color(), QColor(255, 255, 255));
  EXPECT_EQ(dc.monoPattern, -1);
  SelectMetaStockObject(dc, U_SYSTEM_FONT & ~U_STOCK_OBJECT);
  EXPECT_EQ(dc.font, -1);
}

TEST(MetaGdiObjects, TheTableTakesObjectsOnlyInItsSlots) {
  TMetaPlayList list;
  list.penDashes = {4, 2};
  TMetaObjectTable table;
  table.Reset(3);
  table.Create(TMetaCommand(EMetaOp::CreateBrush, TMetaBrushArgs{.slot = 3, .style = U_BS_SOLID}), list);
  EXPECT_EQ(table.At(3), nullptr);
  table.Create(
      TMetaCommand(EMetaOp::CreateBrush,
                   TMetaBrushArgs{.slot = 1, .style = U_BS_HATCHED, .colour = 0xFF, .hatch = U_HS_CROSS}),
      list);
  ASSERT_NE(table.At(1), nullptr);
  EXPECT_EQ(table.At(1)->kind, TMetaObject::EKind::Brush);
  EXPECT_EQ(table.At(1)->brush.style(), Qt::CrossPattern);
  EXPECT_EQ(table.At(1)->brush.color(), QColor(255, 0, 0));
  table.Delete(1);
  EXPECT_EQ(table.At(1)->kind, TMetaObject::EKind::None);
  // A pattern brush without its pattern leaves the slot empty.
  table.Create(TMetaCommand(EMetaOp::CreatePatternBrush, TMetaPatternArgs{.slot = 0, .pattern = 0}), list);
  EXPECT_EQ(table.At(0)->kind, TMetaObject::EKind::None);
  // A user style whose dashes the list does not hold draws solid.
  const std::uint32_t dashed = U_PS_GEOMETRIC | U_PS_USERSTYLE;
  table.Create(
      TMetaCommand(EMetaOp::CreateExtPen,
                   TMetaExtPenArgs{.slot = 2, .style = dashed, .width = 3, .firstDash = 1, .dashCount = 2}),
      list);
  EXPECT_TRUE(table.At(2)->pen.dashPattern().isEmpty());
  table.Create(
      TMetaCommand(EMetaOp::CreateExtPen,
                   TMetaExtPenArgs{.slot = 2, .style = dashed, .width = 3, .firstDash = 0, .dashCount = 2}),
      list);
  EXPECT_FALSE(table.At(2)->pen.dashPattern().isEmpty());
  table.Create(TMetaCommand(EMetaOp::CreateRegion, TMetaRegionArgs{.slot = 0, .first = 4, .count = 2}), list);
  EXPECT_EQ(table.At(0)->kind, TMetaObject::EKind::Region);
  EXPECT_EQ(table.At(0)->regionFirst, 4);
  EXPECT_EQ(table.At(-1), nullptr);
}

TEST(MetaGdiObjects, AMonochromePatternTakesTheColoursInForceWhenItDraws) {
  TMetaPlayList list;
  TMetaPattern pattern;
  pattern.image = QImage(2, 1, QImage::Format_RGB32);
  pattern.image.setPixel(0, 0, qRgb(0, 0, 0));
  pattern.image.setPixel(1, 0, qRgb(255, 255, 255));
  pattern.monochrome = true;
  list.patterns.push_back(pattern);
  TMetaObjectTable table;
  table.Reset(1);
  table.Create(TMetaCommand(EMetaOp::CreatePatternBrush, TMetaPatternArgs{.slot = 0, .pattern = 0}), list);
  TMetaDc dc;
  dc.textColour = 0x0000FF;  // red
  dc.bkColour = 0x00FF00;    // green
  SelectMetaObject(dc, *table.At(0), list);
  EXPECT_EQ(dc.brush.textureImage().pixelColor(0, 0), QColor(255, 0, 0));
  dc.textColour = 0xFF0000;  // blue, after the brush was selected
  const QImage drawn = MetaSelectedBrush(dc, list).textureImage();
  EXPECT_EQ(drawn.pixelColor(0, 0), QColor(0, 0, 255));
  EXPECT_EQ(drawn.pixelColor(1, 0), QColor(0, 255, 0));
}

TEST(MetaOpFamily, EveryOperationHasTheFamilyOfWhatItDoes) {
  int clips = 0;
  for (std::size_t i = 0; i < kMetaOpCount; ++i) {
    const auto op = static_cast<EMetaOp>(i);
    const EMetaOpFamily family = MetaOpFamily(op);
    // What puts ink on the picture goes to the drawing player, EMF+ records to their own player.
    EXPECT_EQ(family == EMetaOpFamily::Drawing, MetaOpDraws(op) && op != EMetaOp::EmfPlus) << i;
    EXPECT_EQ(family == EMetaOpFamily::EmfPlus, op == EMetaOp::EmfPlus) << i;
    if (family == EMetaOpFamily::Clip) ++clips;
  }
  EXPECT_EQ(clips, 6);
  EXPECT_EQ(MetaOpFamily(EMetaOp::SelectClipObject), EMetaOpFamily::Object);
}

TEST(MetaGradientPainter, RectanglesShadeFromVertexToVertex) {
  TMetaGradient gradient;
  gradient.mode = TMetaGradient::EMode::Horizontal;
  gradient.vertices = {QPoint(0, 0), QPoint(100, 10)};
  gradient.colours = {QColor(255, 0, 0), QColor(0, 0, 255)};
  gradient.shapes = {{0, 1, 0}, {0, 7, 0}};  // the second names a vertex that is not there
  QImage image(100, 10, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintMetaGradient(painter, gradient);
  painter.end();
  EXPECT_TRUE(SameColour(image.pixelColor(0, 5), QColor(255, 0, 0), 6));
  EXPECT_TRUE(SameColour(image.pixelColor(99, 5), QColor(0, 0, 255), 6));
  EXPECT_TRUE(SameColour(image.pixelColor(50, 5), QColor(128, 0, 128), 6));
}

TEST(MetaGradientPainter, TrianglesBlendTheirCornersColours) {
  EXPECT_EQ(BlendGradient(QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), 1, 0), QColor(255, 0, 0));
  EXPECT_EQ(BlendGradient(QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), 0, 0), QColor(0, 0, 255));
  EXPECT_EQ(BlendGradient(QColor(200, 0, 0), QColor(0, 100, 0), QColor(0, 0, 50), 0.5, 0.5),
            QColor(100, 50, 0));
  TMetaGradient gradient;
  gradient.mode = TMetaGradient::EMode::Triangle;
  gradient.vertices = {QPoint(0, 0), QPoint(100, 0), QPoint(0, 100)};
  gradient.colours = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
  gradient.shapes = {{0, 1, 2}};
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintMetaGradient(painter, gradient);
  painter.end();
  EXPECT_TRUE(SameColour(image.pixelColor(2, 2), QColor(255, 0, 0), 40));
  EXPECT_TRUE(SameColour(image.pixelColor(94, 2), QColor(0, 255, 0), 40));
  EXPECT_TRUE(SameColour(image.pixelColor(2, 94), QColor(0, 0, 255), 40));
  EXPECT_EQ(image.pixelColor(90, 90), QColor(Qt::white));  // outside the triangle
}
