// The readers' builder: object slots as each format assigns them, palette entries, and the budgets that
// refuse a hostile file before it exhausts memory.
#include <gtest/gtest.h>

#include <QImage>

#include "Graphic.h"
#include "metafile/read/MetaListBuilder.h"

namespace {

TMetaCommand Brush(std::uint32_t colour) {
  return {EMetaOp::CreateBrush, TMetaBrushArgs{.style = 0, .colour = colour}};
}

std::int32_t SlotOf(const TMetaCommand& command) {
  return command.Args<TMetaBrushArgs>().slot;
}

TEST(MetaListBuilder, WmfObjectsTakeTheLowestFreeSlot) {
  TMetaListBuilder builder;
  EXPECT_EQ(builder.CreateObject(Brush(1)), 0);
  EXPECT_EQ(builder.CreateObject(Brush(2)), 1);
  EXPECT_EQ(builder.CreateObject(Brush(3)), 2);
  EXPECT_TRUE(builder.FreeSlot(1));
  EXPECT_TRUE(builder.FreeSlot(0));
  EXPECT_FALSE(builder.FreeSlot(0)) << "a slot freed twice held no object the second time";
  EXPECT_FALSE(builder.FreeSlot(7));
  EXPECT_EQ(builder.CreateObject(Brush(4)), 0);
  EXPECT_EQ(builder.CreateObject(Brush(5)), 1);
  EXPECT_EQ(builder.CreateObject(Brush(6)), 3);
  const TMetaPlayList list = builder.Finish();
  EXPECT_EQ(list.objectSlots, 4);
  ASSERT_EQ(list.commands.size(), 6u);
  EXPECT_EQ(SlotOf(list.commands[3]), 0);
  EXPECT_EQ(SlotOf(list.commands[5]), 3);
}

TEST(MetaListBuilder, WmfObjectTableEndsAtItsSixteenBitLimit) {
  TMetaListBuilder builder;
  for (int i = 0; i < kMaxWmfSlots; ++i) ASSERT_EQ(builder.CreateObject(Brush(0)), i);
  EXPECT_EQ(builder.CreateObject(Brush(0)), -1);
  EXPECT_EQ(builder.List().commands.size(), static_cast<std::size_t>(kMaxWmfSlots));
  ASSERT_TRUE(builder.FreeSlot(500));
  EXPECT_EQ(builder.CreateObject(Brush(0)), 500);
}

TEST(MetaListBuilder, EmfObjectsGoWhereTheRecordSaysWithinRange) {
  TMetaListBuilder builder;
  builder.List().objectSlots = 3;  // as the header announced
  builder.CreateObjectAt(9, Brush(1));
  builder.CreateObjectAt(1, Brush(2));
  builder.CreateObjectAt(kMaxEmfSlots, Brush(3));
  const TMetaPlayList list = builder.Finish();
  EXPECT_EQ(list.objectSlots, 10);
  ASSERT_EQ(list.commands.size(), 2u) << "an object beyond the slot range is left out";
  EXPECT_EQ(SlotOf(list.commands[0]), 9);
  EXPECT_EQ(SlotOf(list.commands[1]), 1);
}

TEST(MetaListBuilder, PaletteEntriesStopAtTheStoreLimit) {
  TMetaListBuilder builder;
  std::int32_t count = 0;
  EXPECT_EQ(builder.AddPaletteEntries({qRgb(1, 2, 3), qRgb(4, 5, 6)}, count), 0);
  EXPECT_EQ(count, 2);
  // A file full of palettes fills the store, and what does not fit is left out, not refused.
  const std::vector<QRgb> many(std::size_t{1} << 20, qRgb(7, 8, 9));
  EXPECT_EQ(builder.AddPaletteEntries(many, count), 2);
  EXPECT_EQ(count, (1 << 20) - 2);
  EXPECT_EQ(builder.AddPaletteEntries({qRgb(1, 1, 1)}, count), 1 << 20);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(builder.List().paletteEntries.size(), std::size_t{1} << 20);
}

TEST(MetaListBuilder, TextBeyondTheFileBudgetIsRefused) {
  TMetaListBuilder builder;
  TMetaTextRun run;
  run.ansi = QByteArray(static_cast<qsizetype>(kMaxMetaTotalTextChars / 4), 'x');
  for (int i = 0; i < 4; ++i) EXPECT_EQ(builder.AddText(run), i);
  TMetaTextRun one;
  one.text = QStringLiteral("y");
  EXPECT_THROW(builder.AddText(one), EInvalidGraphic);
  TMetaTextRun glyphs;
  glyphs.glyphs = {1};
  EXPECT_THROW(builder.AddText(glyphs), EInvalidGraphic) << "glyph runs count against the budget too";
  TMetaTextRun empty;
  EXPECT_EQ(builder.AddText(empty), 4);
}

TEST(MetaListBuilder, PointsBeyondTheLimitAreRefusedBeforeTheyAreAdded) {
  TMetaListBuilder builder;
  EXPECT_NO_THROW(builder.CheckRoomForPoints(static_cast<std::int64_t>(kMaxMetaPoints)));
  EXPECT_THROW(builder.CheckRoomForPoints(static_cast<std::int64_t>(kMaxMetaPoints) + 1), EInvalidGraphic);
  EXPECT_THROW(builder.CheckRoomForPoints(-1), EInvalidGraphic);
  EXPECT_EQ(builder.AddPoint(3, 4), 0);
  EXPECT_THROW(builder.CheckRoomForPoints(static_cast<std::int64_t>(kMaxMetaPoints)), EInvalidGraphic);
}

TEST(MetaListBuilder, RegionRectanglesFollowEachOther) {
  TMetaListBuilder builder;
  const TMetaRegion first = builder.AddRegionRects({QRect(0, 0, 2, 2), QRect(5, 5, 1, 1)});
  const TMetaRegion second = builder.AddRegionRects({QRect(9, 9, 3, 3)});
  EXPECT_EQ(first.object, -1);
  EXPECT_EQ(first.first, 0);
  EXPECT_EQ(first.count, 2);
  EXPECT_EQ(second.first, 2);
  EXPECT_EQ(second.count, 1);
  EXPECT_EQ(builder.List().regionRects.at(2), QRect(9, 9, 3, 3));
}

TEST(MetaListBuilder, BitmapBudgetShrinksAsPicturesSpendIt) {
  TMetaListBuilder builder;
  EXPECT_EQ(builder.BitmapPixelsLeft(), kMaxMetaBitmapPixels);
  builder.SpendBitmapPixels(kMaxMetaPicturePixels - 1000);
  EXPECT_EQ(builder.BitmapPixelsLeft(), 1000);
  builder.SpendBitmapPixels(5000);
  EXPECT_EQ(builder.BitmapPixelsLeft(), 0);
}

TEST(MetaListBuilder, BlitsAddTheCommandThatDrawsThem) {
  TMetaListBuilder builder;
  TMetaBlit blit;
  blit.mode = EMetaBlitMode::FillColour;
  builder.AddBlit(blit);
  builder.AddBlit(blit);
  EXPECT_EQ(builder.AddPattern(QImage(), false), -1) << "a pattern that did not decode is not stored";
  EXPECT_EQ(builder.AddPattern(QImage(2, 2, QImage::Format_RGB32), true), 0);
  const TMetaPlayList list = builder.Finish();
  ASSERT_EQ(list.commands.size(), 2u);
  EXPECT_EQ(list.commands[1].Op(), EMetaOp::Blit);
  EXPECT_EQ(list.commands[1].Args<TMetaIndex>().index, 1);
  EXPECT_EQ(list.blits.size(), 2u);
  ASSERT_EQ(list.patterns.size(), 1u);
  EXPECT_TRUE(list.patterns[0].monochrome);
}

TEST(MetaListBuilder, FinishLeavesTheBuilderEmpty) {
  TMetaListBuilder builder;
  builder.AddPoint(1, 2);
  builder.CreateObject(Brush(0));
  std::int32_t count = 0;
  builder.AddPaletteEntries({qRgb(1, 2, 3)}, count);
  const TMetaPlayList first = builder.Finish();
  EXPECT_EQ(first.points.size(), 1u);
  EXPECT_EQ(first.paletteEntries.size(), 1u);
  EXPECT_TRUE(builder.List().points.empty());
  EXPECT_TRUE(builder.List().paletteEntries.empty());
  EXPECT_EQ(builder.CreateObject(Brush(0)), 0) << "the object table starts over";
}

}  // namespace
