#include "EmfPlusWriter.h"

#include <QBuffer>
#include <QImage>
#include <bit>

#include "EmfWriter.h"

namespace {

using EmfPlus::ERecord;

constexpr std::uint32_t kGraphicsVersion = 0xDBC01002;

void PutU32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::uint32_t Argb(const QColor& colour) {
  return colour.rgba();
}

TEmfPlusWriter& TEmfPlusWriter::Begin(EmfPlus::ERecord type, std::uint16_t flags) {
  return Begin(static_cast<std::uint16_t>(type), flags);
}

TEmfPlusWriter& TEmfPlusWriter::Begin(std::uint16_t type, std::uint16_t flags) {
  start_ = records_.size();
  U16(type).U16(flags).U32(0).U32(0);
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::U32(std::uint32_t value) {
  const qsizetype at = records_.size();
  records_.resize(at + 4);
  PutU32(records_, at, value);
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::U16(std::uint16_t value) {
  records_.append(static_cast<char>(value & 0xFF)).append(static_cast<char>(value >> 8));
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::F32(float value) {
  return U32(std::bit_cast<std::uint32_t>(value));
}

TEmfPlusWriter& TEmfPlusWriter::Matrix(const QTransform& m) {
  for (const double v : {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()}) F32(static_cast<float>(v));
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::Raw(const QByteArray& bytes) {
  records_.append(bytes);
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::Rect(const QRectF& rect) {
  return F32(static_cast<float>(rect.x()))
      .F32(static_cast<float>(rect.y()))
      .F32(static_cast<float>(rect.width()))
      .F32(static_cast<float>(rect.height()));
}

TEmfPlusWriter& TEmfPlusWriter::Points(const std::vector<QPointF>& points) {
  for (const QPointF& p : points) F32(static_cast<float>(p.x())).F32(static_cast<float>(p.y()));
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::End() {
  while ((records_.size() - start_) % 4 != 0) records_.append('\0');
  const auto size = static_cast<std::uint32_t>(records_.size() - start_);
  PutU32(records_, start_ + 4, size);
  PutU32(records_, start_ + 8, size - 12);
  start_ = -1;
  return *this;
}

void TEmfPlusWriter::Flush(TEmfWriter& emf) {
  QByteArray data("EMF+", 4);
  PutU32(data, 0, 0x2B464D45);
  data.append(records_);
  emf.Append(U_EMRCOMMENT_set(static_cast<U_CBDATA>(data.size()), data.constData()));
  records_.clear();
}

TEmfPlusWriter& TEmfPlusWriter::Header(bool dual) {
  return Begin(ERecord::Header, dual ? 1 : 0).U32(kGraphicsVersion).U32(1).U32(96).U32(96).End();
}

TEmfPlusWriter& TEmfPlusWriter::EndOfFile() {
  return Begin(ERecord::EndOfFile).End();
}

TEmfPlusWriter& TEmfPlusWriter::GetDC() {
  return Begin(ERecord::GetDC).End();
}

TEmfPlusWriter& TEmfPlusWriter::FillRects(const QColor& colour, const std::vector<QRectF>& rects) {
  Begin(ERecord::FillRects, 0x8000).U32(Argb(colour)).U32(static_cast<std::uint32_t>(rects.size()));
  for (const QRectF& rect : rects) Rect(rect);
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::FillRectsWithBrush(int brushId, const std::vector<QRectF>& rects) {
  Begin(ERecord::FillRects)
      .U32(static_cast<std::uint32_t>(brushId))
      .U32(static_cast<std::uint32_t>(rects.size()));
  for (const QRectF& rect : rects) Rect(rect);
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::SolidBrush(int id, const QColor& colour) {
  return Begin(ERecord::Object, static_cast<std::uint16_t>(0x0100 | id))
      .U32(kGraphicsVersion)
      .U32(0)
      .U32(Argb(colour))
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::LinearGradientBrush(int id, const QRectF& rect, const QColor& from,
                                                    const QColor& to) {
  return Begin(ERecord::Object, static_cast<std::uint16_t>(0x0100 | id))
      .U32(kGraphicsVersion)
      .U32(4)  // linear gradient
      .U32(0)  // no optional data
      .U32(4)  // clamped
      .Rect(rect)
      .U32(Argb(from))
      .U32(Argb(to))
      .U32(0)
      .U32(0)
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::PolygonPath(int id, const std::vector<QPointF>& points) {
  Begin(ERecord::Object, static_cast<std::uint16_t>(0x0300 | id))
      .U32(kGraphicsVersion)
      .U32(static_cast<std::uint32_t>(points.size()))
      .U32(0)
      .Points(points);
  for (std::size_t i = 0; i < points.size(); ++i)
    records_.append(static_cast<char>(i == 0 ? 0x00 : i + 1 == points.size() ? 0x81 : 0x01));
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::SolidPen(int id, float width, const QColor& colour) {
  return Begin(ERecord::Object, static_cast<std::uint16_t>(0x0200 | id))
      .U32(kGraphicsVersion)
      .U32(0)
      .U32(0)  // no optional data
      .U32(0)  // world units
      .F32(width)
      .U32(kGraphicsVersion)
      .U32(0)
      .U32(Argb(colour))
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::FillPath(int pathId, const QColor& colour) {
  return Begin(ERecord::FillPath, static_cast<std::uint16_t>(0x8000 | pathId)).U32(Argb(colour)).End();
}

TEmfPlusWriter& TEmfPlusWriter::DrawPath(int pathId, int penId) {
  return Begin(ERecord::DrawPath, static_cast<std::uint16_t>(pathId))
      .U32(static_cast<std::uint32_t>(penId))
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::TranslateWorld(float dx, float dy) {
  return Begin(ERecord::TranslateWorldTransform).F32(dx).F32(dy).End();
}

TEmfPlusWriter& TEmfPlusWriter::ScaleWorld(float sx, float sy) {
  return Begin(ERecord::ScaleWorldTransform).F32(sx).F32(sy).End();
}

TEmfPlusWriter& TEmfPlusWriter::Save(std::uint32_t id) {
  return Begin(ERecord::Save).U32(id).End();
}

TEmfPlusWriter& TEmfPlusWriter::Restore(std::uint32_t id) {
  return Begin(ERecord::Restore).U32(id).End();
}

TEmfPlusWriter& TEmfPlusWriter::SetClipRect(const QRectF& rect, int mode) {
  return Begin(ERecord::SetClipRect, static_cast<std::uint16_t>(mode << 8)).Rect(rect).End();
}

TEmfPlusWriter& TEmfPlusWriter::Clear(const QColor& colour) {
  return Begin(ERecord::Clear).U32(Argb(colour)).End();
}

TEmfPlusWriter& TEmfPlusWriter::Pen(int id, float width, const QColor& colour, const TEmfPlusPenData& data) {
  std::uint32_t flags = 0;
  if (data.transform) flags |= EmfPlus::kPenDataTransform;
  if (data.startCap) flags |= EmfPlus::kPenDataStartCap;
  if (data.endCap) flags |= EmfPlus::kPenDataEndCap;
  if (!data.compound.empty()) flags |= EmfPlus::kPenDataCompoundLine;
  if (!data.customStartCap.isEmpty()) flags |= EmfPlus::kPenDataCustomStartCap;
  if (!data.customEndCap.isEmpty()) flags |= EmfPlus::kPenDataCustomEndCap;
  Begin(ERecord::Object, static_cast<std::uint16_t>(0x0200 | id)).U32(kGraphicsVersion).U32(0).U32(flags);
  U32(EmfPlus::kUnitWorld).F32(width);
  if (data.transform) Matrix(*data.transform);
  if (data.startCap) U32(static_cast<std::uint32_t>(*data.startCap));
  if (data.endCap) U32(static_cast<std::uint32_t>(*data.endCap));
  if (!data.compound.empty()) {
    U32(static_cast<std::uint32_t>(data.compound.size()));
    for (const float edge : data.compound) F32(edge);
  }
  for (const QByteArray* cap : {&data.customStartCap, &data.customEndCap}) {
    if (cap->isEmpty()) continue;
    U32(static_cast<std::uint32_t>(cap->size())).Raw(*cap);
  }
  return U32(kGraphicsVersion).U32(0).U32(Argb(colour)).End();
}

TEmfPlusWriter& TEmfPlusWriter::DrawLines(int penId, const std::vector<QPointF>& points) {
  return Begin(ERecord::DrawLines, static_cast<std::uint16_t>(penId))
      .U32(static_cast<std::uint32_t>(points.size()))
      .Points(points)
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::Font(int id, float emSize, int unit, std::int32_t style,
                                     const QString& family) {
  Begin(ERecord::Object, static_cast<std::uint16_t>(0x0600 | id)).U32(kGraphicsVersion).F32(emSize);
  U32(static_cast<std::uint32_t>(unit)).U32(static_cast<std::uint32_t>(style)).U32(0);
  U32(static_cast<std::uint32_t>(family.size()));
  for (const QChar c : family) U16(c.unicode());
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::StringFormat(int id, const TEmfPlusStringFormatData& format) {
  Begin(ERecord::Object, static_cast<std::uint16_t>(0x0700 | id)).U32(kGraphicsVersion).U32(format.flags);
  U32(0)
      .U32(static_cast<std::uint32_t>(format.alignment))
      .U32(static_cast<std::uint32_t>(format.lineAlignment));
  U32(0).U32(0).F32(0).U32(static_cast<std::uint32_t>(format.hotkeyPrefix));
  F32(format.leadingMargin).F32(format.trailingMargin).F32(1).U32(0).U32(0).U32(0);
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::DrawString(int fontId, const QColor& colour, int formatId,
                                           const QRectF& layout, const QString& text) {
  Begin(ERecord::DrawString, static_cast<std::uint16_t>(EmfPlus::kFlagColourBrush | fontId))
      .U32(Argb(colour));
  return StringFields(formatId, layout, text);
}

TEmfPlusWriter& TEmfPlusWriter::DrawStringWithBrush(int fontId, int brushId, int formatId,
                                                    const QRectF& layout, const QString& text) {
  Begin(ERecord::DrawString, static_cast<std::uint16_t>(fontId)).U32(static_cast<std::uint32_t>(brushId));
  return StringFields(formatId, layout, text);
}

TEmfPlusWriter& TEmfPlusWriter::StringFields(int formatId, const QRectF& layout, const QString& text) {
  U32(formatId < 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(formatId));
  U32(static_cast<std::uint32_t>(text.size())).Rect(layout);
  for (const QChar c : text) U16(c.unicode());
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::DrawDriverString(int fontId, const QColor& colour, const QString& text,
                                                 const std::vector<QPointF>& origins) {
  Begin(ERecord::DrawDriverString, static_cast<std::uint16_t>(EmfPlus::kFlagColourBrush | fontId));
  return DriverStringFields(Argb(colour), text, origins);
}

TEmfPlusWriter& TEmfPlusWriter::DrawDriverStringWithBrush(int fontId, int brushId, const QString& text,
                                                          const std::vector<QPointF>& origins) {
  Begin(ERecord::DrawDriverString, static_cast<std::uint16_t>(fontId));
  return DriverStringFields(static_cast<std::uint32_t>(brushId), text, origins);
}

TEmfPlusWriter& TEmfPlusWriter::DriverStringFields(std::uint32_t brush, const QString& text,
                                                   const std::vector<QPointF>& origins) {
  U32(brush).U32(EmfPlus::kDriverStringCmapLookup).U32(0).U32(static_cast<std::uint32_t>(text.size()));
  for (const QChar c : text) U16(c.unicode());
  return Points(origins).End();
}

TEmfPlusWriter& TEmfPlusWriter::BitmapImage(int id, const QImage& image) {
  Begin(ERecord::Object, static_cast<std::uint16_t>(0x0500 | id));
  return BitmapFields(image).End();
}

TEmfPlusWriter& TEmfPlusWriter::BitmapFields(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  U32(kGraphicsVersion).U32(1);
  U32(static_cast<std::uint32_t>(argb.width())).U32(static_cast<std::uint32_t>(argb.height()));
  U32(static_cast<std::uint32_t>(4 * argb.width())).U32(EmfPlus::kPixelFormat32bppARGB).U32(0);
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) U32(argb.pixel(x, y));
  return *this;
}

TEmfPlusWriter& TEmfPlusWriter::TextureBrush(int id, const QImage& image, std::int32_t wrapMode,
                                             const std::optional<QTransform>& transform) {
  Begin(ERecord::Object, static_cast<std::uint16_t>(0x0100 | id)).U32(kGraphicsVersion).U32(2);
  U32(transform ? EmfPlus::kBrushDataTransform : 0).U32(static_cast<std::uint32_t>(wrapMode));
  if (transform) Matrix(*transform);
  return BitmapFields(image).End();
}

TEmfPlusWriter& TEmfPlusWriter::ImageAttributes(int id, std::int32_t wrapMode, const QColor& clampColour) {
  return Begin(ERecord::Object, static_cast<std::uint16_t>(0x0800 | id))
      .U32(kGraphicsVersion)
      .U32(0)
      .U32(static_cast<std::uint32_t>(wrapMode))
      .U32(Argb(clampColour))
      .U32(0)
      .U32(0)
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::DrawImage(int imageId, int attributesId, const QRectF& source,
                                          const QRectF& destination) {
  return Begin(ERecord::DrawImage, static_cast<std::uint16_t>(imageId))
      .U32(attributesId < 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(attributesId))
      .U32(EmfPlus::kUnitPixel)
      .Rect(source)
      .Rect(destination)
      .End();
}

QByteArray TEmfPlusWriter::ArrowCap(float width, float height, bool filled) {
  TEmfPlusWriter w;
  w.U32(kGraphicsVersion).U32(1).F32(width).F32(height).F32(0).U32(filled ? 1 : 0);
  w.U32(0).U32(0).U32(0).F32(10).F32(1).F32(0).F32(0).F32(0).F32(0);
  return w.Bytes();
}

QByteArray TEmfPlusWriter::PathCap(const std::vector<QPointF>& points, bool filled, float baseInset,
                                   float widthScale) {
  TEmfPlusWriter path;
  path.U32(kGraphicsVersion).U32(static_cast<std::uint32_t>(points.size())).U32(0).Points(points);
  for (std::size_t i = 0; i < points.size(); ++i)
    path.records_.append(static_cast<char>(i == 0 ? 0x00 : i + 1 == points.size() ? 0x81 : 0x01));
  while (path.records_.size() % 4 != 0) path.records_.append('\0');
  TEmfPlusWriter w;
  w.U32(kGraphicsVersion)
      .U32(0)
      .U32(filled ? EmfPlus::kCustomLineCapDataFillPath : EmfPlus::kCustomLineCapDataLinePath);
  w.U32(EmfPlus::kLineCapFlat).F32(baseInset).U32(0).U32(0).U32(0).F32(10).F32(widthScale);
  w.F32(0).F32(0).F32(0).F32(0);
  w.U32(static_cast<std::uint32_t>(path.Bytes().size())).Raw(path.Bytes());
  return w.Bytes();
}

namespace {

constexpr std::uint32_t kVersion = 0xDBC01002;

std::uint16_t ObjectFlags(int type, int id) {
  return static_cast<std::uint16_t>((type << 8) | id);
}

void Utf16(TEmfPlusWriter& w, const QString& text) {
  for (const QChar c : text) w.U16(c.unicode());
}

QByteArray PngBytes() {
  QImage image(4, 4, QImage::Format_ARGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) image.setPixel(x, y, qRgba(60 * x, 60 * y, 200, 255));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

// A 2 x 2 bitmap image object body: 32-bit ARGB pixels.
void PixelImage(TEmfPlusWriter& w) {
  w.U32(kVersion).U32(1).U32(2).U32(2).U32(8).U32(0x0026200A).U32(0);
  w.U32(0xFFFF0000).U32(0xFF00FF00).U32(0xFF0000FF).U32(0x80FFFFFF);
}

}  // namespace

QByteArray EmfPlusSampleFile() {
  TEmfWriter emf({0, 0, 200, 150}, 96);
  TEmfPlusWriter w;
  w.Header(true);
  w.Begin(ERecord::SetPageTransform, 2).F32(1).End();  // page in pixels
  w.Begin(ERecord::SetAntiAliasMode, 0x0009).End();    // antialiased
  // Brushes: solid, hatch, linear gradient with blend factors, path gradient with preset colours, texture.
  w.SolidBrush(0, QColor(200, 30, 30));
  w.Begin(ERecord::Object, ObjectFlags(1, 1))
      .U32(kVersion)
      .U32(1)
      .U32(4)
      .U32(0xFF000080)
      .U32(0xFFFFFFFF)
      .End();
  w.Begin(ERecord::Object, ObjectFlags(1, 2))
      .U32(kVersion)
      .U32(4)
      .U32(0x02 | 0x08)
      .U32(0)
      .Rect(QRectF(0, 0, 100, 20));
  w.U32(0xFFFF0000).U32(0xFF0000FF).U32(0).U32(0);
  w.F32(1).F32(0.2f).F32(-0.2f).F32(1).F32(5).F32(5);  // brush transform
  w.U32(3).F32(0).F32(0.5f).F32(1).F32(0).F32(0.8f).F32(1).End();
  w.Begin(ERecord::Object, ObjectFlags(1, 3))
      .U32(kVersion)
      .U32(3)
      .U32(0x04)
      .U32(4)
      .U32(0xFFFFFF00)
      .F32(150)
      .F32(40);
  w.U32(2).U32(0xFF008000).U32(0xFF00FF00).U32(4).Points({{120, 10}, {180, 10}, {180, 70}, {120, 70}});
  w.U32(2).F32(0).F32(1).U32(0xFF000000).U32(0xFFFFFFFF).End();
  w.Begin(ERecord::Object, ObjectFlags(1, 4)).U32(kVersion).U32(2).U32(0).U32(0);
  PixelImage(w);
  w.End();
  // A texture brush split over continued records.
  {
    TEmfPlusWriter part;
    part.Begin(0, 0).U32(kVersion).U32(2).U32(0).U32(0);
    PixelImage(part);
    part.End();
    const QByteArray body = part.Bytes().mid(12);
    const auto total = static_cast<std::uint32_t>(body.size());
    w.Begin(ERecord::Object, 0x8000 | ObjectFlags(1, 5)).U32(total).Raw(body.left(20)).End();
    w.Begin(ERecord::Object, ObjectFlags(1, 5)).Raw(body.mid(20)).End();
  }
  // Pens: a dashed one with round joins and caps, a custom-dashed one, one in millimetres.
  w.Begin(ERecord::Object, ObjectFlags(2, 6))
      .U32(kVersion)
      .U32(0)
      .U32(0x02 | 0x04 | 0x08 | 0x20)
      .U32(0)
      .F32(3);
  w.U32(2).U32(1).U32(2).U32(1).U32(kVersion).U32(0).U32(0xFF0000FF).End();
  w.Begin(ERecord::Object, ObjectFlags(2, 7)).U32(kVersion).U32(0).U32(0x20 | 0x100 | 0x10).U32(0).F32(2);
  w.F32(4).U32(5).U32(4).F32(2).F32(1).F32(0.5f).F32(1).U32(kVersion).U32(0).U32(0xFF804000).End();
  w.Begin(ERecord::Object, ObjectFlags(2, 8)).U32(kVersion).U32(0).U32(0).U32(6).F32(0.5f);
  w.U32(kVersion)
      .U32(4)
      .U32(0)
      .U32(0)
      .Rect(QRectF(0, 0, 50, 50))
      .U32(0xFF00FFFF)
      .U32(0xFFFF00FF)
      .U32(0)
      .U32(0)
      .End();
  // Paths: 16-bit points with run-length types, relative points with a Bézier.
  w.Begin(ERecord::Object, ObjectFlags(3, 9)).U32(kVersion).U32(4).U32(0x4000 | 0x1000);
  w.U16(10).U16(80).U16(60).U16(80).U16(60).U16(140).U16(10).U16(140);
  w.U16(0x0001).U16(0x0102).U16(0x8101).End();  // runs: a start, two lines, a closing line
  w.Begin(ERecord::Object, ObjectFlags(3, 10)).U32(kVersion).U32(4).U32(0x0800);
  w.Raw(QByteArray("\x46\x50\x0A\x0A\x0A\x7B\x0A\x0A", 8));
  w.Raw(QByteArray("\x00\x03\x03\x83", 4)).End();
  // A region: the union of a rectangle and a path, then a region combining with infinity.
  {
    TEmfPlusWriter path;
    path.Begin(0, 0).U32(kVersion).U32(3).U32(0).Points({{100, 100}, {140, 140}, {100, 140}});
    path.Raw(QByteArray("\x00\x01\x81\x00", 4)).End();
    const QByteArray pathBody = path.Bytes().mid(12);
    w.Begin(ERecord::Object, ObjectFlags(4, 11))
        .U32(kVersion)
        .U32(2)
        .U32(2)
        .U32(0x10000000)
        .Rect(QRectF(90, 90, 20, 20));
    w.U32(0x10000001).U32(static_cast<std::uint32_t>(pathBody.size())).Raw(pathBody).End();
  }
  w.Begin(ERecord::Object, ObjectFlags(4, 12)).U32(kVersion).U32(2).U32(4).U32(0x10000003).U32(0x10000000);
  w.Rect(QRectF(0, 0, 200, 20)).End();
  // A font and a centring string format.
  w.Begin(ERecord::Object, ObjectFlags(6, 13)).U32(kVersion).F32(12).U32(3).U32(1).U32(0).U32(5);
  Utf16(w, "Arial");
  w.End();
  w.Begin(ERecord::Object, ObjectFlags(7, 14))
      .U32(kVersion)
      .U32(0x1000)
      .U32(0)
      .U32(1)
      .U32(1)
      .U32(0)
      .U32(0)
      .F32(0);
  w.U32(0).F32(0).F32(0).F32(1).U32(0).U32(0).U32(0).End();
  // Images: a PNG and a bitmap.
  const QByteArray png = PngBytes();
  w.Begin(ERecord::Object, ObjectFlags(5, 15))
      .U32(kVersion)
      .U32(1)
      .U32(4)
      .U32(4)
      .U32(16)
      .U32(0x0026200A)
      .U32(1);
  w.Raw(png).End();
  w.Begin(ERecord::Object, ObjectFlags(5, 16));
  PixelImage(w);
  w.End();
  w.Flush(emf);
  // Drawing, with the state records around it.
  w.Clear(QColor(255, 255, 255, 0));  // clear to transparent white: the frame starts transparent
  w.Save(1).Begin(ERecord::RotateWorldTransform).F32(10).End();
  w.FillRectsWithBrush(2, {QRectF(5, 5, 90, 20)});
  w.Restore(1);
  w.Begin(ERecord::DrawRects, 6).U32(1).Rect(QRectF(5, 30, 40, 20)).End();
  w.Begin(ERecord::FillPolygon, 0x4000 | 0x8000)
      .U32(0xFF808000)
      .U32(3)
      .U16(50)
      .U16(30)
      .U16(90)
      .U16(30)
      .U16(70)
      .U16(55)
      .End();
  w.Begin(ERecord::DrawLines, 7 | 0x2000).U32(3).Points({{100, 5}, {115, 25}, {100, 45}}).End();
  w.Begin(ERecord::FillEllipse).U32(3).Rect(QRectF(120, 10, 60, 60)).End();
  w.Begin(ERecord::DrawEllipse, 8).Rect(QRectF(125, 15, 50, 50)).End();
  w.Begin(ERecord::FillPie).U32(1).F32(30).F32(120).Rect(QRectF(60, 60, 40, 40)).End();
  w.Begin(ERecord::DrawPie, 6).F32(200).F32(90).Rect(QRectF(60, 60, 40, 40)).End();
  w.Begin(ERecord::DrawArc, 7).F32(-45).F32(-270).Rect(QRectF(65, 65, 30, 30)).End();
  w.Begin(ERecord::FillRegion, 11).U32(4).End();
  w.Begin(ERecord::FillRegion, 0x8000 | 12).U32(0x20000000).End();
  w.Begin(ERecord::FillPath, 9).U32(5).End();
  w.Begin(ERecord::DrawPath, 10).U32(6).End();
  w.Begin(ERecord::FillClosedCurve, 0x2000)
      .U32(0)
      .F32(0.5f)
      .U32(4)
      .Points({{150, 80}, {190, 90}, {180, 120}, {140, 110}})
      .End();
  w.Begin(ERecord::DrawClosedCurve, 7).F32(0.8f).U32(3).Points({{150, 120}, {190, 130}, {160, 145}}).End();
  w.Begin(ERecord::DrawCurve, 6)
      .F32(0.5f)
      .U32(1)
      .U32(2)
      .U32(4)
      .Points({{5, 145}, {30, 120}, {60, 145}, {90, 120}})
      .End();
  w.Begin(ERecord::DrawBeziers, 8).U32(4).Points({{100, 145}, {110, 100}, {130, 150}, {140, 110}}).End();
  w.Begin(ERecord::BeginContainer, 2).Rect(QRectF(0, 100, 50, 50)).Rect(QRectF(0, 0, 100, 100)).U32(2);
  w.End();
  w.Begin(ERecord::DrawImage, 15).U32(0).U32(2).Rect(QRectF(0, 0, 4, 4)).Rect(QRectF(10, 10, 80, 80)).End();
  w.Begin(ERecord::EndContainer).U32(2).End();
  w.Begin(ERecord::BeginContainerNoParams).U32(3).End();
  w.Begin(ERecord::MultiplyWorldTransform, 0x2000).F32(1).F32(0).F32(0).F32(1).F32(2).F32(2).End();
  w.Begin(ERecord::DrawImagePoints, 16)
      .U32(0)
      .U32(2)
      .Rect(QRectF(0, 0, 2, 2))
      .U32(3)
      .Points({{160, 100}, {190, 105}, {155, 140}});
  w.End();
  w.Begin(ERecord::EndContainer).U32(3).End();
  w.SetClipRect(QRectF(0, 0, 150, 150), 0);
  w.Begin(ERecord::SetClipPath, (1 << 8) | 9).End();
  w.Begin(ERecord::SetClipRegion, (4 << 8) | 11).End();
  w.Begin(ERecord::OffsetClip).F32(3).F32(-2).End();
  w.Begin(ERecord::DrawString, 0x8000 | 13).U32(0xFF000000).U32(14).U32(5).Rect(QRectF(0, 0, 200, 150));
  Utf16(w, "EMF+!");
  w.End();
  w.Begin(ERecord::ResetClip).End();
  w.Begin(ERecord::SetWorldTransform).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).End();
  w.Begin(ERecord::DrawDriverString, 0x8000 | 13).U32(0xFF0000FF).U32(1).U32(1).U32(3);
  Utf16(w, "abc");
  w.Points({{10, 60}, {20, 60}, {30, 60}}).F32(1).F32(0).F32(0.2f).F32(1).F32(0).F32(0).End();
  // Glyph indices of the font, placed from one origin by their advances.
  w.Begin(ERecord::DrawDriverString, 0x8000 | 13)
      .U32(0xFF008000)
      .U32(4)
      .U32(0)
      .U32(3)
      .U16(36)
      .U16(37)
      .U16(38);
  w.Points({{10, 80}}).End();
  // A compound pen with a flat start and a triangle end, and a clamped path gradient with a focus.
  w.Begin(ERecord::Object, ObjectFlags(2, 17)).U32(kVersion).U32(0).U32(0x02 | 0x04 | 0x400).U32(0).F32(6);
  w.U32(0).U32(3).U32(4).F32(0).F32(0.3f).F32(0.7f).F32(1).U32(kVersion).U32(0).U32(0xFF006060).End();
  w.Begin(ERecord::Object, ObjectFlags(1, 18))
      .U32(kVersion)
      .U32(3)
      .U32(0x40)
      .U32(4)
      .U32(0xFFFFFFFF)
      .F32(40)
      .F32(120);
  w.U32(1).U32(0xFF800080).U32(3).Points({{20, 100}, {60, 140}, {10, 145}}).U32(2).F32(0.4f).F32(0.2f).End();
  w.Begin(ERecord::DrawLines, 17).U32(3).Points({{60, 90}, {90, 95}, {70, 110}}).End();
  w.Begin(ERecord::FillEllipse).U32(18).Rect(QRectF(10, 95, 55, 55)).End();
  // A pen of its own transform drawing a compound line between an inset path cap and a filled arrow; a
  // bitmap drawn beyond its edges, mirrored; a clamped texture; text wrapped to whole lines.
  TEmfPlusPenData pen;
  pen.transform = QTransform(1, 0.5, 0, 2, 7, 7);
  pen.compound = {0, 0.4f, 0.6f, 1};
  pen.customStartCap = TEmfPlusWriter::PathCap({{-0.5, 0}, {0.5, 0}, {0, 1}, {-0.5, 0}}, true, 1);
  pen.customEndCap = TEmfPlusWriter::ArrowCap(3, 3, true);
  w.Pen(19, 3, QColor(90, 0, 90), pen).DrawLines(19, {{100, 60}, {140, 75}});
  w.ImageAttributes(20, EmfPlus::kWrapTileFlipXY, Qt::transparent);
  w.DrawImage(16, 20, QRectF(-1, -1, 4, 4), QRectF(5, 5, 20, 20));
  QImage texture(2, 2, QImage::Format_ARGB32);
  texture.fill(QColor(0, 120, 200));
  texture.setPixelColor(0, 0, QColor(250, 200, 0));
  w.TextureBrush(21, texture, EmfPlus::kWrapClamp, QTransform::fromScale(4, 4).translate(7, 1));
  w.FillRectsWithBrush(21, {QRectF(26, 2, 20, 20)});
  TEmfPlusStringFormatData format;
  format.flags = EmfPlus::kStringFormatLineLimit;
  format.alignment = EmfPlus::kStringAlignmentCenter;
  w.StringFormat(22, format)
      .DrawString(13, QColor(0, 90, 0), 22, QRectF(100, 2, 40, 30), "Wrapped EMF+ text");
  w.Begin(ERecord::ResetWorldTransform).End();
  w.GetDC().Flush(emf);
  TMetaShape shape;
  shape.kind = TMetaShape::EKind::Ellipse;
  shape.box = {170, 130, 195, 148};
  shape.brushColour = QColor(0, 128, 255);
  emf.AddShape(shape);
  w.EndOfFile().Flush(emf);
  return emf.Finish();
}
