#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <memory>

#include "EmfWriter.h"
#include "WmfWriter.h"
#include "metafile/Metafile.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

TMetaShape Filled(TMetaShape::EKind kind, const QColor& brush) {
  TMetaShape shape;
  shape.kind = kind;
  shape.brushColour = brush;
  shape.nullPen = true;
  return shape;
}

TMetaShape RedPolygon(std::vector<QPoint> points) {
  TMetaShape shape = Filled(TMetaShape::EKind::Polygon, kRed);
  shape.points = std::move(points);
  return shape;
}

TMetaShape BoxShape(TMetaShape::EKind kind, TMetaBox box, const QColor& brush) {
  TMetaShape shape = Filled(kind, brush);
  shape.box = box;
  return shape;
}

// A 100 x 100 picture with a red square from 20,20 to 60,60.
TMetaDrawing SquareDrawing(int unitsPerInch = 96) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  drawing.unitsPerInch = unitsPerInch;
  drawing.shapes.push_back(RedPolygon({{20, 20}, {60, 20}, {60, 60}, {20, 60}}));
  return drawing;
}

// A ring: outer square 10..90, inner square 30..70, both drawn in the same direction.
TMetaDrawing RingDrawing(bool winding) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  drawing.winding = winding;
  TMetaShape ring = Filled(TMetaShape::EKind::PolyPolygon, kRed);
  ring.points = {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {30, 30}, {70, 30}, {70, 70}, {30, 70}};
  ring.polyCounts = {4, 4};
  drawing.shapes.push_back(ring);
  return drawing;
}

std::unique_ptr<TMetafile> Load(const QByteArray& bytes) {
  auto metafile = std::make_unique<TMetafile>();
  metafile->LoadFromBytes(bytes);
  return metafile;
}

QImage Render(TMetafile& metafile, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  metafile.Draw(painter, QRect(QPoint(0, 0), size));
  return image;
}

QImage Render(const QByteArray& bytes, QSize size = QSize(100, 100)) {
  return Render(*Load(bytes), size);
}

QColor At(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}

// The offset of the first WMF record of the given function from the record at `from` (by default the
// first one, after the placeable and standard headers).
int FindWmfRecord(const QByteArray& bytes, int function, int from = 22 + 18) {
  int pos = from;
  while (pos + 6 <= bytes.size()) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + pos);
    const int words = p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24);
    if ((p[4] | (p[5] << 8)) == function) return pos;
    if (words < 3) break;
    pos += 2 * words;
  }
  return -1;
}

void PutU16(QByteArray& bytes, int at, int value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(QByteArray& bytes, int at, quint32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

quint32 GetU32(const QByteArray& bytes, int at) {
  quint32 value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The offset of an EMF's first record of the type, or -1.
int FindEmfRecord(const QByteArray& bytes, quint32 type) {
  int pos = 0;
  while (pos + 8 <= bytes.size()) {
    if (GetU32(bytes, pos) == type) return pos;
    const quint32 size = GetU32(bytes, pos + 4);
    if (size < 8 || size > static_cast<quint32>(bytes.size() - pos)) break;
    pos += static_cast<int>(size);
  }
  return -1;
}

void ExpectInvalid(const QByteArray& bytes) {
  EXPECT_THROW(Load(bytes), EInvalidGraphic);
}

}  // namespace

TEST(Metafile, PlaceableSizeIsBoxOverUnitsPerInchAt96Dpi) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 245, 205};
  auto at96 = Load(WriteWmf(drawing));
  EXPECT_EQ(at96->Width(), 245);
  EXPECT_EQ(at96->Height(), 205);
  EXPECT_FALSE(at96->IsEnhanced());

  drawing.box = {0, 0, 3675, 3075};
  drawing.unitsPerInch = 1440;
  auto at1440 = Load(WriteWmf(drawing));
  EXPECT_EQ(at1440->Width(), 245);
  EXPECT_EQ(at1440->Height(), 205);

  drawing.box = {-720, 100, 720, 1540};
  auto offset = Load(WriteWmf(drawing));
  EXPECT_EQ(offset->Width(), 96);
  EXPECT_EQ(offset->Height(), 96);
}

TEST(Metafile, PlaceablePolygonIsFilledWhereItLies) {
  const QImage image = Render(WriteWmf(SquareDrawing()));
  EXPECT_EQ(At(image, 40, 40), kRed);
  EXPECT_EQ(At(image, 21, 21), kRed);
  EXPECT_EQ(At(image, 58, 58), kRed);
  EXPECT_EQ(At(image, 10, 10), kWhite);
  EXPECT_EQ(At(image, 70, 40), kWhite);
  EXPECT_EQ(At(image, 40, 70), kWhite);
}

TEST(Metafile, DrawScalesTheBoxIntoTheTarget) {
  auto metafile = Load(WriteWmf(SquareDrawing(1440)));
  EXPECT_EQ(metafile->Width(), 7);
  const QImage image = Render(*metafile, QSize(200, 100));
  EXPECT_EQ(At(image, 80, 40), kRed);
  EXPECT_EQ(At(image, 42, 22), kRed);
  EXPECT_EQ(At(image, 30, 40), kWhite);
  EXPECT_EQ(At(image, 130, 40), kWhite);
}

TEST(Metafile, DrawKeepsThePaintersOwnTransform) {
  auto metafile = Load(WriteEmf(SquareDrawing()));
  QImage image(200, 100, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  painter.translate(100, 0);
  metafile->Draw(painter, QRect(0, 0, 100, 100));
  painter.end();
  EXPECT_EQ(At(image, 140, 40), kRed);
  EXPECT_EQ(At(image, 40, 40), kWhite);
}

TEST(Metafile, NullPenLeavesNoOutline) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  TMetaShape outlined = BoxShape(TMetaShape::EKind::Rectangle, {10, 10, 40, 40}, kRed);
  outlined.nullPen = false;
  outlined.penColour = kBlue;
  outlined.penWidth = 6;
  drawing.shapes.push_back(outlined);
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Rectangle, {60, 10, 90, 40}, kRed));
  for (const QByteArray& bytes : {WriteWmf(drawing), WriteEmf(drawing)}) {
    const QImage image = Render(bytes);
    EXPECT_EQ(At(image, 10, 25), kBlue);
    EXPECT_EQ(At(image, 25, 25), kRed);
    EXPECT_EQ(At(image, 61, 25), kRed);
    EXPECT_EQ(At(image, 58, 25), kWhite);
    EXPECT_EQ(At(image, 75, 11), kRed);
  }
}

TEST(Metafile, EllipseFillsItsInsideOnly) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Ellipse, {0, 0, 100, 100}, kRed));
  const QImage image = Render(WriteEmf(drawing));
  EXPECT_EQ(At(image, 50, 50), kRed);
  EXPECT_EQ(At(image, 50, 3), kRed);
  EXPECT_EQ(At(image, 5, 5), kWhite);
  EXPECT_EQ(At(image, 95, 95), kWhite);
}

TEST(Metafile, PolylineDrawsOnlyItsPen) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  TMetaShape line;
  line.kind = TMetaShape::EKind::Polyline;
  line.points = {{10, 50}, {90, 50}, {90, 90}};
  line.penColour = kBlue;
  line.penWidth = 4;
  line.brushColour = kRed;
  drawing.shapes.push_back(line);
  const QImage image = Render(WriteWmf(drawing));
  EXPECT_EQ(At(image, 50, 50), kBlue);
  EXPECT_EQ(At(image, 90, 70), kBlue);
  EXPECT_EQ(At(image, 70, 70), kWhite);
}

TEST(Metafile, AlternateFillLeavesPolyPolygonHoles) {
  for (const QByteArray& bytes : {WriteWmf(RingDrawing(false)), WriteEmf(RingDrawing(false))}) {
    const QImage image = Render(bytes);
    EXPECT_EQ(At(image, 20, 50), kRed);
    EXPECT_EQ(At(image, 50, 50), kWhite);
    EXPECT_EQ(At(image, 5, 5), kWhite);
  }
  for (const QByteArray& bytes : {WriteWmf(RingDrawing(true)), WriteEmf(RingDrawing(true))}) {
    const QImage image = Render(bytes);
    EXPECT_EQ(At(image, 20, 50), kRed);
    EXPECT_EQ(At(image, 50, 50), kRed);
  }
}

TEST(Metafile, RestoreDCBringsBackTheSavedBrush) {
  TWmfWriter writer(true, {0, 0, 100, 100}, 96);
  writer.Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  writer.Append(U_WMRSETWINDOWEXT_set(U_POINT16{100, 100}));
  uint32_t pen = 0, red = 0, blue = 0;
  writer.Append(
      wcreatepenindirect_set(&pen, writer.Handles(), U_PEN_set(U_PS_NULL, 0, U_COLORREF{0, 0, 0, 0})));
  writer.Append(wselectobject_set(pen, writer.Handles()));
  writer.Append(wcreatebrushindirect_set(&red, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {255, 0, 0, 0}, 0}));
  writer.Append(wselectobject_set(red, writer.Handles()));
  writer.Append(U_WMRSAVEDC_set());
  writer.Append(
      wcreatebrushindirect_set(&blue, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {0, 0, 255, 0}, 0}));
  writer.Append(wselectobject_set(blue, writer.Handles()));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{0, 0, 50, 100}));
  writer.Append(U_WMRRESTOREDC_set(-1));
  // Unbalanced restores find no saved state and change nothing.
  writer.Append(U_WMRRESTOREDC_set(-1));
  writer.Append(U_WMRRESTOREDC_set(3));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{50, 0, 100, 100}));
  const QImage image = Render(writer.Finish());
  EXPECT_EQ(At(image, 25, 50), kBlue);
  EXPECT_EQ(At(image, 75, 50), kRed);
}

TEST(Metafile, WmfObjectsTakeTheLowestFreeSlot) {
  TWmfWriter writer(true, {0, 0, 100, 100}, 96);
  writer.Append(U_WMRSETWINDOWEXT_set(U_POINT16{100, 100}));
  uint32_t pen = 0, red = 0, blue = 0;
  writer.Append(
      wcreatepenindirect_set(&pen, writer.Handles(), U_PEN_set(U_PS_NULL, 0, U_COLORREF{0, 0, 0, 0})));
  writer.Append(wcreatebrushindirect_set(&red, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {255, 0, 0, 0}, 0}));
  writer.Append(wselectobject_set(pen, writer.Handles()));
  writer.Append(wdeleteobject_set(&pen, writer.Handles()));
  // The blue brush reuses slot 0, freed by the pen; slot 1 still holds the red brush.
  writer.Append(
      wcreatebrushindirect_set(&blue, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {0, 0, 255, 0}, 0}));
  writer.Append(U_WMRSELECTOBJECT_set(0));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{0, 0, 50, 100}));
  writer.Append(U_WMRSELECTOBJECT_set(1));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{50, 0, 100, 100}));
  // Slots that hold nothing are ignored.
  writer.Append(U_WMRSELECTOBJECT_set(7));
  writer.Append(U_WMRSELECTOBJECT_set(0xFFFF));
  writer.Append(U_WMRDELETEOBJECT_set(9));
  const QImage image = Render(writer.Finish());
  EXPECT_EQ(At(image, 25, 50), kBlue);
  EXPECT_EQ(At(image, 75, 50), kRed);
}

TEST(Metafile, WindowOriginAndExtentMapOntoTheBox) {
  TWmfWriter writer(true, {0, 0, 100, 100}, 96);
  writer.Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  writer.Append(U_WMRSETWINDOWORG_set(U_POINT16{1000, 2000}));
  writer.Append(U_WMRSETWINDOWEXT_set(U_POINT16{10, 20}));
  writer.Append(U_WMRSETWINDOWEXT_set(U_POINT16{0, 5}));  // an extent of 0 is ignored
  writer.Append(U_WMRSETPOLYFILLMODE_set(U_ALTERNATE));
  uint32_t brush = 0;
  writer.Append(
      wcreatebrushindirect_set(&brush, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {255, 0, 0, 0}, 0}));
  writer.Append(wselectobject_set(brush, writer.Handles()));
  // Logical 1005,2010 .. 1010,2020 is the bottom right quarter of the box.
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{1005, 2010, 1010, 2020}));
  const QImage image = Render(writer.Finish());
  EXPECT_EQ(At(image, 75, 75), kRed);
  EXPECT_EQ(At(image, 25, 25), kWhite);
  EXPECT_EQ(At(image, 25, 75), kWhite);
  EXPECT_EQ(At(image, 75, 25), kWhite);
}

TEST(Metafile, PlainWmfTakesItsSizeFromTheWindowExtent) {
  TMetaDrawing drawing = SquareDrawing();
  drawing.box = {0, 0, 200, 100};
  auto metafile = Load(WriteWmf(drawing, false));
  EXPECT_EQ(metafile->Width(), 200);
  EXPECT_EQ(metafile->Height(), 100);
  const QImage image = Render(*metafile, QSize(200, 100));
  EXPECT_EQ(At(image, 40, 40), kRed);
  EXPECT_EQ(At(image, 80, 40), kWhite);
}

TEST(Metafile, PlainWmfWithoutWindowIsAsLargeAsWhatItDraws) {
  TWmfWriter writer(false, {}, 96);
  uint32_t brush = 0;
  writer.Append(
      wcreatebrushindirect_set(&brush, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {255, 0, 0, 0}, 0}));
  writer.Append(wselectobject_set(brush, writer.Handles()));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{50, 20, 90, 40}));
  auto metafile = Load(writer.Finish());
  EXPECT_EQ(metafile->Width(), 40);
  EXPECT_EQ(metafile->Height(), 20);
  const QImage image = Render(*metafile, QSize(40, 20));
  EXPECT_EQ(At(image, 20, 10), kRed);
}

TEST(Metafile, EmfSizeComesFromItsFrame) {
  TMetaDrawing drawing = SquareDrawing();
  drawing.box = {0, 0, 245, 205};
  auto metafile = Load(WriteEmf(drawing));
  EXPECT_TRUE(metafile->IsEnhanced());
  EXPECT_EQ(metafile->Width(), 245);
  EXPECT_EQ(metafile->Height(), 205);
  const QImage image = Render(*metafile, QSize(245, 205));
  EXPECT_EQ(At(image, 40, 40), kRed);
  EXPECT_EQ(At(image, 100, 100), kWhite);

  drawing.box = {0, 0, 1440, 720};
  drawing.unitsPerInch = 1440;
  auto fine = Load(WriteEmf(drawing));
  EXPECT_EQ(fine->Width(), 96);
  EXPECT_EQ(fine->Height(), 48);
}

TEST(Metafile, EmfMapModesAndStockObjects) {
  TEmfWriter writer({0, 0, 100, 100}, 96);
  writer.Append(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  writer.Append(U_EMRSETWINDOWEXTEX_set(U_SIZEL{1000, 1000}));
  writer.Append(U_EMRSETVIEWPORTEXTEX_set(U_SIZEL{100, 100}));
  writer.Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  writer.Append(U_EMRSELECTOBJECT_set(U_BLACK_BRUSH));
  writer.Append(U_EMRSELECTOBJECT_set(4000));  // never created: ignored
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 500, 500}));
  // Isotropic keeps the smaller scale on both axes: 1000 x 500 logical onto 100 x 100 gives 0.1.
  writer.Append(U_EMRSETMAPMODE_set(U_MM_ISOTROPIC));
  writer.Append(U_EMRSETWINDOWEXTEX_set(U_SIZEL{1000, 500}));
  writer.Append(U_EMRSELECTOBJECT_set(U_GRAY_BRUSH));
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{500, 500, 1000, 1000}));
  const QImage image = Render(writer.Finish());
  EXPECT_EQ(At(image, 25, 25), QColor(0, 0, 0));
  EXPECT_EQ(At(image, 75, 75), QColor(128, 128, 128));
  EXPECT_EQ(At(image, 75, 25), kWhite);
  EXPECT_EQ(At(image, 25, 75), kWhite);
}

TEST(Metafile, TruncatedFilesAreRefusedAtEveryLength) {
  TMetaDrawing drawing = RingDrawing(false);
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Ellipse, {0, 0, 50, 50}, kBlue));
  for (const QByteArray& whole : {WriteWmf(drawing), WriteWmf(drawing, false), WriteEmf(drawing)}) {
    ASSERT_NO_THROW(Load(whole));
    for (int length = 0; length < whole.size(); ++length) ExpectInvalid(whole.left(length));
  }
}

// A WMF plays the records before a damaged one, as GDI does: a red square, then a blue one whose
// record is broken by its size or by a point count beyond it.
TEST(Metafile, WmfRecordsBeforeADamagedOneAreDrawn) {
  TMetaDrawing drawing = SquareDrawing();
  TMetaShape blue = Filled(TMetaShape::EKind::Polygon, kBlue);
  blue.points = {{70, 70}, {95, 70}, {95, 95}, {70, 95}};
  drawing.shapes.push_back(blue);
  const QByteArray whole = WriteWmf(drawing);
  const int red = FindWmfRecord(whole, 0x0324);
  ASSERT_GT(red, 0);
  const int damagedAt = FindWmfRecord(whole, 0x0324, red + 2 * static_cast<int>(GetU32(whole, red)));
  ASSERT_GT(damagedAt, red);
  ASSERT_EQ(At(Render(whole), 80, 80), kBlue);
  const auto expectOnlyRed = [](const QByteArray& damaged, const char* what) {
    const QImage image = Render(damaged);
    EXPECT_EQ(At(image, 40, 40), kRed) << what;
    EXPECT_EQ(At(image, 80, 80), kWhite) << what;
  };
  for (const quint32 words : {0u, 2u, 0x7FFFFFFFu}) {
    QByteArray damaged = whole;
    PutU32(damaged, damagedAt, words);
    expectOnlyRed(damaged, "record size");
  }
  for (const int count : {30000, 0xFFFF}) {
    QByteArray damaged = whole;
    PutU16(damaged, damagedAt + 6, count);
    expectOnlyRed(damaged, "point count");
  }
  // Damaged before anything was read, the file draws nothing and is refused.
  QByteArray first = whole;
  PutU32(first, 22 + 18, 0);
  ExpectInvalid(first);
}

// A file cut in the middle of a record draws what came before when its header's size was made to
// agree, and every record when only its end record is missing; cut short of that size, it is refused.
TEST(Metafile, CutWmfFilesDrawTheirWholeRecordsWhenTheHeaderAgrees) {
  TMetaDrawing drawing = SquareDrawing();
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Rectangle, {70, 70, 95, 95}, kBlue));
  const QByteArray whole = WriteWmf(drawing);
  constexpr int kSizeWords = 22 + 6;
  const int rectangle = FindWmfRecord(whole, 0x041B);
  const int end = FindWmfRecord(whole, 0x0000);
  ASSERT_GT(rectangle, 0);
  ASSERT_GT(end, rectangle);
  const auto agreeing = [&](int length) {
    QByteArray cut = whole.left(length);
    PutU16(cut, kSizeWords, length / 2), PutU16(cut, kSizeWords + 2, 0);
    return cut;
  };
  for (const int length : {rectangle + 4, rectangle + 8}) {
    ExpectInvalid(whole.left(length));
    const QImage image = Render(agreeing(length));
    EXPECT_EQ(At(image, 40, 40), kRed) << length;
    EXPECT_EQ(At(image, 80, 80), kWhite) << length;
  }
  EXPECT_EQ(At(Render(agreeing(end)), 80, 80), kBlue);
}

// An EMF plays the records before a damaged one, as GDI does: a red square, then a blue one whose
// rectangle record is broken.
TEST(Metafile, EmfRecordsBeforeADamagedOneAreDrawn) {
  TMetaDrawing drawing = SquareDrawing();
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Rectangle, {70, 70, 95, 95}, kBlue));
  const QByteArray whole = WriteEmf(drawing);
  const int rectangle = FindEmfRecord(whole, U_EMR_RECTANGLE);
  ASSERT_GT(rectangle, 0);
  ASSERT_EQ(At(Render(whole), 80, 80), kBlue);
  for (const quint32 size : {0u, 4u, 10u, 26u, 0x7FFFFFF0u, 0xFFFFFFFCu}) {
    QByteArray damaged = whole;
    PutU32(damaged, rectangle + 4, size);
    const QImage image = Render(damaged);
    EXPECT_EQ(At(image, 40, 40), kRed) << size;
    EXPECT_EQ(At(image, 80, 80), kWhite) << size;
  }
}

// A file cut in the middle of a record draws what came before when its header was made to agree; one
// shorter than its header says is refused, as GDI refuses it, and so is a broken header.
TEST(Metafile, CutEmfFilesDrawTheirWholeRecordsWhenTheHeaderAgrees) {
  TMetaDrawing drawing = SquareDrawing();
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Rectangle, {70, 70, 95, 95}, kBlue));
  const QByteArray whole = WriteEmf(drawing);
  constexpr int kHeaderBytes = 48;
  ASSERT_EQ(GetU32(whole, kHeaderBytes), static_cast<quint32>(whole.size()));
  const int rectangle = FindEmfRecord(whole, U_EMR_RECTANGLE);
  const int end = FindEmfRecord(whole, U_EMR_EOF);
  ASSERT_GT(rectangle, 0);
  ASSERT_GT(end, rectangle);
  for (const int length : {rectangle + 3, rectangle + 12, rectangle}) {
    QByteArray cut = whole.left(length);
    ExpectInvalid(cut);
    PutU32(cut, kHeaderBytes, static_cast<quint32>(cut.size()));
    const QImage image = Render(cut);
    EXPECT_EQ(At(image, 40, 40), kRed) << length;
    EXPECT_EQ(At(image, 80, 80), kWhite) << length;
  }
  // Without its end record, every record is drawn.
  QByteArray endless = whole.left(end);
  PutU32(endless, kHeaderBytes, static_cast<quint32>(endless.size()));
  EXPECT_EQ(At(Render(endless), 80, 80), kBlue);

  const int first = static_cast<int>(GetU32(whole, 4));
  for (const quint32 headerSize : {0u, 10u, 84u, static_cast<quint32>(whole.size()) + 4}) {
    QByteArray badHeader = whole;
    PutU32(badHeader, 4, headerSize);
    ExpectInvalid(badHeader);
  }
  ExpectInvalid(whole.left(first));
}

// A count of points beyond its record makes the record a damaged one: the picture ends before it.
TEST(Metafile, EmfPointCountsBeyondTheRecordEndThePicture) {
  const QByteArray whole = WriteEmf(SquareDrawing());
  const int polygon = FindEmfRecord(whole, U_EMR_POLYGON);
  ASSERT_GT(polygon, 0);
  ASSERT_EQ(At(Render(whole), 40, 40), kRed);
  for (const quint32 count : {5u, 1000u, 0x40000000u, 0xFFFFFFFFu}) {
    QByteArray emf = whole;
    PutU32(emf, polygon + 24, count);
    EXPECT_EQ(At(Render(emf), 40, 40), kWhite) << count;
  }
}

TEST(Metafile, BadPlaceableHeadersAreRefused) {
  const QByteArray good = WriteWmf(SquareDrawing());
  QByteArray empty = good;
  PutU16(empty, 10, 0);  // right = left
  ExpectInvalid(empty);
  QByteArray negative = good;
  PutU16(negative, 12, 0xFFF0);  // bottom above top
  ExpectInvalid(negative);
  QByteArray noUnits = good;
  PutU16(noUnits, 14, 0);
  ExpectInvalid(noUnits);
  QByteArray absurd = good;
  PutU16(absurd, 10, 32767), PutU16(absurd, 12, 32767), PutU16(absurd, 14, 1);
  ExpectInvalid(absurd);
  QByteArray tooSmall = good;
  PutU16(tooSmall, 14, 20000);  // 100 units at 20000 per inch round to 0 pixels
  ExpectInvalid(tooSmall);
}

TEST(Metafile, AbsurdEmfFramesAreRefused) {
  QByteArray emf = WriteEmf(SquareDrawing());
  PutU32(emf, 32, 0x7FFFFFFF), PutU32(emf, 36, 0x7FFFFFFF);
  ExpectInvalid(emf);
  PutU32(emf, 32, 0), PutU32(emf, 36, 0);  // empty frame: the bounds 0..99 are used
  EXPECT_EQ(Load(emf)->Width(), 100);
  PutU32(emf, 16, 0xFFFFFFFFu);  // and empty bounds leave no size at all
  ExpectInvalid(emf);
}

TEST(Metafile, RandomBytesAreRefused) {
  QRandomGenerator random(4711);
  for (int i = 0; i < 200; ++i) {
    QByteArray noise(static_cast<int>(random.bounded(1, 400)), '\0');
    for (char& c : noise) c = static_cast<char>(random.bounded(256));
    ExpectInvalid(noise);
  }
  ExpectInvalid(QByteArray());
  ExpectInvalid(QByteArray("GIF89a"));
}

TEST(Metafile, DamagedFilesNeverCrash) {
  TMetaDrawing drawing = RingDrawing(true);
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Ellipse, {0, 0, 50, 50}, kBlue));
  QRandomGenerator random(1234);
  for (const QByteArray& whole : {WriteWmf(drawing), WriteWmf(drawing, false), WriteEmf(drawing)}) {
    for (int i = 0; i < 400; ++i) {
      QByteArray damaged = whole;
      for (int k = 0; k < 3; ++k)
        damaged[static_cast<int>(random.bounded(damaged.size()))] = static_cast<char>(random.bounded(256));
      TMetafile metafile;
      try {
        metafile.LoadFromBytes(damaged);
      } catch (const EInvalidGraphic&) {
        continue;
      }
      EXPECT_GT(metafile.Width(), 0);
      Render(metafile, QSize(60, 60));
    }
  }
}

namespace {

// One shape on a 100 x 100 picture drawn one to one: red brush, blue pen of the given width.
TMetaShape BluePenShape(TMetaShape::EKind kind, std::vector<QPoint> points, int penWidth) {
  TMetaShape shape = Filled(kind, kRed);
  shape.points = std::move(points);
  shape.nullPen = false;
  shape.penColour = kBlue;
  shape.penWidth = penWidth;
  return shape;
}

QByteArray OneShapeEmf(const TMetaShape& shape, bool winding = false) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 100, 100};
  drawing.winding = winding;
  drawing.shapes.push_back(shape);
  return WriteEmf(drawing);
}

// The same shape drawn by Qt itself, antialiased, with the metafile pens' round caps and joins.
QImage QtReference(const TMetaShape& shape, bool winding = false) {
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(kBlue, shape.penWidth);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  if (shape.penWidth == 0) {
    // The one-pixel pen is a pixel of the picture wide, here drawn one to one, with plain ends, on
    // the pixels right of and below its line as GDI lights them.
    pen = QPen(kBlue, 1.0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::BevelJoin);
  }
  const QPolygon polygon(QList<QPoint>(shape.points.begin(), shape.points.end()));
  if (shape.kind != TMetaShape::EKind::Polyline) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRed);
    painter.drawPolygon(polygon, winding ? Qt::WindingFill : Qt::OddEvenFill);
  }
  if (shape.penWidth == 0) painter.translate(0.5, 0.5);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  if (shape.kind == TMetaShape::EKind::Polyline)
    painter.drawPolyline(polygon);
  else
    painter.drawPolygon(polygon);
  return image;
}

// The largest difference of any colour channel between two images of the same size.
int LargestDifference(const QImage& a, const QImage& b) {
  int largest = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))});
    }
  return largest;
}

int CountColour(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
  return count;
}

}  // namespace

// Shapes reaching far beyond the picture, or drawn with pens far wider than it, are cut down before
// Qt draws them; what shows must stay what Qt would have drawn of the whole shape.
TEST(Metafile, FarReachingShapesLookAsIfDrawnWhole) {
  using EKind = TMetaShape::EKind;
  struct TCase {
    const char* name;
    TMetaShape shape;
    bool winding;
  } cases[] = {
      {"far corner", BluePenShape(EKind::Polygon, {{20, 20}, {80, 30}, {50, 40000}}, 6), false},
      {"crossing far", BluePenShape(EKind::Polygon, {{10, 10}, {90, 90}, {-30000, 50}, {90, 10}}, 3), false},
      {"crossing far, winding", BluePenShape(EKind::Polygon, {{10, 10}, {90, 90}, {-30000, 50}, {90, 10}}, 3),
       true},
      {"thin pen far", BluePenShape(EKind::Polyline, {{10, 90}, {50, -50000}, {90, 90}}, 0), false},
      {"wide pen's edge", BluePenShape(EKind::Polyline, {{-1000, 400}, {1000, 410}}, 700), false},
      {"wide pen's corner", BluePenShape(EKind::Polyline, {{-1000, 400}, {380, 380}, {400, -1000}}, 640),
       false},
  };
  for (const TCase& c : cases) {
    const QImage drawn = Render(OneShapeEmf(c.shape, c.winding));
    const QImage reference = QtReference(c.shape, c.winding);
    // Antialiasing of the cut shape may differ by a few levels from Qt's own.
    EXPECT_LE(LargestDifference(drawn, reference), 6) << c.name;
    EXPECT_LT(CountColour(reference, kWhite), 100 * 100) << c.name << ": the case shows nothing";
  }
}

TEST(Metafile, PensWiderThanThePictureCoverItOrMissItWhole) {
  using EKind = TMetaShape::EKind;
  // A small triangle in the middle with a pen millions of pixels wide: everything is pen.
  const QImage covered =
      Render(OneShapeEmf(BluePenShape(EKind::Polygon, {{40, 40}, {60, 40}, {50, 60}}, 16000000)));
  EXPECT_EQ(CountColour(covered, kBlue), 100 * 100);
  // A line far below with a pen that ends short of the picture: nothing.
  const QImage missed =
      Render(OneShapeEmf(BluePenShape(EKind::Polyline, {{-50, 100000}, {150, 100000}}, 190000)));
  EXPECT_EQ(CountColour(missed, kWhite), 100 * 100);
  // A long line far below with a pen whose upper edge runs across the middle of the picture.
  const QImage half =
      Render(OneShapeEmf(BluePenShape(EKind::Polyline, {{-2000000, 100050}, {2000000, 100050}}, 200000)));
  for (int y = 0; y < 100; ++y) {
    const QColor expected = y < 49 ? kWhite : y > 50 ? kBlue : QColor();
    if (expected.isValid()) {
      EXPECT_EQ(At(half, 10, y), expected) << y;
      EXPECT_EQ(At(half, 90, y), expected) << y;
    }
  }
}

TEST(Metafile, ExtremeMappingsDrawWithoutTrouble) {
  TWmfWriter writer(true, {0, 0, 100, 100}, 96);
  writer.Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  writer.Append(U_WMRSETWINDOWEXT_set(U_POINT16{1, 1}));
  writer.Append(U_WMRSCALEWINDOWEXT_set(U_POINT16{32767, 32767}, U_POINT16{1, 1}));
  writer.Append(U_WMRSCALEVIEWPORTEXT_set(U_POINT16{1, 1}, U_POINT16{32767, 32767}));
  writer.Append(U_WMRSCALEVIEWPORTEXT_set(U_POINT16{0, 1}, U_POINT16{1, 1}));  // a 0 is ignored
  uint32_t brush = 0, pen = 0;
  writer.Append(
      wcreatebrushindirect_set(&brush, writer.Handles(), U_WLOGBRUSH{U_BS_SOLID, {255, 0, 0, 0}, 0}));
  writer.Append(wselectobject_set(brush, writer.Handles()));
  writer.Append(
      wcreatepenindirect_set(&pen, writer.Handles(), U_PEN_set(U_PS_SOLID, 30000, U_COLORREF{0, 0, 255, 0})));
  writer.Append(wselectobject_set(pen, writer.Handles()));
  writer.Append(U_WMRELLIPSE_set(U_RECT16{-32768, -32768, 32767, 32767}));
  U_POINT16 points[] = {{-32768, -32768}, {32767, -32768}, {32767, 32767}};
  writer.Append(U_WMRPOLYGON_set(3, points));
  auto metafile = Load(writer.Finish());
  const QImage image = Render(*metafile, QSize(100, 100));
  // The window scale rounds to 0 and is ignored, so one logical unit is 3276700 pixels: the box lies inside
  // the ellipse, on the triangle's pen stroke.
  EXPECT_EQ(At(image, 50, 50), kBlue);
  EXPECT_EQ(At(image, 99, 0), kBlue);
}

TEST(Metafile, ManyRecordsLoadAndDraw) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 200, 200};
  for (int i = 0; i < 20000; ++i) {
    const int x = i % 190, y = (i / 190) % 190;
    drawing.shapes.push_back(RedPolygon({{x, y}, {x + 5, y}, {x + 5, y + 5}}));
  }
  drawing.shapes.push_back(BoxShape(TMetaShape::EKind::Rectangle, {150, 150, 200, 200}, kBlue));
  for (const QByteArray& bytes : {WriteWmf(drawing), WriteEmf(drawing)}) {
    auto metafile = Load(bytes);
    const QImage image = Render(*metafile, QSize(200, 200));
    EXPECT_EQ(At(image, 3, 1), kRed);
    EXPECT_EQ(At(image, 175, 175), kBlue);
  }
}

TEST(Metafile, FailedLoadKeepsThePreviousPicture) {
  TMetafile metafile;
  int changes = 0;
  metafile.SetOnChange([&changes] { ++changes; });
  metafile.LoadFromBytes(WriteEmf(SquareDrawing()));
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(metafile.LoadFromBytes(QByteArray(64, 'x')), EInvalidGraphic);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(metafile.Width(), 100);
  EXPECT_TRUE(metafile.IsEnhanced());
}

TEST(Metafile, KindComesFromContentNotName) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("picture.wmf"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(WriteEmf(SquareDrawing()));
  file.close();
  TMetafile metafile;
  metafile.LoadFromFile(path);
  EXPECT_TRUE(metafile.IsEnhanced());
  EXPECT_THROW(metafile.LoadFromFile(dir.filePath(QStringLiteral("missing.emf"))), EFOpenError);
}
