// A Windows metafile picture: the one WMF/EMF sniff, the size from drawn bounds, and its drawing.
#include "metafile/Metafile.h"

#include <uemf.h>

#include <QPainter>
#include <cmath>
#include <memory>

#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/emfplus/EmfPlusCommands.h"
#include "metafile/emfplus/EmfPlusImage.h"
#include "metafile/emfplus/EmfPlusNestedMetafile.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaBitmapPlayer.h"
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
  const TMetaPlayList& List() const { return list_; }

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

// The play list of a metafile that an EMF+ image carries; null for an image of pixels.
const TMetaPlayList* NestedList(const TEmfPlusImage& image) {
  const auto* nested = dynamic_cast<const TNestedMetafile*>(image.metafile.get());
  return nested ? &nested->List() : nullptr;
}

// The R2_* mix modes whose pixels depend on the target's: all but the pen's colour, its inverse,
// black, white and nothing at all. Modes out of range draw as the pen's colour.
bool MixesWithTarget(std::int32_t rop2) {
  switch (rop2) {
    case U_R2_BLACK:
    case U_R2_NOTCOPYPEN:
    case U_R2_NOP:
    case U_R2_COPYPEN:
    case U_R2_WHITE:
      return false;
    default:
      return rop2 > U_R2_BLACK && rop2 < U_R2_WHITE;
  }
}

bool BlitReadsTarget(EMetaBlitMode mode) {
  switch (mode) {
    case EMetaBlitMode::None:
    case EMetaBlitMode::Copy:
    case EMetaBlitMode::FillBrush:
    case EMetaBlitMode::FillColour:
    case EMetaBlitMode::BrushThroughImage:
    case EMetaBlitMode::SourceAndBrush:
      return false;
    default:
      return true;
  }
}

bool ReadsTarget(const TMetaPlayList& list);

// SourceCopy compositing writes colour and alpha in place of the target's instead of blending over it.
bool EmfPlusReadsTarget(const TEmfPlusData& data) {
  for (const TEmfPlusCommand& command : data.commands) {
    if (const auto* mode = std::get_if<TEmfPlusSetCompositing>(&command); mode && mode->sourceCopy)
      return true;
    if (const auto* draw = std::get_if<TEmfPlusBoxed<TEmfPlusDrawImage>>(&command); draw && (*draw)->image)
      if (const TMetaPlayList* nested = NestedList(*(*draw)->image); nested && ReadsTarget(*nested))
        return true;
  }
  return false;
}

bool ReadsTarget(const TMetaPlayList& list) {
  for (const TMetaCommand& command : list.commands) {
    if (command.Op() == EMetaOp::InvertRegion) return true;
    if (command.Op() == EMetaOp::SetRop2 && MixesWithTarget(command.Args<TMetaMode>().mode)) return true;
  }
  for (const TMetaBlit& blit : list.blits)
    if (BlitReadsTarget(blit.mode)) return true;
  return list.emfPlus && EmfPlusReadsTarget(*list.emfPlus);
}

// Roughly the bytes the list holds: its stores, the pixels of its bitmaps and its EMF+ commands with
// the images they draw.
qint64 ListCost(const TMetaPlayList& list) {
  qint64 bytes = static_cast<qint64>(
      list.commands.size() * sizeof(TMetaCommand) + list.points.size() * sizeof(QPoint) +
      list.polyCounts.size() * sizeof(std::int32_t) + list.transforms.size() * sizeof(QTransform) +
      list.penDashes.size() * sizeof(std::uint32_t) + list.gradients.size() * sizeof(TMetaGradient) +
      list.regionRects.size() * sizeof(QRect) + list.polyDrawTypes.size() +
      list.fonts.size() * sizeof(TMetaFont) + list.texts.size() * sizeof(TMetaTextRun) +
      list.blits.size() * sizeof(TMetaBlit));
  // The text and its glyph indices.
  for (const TMetaTextRun& run : list.texts)
    bytes += static_cast<qint64>(run.text.size() * sizeof(QChar) + run.ansi.size() +
                                 run.glyphs.size() * sizeof(run.glyphs[0]) +
                                 (run.dx.size() + run.dy.size()) * sizeof(std::int32_t));
  // A bitmap of palette colours keeps its table positions instead of pixels.
  const auto positionBytes = [](const std::shared_ptr<const TMetaPaletteImage>& image) -> qint64 {
    return image ? image->positions.sizeInBytes() : 0;
  };
  for (const TMetaBlit& blit : list.blits)
    bytes += blit.image.sizeInBytes() + positionBytes(blit.paletteImage);
  for (const TMetaPattern& pattern : list.patterns)
    bytes += pattern.image.sizeInBytes() + positionBytes(pattern.paletteImage);
  bytes += static_cast<qint64>(list.paletteEntries.size() * sizeof(QRgb));
  if (!list.emfPlus) return bytes;
  bytes += static_cast<qint64>(list.emfPlus->commands.size() * sizeof(TEmfPlusCommand));
  for (const TEmfPlusCommand& command : list.emfPlus->commands) {
    const auto* draw = std::get_if<TEmfPlusBoxed<TEmfPlusDrawImage>>(&command);
    if (!draw || !(*draw)->image) continue;
    bytes += (*draw)->image->bitmap.sizeInBytes();
    if (const TMetaPlayList* nested = NestedList(*(*draw)->image)) bytes += ListCost(*nested);
  }
  return bytes;
}

}  // namespace

struct TMetafile::TParsed {
  TMetaPlayList list;
  qint64 cost = 0;
  bool readsTheGround = false;
};

struct TMetafile::TCaches {
  TMetaStrokeCache strokes;
  TMetaPaletteBlits paletteBlits;
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
  auto parsed = std::make_shared<TParsed>();
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
  parsed->cost = ListCost(list);
  parsed->readsTheGround = ReadsTarget(list);
  parsed_ = std::move(parsed);
  caches_ = std::make_unique<TCaches>();
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
  if (DrawAttached(painter, target)) return;
  TMetafilePlayer(parsed_->list, &caches_->strokes, texts_, &caches_->paletteBlits)
      .Play(painter, QRectF(target));
}

std::unique_ptr<TGraphic> TMetafile::Twin() const {
  auto twin = std::make_unique<TMetafile>(texts_);
  if (parsed_) {
    twin->parsed_ = parsed_;
    twin->caches_ = std::make_unique<TCaches>(*caches_);
  }
  return twin;
}

qint64 TMetafile::Cost() const {
  if (!parsed_) return 0;
  return parsed_->cost + caches_->strokes.Elements() * static_cast<qint64>(sizeof(QPainterPath::Element)) +
         caches_->paletteBlits.Bytes();
}

bool TMetafile::ReadsTheGround() const {
  return parsed_ && parsed_->readsTheGround;
}
