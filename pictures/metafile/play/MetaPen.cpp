// GDI pens as Qt pens: styles, widths, dashes, ends and joins, and the pen drawn under a mapping.
#include "metafile/play/MetaPen.h"

#include <uemf.h>

#include <QColor>
#include <algorithm>
#include <cmath>

#include "metafile/play/MetaColour.h"

namespace {

bool Dashed(int style) {
  switch (style & U_PS_STYLE_MASK) {
    case U_PS_DASH:
    case U_PS_DOT:
    case U_PS_DASHDOT:
    case U_PS_DASHDOTDOT:
    case U_PS_ALTERNATE:
    case U_PS_USERSTYLE:
      return true;
    default:
      return false;
  }
}

// Geometric pens end and join as their style says; cosmetic ones are too thin to show either, and
// flat ends keep their dashes exactly as long as GDI draws them.
void SetEnds(QPen& pen, std::uint32_t style, bool cosmetic) {
  if (cosmetic) {
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::BevelJoin);
    return;
  }
  switch (style & U_PS_ENDCAP_MASK) {
    case U_PS_ENDCAP_SQUARE:
      pen.setCapStyle(Qt::SquareCap);
      break;
    case U_PS_ENDCAP_FLAT:
      pen.setCapStyle(Qt::FlatCap);
      break;
    default:
      pen.setCapStyle(Qt::RoundCap);
      break;
  }
  switch (style & U_PS_JOIN_MASK) {
    case U_PS_JOIN_BEVEL:
      pen.setJoinStyle(Qt::BevelJoin);
      break;
    case U_PS_JOIN_MITER:
      pen.setJoinStyle(Qt::MiterJoin);
      break;
    default:
      pen.setJoinStyle(Qt::RoundJoin);
      break;
  }
}

// Qt wants dash patterns of an even length with positive entries.
void SetPattern(QPen& pen, std::vector<double> pattern) {
  if (pattern.empty()) return;
  double total = 0;
  for (double& length : pattern) {
    length = std::max(length, 0.01);
    total += length;
  }
  if (!(total > 0) || !std::isfinite(total)) return;
  if (pattern.size() % 2 != 0) {
    const std::size_t n = pattern.size();
    for (std::size_t i = 0; i < n; ++i) pattern.push_back(pattern[i]);
  }
  pen.setDashPattern(QList<qreal>(pattern.begin(), pattern.end()));
}

}  // namespace

std::vector<double> MetaDashPattern(int style, bool cosmetic) {
  // GDI's lengths: in pixels for cosmetic pens, in pen widths for geometric ones.
  switch (style & U_PS_STYLE_MASK) {
    case U_PS_DASH:
      return cosmetic ? std::vector<double>{18, 6} : std::vector<double>{3, 1};
    case U_PS_DOT:
      return cosmetic ? std::vector<double>{3, 3} : std::vector<double>{1, 1};
    case U_PS_DASHDOT:
      return cosmetic ? std::vector<double>{9, 6, 3, 6} : std::vector<double>{3, 1, 1, 1};
    case U_PS_DASHDOTDOT:
      return cosmetic ? std::vector<double>{9, 3, 3, 3, 3, 3} : std::vector<double>{3, 1, 1, 1, 1, 1};
    case U_PS_ALTERNATE:
      return {1, 1};
    default:
      return {};
  }
}

QPen MetaPen(int style, int width, std::uint32_t colour) {
  if ((style & U_PS_STYLE_MASK) == U_PS_NULL) return QPen(Qt::NoPen);
  const int absWidth = std::abs(width);
  // Dashed pens are one pixel wide; GDI draws wider ones solid.
  const bool dashed = Dashed(style) && (style & U_PS_STYLE_MASK) != U_PS_USERSTYLE && absWidth <= 1;
  const bool cosmetic = absWidth == 0 || dashed;
  QPen pen(MetaColourRef(colour), cosmetic ? 0.0 : static_cast<double>(absWidth));
  SetEnds(pen, static_cast<std::uint32_t>(style), cosmetic);
  if (dashed) SetPattern(pen, MetaDashPattern(style, true));
  return pen;
}

QPen MetaExtPen(std::uint32_t style, std::int32_t width, std::uint32_t colour,
                const std::vector<std::uint32_t>& userDashes) {
  if ((style & U_PS_STYLE_MASK) == U_PS_NULL) return QPen(Qt::NoPen);
  const bool cosmetic = (style & U_PS_TYPE_MASK) != U_PS_GEOMETRIC || width == 0;
  const double penWidth = cosmetic ? 0.0 : std::abs(static_cast<double>(width));
  QPen pen(MetaColourRef(colour), penWidth);
  SetEnds(pen, style, cosmetic);
  if ((style & U_PS_STYLE_MASK) == U_PS_USERSTYLE) {
    std::vector<double> pattern;
    for (std::size_t i = 0; i < userDashes.size() && i < static_cast<std::size_t>(kMaxMetaPenDashes); ++i)
      pattern.push_back(cosmetic ? static_cast<double>(userDashes[i])
                                 : static_cast<double>(userDashes[i]) / penWidth);
    SetPattern(pen, pattern);
  } else {
    SetPattern(pen, MetaDashPattern(static_cast<int>(style), cosmetic));
  }
  return pen;
}

QPen MetaPenForDrawing(const QPen& pen, const QTransform& logicalToPicture, double pixelSize) {
  if (pen.style() == Qt::NoPen) return pen;
  const double scale = std::sqrt(std::abs(logicalToPicture.determinant()));
  if (!(scale > 0) || !std::isfinite(scale) || !(pixelSize > 0)) {
    QPen cosmetic = pen;
    if (pen.widthF() == 0) cosmetic.setCosmetic(true);
    return cosmetic;
  }
  // GDI never draws a line thinner than a pixel.
  const double onePixel = pixelSize / scale;
  if (pen.widthF() >= onePixel) return pen;
  QPen drawn = pen;
  drawn.setCosmetic(false);
  drawn.setWidthF(onePixel);
  return drawn;
}
