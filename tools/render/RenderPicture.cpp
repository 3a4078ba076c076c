#include "RenderPicture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "Graphic.h"
#include "Picture.h"
#include "PictureName.h"

QSize FitIntoSquare(const QSize& picture, int side) {
  if (picture.width() <= 0 || picture.height() <= 0 || side <= 0) return {};
  const double scale =
      std::min(static_cast<double>(side) / picture.width(), static_cast<double>(side) / picture.height());
  const auto scaled = [&](int length) {
    return std::clamp(static_cast<int>(std::lround(length * scale)), 1, side);
  };
  return {scaled(picture.width()), scaled(picture.height())};
}

TRenderedPicture RenderPictureFile(const QString& path, int side) {
  if (!IsAcceptedPictureName(path)) return {};
  TPicture picture;
  try {
    picture.LoadFromFile(path);
  } catch (const EInvalidGraphic&) {
    return {};
  }
  TGraphic* graphic = picture.Graphic();
  if (!graphic) return {};
  // As the tile does after loading: decoding errors surface here, outside any paint.
  graphic->Prepare();
  TRenderedPicture rendered;
  rendered.natural = {picture.Width(), picture.Height()};
  const QSize fitted = FitIntoSquare(rendered.natural, side);
  if (fitted.isEmpty()) return {};
  rendered.image = QImage(fitted, QImage::Format_ARGB32_Premultiplied);
  rendered.image.fill(Qt::transparent);
  QPainter painter(&rendered.image);
  graphic->Draw(painter, QRect(QPoint(0, 0), fitted));
  return rendered;
}
