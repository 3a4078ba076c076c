// A Windows metafile picture: the one WMF/EMF sniff, the size from drawn bounds, and its drawing.
#include "metafile/Metafile.h"

#include <uemf.h>

#include <QPainter>
#include <cmath>

#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/emfplus/EmfPlusRecords.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/WmfReader.h"

namespace {

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

// SourceCopy compositing writes colour and alpha in place of the target's; GDI+ clears the same way.
bool EmfPlusReadsTarget(const TEmfPlusData& data) {
  for (const TEmfPlusRecord& record : data.records) {
    if (record.type == EmfPlus::kSetCompositingMode && (record.flags & 0xFF) == 1) return true;
    if (record.type == EmfPlus::kClear && record.data.size() >= 4 &&
        static_cast<std::uint8_t>(record.data[3]) != 0xFF)
      return true;
  }
  for (const TEmfPlusObject& object : data.objects)
    if (object.metafile && ReadsTarget(*object.metafile)) return true;
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

// Roughly the bytes the list holds: its stores, the pixels of its bitmaps and its EMF+ records.
qint64 ListCost(const TMetaPlayList& list) {
  qint64 bytes = static_cast<qint64>(
      list.commands.size() * sizeof(TMetaCommand) + list.points.size() * sizeof(QPoint) +
      list.polyCounts.size() * sizeof(std::int32_t) + list.transforms.size() * sizeof(QTransform) +
      list.penDashes.size() * sizeof(std::uint32_t) + list.gradients.size() * sizeof(TMetaGradient) +
      list.regionRects.size() * sizeof(QRect) + list.polyDrawTypes.size() +
      list.fonts.size() * sizeof(TMetaFont) + list.texts.size() * sizeof(TMetaTextRun) +
      list.blits.size() * sizeof(TMetaBlit));
  bytes += 4 * list.textChars;  // the text and its glyph indices
  for (const TMetaBlit& blit : list.blits) bytes += blit.image.sizeInBytes();
  for (const TMetaPattern& pattern : list.patterns) bytes += pattern.image.sizeInBytes();
  if (list.emfPlus) {
    for (const TEmfPlusRecord& record : list.emfPlus->records) bytes += sizeof record + record.data.size();
    for (const TEmfPlusObject& object : list.emfPlus->objects) {
      bytes += static_cast<qint64>(sizeof object) + object.image.sizeInBytes();
      if (object.metafile) bytes += ListCost(*object.metafile);
    }
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
  TMetaTextOutlines texts;
};

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::LoadFromFile(const QString& path) {
  LoadFromBytes(ReadPictureFile(path));
}

void TMetafile::LoadFromBytes(const QByteArray& bytes) {
  auto parsed = std::make_shared<TParsed>();
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
  TMetafilePlayer(parsed_->list, &caches_->strokes, &caches_->texts).Play(painter, QRectF(target));
}

std::unique_ptr<TGraphic> TMetafile::Twin() const {
  auto twin = std::make_unique<TMetafile>();
  if (parsed_) {
    twin->parsed_ = parsed_;
    twin->caches_ = std::make_unique<TCaches>(*caches_);
  }
  return twin;
}

qint64 TMetafile::Cost() const {
  if (!parsed_) return 0;
  return parsed_->cost + caches_->strokes.Elements() * static_cast<qint64>(sizeof(QPainterPath::Element));
}

bool TMetafile::ReadsTheGround() const {
  return parsed_ && parsed_->readsTheGround;
}
