#include "metafile/emfplus/EmfPlusImageAttributes.h"

#include <QPainter>

#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

// The fields of an image attributes object: its graphics version, a reserved field, then these, then
// whether the clamp applies to the rectangle or to the bitmap (alike here: the bitmap's edge is the
// drawn rectangle's), and another reserved field.
constexpr std::int64_t kWrapMode = 8, kClampColour = 12, kSize = 24;

}  // namespace

std::optional<TEmfPlusImageAttributes> TEmfPlusImageAttributes::Read(const TMetaBytes& b) {
  if (!b.Has(0, kSize)) return std::nullopt;
  TEmfPlusImageAttributes attributes;
  attributes.wrap = b.I32(kWrapMode);
  attributes.clampColour = ReadEmfPlusColour(b, kClampColour);
  return attributes;
}

bool EmfPlusWrapFlipsX(std::int32_t wrap) {
  return wrap == EmfPlus::kWrapTileFlipX || wrap == EmfPlus::kWrapTileFlipXY;
}

bool EmfPlusWrapFlipsY(std::int32_t wrap) {
  return wrap == EmfPlus::kWrapTileFlipY || wrap == EmfPlus::kWrapTileFlipXY;
}

QImage EmfPlusWrapTile(const QImage& image, std::int32_t wrap) {
  const bool flipX = EmfPlusWrapFlipsX(wrap), flipY = EmfPlusWrapFlipsY(wrap);
  if (image.isNull() || (!flipX && !flipY)) return image;
  const int w = image.width(), h = image.height();
  QImage tile(flipX ? 2 * w : w, flipY ? 2 * h : h, QImage::Format_ARGB32_Premultiplied);
  if (tile.isNull()) return image;
  tile.fill(Qt::transparent);
  QPainter painter(&tile);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, image);
  if (flipX) painter.drawImage(w, 0, image.mirrored(true, false));
  if (flipY) painter.drawImage(0, h, image.mirrored(false, true));
  if (flipX && flipY) painter.drawImage(w, h, image.mirrored(true, true));
  return tile;
}
