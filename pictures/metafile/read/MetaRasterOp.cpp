// GDI raster operations: their truth tables read, and sources prepared for the modes they draw in.
#include "metafile/read/MetaRasterOp.h"

#include <uemf.h>

#include <algorithm>

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

// An operation's truth table, the index of its third byte.
constexpr int RopIndex(std::uint32_t rop) {
  return static_cast<int>((rop >> 16) & 0xFF);
}

// Operations libuemf does not name, by their truth tables (P brush, S source, D target): PSDPxax paints
// the brush where the source is 0 (black), DSPDxax where it is 1 (white); DPa and DPo combine the brush
// with the target alone.
constexpr int kBrushWhereSourceBlack = 0xB8;
constexpr int kBrushWhereSourceWhite = 0xE2;
constexpr int kBrushAndTarget = 0xA0;
constexpr int kBrushOrTarget = 0xFA;

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
  return RopIndex(rop) == RopIndex(U_BLACKNESS) ? kBlack : kWhite;
}

EMetaBlitMode BlitModeOf(std::uint32_t rop) {
  switch (RopIndex(rop)) {
    case RopIndex(U_SRCCOPY):
    case RopIndex(U_NOTSRCCOPY):
      return EMetaBlitMode::Copy;
    case RopIndex(U_SRCAND):
      return EMetaBlitMode::Multiply;
    case RopIndex(U_SRCPAINT):
    case RopIndex(U_MERGEPAINT):
      return EMetaBlitMode::Lighten;
    case RopIndex(U_SRCINVERT):
      return EMetaBlitMode::Difference;
    case RopIndex(U_PATCOPY):
      return EMetaBlitMode::FillBrush;
    case RopIndex(U_PATINVERT):
      return EMetaBlitMode::InvertBrush;
    case RopIndex(U_BLACKNESS):
    case RopIndex(U_WHITENESS):
      return EMetaBlitMode::FillColour;
    case RopIndex(U_DSTINVERT):
      return EMetaBlitMode::InvertTarget;
    case RopIndex(U_NOOP):
      return EMetaBlitMode::None;
    case kBrushWhereSourceBlack:
    case kBrushWhereSourceWhite:
      return EMetaBlitMode::BrushThroughImage;
    case RopIndex(U_MERGECOPY):
      return EMetaBlitMode::SourceAndBrush;
    case kBrushAndTarget:
      return EMetaBlitMode::MultiplyBrush;
    case kBrushOrTarget:
      return EMetaBlitMode::LightenBrush;
    case RopIndex(U_SRCERASE):
      return EMetaBlitMode::SourceAndNotTarget;
    case RopIndex(U_NOTSRCERASE):
      return EMetaBlitMode::NotSourceAndNotTarget;
    default: {
      const int index = RopIndex(rop);
      if (IndexUsesSource(index)) return EMetaBlitMode::Copy;
      return IndexUsesPattern(index) ? EMetaBlitMode::FillBrush : EMetaBlitMode::None;
    }
  }
}

bool BlitModeDrawsImage(EMetaBlitMode mode) {
  switch (mode) {
    case EMetaBlitMode::Copy:
    case EMetaBlitMode::SourceAndBrush:
    case EMetaBlitMode::SourceAndNotTarget:
    case EMetaBlitMode::NotSourceAndNotTarget:
    case EMetaBlitMode::Multiply:
    case EMetaBlitMode::Lighten:
    case EMetaBlitMode::Difference:
    case EMetaBlitMode::BrushThroughImage:
      return true;
    default:
      return false;
  }
}

bool RopInvertsSource(std::uint32_t rop) {
  return RopIndex(rop) == RopIndex(U_NOTSRCCOPY) || RopIndex(rop) == RopIndex(U_MERGEPAINT);
}

QRgb RopBrushThroughColour(std::uint32_t rop) {
  return RopIndex(rop) == kBrushWhereSourceBlack ? kBlack : kWhite;
}

QRgb RopColour(std::uint32_t colourRef) {
  return qRgb(static_cast<int>(colourRef & 0xFF), static_cast<int>((colourRef >> 8) & 0xFF),
              static_cast<int>((colourRef >> 16) & 0xFF));
}

QImage PrepareBlitImage(const QImage& source, std::uint32_t rop) {
  if (source.isNull()) return QImage();
  switch (BlitModeOf(rop)) {
    case EMetaBlitMode::Copy: {
      QImage image = Premultiplied(source);
      if (RopInvertsSource(rop)) image.invertPixels();
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
      if (RopInvertsSource(rop)) image.invertPixels();
      Clear(image, kBlack);
      return image;
    }
    case EMetaBlitMode::BrushThroughImage:
      return MaskOf(source, RopBrushThroughColour(rop));
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
  Clear(image, RopColour(colourRef));
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
