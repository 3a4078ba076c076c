#pragma once

#include <QByteArray>
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <vector>

#include "metafile/emfplus/EmfPlusTypes.h"

class QImage;
class TEmfWriter;

// A pen's optional data, as GDI+ writes it after the width: each field there when it is set.
struct TEmfPlusPenData {
  std::optional<QTransform> transform;
  std::optional<std::int32_t> startCap, endCap;  // EmfPlus::ELineCap
  std::vector<float> compound;                   // fractions of the width, in pairs
  // The bytes of custom line cap objects (TEmfPlusWriter::ArrowCap, PathCap).
  QByteArray customStartCap, customEndCap;
};

// A string format's fields; the defaults are those of GDI+'s typographic format.
struct TEmfPlusStringFormatData {
  std::uint32_t flags = 0;  // EmfPlus::kStringFormat*
  std::int32_t alignment = 0, lineAlignment = 0;
  std::int32_t hotkeyPrefix = 0;
  float leadingMargin = 0, trailingMargin = 0;  // in ems
};

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
  TEmfPlusWriter& Matrix(const QTransform& matrix);
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
  TEmfPlusWriter& Clear(const QColor& colour);
  TEmfPlusWriter& Pen(int id, float width, const QColor& colour, const TEmfPlusPenData& data);
  TEmfPlusWriter& DrawLines(int penId, const std::vector<QPointF>& points);
  // A font of the family, its em in the unit (EmfPlus::EUnit), with EmfPlus::kFontStyle* flags.
  TEmfPlusWriter& Font(int id, float emSize, int unit, std::int32_t style, const QString& family);
  TEmfPlusWriter& StringFormat(int id, const TEmfPlusStringFormatData& format);
  // Text of the font in its layout rectangle, in an ARGB colour; formatId -1 for no string format.
  TEmfPlusWriter& DrawString(int fontId, const QColor& colour, int formatId, const QRectF& layout,
                             const QString& text);
  // The same, filled with the brush object in the slot.
  TEmfPlusWriter& DrawStringWithBrush(int fontId, int brushId, int formatId, const QRectF& layout,
                                      const QString& text);
  // Characters of the font, each at its own origin.
  TEmfPlusWriter& DrawDriverString(int fontId, const QColor& colour, const QString& text,
                                   const std::vector<QPointF>& origins);
  // The same, filled with the brush object in the slot.
  TEmfPlusWriter& DrawDriverStringWithBrush(int fontId, int brushId, const QString& text,
                                            const std::vector<QPointF>& origins);
  // A bitmap image object of 32-bit ARGB pixels.
  TEmfPlusWriter& BitmapImage(int id, const QImage& image);
  // A texture brush of the image's pixels, repeated as the wrap mode (EmfPlus::EWrapMode) says, its
  // pixels mapped into the world by the transform when there is one.
  TEmfPlusWriter& TextureBrush(int id, const QImage& image, std::int32_t wrapMode,
                               const std::optional<QTransform>& transform = std::nullopt);
  // An image attributes object: its wrap mode (EmfPlus::EWrapMode) and the colour Clamp shows outside.
  TEmfPlusWriter& ImageAttributes(int id, std::int32_t wrapMode, const QColor& clampColour);
  // The source rectangle (in pixels) of the image onto the destination, with attributes (-1: none).
  TEmfPlusWriter& DrawImage(int imageId, int attributesId, const QRectF& source, const QRectF& destination);

  // Custom line cap objects: an adjustable arrow, sizes in pen widths; a path of points closed at its
  // last one, filled or stroked, its base inset in pen widths.
  static QByteArray ArrowCap(float width, float height, bool filled);
  static QByteArray PathCap(const std::vector<QPointF>& points, bool filled, float baseInset,
                            float widthScale = 1);

  const QByteArray& Bytes() const { return records_; }

 private:
  // An image object's fields for a bitmap of 32-bit ARGB pixels.
  TEmfPlusWriter& BitmapFields(const QImage& image);
  // A DrawString record's fields after its brush.
  TEmfPlusWriter& StringFields(int formatId, const QRectF& layout, const QString& text);
  // A DrawDriverString record's fields from its brush (an ARGB colour or a slot) on: characters
  // looked up in the font's character map, no matrix.
  TEmfPlusWriter& DriverStringFields(std::uint32_t brush, const QString& text,
                                     const std::vector<QPointF>& origins);

  QByteArray records_;
  qsizetype start_ = -1;
};

std::uint32_t Argb(const QColor& colour);

// A dual EMF+ drawing that uses most EMF+ records and objects once: brushes of every kind, dashed
// pens, compressed and relative points, regions, text, images, containers and clipping. 200 x 150
// units at 96 dpi.
QByteArray EmfPlusSampleFile();
