// A Windows metafile picture: the one WMF/EMF sniff, the size from drawn bounds, and its drawing.
#include "metafile/Metafile.h"

#include <QPainter>
#include <cmath>

#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/WmfReader.h"

struct TMetafile::TParsed {
  TMetaPlayList list;
  // Outlines of the picture's strokes, made at its first drawing and filled again at every repaint.
  TMetaStrokeCache strokes;
  // Outlines of its text, likewise.
  TMetaTextOutlines texts;
};

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::LoadFromFile(const QString& path) {
  LoadFromBytes(ReadPictureFile(path));
}

void TMetafile::LoadFromBytes(const QByteArray& bytes) {
  auto parsed = std::make_unique<TParsed>();
  TMetaPlayList& list = parsed->list;
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
  parsed_ = std::move(parsed);
  Changed();
}

int TMetafile::Width() const {
  return parsed_ ? parsed_->list.width : 0;
}

int TMetafile::Height() const {
  return parsed_ ? parsed_->list.height : 0;
}

bool TMetafile::IsEnhanced() const {
  return parsed_ && parsed_->list.enhanced;
}

void TMetafile::Draw(QPainter& painter, const QRect& target) {
  if (!parsed_ || parsed_->list.width <= 0 || parsed_->list.height <= 0) return;
  TMetafilePlayer(parsed_->list, &parsed_->strokes, &parsed_->texts).Play(painter, QRectF(target));
}
