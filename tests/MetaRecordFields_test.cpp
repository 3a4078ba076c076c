// Record fields read by name: each of libuemf's structs read from the bytes where the format puts its
// fields, WMF coordinates in their stored order, and reads past a record's end refused.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtEndian>
#include <bit>

#include "Graphic.h"
#include "metafile/read/MetaRecordFields.h"

namespace {

// Little-endian 32-bit words, as EMF records hold them.
QByteArray Words32(std::initializer_list<std::uint32_t> words) {
  QByteArray bytes;
  for (const std::uint32_t word : words) {
    char le[4];
    qToLittleEndian(word, le);
    bytes.append(le, 4);
  }
  return bytes;
}

// Little-endian 16-bit words, as WMF records hold them.
QByteArray Words16(std::initializer_list<std::int16_t> words) {
  QByteArray bytes;
  for (const std::int16_t word : words) {
    char le[2];
    qToLittleEndian(word, le);
    bytes.append(le, 2);
  }
  return bytes;
}

std::uint32_t Bits(float value) {
  return std::bit_cast<std::uint32_t>(value);
}

TEST(MetaRecordFields, EmfRectanglePointAndSizeComeFromTheirFields) {
  // EMR_ROUNDRECT: the record head, rclBox, then szlCorner.
  const QByteArray bytes = Words32({U_EMR_ROUNDRECT, 32, 10, static_cast<std::uint32_t>(-20), 30, 40, 7, 9});
  const TMetaBytes rec(bytes);
  const TMetaRect box = ReadRectl(rec, offsetof(U_EMRROUNDRECT, rclBox));
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, -20);
  EXPECT_EQ(box.right, 30);
  EXPECT_EQ(box.bottom, 40);
  const TMetaPoint corner = ReadSizel(rec, offsetof(U_EMRROUNDRECT, szlCorner));
  EXPECT_EQ(corner.x, 7);
  EXPECT_EQ(corner.y, 9);
  const TMetaPoint origin = ReadPointl(rec, offsetof(U_EMRRECTANGLE, rclBox) + offsetof(U_RECTL, right));
  EXPECT_EQ(origin.x, 30);
  EXPECT_EQ(origin.y, 40);
}

TEST(MetaRecordFields, TransformsKeepTheirElementOrder) {
  const QByteArray bytes =
      Words32({U_EMR_SETWORLDTRANSFORM, 32, Bits(2), Bits(0.5f), Bits(-1), Bits(4), Bits(100), Bits(-7.25f)});
  const std::array<double, 6> m = ReadXform(TMetaBytes(bytes), offsetof(U_EMRSETWORLDTRANSFORM, xform));
  EXPECT_EQ(m, (std::array<double, 6>{2, 0.5, -1, 4, 100, -7.25}));
}

TEST(MetaRecordFields, SixteenBitPointsAreSigned) {
  const QByteArray bytes = Words16({-3, 32767, -32768, 5});
  EXPECT_EQ(ReadPoint16(TMetaBytes(bytes), 0).x, -3);
  EXPECT_EQ(ReadPoint16(TMetaBytes(bytes), 0).y, 32767);
  EXPECT_EQ(ReadPoint16(TMetaBytes(bytes), 4).x, -32768);
}

TEST(MetaRecordFields, WmfCoordinatesAreReadByNameNotByPosition) {
  // META_MOVETO stores y before x.
  const QByteArray moveTo = Words16({5, 0, U_WMR_MOVETO, 12, 34});
  const TMetaPoint point = WmfPoint<U_WMRMOVETO>(TMetaBytes(moveTo));
  EXPECT_EQ(point.x, 34);
  EXPECT_EQ(point.y, 12);
  // META_RECTANGLE stores bottom, right, top, left.
  const QByteArray rectangle = Words16({7, 0, U_WMR_RECTANGLE, 40, 30, 20, 10});
  const TMetaRect box = WmfBox<U_WMRRECTANGLE>(TMetaBytes(rectangle));
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 30);
  EXPECT_EQ(box.bottom, 40);
}

TEST(MetaRecordFields, WmfRasterOperationJoinsItsTwoWordsLowFirst) {
  // META_PATBLT with PATCOPY, 0x00F00021, kept as the words 0x0021 and 0x00F0.
  const QByteArray patBlt = Words16({9, 0, U_WMR_PATBLT, 0x0021, 0x00F0, 1, 2, 3, 4});
  EXPECT_EQ(WmfRop<U_WMRPATBLT>(TMetaBytes(patBlt)), 0x00F00021u);
}

TEST(MetaRecordFields, FieldsBeyondTheRecordAreRefused) {
  const QByteArray bytes = Words32({U_EMR_RECTANGLE, 20, 1, 2, 3});
  const TMetaBytes rec(bytes);
  EXPECT_THROW(ReadRectl(rec, offsetof(U_EMRRECTANGLE, rclBox)), EInvalidGraphic);
  EXPECT_THROW(ReadXform(rec, 0), EInvalidGraphic);
  const QByteArray shortMove = Words16({4, 0, U_WMR_MOVETO, 12});
  EXPECT_THROW(WmfPoint<U_WMRMOVETO>(TMetaBytes(shortMove)), EInvalidGraphic);
}

}  // namespace
