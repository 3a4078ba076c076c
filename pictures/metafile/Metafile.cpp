// A Windows metafile picture: the one WMF/EMF sniff, the size from drawn bounds, and its drawing.
#include "metafile/Metafile.h"

#include <QPainter>
#include <cmath>
#include <memory>

#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/emfplus/EmfPlusNestedMetafile.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/WmfReader.h"

namespace {

// The bounds of what a plain WMF without a window extent draws, which stand for its frame. Throws
// EInvalidGraphic when it draws nothing, or nothing of a finite size.
QRectF DrawnBounds(const TMetaPlayList& list) {
  const QRectF drawn = TMetafilePlayer(list).DrawnBounds();
  if (drawn.isNull()) throw EInvalidGraphic("Metafile draws nothing");
  if (!std::isfinite(drawn.width()) || !std::isfinite(drawn.height()))
    throw EInvalidGraphic("Metafile is too large");
  return drawn;
}

// A metafile that an EMF+ image carries, drawn as a picture of its own.
class TNestedMetafile final : public TEmfPlusNestedMetafile {
 public:
  TNestedMetafile(TMetaPlayList list, TMetaTextOutlines* texts) : list_(std::move(list)), texts_(texts) {}

  QRectF Frame() const override { return list_.frame; }
  double UnitsPerMm() const override { return list_.unitsPerMmX; }
  void Draw(QPainter& painter, const QRectF& target, double referencePixel) const override {
    TMetafilePlayer(list_, nullptr, texts_).Play(painter, target, referencePixel);
  }

 private:
  TMetaPlayList list_;
  TMetaTextOutlines* texts_ = nullptr;
};

// Metafiles inside metafiles are read one level deep only: each level could carry the next, and a file
// nesting thousands of them would exhaust the stack. So the nested ones are read without a reader for
// metafiles of their own.
std::shared_ptr<const TEmfPlusNestedMetafile> ReadNestedMetafile(const QByteArray& bytes,
                                                                 TMetaTextOutlines* texts) {
  try {
    TMetaPlayList list = IsEmf(bytes) ? ReadEmf(bytes) : ReadWmf(bytes);
    if (list.frame.isEmpty()) {
      // Its frame goes onto the image's place as it is: it needs an area, not a size in pixels.
      const QRectF drawn = DrawnBounds(list);
      if (drawn.width() <= 0 || drawn.height() <= 0) return nullptr;
      list.frame = drawn;
    }
    return std::make_shared<const TNestedMetafile>(std::move(list), texts);
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

}  // namespace

struct TMetafile::TParsed {
  TMetaPlayList list;
  // Outlines of the picture's strokes, made at its first drawing and filled again at every repaint.
  TMetaStrokeCache strokes;
};

// Text outlines are not handed down from the application: pictures are made by kind in several places
// (the picture holder of every control, the decode-ahead workers, pictures nested in pictures), and
// the outlines are a pure function of the installed fonts, so all pictures share one cache unless
// given their own.
TMetafile::TMetafile(TMetaTextOutlines* texts) : texts_(texts ? texts : &TMetaTextOutlines::Shared()) {}
TMetafile::~TMetafile() = default;

void TMetafile::LoadFromFile(const QString& path) {
  LoadFromBytes(ReadPictureFile(path));
}

void TMetafile::LoadFromBytes(const QByteArray& bytes) {
  auto parsed = std::make_unique<TParsed>();
  TMetaPlayList& list = parsed->list;
  const auto readNested = [texts = texts_](const QByteArray& nested) {
    return ReadNestedMetafile(nested, texts);
  };
  if (IsEmf(bytes))
    list = ReadEmf(bytes, readNested);
  else if (IsWmf(bytes))
    list = ReadWmf(bytes, readNested);
  else
    throw EInvalidGraphic("Not a metafile");
  if (list.frame.isEmpty()) {
    // Only a plain WMF without a window extent gets here: what it draws gives its size in pixels.
    const QRectF drawn = DrawnBounds(list);
    if (drawn.width() > kMaxMetafilePixels || drawn.height() > kMaxMetafilePixels)
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
  TMetafilePlayer(parsed_->list, &parsed_->strokes, texts_).Play(painter, QRectF(target));
}
