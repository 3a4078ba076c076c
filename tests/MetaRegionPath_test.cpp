// Region rectangles as a path: the area the region covers, and nothing of the edges it excludes.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "metafile/draw/MetaRegionPath.h"

namespace {

QImage Filled(const QPainterPath& path) {
  QImage image(12, 12, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillPath(path, Qt::black);
  return image;
}

bool Black(const QImage& image, int x, int y) {
  return image.pixel(x, y) == qRgb(0, 0, 0);
}

TEST(MetaRegionPath, CoversTheRectanglesWithoutTheirRightAndBottomEdges) {
  // QRect(2, 2, 3, 3) is the region rectangle from (2, 2) to (5, 5), right and bottom excluded.
  const QRect rects[] = {QRect(2, 2, 3, 3), QRect(5, 2, 2, 1)};
  const QImage image = Filled(RegionPath(rects, 2));
  EXPECT_TRUE(Black(image, 2, 2));
  EXPECT_TRUE(Black(image, 4, 4));
  EXPECT_FALSE(Black(image, 5, 5));
  EXPECT_FALSE(Black(image, 4, 5));
  EXPECT_TRUE(Black(image, 6, 2)) << "the second rectangle joins the first";
  EXPECT_FALSE(Black(image, 7, 2));
  EXPECT_FALSE(Black(image, 5, 3));
  EXPECT_FALSE(Black(image, 1, 2));
}

TEST(MetaRegionPath, TouchingRectanglesFillAsOneArea) {
  // Adjacent rectangles of a region meet edge to edge; the union leaves no seam between them.
  const QRect rects[] = {QRect(0, 0, 6, 3), QRect(0, 3, 6, 3)};
  const QPainterPath path = RegionPath(rects, 2);
  EXPECT_EQ(path.fillRule(), Qt::WindingFill);
  const QImage image = Filled(path);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_TRUE(Black(image, x, y)) << x << "," << y;
  EXPECT_FALSE(Black(image, 6, 0));
  EXPECT_FALSE(Black(image, 0, 6));
}

TEST(MetaRegionPath, NoRectanglesMakeAnEmptyPath) {
  EXPECT_TRUE(RegionPath(nullptr, 0).isEmpty());
}

}  // namespace
