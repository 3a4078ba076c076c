// Preparing a picture for a tile: reading, parsing and drawing it at the tile's device size, once per file
// and area.
#include "PreparedPictures.h"

#include <QPainter>
#include <optional>

#include "Picture.h"
#include "PictureFit.h"

namespace {

// The picture drawn as the tile draws it, fitted into the area, onto transparent ground or onto the
// part of the ground (device pixels of the area) that the tile shows under it. Null when it draws
// nowhere or the ground does not cover it.
TDrawnImage::TOver DrawnOver(TGraphic& graphic, const TDrawArea& area, const QImage& ground) {
  const TRect fit = FitPictureRect(area.width, area.height, graphic.Width(), graphic.Height());
  const QRect target(0, 0, fit.Width(), fit.Height());
  const QSize pixels(qRound(target.width() * area.ratio), qRound(target.height() * area.ratio));
  if (target.isEmpty() || pixels.isEmpty()) return {};
  TDrawnImage::TOver over;
  if (ground.isNull()) {
    over.ground = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    over.ground.fill(Qt::transparent);
  } else {
    const QPoint offset =
        area.centred ? QPoint(area.width / 2 - target.width() / 2, area.height / 2 - target.height() / 2)
                     : QPoint(0, 0);
    const QRect under(QPoint(qRound(offset.x() * area.ratio), qRound(offset.y() * area.ratio)), pixels);
    if (ground.format() != QImage::Format_ARGB32_Premultiplied || !ground.rect().contains(under)) return {};
    over.ground = ground.copy(under);
  }
  if (over.ground.isNull()) return {};
  over.ground.setDevicePixelRatio(area.ratio);
  over.drawn = over.ground.copy();
  {
    QPainter painter(&over.drawn);
    graphic.Draw(painter, target);
  }
  return over;
}

// Drawn by a twin, whose outline caches are dropped with it, unless the picture reads what lies
// under it: then the drawing must be done again on any other ground, so the kept picture takes the
// twin's filled caches, and the tiles' twins start from them.
TDrawnImage DrawAhead(std::unique_ptr<TGraphic>& graphic, const TDrawArea& area, const QImage& ground) {
  std::unique_ptr<TGraphic> drawer = graphic->Twin();
  if (!drawer) return {};
  TDrawnImage::TOver overTransparent = DrawnOver(*drawer, area, QImage());
  if (overTransparent.drawn.isNull()) return {};
  std::vector<TDrawnImage::TOver> overGrounds;
  if (!ground.isNull()) {
    TDrawnImage::TOver overGround = DrawnOver(*drawer, area, ground);
    if (!overGround.drawn.isNull()) overGrounds.push_back(std::move(overGround));
  }
  if (!graphic->ReadsTheGround())
    return TDrawnImage(std::move(overTransparent.drawn), std::move(overGrounds));
  graphic = std::move(drawer);
  overGrounds.push_back(std::move(overTransparent));
  return TDrawnImage(QImage(), std::move(overGrounds));
}

std::shared_ptr<const TPreparedPicture> Prepare(const TPreparedKey& key, const QImage& ground) {
  const QByteArray bytes = ReadPictureFile(key.file.path);
  // Changed between the look and the read: not what the key describes, so not worth keeping.
  if (bytes.size() != key.file.size) return nullptr;
  std::unique_ptr<TGraphic> graphic = LoadGraphicFromBytes(bytes, TPicture::ExtensionOf(key.file.path));
  graphic->Prepare();
  auto prepared = std::make_shared<TPreparedPicture>();
  if (key.area.reduce && graphic->Width() > 0 && graphic->Height() > 0)
    prepared->drawn = DrawAhead(graphic, key.area, ground);
  prepared->cost = graphic->Cost() + prepared->drawn.Cost();
  prepared->graphic = std::move(graphic);
  return prepared;
}

}  // namespace

bool TPreparedPictures::Prepares(const QString& fileName) {
  const QString extension = TPicture::ExtensionOf(fileName);
  return extension == QLatin1String("bmp") || extension == QLatin1String("ico") ||
         extension == QLatin1String("wmf") || extension == QLatin1String("emf");
}

std::shared_ptr<const TPreparedPicture> TPreparedPictures::Acquire(const QString& fileName,
                                                                   const TDrawArea& area,
                                                                   const QImage& ground) {
  if (!Prepares(fileName)) return nullptr;
  std::optional<TFileStamp> file = StampOf(fileName);
  if (!file) return nullptr;
  TPreparedKey key{std::move(*file), {}};
  // Tiles that draw pictures at their own size share one preparation whatever their size.
  if (area.reduce) key.area = area;
  return cache_.Acquire(key, [&] { return Prepare(key, ground); });
}

std::unique_ptr<TGraphic> TPreparedPictures::Load(const QString& fileName, const TDrawArea& area) {
  const std::shared_ptr<const TPreparedPicture> prepared = Acquire(fileName, area);
  if (!prepared) return nullptr;
  std::unique_ptr<TGraphic> twin = prepared->graphic->Twin();
  if (twin) twin->AttachDrawn(prepared->drawn);
  return twin;
}
