// Text runs drawn as GDI draws them: fonts, alignment, spacing, background, character sets, glyph
// outlines.
#include "metafile/play/MetaTextPlayer.h"

#include "metafile/draw/MetaGlyphs.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/play/MetaCharset.h"
#include "metafile/play/MetaColour.h"
#include "metafile/play/MetaSymbolFont.h"

#include <uemf.h>

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Fonts are rasterised at most this many pixels high and scaled beyond it.
constexpr int kMaxRasterPixels = 2048;
// Text larger than this in window pixels or placed farther out than this is not drawn: it could only
// cover the whole picture or nothing of it.
constexpr double kMaxWindowEm = 100000;
constexpr double kMaxWindowCoordinate = 1e7;
// Size of the font a file uses before it selects one, in logical units.
constexpr int kDefaultFontHeight = -12;

// Windows-1252 where it differs from Latin-1 (0x80-0x9F); 0 marks the bytes it leaves undefined.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// GDI's average character width, which a font's width is measured against, is the average of the
// lowercase letters and space weighted by their frequency in English text. The OS/2 table's own
// average of newer fonts covers all glyphs and is much wider, so it is computed here.
double AverageCharWidth(const QFontMetricsF& metrics) {
  static constexpr std::array<int, 26> kLetterWeights = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                                         56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
  constexpr int kSpaceWeight = 166;
  double sum = kSpaceWeight * metrics.horizontalAdvance(QLatin1Char(' '));
  for (int i = 0; i < 26; ++i)
    sum += kLetterWeights[static_cast<std::size_t>(i)] *
           metrics.horizontalAdvance(QLatin1Char(static_cast<char>('a' + i)));
  return sum / 1000;
}

QFont QtFont(const TMetaFont& font) {
  QFont qfont(font.face.isEmpty() ? QStringLiteral("Liberation Sans") : font.face);
  // A weight of 0 is the default one; Qt takes weights up to 1000, as LOGFONT does.
  qfont.setWeight(
      static_cast<QFont::Weight>(font.weight <= 0 ? U_FW_NORMAL : std::clamp(font.weight, 1, 1000)));
  qfont.setItalic(font.italic);
  qfont.setUnderline(font.underline);
  qfont.setStrikeOut(font.strikeOut);
  qfont.setKerning(false);
  qfont.setHintingPreference(QFont::PreferNoHinting);
  return qfont;
}

// The text's characters: one QString index per dx entry, surrogate pairs taking the pair's first.
struct TLaidOutText {
  QString text;
  std::vector<double> advances;  // local units, per character
  double width = 0;
};

// The advances of glyphs by index: the record's own where it gives them, else the font's with the
// character extra.
TLaidOutText LayOutGlyphs(const QList<quint32>& glyphs, const QRawFont& rawFont,
                          const std::vector<std::int32_t>& advances, int charExtra, double logicalToLocal) {
  TLaidOutText laid;
  const QList<QPointF> own = rawFont.advancesForGlyphIndexes(glyphs);
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const double advance = k < advances.size()
                               ? advances[k] * logicalToLocal
                               : (i < own.size() ? own[i].x() : 0) + charExtra * logicalToLocal;
    laid.advances.push_back(advance);
    laid.width += advance;
  }
  return laid;
}

// The advances of characters: the record's own where it gives them, else the font's with the character
// extra and, for spaces, the justification's share.
TLaidOutText LayOutSpaced(const QString& text, const QFontMetricsF& metrics,
                          const std::vector<std::int32_t>& advances, int charExtra, double breakExtra,
                          double logicalToLocal) {
  TLaidOutText laid{text, {}, 0};
  laid.advances.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    const double justify = text.at(i) == QLatin1Char(' ') ? breakExtra : 0;
    double advance = k < advances.size()
                         ? advances[k] * logicalToLocal
                         : metrics.horizontalAdvance(text.at(i)) + (charExtra + justify) * logicalToLocal;
    laid.advances.push_back(advance);
    laid.width += advance;
  }
  return laid;
}

// The outlines of glyphs by index, each at its advance along the baseline from origin.
QPainterPath GlyphOutlines(const QRawFont& rawFont, const QList<quint32>& glyphs, const TLaidOutText& laid,
                           QPointF origin) {
  QPainterPath outlines;
  double x = origin.x();
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    outlines.addPath(rawFont.pathForGlyph(glyphs[i]).translated(x, origin.y()));
    x += laid.advances[static_cast<std::size_t>(i)];
  }
  return outlines;
}

// The outlines of the text from origin along the baseline: at once, or each character at its own
// advance when spaced, a surrogate pair as one character.
QPainterPath TextOutlines(TMetaTextOutlines& kept, const QFont& font, const TLaidOutText& laid, bool spaced,
                          QPointF origin) {
  QPainterPath outlines;
  const QString& text = laid.text;
  if (!spaced) {
    outlines.addPath(kept.Outline(font, text).translated(origin));
    return outlines;
  }
  double x = origin.x();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    outlines.addPath(kept.Outline(font, text.mid(i, length)).translated(QPointF(x, origin.y())));
    x += laid.advances[static_cast<std::size_t>(i)];
    if (length == 2) x += laid.advances[static_cast<std::size_t>(++i)];
  }
  return outlines;
}

}  // namespace

QString DecodeMetaAnsi(const QByteArray& bytes, std::uint8_t charset, std::vector<std::int32_t>* advances) {
  if (const char* codePage = MetaCharsetCodePage(charset)) {
    const QString decoded = DecodeMetaCodePage(bytes, codePage, advances);
    if (!decoded.isEmpty() || bytes.isEmpty()) return decoded;
  }
  QString text = QString::fromLatin1(bytes);
  if (charset != U_ANSI_CHARSET && charset != U_DEFAULT_CHARSET) return text;
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if (u >= 0x80 && u < 0xA0 && kCp1252High[u - 0x80] != 0) c = QChar(kCp1252High[u - 0x80]);
  }
  return text;
}

QRectF PlayMetaText(QPainter* painter, const TMetaTextRun& run, const TMetaFont* font, TMetaDc& dc,
                    const QTransform& logicalToWindow, TMetaTextOutlines* textOutlines) {
  TMetaFont defaultFont;
  defaultFont.height = kDefaultFontHeight;
  const TMetaFont& f = font ? *font : defaultFont;
  // Multi-byte code pages turn the advances of the bytes into advances of the characters.
  std::vector<std::int32_t> advances = run.dx;
  QString text = run.isAnsi ? DecodeMetaAnsi(run.ansi, f.charset, &advances) : run.text;
  if (IsSymbolFontFace(f.face)) text = SymbolFontTextFor(QtFont(f), std::move(text));
  const bool updateCp = (dc.textAlign & U_TA_UPDATECP) != 0;
  const QPointF logicalRef = updateCp ? dc.position : QPointF(run.reference);
  const QPointF ref = logicalToWindow.map(logicalRef);
  const double sx = std::hypot(logicalToWindow.m11(), logicalToWindow.m12());
  const double sy = std::hypot(logicalToWindow.m21(), logicalToWindow.m22());
  if (!(sx > 0) || !(sy > 0) || std::abs(ref.x()) > kMaxWindowCoordinate ||
      std::abs(ref.y()) > kMaxWindowCoordinate)
    return QRectF();

  QRectF box;
  QColor background = MetaColourRef(dc.bkColour);
  if (run.hasRect) {
    const QRectF rect = run.rect.normalized();
    box = logicalToWindow.mapRect(rect);
    if ((run.options & U_ETO_OPAQUE) && painter) {
      painter->setTransform(logicalToWindow);
      painter->fillRect(rect, background);
    }
  }
  const bool byGlyph = !run.glyphs.empty();
  if (text.isEmpty() && !byGlyph) return box;

  // The font's em in window pixels: a negative height gives it, a positive one gives the cell.
  QFont qfont = QtFont(f);
  const double height = std::abs(static_cast<double>(f.height)) * sy;
  double em = height;
  if (f.height > 0) {
    qfont.setPixelSize(100);
    const QFontMetricsF probe(qfont);
    const double cell = probe.ascent() + probe.descent();
    if (cell > 0) em = height * 100 / cell;
  }
  if (!(em > 0) || em > kMaxWindowEm) return box;
  const int pixels = std::clamp(static_cast<int>(std::lround(em)), 1, kMaxRasterPixels);
  qfont.setPixelSize(pixels);
  const QFontMetricsF metrics(qfont);
  const double scale = em / pixels;
  double stretch = 1;
  const double average = f.width != 0 ? AverageCharWidth(metrics) : 0;
  if (average > 0)
    stretch = std::clamp(std::abs(static_cast<double>(f.width)) * sx / (average * scale), 0.05, 20.0);
  // Local space: font pixels along the baseline from the reference point, rotated by the escapement.
  QTransform localToWindow = QTransform::fromScale(scale * stretch, scale);
  // The escapement turns counter-clockwise in logical space: on the device that is the other way round
  // when the mapping turns y upwards.
  const bool yUp = logicalToWindow.m22() < 0;
  localToWindow.rotate((yUp ? f.escapement : -f.escapement) / 10.0);
  localToWindow *= QTransform::fromTranslate(ref.x(), ref.y());
  const double logicalToLocal = sx / (scale * stretch);

  // Glyph indices refer to the font file itself: the one Qt draws this font with.
  const QRawFont rawFont = byGlyph ? QRawFont::fromFont(qfont) : QRawFont();
  if (byGlyph && !rawFont.isValid()) return box;
  const QList<quint32> glyphs = byGlyph ? MetaFontGlyphs(rawFont, run.glyphs) : QList<quint32>();
  // Justification widens the spaces of text without advances of its own.
  const double breakExtra =
      advances.empty() && dc.breakCount > 0 ? static_cast<double>(dc.breakExtra) / dc.breakCount : 0;
  const bool spaced = !advances.empty() || dc.charExtra != 0 || breakExtra != 0;
  const TLaidOutText laid =
      byGlyph  ? LayOutGlyphs(glyphs, rawFont, advances, dc.charExtra, logicalToLocal)
      : spaced ? LayOutSpaced(text, metrics, advances, dc.charExtra, breakExtra, logicalToLocal)
               : TLaidOutText{text, {}, metrics.horizontalAdvance(text)};

  double x = 0;
  switch (dc.textAlign & (U_TA_CENTER | U_TA_RIGHT)) {
    case U_TA_CENTER:
      x = -laid.width / 2;
      break;
    case U_TA_RIGHT:
      x = -laid.width;
      break;
    default:
      break;
  }
  double baseline = metrics.ascent();
  if (dc.textAlign & U_TA_BASEBIT)
    baseline = 0;
  else if (dc.textAlign & U_TA_BOTTOM)
    baseline = -metrics.descent();
  const QRectF cell(QPointF(std::min(x, x + laid.width), baseline - metrics.ascent()),
                    QPointF(std::max(x, x + laid.width), baseline + metrics.descent()));
  const QRectF windowCell = localToWindow.mapRect(cell);
  box = box.isEmpty() ? windowCell : box.united(windowCell);

  if (updateCp) {
    // GDI moves the position to the far end of left-aligned text, the near end of right-aligned text.
    const int horizontal = dc.textAlign & (U_TA_CENTER | U_TA_RIGHT);
    const double move = horizontal == U_TA_CENTER ? 0 : horizontal == U_TA_RIGHT ? -laid.width : laid.width;
    bool invertible = false;
    const QTransform windowToLogical = logicalToWindow.inverted(&invertible);
    if (invertible) dc.position = windowToLogical.map(localToWindow.map(QPointF(move, 0)));
  }
  if (!painter) return box;

  painter->save();
  if (run.hasRect && (run.options & U_ETO_CLIPPED)) {
    painter->setTransform(logicalToWindow);
    painter->setClipRect(run.rect.normalized(), Qt::IntersectClip);
  }
  painter->setTransform(localToWindow);
  if (dc.bkOpaque && !(run.options & U_ETO_OPAQUE)) painter->fillRect(cell, background);
  // Glyphs are filled from their outlines, at exactly the place and size the mapping gives them.
  TMetaTextOutlines ownOutlines;
  TMetaTextOutlines& kept = textOutlines ? *textOutlines : ownOutlines;
  const QPointF origin(x, baseline);
  const QPainterPath outlines = byGlyph ? GlyphOutlines(rawFont, glyphs, laid, origin)
                                        : TextOutlines(kept, qfont, laid, spaced, origin);
  painter->fillPath(outlines, MetaColourRef(dc.textColour));
  painter->restore();
  return box;
}
