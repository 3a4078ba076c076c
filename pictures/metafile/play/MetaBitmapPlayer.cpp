// Bitmap records drawn: blits and stretches with their raster operations, and pattern brushes.
#include "metafile/play/MetaBitmapPlayer.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>

#include "metafile/play/MetaColour.h"

namespace {

QPolygonF Parallelogram(const TMetaBlit& blit) {
  const QPointF bottomRight = blit.topRight + blit.bottomLeft - blit.topLeft;
  return QPolygonF({blit.topLeft, blit.topRight, bottomRight, blit.bottomLeft});
}

// Fills the destination in logical units, as GDI fills a PatBlt's rectangle.
void FillDestination(QPainter& painter, const TMetaBlit& blit, const QBrush& brush,
                     QPainter::CompositionMode mode) {
  painter.setCompositionMode(mode);
  painter.setPen(Qt::NoPen);
  painter.setBrush(brush);
  painter.drawPolygon(Parallelogram(blit));
}

// Inverting and bitwise operations act on paper: the picture's transparent ground under the
// destination is made white first.
void PaperUnder(QPainter& painter, const TMetaBlit& blit) {
  FillDestination(painter, blit, QBrush(Qt::white), QPainter::CompositionMode_DestinationOver);
}

QPainter::CompositionMode CompositionOf(EMetaBlitMode mode) {
  switch (mode) {
    case EMetaBlitMode::Multiply:
      return QPainter::CompositionMode_Multiply;
    case EMetaBlitMode::Lighten:
      return QPainter::CompositionMode_Lighten;
    case EMetaBlitMode::Difference:
      return QPainter::CompositionMode_Difference;
    case EMetaBlitMode::SourceAndNotTarget:
      return QPainter::RasterOp_SourceAndNotDestination;
    case EMetaBlitMode::NotSourceAndNotTarget:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// The image's opaque pixels painted with the brush.
QImage Coloured(const QImage& mask, const QBrush& brush) {
  QImage image = mask;
  QPainter painter(&image);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(image.rect(), brush.style() == Qt::NoBrush ? QBrush(Qt::black) : QBrush(brush.color()));
  return image;
}

// The image's bits ANDed with the brush's colour; a pattern brush counts by its colour.
QImage AndedWithBrush(const QImage& source, const QBrush& brush) {
  QImage image = source;
  const QRgb colour = brush.style() == Qt::NoBrush ? qRgb(0, 0, 0) : brush.color().rgb();
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(row[x]) == 255) row[x] &= colour;
  }
  return image;
}

// Bitwise operations with the target need the raster engine's pixels, on paper.
bool BeginBitwise(QPainter& painter, const TMetaBlit& blit) {
  if (painter.paintEngine() == nullptr || !painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
    return false;
  PaperUnder(painter, blit);
  painter.setRenderHint(QPainter::Antialiasing, false);
  return true;
}

}  // namespace

bool MetaBlitTransform(const TMetaBlit& blit, QTransform& sourceToLogical) {
  const QRectF& s = blit.source;
  if (!(s.width() > 0) || !(s.height() > 0)) return false;
  const QPointF across = blit.topRight - blit.topLeft, down = blit.bottomLeft - blit.topLeft;
  const QTransform unitToLogical(across.x(), across.y(), down.x(), down.y(), blit.topLeft.x(),
                                 blit.topLeft.y());
  if (unitToLogical.determinant() == 0) return false;
  sourceToLogical = QTransform::fromTranslate(-s.left(), -s.top()) *
                    QTransform::fromScale(1 / s.width(), 1 / s.height()) * unitToLogical;
  return true;
}

QRectF MetaBlitBounds(const TMetaBlit& blit) {
  QTransform transform;
  if (!MetaBlitTransform(blit, transform)) return QRectF();
  return Parallelogram(blit).boundingRect();
}

void DrawMetaBlit(QPainter& painter, const TMetaBlit& blit, const QBrush& brush) {
  QTransform sourceToLogical;
  if (!MetaBlitTransform(blit, sourceToLogical)) return;
  painter.save();
  switch (blit.mode) {
    case EMetaBlitMode::FillBrush:
      FillDestination(painter, blit, brush, QPainter::CompositionMode_SourceOver);
      break;
    case EMetaBlitMode::InvertBrush:
      // Whole pixels, so that a second inversion of the same rectangle takes the first back exactly.
      painter.setRenderHint(QPainter::Antialiasing, false);
      PaperUnder(painter, blit);
      FillDestination(painter, blit, brush, QPainter::CompositionMode_Difference);
      break;
    case EMetaBlitMode::FillColour:
      FillDestination(painter, blit, QBrush(QColor::fromRgb(blit.colour)),
                      QPainter::CompositionMode_SourceOver);
      break;
    case EMetaBlitMode::InvertTarget:
      painter.setRenderHint(QPainter::Antialiasing, false);
      PaperUnder(painter, blit);
      FillDestination(painter, blit, QBrush(Qt::white), QPainter::CompositionMode_Difference);
      break;
    case EMetaBlitMode::MultiplyBrush:
      FillDestination(painter, blit, brush, QPainter::CompositionMode_Multiply);
      break;
    case EMetaBlitMode::LightenBrush:
      FillDestination(painter, blit, brush, QPainter::CompositionMode_Lighten);
      break;
    case EMetaBlitMode::Copy:
    case EMetaBlitMode::Multiply:
    case EMetaBlitMode::Lighten:
    case EMetaBlitMode::Difference:
    case EMetaBlitMode::BrushThroughImage:
    case EMetaBlitMode::SourceAndBrush:
    case EMetaBlitMode::SourceAndNotTarget:
    case EMetaBlitMode::NotSourceAndNotTarget: {
      if (blit.image.isNull()) break;
      const bool bitwise =
          blit.mode == EMetaBlitMode::SourceAndNotTarget || blit.mode == EMetaBlitMode::NotSourceAndNotTarget;
      if (bitwise && !BeginBitwise(painter, blit)) break;
      const QTransform sourceToDevice = sourceToLogical * painter.transform();
      painter.setTransform(sourceToDevice);
      // Smoothed both ways, as picture viewers scale images; GDI's own stretching drops or doubles
      // pixels. Bitwise operations take whole pixels.
      painter.setRenderHint(QPainter::SmoothPixmapTransform, !bitwise);
      painter.setCompositionMode(CompositionOf(blit.mode));
      painter.setOpacity(painter.opacity() * blit.opacity);
      QImage image = blit.image;
      if (blit.mode == EMetaBlitMode::BrushThroughImage) image = Coloured(blit.image, brush);
      if (blit.mode == EMetaBlitMode::SourceAndBrush) image = AndedWithBrush(blit.image, brush);
      painter.drawImage(blit.source, image, blit.source);
      break;
    }
    case EMetaBlitMode::None:
      break;
  }
  painter.restore();
}

QBrush MetaPatternBrush(const TMetaPattern& pattern, std::uint32_t textColour, std::uint32_t bkColour,
                        const TMetaPaletteEntries* palette) {
  if (pattern.paletteImage) return QBrush(MetaPaletteColoured(*pattern.paletteImage, palette));
  if (pattern.image.isNull()) return QBrush(Qt::NoBrush);
  if (!pattern.monochrome) return QBrush(pattern.image);
  QImage image = pattern.image.convertToFormat(QImage::Format_RGB32);
  const QRgb text = MetaColourRef(textColour).rgb(), background = MetaColourRef(bkColour).rgb();
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) row[x] = (row[x] & 0xFFFFFF) == 0 ? text : background;
  }
  return QBrush(image);
}

QImage MetaPaletteColoured(const TMetaPaletteImage& image, const TMetaPaletteEntries* palette) {
  // The table's colours prepared as PrepareBlitImage prepares a bitmap's pixels, colour by colour.
  std::vector<QRgb> table;
  table.reserve(image.entries.size());
  for (const std::uint16_t index : image.entries) {
    QRgb colour = MetaPaletteEntry(palette, index) | 0xFF000000u;
    if (image.invert) colour = ~colour | 0xFF000000u;
    if (image.clears && colour == (image.clear | 0xFF000000u)) colour = 0;
    if (image.keepsOnly) colour = colour == (image.keep | 0xFF000000u) ? 0xFF000000u : 0;
    table.push_back(colour);
  }
  const QImage& positions = image.positions;
  QImage out(positions.size(), QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < positions.height(); ++y) {
    const auto* in = reinterpret_cast<const std::uint16_t*>(positions.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < positions.width(); ++x) row[x] = in[x] < table.size() ? table[in[x]] : 0;
  }
  return out;
}

QImage TMetaPaletteBlits::Coloured(const TMetaPaletteImage& image, const TMetaPaletteEntries* palette) {
  // A file draws few bitmaps of palette colours; the latest ones are kept.
  constexpr std::size_t kMaxKept = 64;
  const TMetaPaletteEntries none;
  const TMetaPaletteEntries& colours = palette != nullptr ? *palette : none;
  for (const TColoured& kept : coloured_)
    if (kept.image == &image && kept.palette == colours) return kept.pixels;
  QImage pixels = MetaPaletteColoured(image, palette);
  if (coloured_.size() >= kMaxKept) coloured_.erase(coloured_.begin());
  coloured_.push_back({&image, colours, pixels});
  return pixels;
}

qint64 TMetaPaletteBlits::Bytes() const {
  qint64 bytes = 0;
  for (const TColoured& kept : coloured_)
    bytes += kept.pixels.sizeInBytes() + static_cast<qint64>(kept.palette.size() * sizeof(QRgb));
  return bytes;
}
