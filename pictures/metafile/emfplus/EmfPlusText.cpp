#include "metafile/emfplus/EmfPlusText.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <cmath>

#include "metafile/draw/MetaGlyphs.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

// Text is laid out with the font at this pixel size and scaled to its real size, which may be a
// fraction of a pixel in world units.
constexpr int kLayoutPixels = 100;
constexpr double kMinEm = 1e-4, kMaxEm = 1e6;

bool Usable(double emSize) {
  return std::isfinite(emSize) && emSize >= kMinEm && emSize <= kMaxEm;
}

// Qt keeps glyphs of up to about this many device pixels in a cache of images made under the
// painter's transform, and sizes that cache by the transform's area: a glyph stretched along one axis
// would cost an image as long as its stretch. Larger glyphs are filled as outlines.
constexpr double kMaxCachedGlyphPixels = 64;

bool AsOutlines(const QTransform& layoutToDevice) {
  const double across = kLayoutPixels * std::hypot(layoutToDevice.m11(), layoutToDevice.m12());
  const double down = kLayoutPixels * std::hypot(layoutToDevice.m21(), layoutToDevice.m22());
  return !(across <= kMaxCachedGlyphPixels && down <= kMaxCachedGlyphPixels);
}

int Horizontal(int alignment) {
  return alignment == EmfPlus::kStringAlignmentCenter ? Qt::AlignHCenter
         : alignment == EmfPlus::kStringAlignmentFar  ? Qt::AlignRight
                                                      : Qt::AlignLeft;
}

int Vertical(int alignment) {
  return alignment == EmfPlus::kStringAlignmentCenter ? Qt::AlignVCenter
         : alignment == EmfPlus::kStringAlignmentFar  ? Qt::AlignBottom
                                                      : Qt::AlignTop;
}

}  // namespace

QFont EmfPlusQFont(const TEmfPlusFont& font) {
  QFont qfont(font.family.isEmpty() ? QStringLiteral("Arial") : font.family);
  qfont.setPixelSize(kLayoutPixels);
  qfont.setBold(font.style & EmfPlus::kFontStyleBold);
  qfont.setItalic(font.style & EmfPlus::kFontStyleItalic);
  qfont.setUnderline(font.style & EmfPlus::kFontStyleUnderline);
  qfont.setStrikeOut(font.style & EmfPlus::kFontStyleStrikeout);
  return qfont;
}

void DrawEmfPlusString(QPainter& painter, const QTransform& worldToDevice, const QString& text,
                       const QRectF& layout, const TEmfPlusFont& font, const TEmfPlusStringFormat* format,
                       double emSize, const QBrush& brush) {
  if (!Usable(emSize) || text.isEmpty()) return;
  const double scale = emSize / kLayoutPixels;
  painter.setTransform(QTransform::fromScale(scale, scale) * worldToDevice);
  painter.setFont(EmfPlusQFont(font));
  painter.setPen(QPen(brush, 0));
  const QRectF box(layout.x() / scale, layout.y() / scale, std::max(0.0, layout.width() / scale),
                   std::max(0.0, layout.height() / scale));
  int flags = Qt::TextDontClip;
  flags |= Horizontal(format ? format->alignment : 0) | Vertical(format ? format->lineAlignment : 0);
  const bool wrap = box.width() > 0 && !(format && (format->flags & EmfPlus::kStringFormatNoWrap));
  if (wrap) flags |= Qt::TextWordWrap;
  QRectF anchored = box;
  // A rectangle without width or height only anchors the text.
  if (box.width() <= 0) anchored.setWidth(0);
  if (box.height() <= 0) anchored.setHeight(0);
  if (!AsOutlines(painter.transform())) {
    painter.drawText(anchored, flags, text);
    return;
  }
  // As outlines, laid out by Qt's own rules for the rectangle, one line at a time.
  const QFont qfont = EmfPlusQFont(font);
  const QFontMetricsF metrics(qfont);
  const QRectF inked = metrics.boundingRect(anchored, flags, text);
  QPainterPath outlines;
  double y = inked.top() + metrics.ascent();
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const double width = metrics.horizontalAdvance(line);
    double x = inked.left();
    if (flags & Qt::AlignHCenter) x = inked.center().x() - width / 2;
    if (flags & Qt::AlignRight) x = inked.right() - width;
    outlines.addText(QPointF(x, y), qfont, line);
    y += metrics.lineSpacing();
  }
  painter.fillPath(outlines, brush);
}

void DrawEmfPlusGlyphs(QPainter& painter, const QTransform& worldToDevice, const QString& text,
                       const std::vector<QPointF>& origins, const TEmfPlusFont& font, double emSize,
                       const QBrush& brush) {
  if (!Usable(emSize) || text.isEmpty() || origins.empty()) return;
  const double scale = emSize / kLayoutPixels;
  painter.setTransform(QTransform::fromScale(scale, scale) * worldToDevice);
  painter.setFont(EmfPlusQFont(font));
  painter.setPen(QPen(brush, 0));
  const bool asOutlines = AsOutlines(painter.transform());
  const QFont qfont = EmfPlusQFont(font);
  QPainterPath outlines;
  const auto draw = [&](QPointF at, const QString& part) {
    if (asOutlines)
      outlines.addText(at, qfont, part);
    else
      painter.drawText(at, part);
  };
  if (origins.size() == 1 || origins.size() < static_cast<std::size_t>(text.size())) {
    draw(origins.front() / scale, text);
  } else {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text[i];
      if (c.isSpace()) continue;
      draw(origins[static_cast<std::size_t>(i)] / scale, QString(c));
    }
  }
  if (asOutlines) painter.fillPath(outlines, brush);
}

void DrawEmfPlusGlyphIndices(QPainter& painter, const QTransform& worldToDevice,
                             const std::vector<std::uint16_t>& glyphs, const std::vector<QPointF>& origins,
                             const TEmfPlusFont& font, double emSize, const QBrush& brush) {
  if (!Usable(emSize) || glyphs.empty() || origins.empty()) return;
  const QRawFont rawFont = QRawFont::fromFont(EmfPlusQFont(font));
  if (!rawFont.isValid()) return;
  const QList<quint32> indexes = MetaFontGlyphs(rawFont, glyphs);
  const double scale = emSize / kLayoutPixels;
  QList<QPointF> positions;
  positions.reserve(indexes.size());
  if (origins.size() < glyphs.size()) {
    const QList<QPointF> advances = rawFont.advancesForGlyphIndexes(indexes);
    QPointF at = origins.front() / scale;
    for (qsizetype i = 0; i < indexes.size(); ++i) {
      positions.push_back(at);
      if (i < advances.size()) at += advances[i];
    }
  } else {
    for (qsizetype i = 0; i < indexes.size(); ++i)
      positions.push_back(origins[static_cast<std::size_t>(i)] / scale);
  }
  painter.setTransform(QTransform::fromScale(scale, scale) * worldToDevice);
  if (AsOutlines(painter.transform())) {
    QPainterPath outlines;
    for (qsizetype i = 0; i < indexes.size(); ++i)
      outlines.addPath(rawFont.pathForGlyph(indexes[i]).translated(positions[i]));
    painter.fillPath(outlines, brush);
    return;
  }
  painter.setPen(QPen(brush, 0));
  QGlyphRun run;
  run.setRawFont(rawFont);
  run.setGlyphIndexes(indexes);
  run.setPositions(positions);
  painter.drawGlyphRun(QPointF(0, 0), run);
}
