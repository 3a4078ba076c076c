// EMF+ strings and driver strings filled from their glyphs' outlines, laid out at a fixed pixel size.
#include "metafile/emfplus/EmfPlusText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <cmath>

#include "metafile/draw/MetaGlyphs.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/emfplus/EmfPlusStringLayout.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

// Text is laid out with the font at this pixel size and scaled to its real size, which may be a
// fraction of a pixel in world units.
constexpr int kLayoutPixels = 100;
constexpr double kMinEm = 1e-4, kMaxEm = 1e6;

bool Usable(double emSize) {
  return std::isfinite(emSize) && emSize >= kMinEm && emSize <= kMaxEm;
}

// The brush of a fill in world units, for outlines laid out at kLayoutPixels and scaled to the em.
QBrush InLayoutUnits(const QBrush& brush, double scale) {
  QBrush scaled = brush;
  scaled.setTransform(brush.transform() * QTransform::fromScale(1 / scale, 1 / scale));
  return scaled;
}

// Glyphs are filled by the winding rule, as GDI+ fills them: contours that overlap keep their ink.
void FillOutlines(QPainter& painter, QPainterPath& outlines, const QBrush& brush, double scale) {
  outlines.setFillRule(Qt::WindingFill);
  painter.fillPath(outlines, InLayoutUnits(brush, scale));
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
                       double emSize, const QBrush& brush, TMetaTextOutlines& outlines) {
  if (!Usable(emSize) || text.isEmpty()) return;
  const double scale = emSize / kLayoutPixels;
  const QFont qfont = EmfPlusQFont(font);
  const QRectF box(layout.x() / scale, layout.y() / scale, std::max(0.0, layout.width() / scale),
                   std::max(0.0, layout.height() / scale));
  const TEmfPlusStringFormat plain;
  const TEmfPlusStringFormat& how = format ? *format : plain;
  // Filled from the glyphs' outlines, as GDI text is: glyph images would stand each line on a whole
  // device pixel.
  QPainterPath filled;
  filled.setFillRule(Qt::WindingFill);
  for (const TEmfPlusTextLine& line :
       LayOutEmfPlusString(text, QFontMetricsF(qfont), kLayoutPixels, box, how))
    if (!line.text.isEmpty()) filled.addPath(outlines.Outline(qfont, line.text).translated(line.origin));
  painter.setTransform(QTransform::fromScale(scale, scale) * worldToDevice);
  const QBrush layoutBrush = InLayoutUnits(brush, scale);
  // The layout rectangle clips the text unless the format says otherwise.
  const bool clipped = box.width() > 0 && box.height() > 0 && !(how.flags & EmfPlus::kStringFormatNoClip);
  if (!clipped) {
    painter.fillPath(filled, layoutBrush);
    return;
  }
  painter.save();
  painter.setClipRect(box, Qt::IntersectClip);
  painter.fillPath(filled, layoutBrush);
  painter.restore();
}

void DrawEmfPlusGlyphs(QPainter& painter, const QTransform& worldToDevice, const QString& text,
                       const std::vector<QPointF>& origins, const TEmfPlusFont& font, double emSize,
                       const QBrush& brush, TMetaTextOutlines& outlines) {
  if (!Usable(emSize) || text.isEmpty() || origins.empty()) return;
  const double scale = emSize / kLayoutPixels;
  const QFont qfont = EmfPlusQFont(font);
  // Filled from the glyphs' outlines, as strings and GDI text are, at the exact place the positions
  // give them: glyph images would stand each on a whole device pixel.
  QPainterPath filled;
  if (origins.size() == 1 || origins.size() < static_cast<std::size_t>(text.size())) {
    filled.addPath(outlines.Outline(qfont, text).translated(origins.front() / scale));
  } else {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text[i];
      if (c.isSpace()) continue;
      filled.addPath(
          outlines.Outline(qfont, QString(c)).translated(origins[static_cast<std::size_t>(i)] / scale));
    }
  }
  painter.setTransform(QTransform::fromScale(scale, scale) * worldToDevice);
  FillOutlines(painter, filled, brush, scale);
}

void DrawEmfPlusGlyphIndices(QPainter& painter, const QTransform& worldToDevice,
                             const std::vector<std::uint16_t>& glyphs, const std::vector<QPointF>& origins,
                             const TEmfPlusFont& font, double emSize, const QBrush& brush,
                             TMetaTextOutlines& outlines) {
  if (!Usable(emSize) || glyphs.empty() || origins.empty()) return;
  const QFont qfont = EmfPlusQFont(font);
  const QRawFont rawFont = QRawFont::fromFont(qfont);
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
  QPainterPath filled;
  for (qsizetype i = 0; i < indexes.size(); ++i)
    filled.addPath(outlines.GlyphOutline(qfont, rawFont, indexes[i]).translated(positions[i]));
  painter.setTransform(QTransform::fromScale(scale, scale) * worldToDevice);
  FillOutlines(painter, filled, brush, scale);
}
