#pragma once

#include <QByteArray>
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <vector>

#include "metafile/emfplus/EmfPlusTypes.h"

class TEmfWriter;

// Writes EMF+ records, byte by byte as GDI+ lays them out, and wraps them in the comment records of
// an EMF.
class TEmfPlusWriter {
 public:
  // Starts a record; the fields that follow go into it until End. A type outside the enumeration
  // writes a record no reader knows, or an object's bytes alone.
  TEmfPlusWriter& Begin(EmfPlus::ERecord type, std::uint16_t flags = 0);
  TEmfPlusWriter& Begin(std::uint16_t type, std::uint16_t flags = 0);
  TEmfPlusWriter& U32(std::uint32_t value);
  TEmfPlusWriter& F32(float value);
  TEmfPlusWriter& U16(std::uint16_t value);
  TEmfPlusWriter& Raw(const QByteArray& bytes);
  TEmfPlusWriter& Rect(const QRectF& rect);
  TEmfPlusWriter& Points(const std::vector<QPointF>& points);
  // Ends the record, filling in its sizes.
  TEmfPlusWriter& End();
  // Appends the finished records as one EMF comment and starts afresh.
  void Flush(TEmfWriter& emf);

  // Common records.
  TEmfPlusWriter& Header(bool dual);
  TEmfPlusWriter& EndOfFile();
  TEmfPlusWriter& GetDC();
  TEmfPlusWriter& FillRects(const QColor& colour, const std::vector<QRectF>& rects);
  TEmfPlusWriter& FillRectsWithBrush(int brushId, const std::vector<QRectF>& rects);
  TEmfPlusWriter& SolidBrush(int id, const QColor& colour);
  // A linear gradient from `from` at the rectangle's left edge to `to` at its right.
  TEmfPlusWriter& LinearGradientBrush(int id, const QRectF& rect, const QColor& from, const QColor& to);
  // A path of float points: a polygon closed at its last point.
  TEmfPlusWriter& PolygonPath(int id, const std::vector<QPointF>& points);
  TEmfPlusWriter& SolidPen(int id, float width, const QColor& colour);
  TEmfPlusWriter& FillPath(int pathId, const QColor& colour);
  TEmfPlusWriter& DrawPath(int pathId, int penId);
  TEmfPlusWriter& TranslateWorld(float dx, float dy);
  TEmfPlusWriter& ScaleWorld(float sx, float sy);
  TEmfPlusWriter& Save(std::uint32_t id);
  TEmfPlusWriter& Restore(std::uint32_t id);
  TEmfPlusWriter& SetClipRect(const QRectF& rect, int mode);

  const QByteArray& Bytes() const { return records_; }

 private:
  QByteArray records_;
  qsizetype start_ = -1;
};

std::uint32_t Argb(const QColor& colour);

// A dual EMF+ drawing that uses most EMF+ records and objects once: brushes of every kind, dashed
// pens, compressed and relative points, regions, text, images, containers and clipping. 200 x 150
// units at 96 dpi.
QByteArray EmfPlusSampleFile();
