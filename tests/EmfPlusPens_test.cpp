// EMF+ pens drawn by their pixels: the pen's own transform, compound lines with custom ends.
#include <gtest/gtest.h>

#include <QImage>

#include "EmfPlusTesting.h"
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
