// EMF+ pens drawn by their pixels: the pen's own transform, compound lines with custom ends.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <utility>
#include <vector>

#include "EmfPlusTesting.h"
#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

using namespace emfplustest;

// How many pixels of the column are near the colour.
int InkInColumn(const QImage& image, int x, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) count += Near(image.pixelColor(x, y), colour, 60) ? 1 : 0;
  return count;
}

int InkInRow(const QImage& image, int y, const QColor& colour) {
  int count = 0;
  for (int x = 0; x < image.width(); ++x) count += Near(image.pixelColor(x, y), colour, 60) ? 1 : 0;
  return count;
}

// A horizontal line across y = 30 and a vertical one down x = 70, both of the pen in slot 1.
QImage CrossOfPen(float width, const TEmfPlusPenData& data, float worldScaleX = 1) {
  return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).Pen(1, width, kBlue, data).ScaleWorld(worldScaleX, 1);
    plus.DrawLines(1, {{10 / worldScaleX, 30}, {50 / worldScaleX, 30}});
    plus.DrawLines(1, {{70 / worldScaleX, 50}, {70 / worldScaleX, 90}}).Flush(emf);
  }));
}

}  // namespace

TEST(EmfPlusPens, APensTransformShapesItsNib) {
  TEmfPlusPenData data;
  // Three times as tall as wide; the translation is no part of a nib.
  data.transform = QTransform(1, 0, 0, 3, 40, 25);
  const QImage image = CrossOfPen(4, data);
  // The horizontal line is as thick as the nib is tall, the vertical one as it is wide.
  EXPECT_NEAR(InkInColumn(image, 30, kBlue), 12, 1);
  EXPECT_NEAR(InkInRow(image, 70, kBlue), 4, 1);
  // Still where its points are.
  EXPECT_TRUE(Near(image.pixelColor(30, 30), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(70, 70), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(30, 37), kWhite));
}

TEST(EmfPlusPens, APlainPenStaysRound) {
  const QImage image = CrossOfPen(4, {});
  EXPECT_NEAR(InkInColumn(image, 30, kBlue), 4, 1);
  EXPECT_NEAR(InkInRow(image, 70, kBlue), 4, 1);
}

TEST(EmfPlusPens, ThePensTransformComesBeforeTheWorlds) {
  // A nib stretched twice along x, then the world stretched twice along x: a vertical line four times
  // the width, a horizontal one as thick as the pen.
  TEmfPlusPenData data;
  data.transform = QTransform::fromScale(2, 1);
  const QImage image = CrossOfPen(3, data, 2);
  EXPECT_NEAR(InkInRow(image, 70, kBlue), 12, 1);
  EXPECT_NEAR(InkInColumn(image, 30, kBlue), 3, 1);
}

TEST(EmfPlusPens, ATurnedNibStretchesTheOtherWay) {
  // A nib stretched along x, then turned a quarter: tall, so horizontal lines come out thick.
  TEmfPlusPenData data;
  data.transform = QTransform::fromScale(4, 1) * QTransform().rotate(90);
  const QImage image = CrossOfPen(2, data);
  EXPECT_NEAR(InkInColumn(image, 30, kBlue), 8, 1);
  EXPECT_NEAR(InkInRow(image, 70, kBlue), 2, 1);
}

TEST(EmfPlusPens, AFlatOrHugelyStretchedPenTransformLeavesTheNibRound) {
  for (const QTransform& transform : {QTransform(1, 0, 0, 0, 0, 0), QTransform::fromScale(1, 1e6)}) {
    TEmfPlusPenData data;
    data.transform = transform;
    const QImage image = CrossOfPen(4, data);
    EXPECT_NEAR(InkInColumn(image, 30, kBlue), 4, 1);
    EXPECT_NEAR(InkInRow(image, 70, kBlue), 4, 1);
  }
}

namespace {

// A line along y = 50 from x = 10 to 70 of a pen with the end cap.
QImage LineWithEndCap(float width, const QByteArray& cap, std::vector<float> compound = {}) {
  TEmfPlusPenData data;
  data.compound = std::move(compound);
  data.customEndCap = cap;
  return Render(EmfPlusFile([&](TEmfWriter& emf, TEmfPlusWriter& plus) {
    plus.Header(false).Pen(1, width, kBlue, data).DrawLines(1, {{10, 50}, {70, 50}}).Flush(emf);
  }));
}

}  // namespace

TEST(EmfPlusPens, CompoundLinesStopAtTheBaseOfAFilledArrow) {
  // 10 units wide, its outer thirds drawn; the head 30 across and long.
  const QImage image = LineWithEndCap(10, TEmfPlusWriter::ArrowCap(3, 3, true), {0, 0.3f, 0.7f, 1});
  // Before the head: two bands with a gap between them.
  EXPECT_TRUE(Near(image.pixelColor(30, 46), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(30, 54), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(30, 50), kWhite));
  // The head is whole, and near its tip, where it is narrower than the pen, no band shows beside it.
  EXPECT_TRUE(Near(image.pixelColor(45, 38), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(65, 50), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(66, 46), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(66, 54), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(73, 50), kWhite));
}

TEST(EmfPlusPens, APlainLineStopsAtTheBaseOfAFilledArrowToo) {
  const QImage image = LineWithEndCap(10, TEmfPlusWriter::ArrowCap(3, 3, true));
  EXPECT_TRUE(Near(image.pixelColor(30, 50), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(66, 46), kWhite));
}

TEST(EmfPlusPens, AStrokedArrowLeavesTheLineRunningToItsTip) {
  const QImage image = LineWithEndCap(2, TEmfPlusWriter::ArrowCap(8, 8, false));
  // Inside the two strokes of the head, on the line.
  EXPECT_TRUE(Near(image.pixelColor(62, 50), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(62, 55), kWhite));
}

TEST(EmfPlusPens, AnArrowsMiddleInsetNotchesItsBase) {
  // A head 16 across and long whose base's middle is 8 units nearer the tip: the line runs on to it.
  QByteArray cap = TEmfPlusWriter::ArrowCap(4, 4, true);
  const float middleInset = 2;
  std::memcpy(cap.data() + 16, &middleInset, 4);
  const QImage image = LineWithEndCap(4, cap);
  EXPECT_TRUE(Near(image.pixelColor(50, 50), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(56, 46), kWhite));  // in the notch, beside the line
  EXPECT_TRUE(Near(image.pixelColor(58, 50), kBlue));   // the line in the notch
  EXPECT_TRUE(Near(image.pixelColor(58, 45), kBlue));   // a barb
  EXPECT_TRUE(Near(image.pixelColor(66, 50), kBlue));   // the head before its tip
}

TEST(EmfPlusPens, APathCapsBaseInsetLeavesAGapBeforeIt) {
  // A filled square a pen width long beyond the end, the line stopping two widths short of it.
  const std::vector<QPointF> square{{-0.5, 0}, {0.5, 0}, {0.5, 1}, {-0.5, 1}, {-0.5, 0}};
  const QImage image = LineWithEndCap(4, TEmfPlusWriter::PathCap(square, true, 2));
  EXPECT_TRUE(Near(image.pixelColor(58, 50), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(66, 50), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(72, 50), kBlue));
  EXPECT_TRUE(Near(image.pixelColor(76, 50), kWhite));
  // Twice the scale: twice as long, and twice the gap.
  const QImage scaled = LineWithEndCap(4, TEmfPlusWriter::PathCap(square, true, 2, 2));
  EXPECT_TRUE(Near(scaled.pixelColor(52, 50), kBlue));
  EXPECT_TRUE(Near(scaled.pixelColor(60, 50), kWhite));
  EXPECT_TRUE(Near(scaled.pixelColor(76, 50), kBlue));
  EXPECT_TRUE(Near(scaled.pixelColor(80, 50), kWhite));
}

TEST(EmfPlusPens, AnInsetLongerThanTheLineLeavesTheCapAlone) {
  const std::vector<QPointF> square{{-0.5, 0}, {0.5, 0}, {0.5, 1}, {-0.5, 1}, {-0.5, 0}};
  const QImage image = LineWithEndCap(4, TEmfPlusWriter::PathCap(square, true, 40));
  EXPECT_TRUE(Near(image.pixelColor(30, 50), kWhite));
  EXPECT_TRUE(Near(image.pixelColor(72, 50), kBlue));
}

TEST(EmfPlusGeometry, TrimmedPolylinesLoseTheirEnds) {
  const QPolygonF line({{0, 0}, {10, 0}, {10, 10}});
  const QPolygonF trimmed = TrimPolyline(line, 4, 3);
  ASSERT_EQ(trimmed.size(), 3);
  EXPECT_EQ(trimmed.first(), QPointF(4, 0));
  EXPECT_EQ(trimmed[1], QPointF(10, 0));
  EXPECT_EQ(trimmed.last(), QPointF(10, 7));
  // Across a corner.
  const QPolygonF past = TrimPolyline(line, 12, 0);
  ASSERT_EQ(past.size(), 2);
  EXPECT_EQ(past.first(), QPointF(10, 2));
  EXPECT_TRUE(TrimPolyline(line, 10, 10).isEmpty());
  EXPECT_TRUE(TrimPolyline(line, 25, 0).isEmpty());
  EXPECT_EQ(TrimPolyline(line, 0, 0), line);
}
