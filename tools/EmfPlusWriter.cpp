#include "EmfPlusWriter.h"

#include <QtEndian>
#include <bit>

#include "EmfWriter.h"

namespace {

constexpr std::uint32_t kGraphicsVersion = 0xDBC01002;

void PutU32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::uint32_t Argb(const QColor& colour) {
  return colour.rgba();
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
  return Begin(0x4001, dual ? 1 : 0).U32(kGraphicsVersion).U32(1).U32(96).U32(96).End();
}

TEmfPlusWriter& TEmfPlusWriter::EndOfFile() {
  return Begin(0x4002).End();
}

TEmfPlusWriter& TEmfPlusWriter::GetDC() {
  return Begin(0x4004).End();
}

TEmfPlusWriter& TEmfPlusWriter::FillRects(const QColor& colour, const std::vector<QRectF>& rects) {
  Begin(0x400A, 0x8000).U32(Argb(colour)).U32(static_cast<std::uint32_t>(rects.size()));
  for (const QRectF& rect : rects) Rect(rect);
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::FillRectsWithBrush(int brushId, const std::vector<QRectF>& rects) {
  Begin(0x400A).U32(static_cast<std::uint32_t>(brushId)).U32(static_cast<std::uint32_t>(rects.size()));
  for (const QRectF& rect : rects) Rect(rect);
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::SolidBrush(int id, const QColor& colour) {
  return Begin(0x4008, static_cast<std::uint16_t>(0x0100 | id))
      .U32(kGraphicsVersion)
      .U32(0)
      .U32(Argb(colour))
      .End();
}

TEmfPlusWriter& TEmfPlusWriter::LinearGradientBrush(int id, const QRectF& rect, const QColor& from,
                                                    const QColor& to) {
  return Begin(0x4008, static_cast<std::uint16_t>(0x0100 | id))
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
  Begin(0x4008, static_cast<std::uint16_t>(0x0300 | id))
      .U32(kGraphicsVersion)
      .U32(static_cast<std::uint32_t>(points.size()))
      .U32(0)
      .Points(points);
  for (std::size_t i = 0; i < points.size(); ++i)
    records_.append(static_cast<char>(i == 0 ? 0x00 : i + 1 == points.size() ? 0x81 : 0x01));
  return End();
}

TEmfPlusWriter& TEmfPlusWriter::SolidPen(int id, float width, const QColor& colour) {
  return Begin(0x4008, static_cast<std::uint16_t>(0x0200 | id))
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
  return Begin(0x4014, static_cast<std::uint16_t>(0x8000 | pathId)).U32(Argb(colour)).End();
}

TEmfPlusWriter& TEmfPlusWriter::DrawPath(int pathId, int penId) {
  return Begin(0x4015, static_cast<std::uint16_t>(pathId)).U32(static_cast<std::uint32_t>(penId)).End();
}

TEmfPlusWriter& TEmfPlusWriter::TranslateWorld(float dx, float dy) {
  return Begin(0x402D).F32(dx).F32(dy).End();
}

TEmfPlusWriter& TEmfPlusWriter::ScaleWorld(float sx, float sy) {
  return Begin(0x402E).F32(sx).F32(sy).End();
}

TEmfPlusWriter& TEmfPlusWriter::Save(std::uint32_t id) {
  return Begin(0x4025).U32(id).End();
}

TEmfPlusWriter& TEmfPlusWriter::Restore(std::uint32_t id) {
  return Begin(0x4026).U32(id).End();
}

TEmfPlusWriter& TEmfPlusWriter::SetClipRect(const QRectF& rect, int mode) {
  return Begin(0x4032, static_cast<std::uint16_t>(mode << 8)).Rect(rect).End();
}
