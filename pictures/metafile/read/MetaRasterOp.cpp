// GDI raster operations: their truth tables read, and sources prepared for the modes they draw in.
#include "metafile/read/MetaRasterOp.h"

#include <algorithm>

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

int RopIndex(std::uint32_t rop) {
  return static_cast<int>((rop >> 16) & 0xFF);
}

// The truth table of a ternary operation has the pattern in bits 4-7 against 0-3, the source in
// bits 2-3 and 6-7 against 0-1 and 4-5.
bool IndexUsesSource(int index) {
  return ((index >> 2) & 0x33) != (index & 0x33);
}

bool IndexUsesPattern(int index) {
  return ((index >> 4) & 0x0F) != (index & 0x0F);
}

QImage Premultiplied(const QImage& source) {
  return source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Makes every pixel of exactly this opaque colour transparent.
void Clear(QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (row[x] == colour) row[x] = 0;
  }
}

// Keeps, as opaque black, only the pixels of this colour.
QImage MaskOf(const QImage& source, QRgb colour) {
  QImage image = Premultiplied(source);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) row[x] = row[x] == colour ? kBlack : 0;
  }
  return image;
}

}  // namespace

bool RopUsesSource(std::uint32_t rop) {
  return IndexUsesSource(RopIndex(rop));
}

QRgb RopFillColour(std::uint32_t rop) {
  return RopIndex(rop) == RopIndex(MetaRop::kBlackness) ? kBlack : kWhite;
}

EMetaBlitMode BlitModeOf(std::uint32_t rop) {
  switch (RopIndex(rop)) {
    case 0xCC:
    case 0x33:
      return EMetaBlitMode::Copy;
    case 0x88:
      return EMetaBlitMode::Multiply;
    case 0xEE:
    case 0xBB:
      return EMetaBlitMode::Lighten;
    case 0x66:
      return EMetaBlitMode::Difference;
    case 0xF0:
      return EMetaBlitMode::FillBrush;
    case 0x5A:
      return EMetaBlitMode::InvertBrush;
    case 0x00:
    case 0xFF:
      return EMetaBlitMode::FillColour;
    case 0x55:
      return EMetaBlitMode::InvertTarget;
    case 0xAA:
      return EMetaBlitMode::None;
    case 0xB8:
    case 0xE2:
      return EMetaBlitMode::BrushThroughImage;
    case 0xC0:
      return EMetaBlitMode::SourceAndBrush;
    case 0xA0:
      return EMetaBlitMode::MultiplyBrush;
    case 0xFA:
      return EMetaBlitMode::LightenBrush;
    case 0x44:
      return EMetaBlitMode::SourceAndNotTarget;
    case 0x11:
      return EMetaBlitMode::NotSourceAndNotTarget;
    default: {
      const int index = RopIndex(rop);
      if (IndexUsesSource(index)) return EMetaBlitMode::Copy;
      return IndexUsesPattern(index) ? EMetaBlitMode::FillBrush : EMetaBlitMode::None;
    }
  }
}

QImage PrepareBlitImage(const QImage& source, std::uint32_t rop) {
  if (source.isNull()) return QImage();
  const int index = RopIndex(rop);
  switch (BlitModeOf(rop)) {
    case EMetaBlitMode::Copy: {
      QImage image = Premultiplied(source);
      if (index == 0x33) image.invertPixels();
      return image;
    }
    case EMetaBlitMode::SourceAndBrush:
    case EMetaBlitMode::SourceAndNotTarget:
    case EMetaBlitMode::NotSourceAndNotTarget:
      return Premultiplied(source);
    case EMetaBlitMode::Multiply: {
      QImage image = Premultiplied(source);
      Clear(image, kWhite);
      return image;
    }
    case EMetaBlitMode::Lighten:
    case EMetaBlitMode::Difference: {
      QImage image = Premultiplied(source);
      if (index == 0xBB) image.invertPixels();
      Clear(image, kBlack);
      return image;
    }
    case EMetaBlitMode::BrushThroughImage:
      // 0xB8 paints the brush where the source is 0 (black), 0xE2 where it is 1 (white).
      return MaskOf(source, index == 0xB8 ? kBlack : kWhite);
    default:
      return QImage();
  }
}

QImage StoredPremultiplied(QImage source) {
  if (!source.hasAlphaChannel()) return Premultiplied(source);
  source = source.convertToFormat(QImage::Format_ARGB32);
  source.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < source.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(source.scanLine(y));
    for (int x = 0; x < source.width(); ++x) {
      const int a = qAlpha(row[x]);
      row[x] = qRgba(std::min(qRed(row[x]), a), std::min(qGreen(row[x]), a), std::min(qBlue(row[x]), a), a);
    }
  }
  return source;
}

QImage WithoutColour(const QImage& source, std::uint32_t colourRef) {
  QImage image = Premultiplied(source);
  Clear(image, qRgb(static_cast<int>(colourRef & 0xFF), static_cast<int>((colourRef >> 8) & 0xFF),
                    static_cast<int>((colourRef >> 16) & 0xFF)));
  return image;
}

QImage ThroughMask(const QImage& source, const QImage& mask, int maskX, int maskY) {
  QImage image = Premultiplied(source);
  const QImage bits = mask.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const std::int64_t my = static_cast<std::int64_t>(y) + maskY;
    if (my < 0 || my >= bits.height()) continue;
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const auto* maskRow = reinterpret_cast<const QRgb*>(bits.constScanLine(static_cast<int>(my)));
    for (int x = 0; x < image.width(); ++x) {
      const std::int64_t mx = static_cast<std::int64_t>(x) + maskX;
      if (mx >= 0 && mx < bits.width() && (maskRow[mx] & 0xFFFFFF) == 0) row[x] = 0;
    }
  }
  return image;
}
