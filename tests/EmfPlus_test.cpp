#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "EmfPlusWriter.h"
#include "EmfWriter.h"
#include "Graphic.h"
#include "WmfWriter.h"
#include "metafile/Metafile.h"
#include "metafile/emfplus/EmfPlusBudget.h"
#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusRegion.h"
#include "metafile/model/MetaBytes.h"

namespace {

using EmfPlus::ERecord;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 160, 0);
const QColor kWhite(255, 255, 255);

// A 100 x 100 EMF at 96 dpi whose body writes EMF+ and GDI records.
QByteArray EmfPlusFile(const std::function<void(TEmfWriter&, TEmfPlusWriter&)>& body) {
  TEmfWriter emf({0, 0, 100, 100}, 96);
  TEmfPlusWriter plus;
  body(emf, plus);
  plus.EndOfFile().Flush(emf);
  return emf.Finish();
}

QImage Render(const QByteArray& bytes) {
  TMetafile metafile;
  metafile.LoadFromBytes(bytes);
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  metafile.Draw(painter, QRect(0, 0, 100, 100));
  return image;
}

bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

TMetaShape GdiRectangle(TMetaBox box, const QColor& colour) {
  TMetaShape shape;
  shape.kind = TMetaShape::EKind::Rectangle;
  shape.box = box;
  shape.brushColour = colour;
  shape.nullPen = true;
  return shape;
}

// A WMF image object in slot 3, drawn (DrawImage) from its source, in the unit, onto the rectangle.
void DrawWmfImage(TEmfPlusWriter& plus, const QByteArray& wmf, std::uint32_t unit, const QRectF& source,
                  const QRectF& onto) {
  plus.Begin(ERecord::Object, 0x0500 | 3)
      .U32(0xDBC01002)
      .U32(2)
      .U32(2)
      .U32(static_cast<std::uint32_t>(wmf.size()));
  plus.Raw(wmf).End();
  plus.Begin(ERecord::DrawImage, 3).U32(0).U32(unit).Rect(source).Rect(onto).End();
}

// The bounds of the dark pixels.
QRect DarkInkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).lightness() < 128) box = box.united(QRect(x, y, 1, 1));
  return box;
}

}  // namespace

TEST(EmfPlus, OnlyFileDrawsItsFillRects) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).FillRects(kRed, {QRectF(20, 20, 40, 40)}).Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(40, 40), kRed));
  EXPECT_TRUE(Near(image.pixelColor(22, 58), kRed));
  EXPECT_TRUE(Near(image.pixelColor(10, 10), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(70, 40), kWhite));
}

TEST(EmfPlus, DualFileDrawsEmfPlusNotItsFallbackButGdiAfterGetDc) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(true).FillRects(kRed, {QRectF(10, 10, 30, 30)}).Flush(emf);
    emf.AddShape(GdiRectangle({10, 10, 40, 40}, kBlue));  // the fallback of the fill above
    plus.GetDC().Flush(emf);
    emf.AddShape(GdiRectangle({60, 60, 90, 90}, kGreen));  // drawn by GDI on purpose
  }));
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kRed));
  EXPECT_TRUE(Near(image.pixelColor(75, 75), kGreen));
}

TEST(EmfPlus, DualFileWithoutDrawingRecordsDrawsItsGdiRecords) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(true).Flush(emf);
    emf.AddShape(GdiRectangle({10, 10, 40, 40}, kBlue));
  }));
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kBlue));
}

TEST(EmfPlus, GdiLinesHandedBackByGetDcStopWhereTheFallbackBegins) {
  // One-pixel LineTo records run together into one line; the run must not reach into the fallback
  // records that follow once an EMF+ record has taken drawing back, even one that leaves no command.
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(true).FillRects(kRed, {QRectF(10, 10, 30, 30)}).GetDC().Flush(emf);
    emf.Append(U_EMRMOVETOEX_set(U_POINTL{10, 80}));
    emf.Append(U_EMRLINETO_set(U_POINTL{50, 80}));
    plus.Begin(ERecord::Comment).U32(0).End().Flush(emf);  // an EMF+ comment record: drawing is EMF+'s again
    emf.Append(U_EMRLINETO_set(U_POINTL{90, 80}));
  }));
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kRed));
  EXPECT_LT(image.pixelColor(30, 80).lightness(), 160);
  EXPECT_TRUE(Near(image.pixelColor(70, 80), kWhite));
}

TEST(EmfPlus, WorldTransformsAndSaveRestore) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).TranslateWorld(50, 0).Save(7).ScaleWorld(2, 2);
    plus.FillRects(kRed, {QRectF(0, 0, 10, 10)});               // 50..70 x 0..20
    plus.Restore(7).FillRects(kBlue, {QRectF(0, 50, 10, 10)});  // 50..60 x 50..60
    plus.Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(65, 15), kRed));
  EXPECT_TRUE(Near(image.pixelColor(5, 5), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(55, 55), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(65, 55), kWhite));
}

TEST(EmfPlus, ClipRectLimitsTheFill) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false)
        .SetClipRect(QRectF(0, 0, 50, 100), 0)
        .FillRects(kRed, {QRectF(10, 10, 80, 80)})
        .Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(30, 50), kRed));
  EXPECT_TRUE(Near(image.pixelColor(70, 50), kWhite));
}

TEST(EmfPlus, LinearGradientRunsFromItsStartColourToItsEndColour) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).LinearGradientBrush(3, QRectF(0, 0, 100, 100), kRed, kBlue);
    plus.FillRectsWithBrush(3, {QRectF(0, 0, 100, 100)}).Flush(emf);
  }));
  const QColor left = image.pixelColor(2, 50), right = image.pixelColor(97, 50),
               middle = image.pixelColor(50, 50);
  EXPECT_GT(left.red(), 230);
  EXPECT_LT(left.blue(), 25);
  EXPECT_GT(right.blue(), 230);
  EXPECT_LT(right.red(), 25);
  EXPECT_NEAR(middle.red(), 128, 20);
  EXPECT_NEAR(middle.blue(), 128, 20);
}

TEST(EmfPlus, PathFillAndStroke) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).PolygonPath(5, {{10, 10}, {90, 10}, {10, 90}}).FillPath(5, kRed);
    plus.PolygonPath(6, {{50, 95}, {95, 95}, {95, 50}}).SolidPen(2, 4, kBlue).DrawPath(6, 2).Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kRed));
  EXPECT_TRUE(Near(image.pixelColor(70, 70), kWhite));  // beyond the triangle's long side
  EXPECT_TRUE(Near(image.pixelColor(70, 95), kBlue));   // on the second path's edge
  EXPECT_TRUE(Near(image.pixelColor(85, 85), kWhite));  // inside it: only stroked
}

TEST(EmfPlus, ObjectsSplitOverContinuedRecordsAreJoined) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    // A solid brush of 12 bytes in two parts: the first carries the total size.
    plus.Begin(ERecord::Object, 0x8000 | 0x0100 | 4).U32(12).U32(0xDBC01002).End();
    plus.Begin(ERecord::Object, 0x0100 | 4).U32(0).U32(Argb(kBlue)).End();
    plus.FillRectsWithBrush(4, {QRectF(20, 20, 60, 60)});
    // GDI+ itself flags every part, the last one too: the total size tells where the object ends.
    plus.Begin(ERecord::Object, 0x8000 | 0x0100 | 5).U32(12).U32(0xDBC01002).U32(0).End();
    plus.Begin(ERecord::Object, 0x8000 | 0x0100 | 5).U32(12).U32(Argb(kRed)).End();
    plus.FillRectsWithBrush(5, {QRectF(40, 40, 20, 20)}).Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(30, 30), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(50, 50), kRed));
}

TEST(EmfPlus, BrokenObjectsAndLyingSizesDrawNothingAndDoNotCrash) {
  const QByteArray bytes = EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    plus.FillPath(63, kRed);                               // no such path
    plus.FillRectsWithBrush(200, {QRectF(0, 0, 50, 50)});  // an index beyond the table
    plus.Begin(ERecord::FillRects, 0x8000)
        .U32(Argb(kRed))
        .U32(0x7FFFFFFF)
        .Rect(QRectF(0, 0, 90, 90))
        .End();                                                                            // count
                                                                                           // lies
    plus.Begin(ERecord::Object, 0x0300 | 1).U32(0xDBC01002).U32(0x40000000).U32(0).End();  // points that are
                                                                                           // not there
    plus.FillPath(1, kRed);
    plus.Begin(ERecord::Object, 0x8000 | 0x0100 | 2).U32(0xFFFFFFF0).U32(1).End();  // an absurd total size
    plus.FillRectsWithBrush(2, {QRectF(0, 0, 50, 50)});
    plus.FillRects(kGreen, {QRectF(60, 60, 30, 30)});
    plus.Flush(emf);
  });
  const QImage image = Render(bytes);
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(75, 75), kGreen));
  // Every cut of the file either loads and draws or is refused.
  for (qsizetype cut = 100; cut < bytes.size(); cut += 7) {
    TMetafile metafile;
    try {
      metafile.LoadFromBytes(bytes.left(cut));
    } catch (const EInvalidGraphic&) {
      continue;
    }
    QImage small(20, 20, QImage::Format_RGB32);
    QPainter painter(&small);
    metafile.Draw(painter, QRect(0, 0, 20, 20));
  }
}

TEST(EmfPlus, RecordsShorterThanTheirFieldsDrawNothingAndChangeNothingWhileTheOthersDraw) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).FillRects(kRed, {QRectF(10, 10, 30, 30)});
    plus.Begin(ERecord::FillEllipse, 0x8000).U32(Argb(kBlue)).End();  // FillEllipse without its rectangle
    plus.Begin(ERecord::TranslateWorldTransform).F32(40).End();       // TranslateWorldTransform without its y
    plus.Begin(ERecord::Save).End();                                  // Save without its id
    plus.Begin(ERecord::FillRects, 0x8000).U32(Argb(kBlue)).U32(1).F32(0).End();  // FillRects cut in its
                                                                                  // rectangle
    plus.FillRects(kGreen, {QRectF(60, 60, 30, 30)}).Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kRed));
  EXPECT_TRUE(Near(image.pixelColor(75, 75), kGreen));
  // Nothing moved the green square, and nothing blue was drawn.
  EXPECT_TRUE(Near(image.pixelColor(95, 75), kWhite));
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) EXPECT_FALSE(Near(image.pixelColor(x, y), kBlue, 60));
}

TEST(EmfPlusGeometry, RelativePointsAddUpFromTheOrigin) {
  // (5, -3) in one byte each, then (+300, +1) with a two-byte x.
  const QByteArray bytes("\x05\x7D\x81\x2C\x01", 5);
  std::vector<QPointF> points;
  std::int64_t end = 0;
  ASSERT_TRUE(ReadEmfPlusPoints(TMetaBytes(bytes), 0, 2, EEmfPlusPointForm::Relative, points, &end));
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0], QPointF(5, -3));
  EXPECT_EQ(points[1], QPointF(305, -2));
  EXPECT_EQ(end, 5);
  EXPECT_FALSE(ReadEmfPlusPoints(TMetaBytes(bytes), 0, 3, EEmfPlusPointForm::Relative, points));
  EXPECT_FALSE(ReadEmfPlusPoints(TMetaBytes(bytes), 0, 1, EEmfPlusPointForm::Float, points));
}

TEST(EmfPlusGeometry, CardinalSplinePassesThroughItsPointsAndIsStraightWithoutTension) {
  const std::vector<QPointF> points{{0, 0}, {10, 10}, {20, 0}};
  const QPainterPath curve = CardinalSpline(points, 0.5, false);
  ASSERT_EQ(curve.elementCount(), 7);  // a start and two cubic segments
  EXPECT_EQ(QPointF(curve.elementAt(3)), QPointF(10, 10));
  EXPECT_EQ(QPointF(curve.elementAt(6)), QPointF(20, 0));
  // The tangent at the middle point is parallel to the line between its neighbours.
  EXPECT_DOUBLE_EQ(curve.elementAt(2).y, 10);
  EXPECT_DOUBLE_EQ(curve.elementAt(4).y, 10);
  const QPainterPath straight = CardinalSpline(points, 0, false);
  // Without tension the control points sit on the segment's ends: straight lines.
  EXPECT_EQ(QPointF(straight.elementAt(1)), QPointF(0, 0));
  EXPECT_EQ(QPointF(straight.elementAt(2)), QPointF(10, 10));
  EXPECT_TRUE(CardinalSpline({{1, 1}}, 0.5, false).isEmpty());
  EXPECT_EQ(CardinalSplinePart(points, 0.5, 1, 1).elementCount(), 4);
  EXPECT_TRUE(CardinalSplinePart(points, 0.5, 2, 1).isEmpty());
}

TEST(EmfPlusGeometry, ArcAnglesRunClockwiseOnTheScreen) {
  // A quarter from 0 degrees (right) to 90 degrees (down, as y grows downwards).
  const QPainterPath arc = EmfPlusArc(QRectF(0, 0, 100, 50), 0, 90, false);
  EXPECT_NEAR(arc.elementAt(0).x, 100, 1e-6);
  EXPECT_NEAR(arc.elementAt(0).y, 25, 1e-6);
  EXPECT_NEAR(arc.currentPosition().x(), 50, 1e-6);
  EXPECT_NEAR(arc.currentPosition().y(), 50, 1e-6);
  // 45 degrees on a flat ellipse is the point on the ray, not the parametric 45 degrees.
  const QPointF end = EmfPlusArc(QRectF(-50, -25, 100, 50), 0, 45, false).currentPosition();
  EXPECT_NEAR(end.x(), end.y(), 0.05);
  EXPECT_GT(end.x(), 20);  // the parametric angle would end at (35.4, 17.7)
  EXPECT_TRUE(EmfPlusArc(QRectF(0, 0, 0, 10), 0, 90, true).isEmpty());
}

TEST(EmfPlus, SampleWithEveryKindOfRecordDrawsAtAnySize) {
  TMetafile metafile;
  metafile.LoadFromBytes(EmfPlusSampleFile());
  EXPECT_EQ(metafile.Width(), 200);
  for (const QSize size : {QSize(200, 150), QSize(7, 5), QSize(1600, 1200)}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    metafile.Draw(painter, QRect(QPoint(0, 0), size));
    painter.end();
    if (size.width() < 100) continue;
    const double scale = size.width() / 200.0;
    const auto at = [&](double x, double y) {
      return image.pixelColor(static_cast<int>(x * scale), static_cast<int>(y * scale));
    };
    // The path gradient light at its centre and dark at its edge, the 16-bit polygon's olive and the
    // ellipse drawn by GDI after GetDC.
    EXPECT_GT(at(150, 40).red(), 180);
    EXPECT_LT(at(123, 40).red(), 90);
    EXPECT_TRUE(Near(at(70, 34), QColor(128, 128, 0), 40));
    EXPECT_TRUE(Near(at(182, 139), QColor(0, 128, 255), 40));
  }
}

TEST(EmfPlus, PenWithAnArrowCapDrawsItsHeadAtTheLineEnd) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    // A 2-unit pen with an adjustable arrow end cap 8 pen widths across and long, filled.
    plus.Begin(ERecord::Object, 0x0200 | 1).U32(0xDBC01002).U32(0).U32(0x1000).U32(0).F32(2);
    plus.U32(60).U32(0xDBC01002).U32(1).F32(8).F32(8).F32(0).U32(1);
    plus.U32(0).U32(0).U32(0).F32(10).F32(1).F32(0).F32(0).F32(0).F32(0);
    plus.U32(0xDBC01002).U32(0).U32(Argb(kBlue)).End();
    plus.Begin(ERecord::DrawLines, 1).U32(2).Points({{10, 50}, {90, 50}}).End().Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(50, 50), kBlue));
  // The head is 16 units across at its base, 16 units behind the end, and nothing is beyond its tip.
  EXPECT_TRUE(Near(image.pixelColor(80, 53), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(80, 47), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(50, 55), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(94, 50), kWhite));
}

TEST(EmfPlusObjects, RegionsCombineTheirNodes) {
  const auto read = [](const TEmfPlusWriter& writer, TEmfPlusBudget& budget) {
    const QByteArray data = writer.Bytes().mid(12);
    return TEmfPlusRegion::Read(TMetaBytes(data), budget);
  };
  TEmfPlusBudget budget;
  TEmfPlusWriter body;
  body.Begin(0, 0)
      .U32(0xDBC01002)
      .U32(2)
      .U32(4)
      .U32(0x10000003)
      .U32(0x10000000)
      .Rect(QRectF(0, 0, 200, 20))
      .End();
  const std::optional<TEmfPlusRegion> everythingButAStrip = read(body, budget);
  ASSERT_TRUE(everythingButAStrip);
  EXPECT_FALSE(everythingButAStrip->infinite);
  EXPECT_TRUE(everythingButAStrip->path.contains(QPointF(100, 50)));
  EXPECT_FALSE(everythingButAStrip->path.contains(QPointF(100, 10)));
  TEmfPlusWriter both;
  both.Begin(0, 0).U32(0xDBC01002).U32(2).U32(1).U32(0x10000000).Rect(QRectF(0, 0, 50, 50));
  both.U32(0x10000000).Rect(QRectF(25, 25, 50, 50)).End();
  const std::optional<TEmfPlusRegion> overlap = read(both, budget);
  ASSERT_TRUE(overlap);
  EXPECT_TRUE(overlap->path.contains(QPointF(40, 40)));
  EXPECT_FALSE(overlap->path.contains(QPointF(10, 10)));
  // A tree deeper than its node count says is refused.
  TEmfPlusWriter lying;
  lying.Begin(0, 0).U32(0xDBC01002).U32(0).U32(1).U32(0x10000000).Rect(QRectF(0, 0, 5, 5)).End();
  EXPECT_FALSE(read(lying, budget));
}

TEST(EmfPlus, MetafileImagesAreDrawnIntoTheirDestination) {
  // A placeable WMF 100 units square with a red square in its top-left quarter, stored as GDI+
  // stores it: the placeable header padded to 24 bytes and the records cut short, in the middle of
  // the deletion that comes before the end record.
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  TMetaShape square = GdiRectangle({0, 0, 50, 50}, kRed);
  drawing.shapes.push_back(square);
  QByteArray wmf = WriteWmf(drawing, true);
  wmf.insert(22, QByteArray(2, '\0'));
  wmf.chop(16);
  const QImage image = Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    DrawWmfImage(plus, wmf, 2, QRectF(0, 0, 100, 100), QRectF(40, 40, 60, 60));
    plus.Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(55, 55), kRed));
  EXPECT_TRUE(Near(image.pixelColor(20, 20), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(85, 85), kWhite));
}

TEST(EmfPlus, PageUnitsAndContainersPlaceTheDrawing) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    // Page in millimetres at 96 dpi: 10 mm are 37.8 pixels.
    plus.Header(false).Begin(ERecord::SetPageTransform, 6).F32(1).End();
    plus.FillRects(kRed, {QRectF(0, 0, 10, 10)});
    // A container mapping its 0..10 square onto 15..25 mm.
    plus.Begin(ERecord::BeginContainer, 0x0600)
        .Rect(QRectF(15, 15, 10, 10))
        .Rect(QRectF(0, 0, 10, 10))
        .U32(4)
        .End();
    plus.FillRects(kBlue, {QRectF(0, 0, 10, 10)});
    plus.Begin(ERecord::EndContainer).U32(4).End();
    plus.FillRects(kGreen, {QRectF(0, 20, 5, 5)});
    plus.Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(35, 35), kRed));
  EXPECT_TRUE(Near(image.pixelColor(41, 41), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(75, 75), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(92, 92), kBlue));
  // After the container the page is back: 0..5 mm across, 20..25 mm down.
  EXPECT_TRUE(Near(image.pixelColor(10, 85), kGreen));
  EXPECT_TRUE(Near(image.pixelColor(25, 85), kWhite));
}

TEST(EmfPlus, ClipCombineModesAndOffset) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).SetClipRect(QRectF(0, 0, 100, 50), 0).SetClipRect(QRectF(0, 0, 50, 100), 4);
    plus.FillRects(kRed, {QRectF(0, 0, 100, 100)});  // only the top right quarter
    plus.Begin(ERecord::ResetClip)
        .End()
        .SetClipRect(QRectF(0, 60, 20, 20), 0)
        .Begin(ERecord::OffsetClip)
        .F32(30)
        .F32(0)
        .End();
    plus.FillRects(kBlue, {QRectF(0, 50, 100, 50)});  // only 30..50 x 60..80
    plus.Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(75, 25), kRed));
  EXPECT_TRUE(Near(image.pixelColor(25, 25), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(40, 70), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(10, 70), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(75, 75), kWhite));
}

TEST(EmfPlus, ShapesPiesAndCurves) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    // A pie of the quarter from 0 to 90 degrees: the bottom right of the circle around 25,25.
    plus.Begin(ERecord::FillPie, 0x8000).U32(Argb(kRed)).F32(0).F32(90).Rect(QRectF(5, 5, 40, 40)).End();
    // A closed curve through four points round 75,25 filled blue.
    plus.Begin(ERecord::FillClosedCurve, 0x8000).U32(Argb(kBlue)).F32(0.5f).U32(4);
    plus.Points({{75, 5}, {95, 25}, {75, 45}, {55, 25}}).End();
    // A 16-bit ellipse filled green.
    plus.Begin(ERecord::FillEllipse, 0xC000).U32(Argb(kGreen)).U16(10).U16(60).U16(30).U16(30).End();
    plus.Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(32, 32), kRed));
  EXPECT_TRUE(Near(image.pixelColor(18, 18), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(32, 18), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(75, 25), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(92, 8), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(25, 75), kGreen));
  EXPECT_TRUE(Near(image.pixelColor(12, 62), kWhite));
}

TEST(EmfPlus, BitmapImagesOfPixelsAndPng) {
  QImage tile(2, 2, QImage::Format_ARGB32);
  tile.fill(kBlue);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  tile.save(&buffer, "PNG");
  const QImage image = Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    // 24-bit pixels, two rows of two: red, green / blue, white, rows padded to 8 bytes.
    plus.Begin(ERecord::Object, 0x0500 | 1)
        .U32(0xDBC01002)
        .U32(1)
        .U32(2)
        .U32(2)
        .U32(8)
        .U32(0x00021808)
        .U32(0);
    plus.Raw(QByteArray("\x00\x00\xFF\x00\xA0\x00\x00\x00\xFF\x00\x00\xFF\xFF\xFF\x00\x00", 16)).End();
    plus.Begin(ERecord::DrawImage, 1).U32(0).U32(2).Rect(QRectF(0, 0, 2, 2)).Rect(QRectF(0, 0, 40, 40)).End();
    plus.Begin(ERecord::Object, 0x0500 | 2)
        .U32(0xDBC01002)
        .U32(1)
        .U32(2)
        .U32(2)
        .U32(8)
        .U32(0x0026200A)
        .U32(1);
    plus.Raw(png).End();
    plus.Begin(ERecord::DrawImagePoints, 2)
        .U32(0)
        .U32(2)
        .Rect(QRectF(0, 0, 2, 2))
        .U32(3)
        .Points({{60, 60}, {90, 60}, {60, 90}});
    plus.End().Flush(emf);
  }));
  EXPECT_TRUE(Near(image.pixelColor(10, 10), kRed, 40));
  EXPECT_TRUE(Near(image.pixelColor(30, 10), kGreen, 40));
  EXPECT_TRUE(Near(image.pixelColor(10, 30), kBlue, 40));
  EXPECT_TRUE(Near(image.pixelColor(75, 75), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(50, 50), kWhite));
}

TEST(EmfPlus, StringsDrawInTheirLayoutRectangleWithTheFormatsAlignment) {
  const auto render = [](int alignment) {
    return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
      plus.Header(false);
      plus.Begin(ERecord::Object, 0x0600 | 1).U32(0xDBC01002).F32(16).U32(2).U32(0).U32(0).U32(5);
      for (const QChar c : QStringLiteral("Arial")) plus.U16(c.unicode());
      plus.End();
      plus.Begin(ERecord::Object, 0x0700 | 2)
          .U32(0xDBC01002)
          .U32(0)
          .U32(0)
          .U32(static_cast<std::uint32_t>(alignment));
      plus.U32(1).U32(0).U32(0).F32(0).U32(0).F32(0).F32(0).F32(1).U32(0).U32(0).U32(0).End();
      plus.Begin(ERecord::DrawString, 0x8000 | 1)
          .U32(Argb(Qt::black))
          .U32(2)
          .U32(3)
          .Rect(QRectF(0, 0, 100, 100));
      for (const QChar c : QStringLiteral("HHH")) plus.U16(c.unicode());
      plus.End().Flush(emf);
    }));
  };
  const QRect left = DarkInkBox(render(0)), centre = DarkInkBox(render(1)), right = DarkInkBox(render(2));
  ASSERT_FALSE(left.isEmpty());
  EXPECT_LT(left.left(), 10);
  EXPECT_NEAR(centre.center().x(), 50, 4);
  EXPECT_GT(right.right(), 90);
  // Centred vertically too, and about 16 pixels of em high: capitals take most of it.
  EXPECT_NEAR(centre.center().y(), 50, 5);
  EXPECT_GE(centre.height(), 9);
  EXPECT_LE(centre.height(), 16);
}

TEST(EmfPlus, LargeStringsDrawnAsOutlinesKeepTheirAlignment) {
  // Beyond the glyph cache's size the string is filled as outlines, laid out as glyphs would be.
  const QImage image = Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    plus.Begin(ERecord::Object, 0x0600 | 1).U32(0xDBC01002).F32(80).U32(2).U32(0).U32(0).U32(5);
    for (const QChar c : QStringLiteral("Arial")) plus.U16(c.unicode());
    plus.End();
    plus.Begin(ERecord::Object, 0x0700 | 2).U32(0xDBC01002).U32(0).U32(0).U32(1);
    plus.U32(1).U32(0).U32(0).F32(0).U32(0).F32(0).F32(0).F32(1).U32(0).U32(0).U32(0).End();
    plus.Begin(ERecord::DrawString, 0x8000 | 1)
        .U32(Argb(Qt::black))
        .U32(2)
        .U32(1)
        .Rect(QRectF(0, 0, 100, 100));
    plus.U16('H');
    plus.End().Flush(emf);
  }));
  QRect ink;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).lightness() < 128) ink = ink.united(QRect(x, y, 1, 1));
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), 50, 5);
  EXPECT_NEAR(ink.center().y(), 50, 8);
  EXPECT_NEAR(ink.height(), 57, 8);  // a capital of an 80-pixel em
}

TEST(EmfPlus, DriverStringsOfGlyphIndicesDrawTheFontsGlyphs) {
  // The same three capitals as characters and as the glyph indices of the font that draws them.
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(20);
  const QList<quint32> indexes = QRawFont::fromFont(arial).glyphIndexesForString(QStringLiteral("HHH"));
  ASSERT_EQ(indexes.size(), 3);
  ASSERT_NE(indexes[0], 0u);
  const auto render = [&](bool characters, float em) {
    return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
      plus.Header(false);
      plus.Begin(ERecord::Object, 0x0600 | 1).U32(0xDBC01002).F32(em).U32(2).U32(0).U32(0).U32(5);
      for (const QChar c : QStringLiteral("Arial")) plus.U16(c.unicode());
      plus.End();
      plus.Begin(ERecord::DrawDriverString, 0x8000 | 1)
          .U32(Argb(Qt::black))
          .U32(characters ? 1 : 0)
          .U32(0)
          .U32(3);
      for (int i = 0; i < 3; ++i) plus.U16(characters ? 'H' : static_cast<std::uint16_t>(indexes[i]));
      plus.Points({{2, 70}, {2 + em / 3, 70}, {2 + 2 * em / 3, 70}});
      plus.End().Flush(emf);
    }));
  };
  for (const float em : {16.0f, 66.0f}) {  // drawn as glyphs, and as outlines beyond the glyph cache
    const QRect byCharacter = DarkInkBox(render(true, em)), byGlyph = DarkInkBox(render(false, em));
    ASSERT_FALSE(byGlyph.isEmpty()) << em;
    EXPECT_NEAR(byGlyph.left(), byCharacter.left(), 2) << em;
    EXPECT_NEAR(byGlyph.right(), byCharacter.right(), 2) << em;
    EXPECT_NEAR(byGlyph.top(), byCharacter.top(), 2) << em;
    EXPECT_NEAR(byGlyph.bottom(), byCharacter.bottom(), 2) << em;
  }
}

TEST(EmfPlus, MetafileImagesDrawOnlyTheirSourceRectangle) {
  // A placeable WMF 100 units square: red on the left half, blue on the right. Its right half alone,
  // in the metafile's own units, drawn into 20..80.
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  drawing.shapes.push_back(GdiRectangle({0, 0, 50, 100}, kRed));
  drawing.shapes.push_back(GdiRectangle({50, 0, 100, 100}, kBlue));
  const QByteArray wmf = WriteWmf(drawing, true);
  const auto render = [&](std::uint32_t unit, const QRectF& source) {
    return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
      plus.Header(false);
      DrawWmfImage(plus, wmf, unit, source, QRectF(20, 20, 60, 60));
      plus.Flush(emf);
    }));
  };
  const QImage right = render(2, QRectF(50, 0, 50, 100));
  EXPECT_TRUE(Near(right.pixelColor(25, 50), kBlue));
  EXPECT_TRUE(Near(right.pixelColor(75, 50), kBlue));
  EXPECT_TRUE(Near(right.pixelColor(10, 50), kWhite));  // nothing of the left half outside
  EXPECT_TRUE(Near(right.pixelColor(90, 50), kWhite));
  // In inches: the file's 96 units an inch make the left half 50/96 inch wide.
  const QImage left = render(4, QRectF(0, 0, 50.0 / 96, 100.0 / 96));
  EXPECT_TRUE(Near(left.pixelColor(25, 50), kRed));
  EXPECT_TRUE(Near(left.pixelColor(75, 50), kRed));
  EXPECT_TRUE(Near(left.pixelColor(90, 50), kWhite));
}

TEST(EmfPlus, OnePixelLinesOfAMetafileImageAreOnePixelOfTheOuterPicture) {
  // A WMF ten pixels square at its natural size with a one-pixel red line down its middle, drawn ten
  // times larger over the whole outer picture: its line is a pixel of the outer picture wide.
  TMetaDrawing drawing;
  drawing.box = {0, 0, 10, 10};
  TMetaShape line;
  line.kind = TMetaShape::EKind::Polyline;
  line.points = {QPoint(5, 0), QPoint(5, 10)};
  line.nullPen = false;
  line.penColour = kRed;
  line.penWidth = 0;
  drawing.shapes.push_back(line);
  const QByteArray wmf = WriteWmf(drawing, true);
  const QImage image = Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    DrawWmfImage(plus, wmf, 2, QRectF(0, 0, 10, 10), QRectF(0, 0, 100, 100));
    plus.Flush(emf);
  }));
  int inked = 0;
  for (int x = 0; x < image.width(); ++x)
    inked += image.pixelColor(x, 50).red() > 200 && image.pixelColor(x, 50).green() < 200;
  EXPECT_GE(inked, 1);
  EXPECT_LE(inked, 3);
}

TEST(EmfPlus, SourceCopyCompositingReplacesWhatIsThere) {
  // Half-transparent blue over red: blended by default, in place of the red under SourceCopy, and
  // blended again once a restore brings the default back.
  const QImage image = Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    plus.FillRects(kRed, {QRectF(0, 0, 100, 100)});
    const QColor blue(0, 0, 255, 128);
    plus.FillRects(blue, {QRectF(0, 0, 30, 100)});
    plus.Save(1);
    plus.Begin(ERecord::SetCompositingMode, 1).End();
    plus.FillRects(blue, {QRectF(35, 0, 30, 100)});
    plus.Restore(1);
    plus.FillRects(blue, {QRectF(70, 0, 30, 100)});
    plus.Flush(emf);
  }));
  const QColor blended = image.pixelColor(15, 50), copied = image.pixelColor(50, 50),
               restored = image.pixelColor(85, 50);
  EXPECT_NEAR(blended.red(), 127, 20);
  EXPECT_NEAR(copied.red(), 0, 20);
  EXPECT_NEAR(restored.red(), 127, 20);
}

// Pens whose two ends differ, and a compound pen of two parallel lines with a gap between them.
TEST(EmfPlus, PenEndsDifferAndCompoundPensDrawParallelLines) {
  const QImage image = Render(EmfPlusFile([](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false);
    // Slot 1: 10 units wide, flat start, round end.
    plus.Begin(ERecord::Object, 0x0200 | 1).U32(0xDBC01002).U32(0).U32(0x6).U32(0).F32(10).U32(0).U32(2);
    plus.U32(0xDBC01002).U32(0).U32(Argb(kRed)).End();
    // Slot 2: 12 units wide, its outer quarters drawn.
    plus.Begin(ERecord::Object, 0x0200 | 2).U32(0xDBC01002).U32(0).U32(0x400).U32(0).F32(12);
    plus.U32(4).F32(0).F32(0.25f).F32(0.75f).F32(1);
    plus.U32(0xDBC01002).U32(0).U32(Argb(kBlue)).End();
    plus.Begin(ERecord::DrawLines, 1).U32(2).Points({{20, 20}, {70, 20}}).End();
    plus.Begin(ERecord::DrawBeziers, 1).U32(4).Points({{20, 45}, {35, 45}, {55, 45}, {70, 45}}).End();
    plus.Begin(ERecord::DrawLines, 2).U32(2).Points({{20, 75}, {80, 75}}).End().Flush(emf);
  }));
  for (const int y : {20, 45}) {
    EXPECT_TRUE(Near(image.pixelColor(18, y), kWhite)) << y;  // flat start
    EXPECT_TRUE(Near(image.pixelColor(73, y), kRed)) << y;    // round end, 5 units beyond
    EXPECT_TRUE(Near(image.pixelColor(74, y + 4), kWhite)) << y;
  }
  // The compound line: bands 6 to 3 units left of the line and 3 to 6 right, nothing between.
  EXPECT_TRUE(Near(image.pixelColor(50, 70), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(50, 79), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(50, 75), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(50, 67), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(50, 83), kWhite));
}

TEST(EmfPlusGeometry, OffsetPolylinesKeepTheirDistanceAndMitreTheirCorners) {
  const QPolygonF open = OffsetPolyline(QPolygonF({{0, 0}, {10, 0}, {10, 10}}), 2);
  ASSERT_EQ(open.size(), 3);
  EXPECT_EQ(open[0], QPointF(0, 2));  // right of a line running along +x is +y
  EXPECT_NEAR(open[1].x(), 8, 1e-9);
  EXPECT_NEAR(open[1].y(), 2, 1e-9);
  EXPECT_EQ(open[2], QPointF(8, 10));
  const QPolygonF square = OffsetPolyline(QPolygonF({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}), -1);
  ASSERT_EQ(square.size(), 5);
  EXPECT_EQ(square.first(), square.last());
  EXPECT_NEAR(square[0].x(), -1, 1e-9);
  EXPECT_NEAR(square[0].y(), -1, 1e-9);
  EXPECT_NEAR(square[2].x(), 11, 1e-9);
  EXPECT_NEAR(square[2].y(), 11, 1e-9);
  // A line that turns straight back stays a bounded distance from its point.
  const QPolygonF back = OffsetPolyline(QPolygonF({{0, 0}, {10, 0}, {0, 0.001}}), 1);
  EXPECT_LT(std::hypot(back[1].x() - 10, back[1].y()), 4.01);
}

// A path gradient over a rectangle changes colour in rectangles from its edge to its centre point,
// keeps the centre colour over its focus, and paints nothing beyond its boundary when clamped.
TEST(EmfPlus, PathGradientsFollowTheirBoundary) {
  const auto render = [](float focus) {
    return Render(EmfPlusFile([focus](TEmfWriter& emf, TEmfPlusWriter& plus) {
      plus.Header(false);
      plus.Begin(ERecord::Object, 0x0100 | 1).U32(0xDBC01002).U32(3);
      plus.U32(focus > 0 ? 0x40 : 0).U32(4).U32(Argb(kRed)).F32(50).F32(50).U32(1).U32(Argb(kBlue));
      plus.U32(4).Points({{20, 20}, {80, 20}, {80, 80}, {20, 80}});
      if (focus > 0) plus.U32(2).F32(focus).F32(focus);
      plus.End();
      plus.FillRectsWithBrush(1, {QRectF(10, 10, 80, 80)}).Flush(emf);
    }));
  };
  const QImage plain = render(0);
  EXPECT_TRUE(Near(plain.pixelColor(50, 50), kRed, 40));
  EXPECT_TRUE(Near(plain.pixelColor(21, 50), kBlue, 40));
  // A corner is as far along as the middle of an edge at the same distance from the boundary.
  EXPECT_TRUE(Near(plain.pixelColor(27, 27), plain.pixelColor(50, 27), 12));
  EXPECT_TRUE(Near(plain.pixelColor(27, 27), plain.pixelColor(27, 50), 12));
  EXPECT_FALSE(Near(plain.pixelColor(27, 27), plain.pixelColor(40, 40), 40));
  EXPECT_TRUE(Near(plain.pixelColor(15, 50), kWhite, 8));
  EXPECT_TRUE(Near(plain.pixelColor(85, 85), kWhite, 8));

  const QImage focused = render(0.5f);
  EXPECT_TRUE(Near(focused.pixelColor(37, 50), kRed, 12));
  EXPECT_FALSE(Near(plain.pixelColor(37, 50), kRed, 40));
}

TEST(EmfPlus, PathGradientsBeyondTheBudgetAreTheMiddleColourAndPaintedOnesDrawAlikeEveryTime) {
  // A path gradient from blue at its boundary to red at its centre, the boundary a polygon of the
  // given number of points around (50, 50), repeating beyond it.
  const auto file = [](int points) {
    return EmfPlusFile([points](TEmfWriter& emf, TEmfPlusWriter& plus) {
      std::vector<QPointF> boundary;
      for (int i = 0; i < points; ++i) {
        const double angle = 2 * M_PI * i / points;
        boundary.emplace_back(50 + 45 * std::cos(angle), 50 + 45 * std::sin(angle));
      }
      plus.Header(false);
      plus.Begin(ERecord::Object, 0x0100 | 1).U32(0xDBC01002).U32(3);
      plus.U32(0).U32(0).U32(Argb(kRed)).F32(50).F32(50).U32(1).U32(Argb(kBlue));
      plus.U32(static_cast<std::uint32_t>(points)).Points(boundary).End();
      plus.FillRectsWithBrush(1, {QRectF(0, 0, 100, 100)}).Flush(emf);
    });
  };
  // Painting a boundary of 100,000 points in every ring costs more than a file may spend.
  const QImage costly = Render(file(100000));
  const QColor middle(128, 0, 128);
  EXPECT_TRUE(Near(costly.pixelColor(50, 50), middle, 4));
  EXPECT_TRUE(Near(costly.pixelColor(10, 50), middle, 4));

  TMetafile metafile;
  metafile.LoadFromBytes(file(64));
  const auto draw = [&metafile](int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    metafile.Draw(painter, QRect(0, 0, side, side));
    return image;
  };
  const QImage first = draw(100);
  EXPECT_TRUE(Near(first.pixelColor(50, 50), kRed, 40));
  EXPECT_TRUE(Near(first.pixelColor(50, 7), kBlue, 40));
  draw(37);
  EXPECT_EQ(draw(100), first);
}
