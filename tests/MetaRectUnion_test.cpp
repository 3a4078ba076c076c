#include <gtest/gtest.h>

#include <QList>
#include <QRandomGenerator>
#include <QRect>
#include <QRegion>

#include "metafile/draw/MetaRectUnion.h"

// The pairwise union that lets a run of excluded clip rectangles be cut at once.

namespace {

QRegion OneByOne(const QList<QRect>& rects) {
  QRegion region;
  for (const QRect& r : rects) region = region.united(r);
  return region;
}

QList<QRect> RandomRects(QRandomGenerator& random, int count, int extent) {
  QList<QRect> rects;
  for (int i = 0; i < count; ++i)
    rects.append(QRect(random.bounded(extent), random.bounded(extent), 1 + random.bounded(extent / 4),
                       1 + random.bounded(extent / 4)));
  return rects;
}

}  // namespace

TEST(MetaRectUnion, EqualsTheUnionTakenOneRectangleAtATime) {
  QRandomGenerator random(7);
  for (const int count : {0, 1, 2, 3, 17, 300}) {
    const QList<QRect> rects = RandomRects(random, count, 400);
    QRegion united(1, 1, 5, 5);  // replaced, not added to
    std::int64_t work = 0;
    ASSERT_TRUE(UniteRects(rects, 1'000'000, united, work));
    const QRegion expected = OneByOne(rects);
    EXPECT_EQ(united, expected) << count << " rectangles";
    // The same bands and spans, so that a clip made from either reaches the painter as the same path.
    EXPECT_EQ(QList<QRect>(united.begin(), united.end()), QList<QRect>(expected.begin(), expected.end()));
  }
}

TEST(MetaRectUnion, ColumnsOfACircleCutAtOnceLeaveWhatCuttingEachLeaves) {
  // One-unit columns of a disc, as office programs exclude a round shape from the clip.
  QList<QRect> columns;
  for (int x = -100; x <= 100; ++x) {
    const int half = static_cast<int>(std::sqrt(100.0 * 100.0 - x * x));
    columns.append(QRect(200 + x, 200 - half, 1, 2 * half + 1));
  }
  QRegion united;
  std::int64_t work = 0;
  ASSERT_TRUE(UniteRects(columns, 100'000, united, work));
  QRegion cutEach(0, 0, 400, 400);
  for (const QRect& column : columns) cutEach = cutEach.subtracted(column);
  EXPECT_EQ(QRegion(0, 0, 400, 400).subtracted(united), cutEach);
  EXPECT_GT(work, 0);
}

TEST(MetaRectUnion, BoundHoldsForEveryMerge) {
  QRandomGenerator random(11);
  for (int i = 0; i < 200; ++i) {
    const QRegion a = OneByOne(RandomRects(random, 1 + random.bounded(30), 200));
    const QRegion b = OneByOne(RandomRects(random, 1 + random.bounded(30), 200));
    EXPECT_GE(UnionRectBound(a, b), a.united(b).rectCount());
  }
}

TEST(MetaRectUnion, RefusesAGridOfCrossingStrips) {
  // Thin rows crossing thin columns: their union has rows times columns rectangles.
  QList<QRect> strips;
  for (int i = 0; i < 200; ++i) {
    strips.append(QRect(0, 4 * i, 800, 1));
    strips.append(QRect(4 * i, 0, 1, 800));
  }
  QRegion united(0, 0, 5, 5);
  std::int64_t work = 0;
  EXPECT_FALSE(UniteRects(strips, 5000, united, work));
  EXPECT_TRUE(united.isEmpty());
}
