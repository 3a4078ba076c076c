#include "metafile/Metafile.h"

#include <QPainter>
#include <cmath>

#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/WmfReader.h"

void TMetafile::LoadFromFile(const QString& path) {
  LoadFromBytes(ReadPictureFile(path));
}

void TMetafile::LoadFromBytes(const QByteArray& bytes) {
  TMetaPlayList list;
  if (IsEmf(bytes))
    list = ReadEmf(bytes);
  else if (IsWmf(bytes))
    list = ReadWmf(bytes);
  else
    throw EInvalidGraphic("Not a metafile");
  if (list.frame.isEmpty()) {
    // Only a plain WMF without a window extent gets here: what it draws gives its size.
    const QRectF drawn = TMetafilePlayer(list).DrawnBounds();
    if (drawn.isNull()) throw EInvalidGraphic("Metafile draws nothing");
    if (!std::isfinite(drawn.width()) || !std::isfinite(drawn.height()) ||
        drawn.width() > kMaxMetafilePixels || drawn.height() > kMaxMetafilePixels)
      throw EInvalidGraphic("Metafile is too large");
    const auto width = static_cast<std::int64_t>(std::max(1.0, std::ceil(drawn.width())));
    const auto height = static_cast<std::int64_t>(std::max(1.0, std::ceil(drawn.height())));
    CheckMetafileSize(width, height);
    list.width = static_cast<int>(width);
    list.height = static_cast<int>(height);
    list.frame = QRectF(drawn.topLeft(), QSizeF(static_cast<double>(width), static_cast<double>(height)));
  }
  list_ = std::move(list);
  strokes_ = TMetaStrokeCache();
  texts_ = TMetaTextOutlines();
  Changed();
}

void TMetafile::Draw(QPainter& painter, const QRect& target) {
  if (list_.width <= 0 || list_.height <= 0) return;
  TMetafilePlayer(list_, &strokes_, &texts_).Play(painter, QRectF(target));
}
