#include "metafile/emfplus/EmfPlusReader.h"

#include <optional>

#include "Graphic.h"
#include "metafile/emfplus/EmfPlusCommandReader.h"
#include "metafile/emfplus/EmfPlusCommands.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/model/MetaPlayList.h"

namespace {

using EmfPlus::ERecord;

// An EMR_COMMENT record: its type and size, the size of its data, then the data, which for EMF+
// begin with the EMF+ identifier and go on with EMF+ records.
constexpr std::uint32_t kEmrComment = 70;
constexpr std::int64_t kCommentDataSize = 8, kCommentData = 12, kCommentRecords = 16;
constexpr std::int64_t kIdentifierSize = 4;
// An EMF+ record: its type, flags, size and data size, then the data.
constexpr std::int64_t kRecordType = 0, kRecordFlags = 2, kRecordSize = 4, kRecordDataSize = 8;
constexpr std::int64_t kRecordHeaderSize = 12;
// The header record's data: graphics version, EMF+ flags, then the reference device's resolution.
constexpr std::int64_t kHeaderDpiX = 8, kHeaderDpiY = 12;
constexpr double kMinDpi = 1, kMaxDpi = 10000;
// A continued object's parts each start with the object's total size.
constexpr std::int64_t kContinuedTotalSize = 0, kContinuedData = 4;

// An object may be assembled from continued records up to this size.
constexpr std::int64_t kMaxObjectSize = std::int64_t{32} << 20;
// What the objects' data and the commands keep of one file together.
constexpr std::int64_t kMaxStoredBytes = std::int64_t{256} << 20;

std::int64_t ShapeBytes(const QPainterPath& shape) {
  return std::int64_t{shape.elementCount()} * static_cast<std::int64_t>(sizeof(QPainterPath::Element));
}

// What a command keeps besides itself: its path elements, its text and glyph positions.
template <class T>
std::int64_t PayloadBytes(const T&) {
  return 0;
}
std::int64_t PayloadBytes(const TEmfPlusFill& fill) {
  return ShapeBytes(fill.shape);
}
std::int64_t PayloadBytes(const TEmfPlusStroke& stroke) {
  return ShapeBytes(stroke.shape);
}
std::int64_t PayloadBytes(const TEmfPlusSetClip& clip) {
  return ShapeBytes(clip.shape);
}
std::int64_t PayloadBytes(const TEmfPlusDrawString& text) {
  return 2 * text.text.size();
}
std::int64_t PayloadBytes(const TEmfPlusDrawDriverString& text) {
  return 2 * text.characters.size() + 2 * static_cast<std::int64_t>(text.glyphs.size()) +
         static_cast<std::int64_t>(sizeof(QPointF) * text.origins.size());
}
template <class T>
std::int64_t BoxBytes(const T&) {
  return 0;
}
template <class T>
std::int64_t BoxBytes(const TEmfPlusBoxed<T>&) {
  return sizeof(T);
}

// What a command keeps in memory, near enough.
std::int64_t CommandBytes(const TEmfPlusCommand& command) {
  return sizeof(TEmfPlusCommand) +
         std::visit([](const auto& c) { return BoxBytes(c) + PayloadBytes(EmfPlusUnboxed(c)); }, command);
}

}  // namespace

TEmfPlusReader::TEmfPlusReader(TMetaPlayList& list, TEmfPlusMetafileReader readMetafile)
    : list_(list), readMetafile_(std::move(readMetafile)) {}

bool TEmfPlusReader::Carries(const TMetaBytes& record, std::uint32_t type) {
  return type == kEmrComment && record.Has(kCommentData, kIdentifierSize) &&
         record.U32(kCommentDataSize) >= kIdentifierSize &&
         record.U32(kCommentData) == EmfPlus::kCommentIdentifier;
}

void TEmfPlusReader::ReadComment(const TMetaBytes& record) {
  if (!list_.emfPlus) list_.emfPlus = std::make_shared<TEmfPlusData>();
  data_ = list_.emfPlus.get();
  const std::int64_t dataSize = record.U32(kCommentDataSize);
  if (!record.Has(kCommentData, dataSize)) return;
  const TMetaBytes records = record.Sub(kCommentRecords, dataSize - kIdentifierSize);
  const auto first = static_cast<std::int32_t>(data_->commands.size());
  std::int64_t pos = 0;
  while (records.Has(pos, kRecordHeaderSize)) {
    const auto type = static_cast<ERecord>(records.U16(pos + kRecordType));
    const std::uint16_t flags = records.U16(pos + kRecordFlags);
    const std::int64_t size = records.U32(pos + kRecordSize), dataLength = records.U32(pos + kRecordDataSize);
    if (size < kRecordHeaderSize || !records.Has(pos, size) || dataLength > size - kRecordHeaderSize) break;
    begun_ = true;
    haveDc_ = type == ERecord::GetDC;
    if (EmfPlus::Draws(type)) draws_ = true;
    ReadRecord(type, flags, records.Sub(pos + kRecordHeaderSize, dataLength));
    pos += size;
  }
  const auto count = static_cast<std::int32_t>(data_->commands.size()) - first;
  if (count > 0) list_.Add({EMetaOp::EmfPlus, TMetaRecords{first, count}});
}

void TEmfPlusReader::ReadRecord(ERecord type, std::uint16_t flags, const TMetaBytes& data) {
  if (type == ERecord::Header) {
    if (data.Has(kHeaderDpiX, 8)) {
      const double x = data.U32(kHeaderDpiX), y = data.U32(kHeaderDpiY);
      if (x >= kMinDpi && x <= kMaxDpi && y >= kMinDpi && y <= kMaxDpi) data_->dpiX = x, data_->dpiY = y;
    }
    return;
  }
  if (type == ERecord::Object) {
    ReadObject(flags, data);
    return;
  }
  if (type == ERecord::SerializableObject) {
    // The effect stands for the images drawn after it that ask for one; one not drawn undoes it.
    effect_ = TEmfPlusImageEffect::Read(data);
    return;
  }
  std::optional<TEmfPlusCommand> command;
  try {
    command = ReadEmfPlusCommand(type, flags, data, objects_, effect_ ? &*effect_ : nullptr, &budget_);
  } catch (const EInvalidGraphic&) {
    return;  // a record shorter than its fields draws nothing; the next one may
  }
  if (!command) return;
  if (data_->commands.size() >= kMaxMetaCommands) throw EInvalidGraphic("Metafile has too many records");
  Store(CommandBytes(*command));
  data_->commands.push_back(std::move(*command));
}

std::optional<QByteArray> TEmfPlusReader::WholeObject(std::uint16_t flags, const TMetaBytes& data) {
  const int id = flags & EmfPlus::kFlagObjectId;
  const int type = (flags >> EmfPlus::kFlagObjectTypeShift) & EmfPlus::kFlagObjectTypeMask;
  const auto drop = [this] {
    pending_.clear();
    pendingId_ = -1;
  };
  if (flags & EmfPlus::kFlagContinued) {
    // GDI+ marks every part, the last one included, so the object is complete when its parts reach
    // the total size.
    if (!data.Has(kContinuedTotalSize, 4)) return std::nullopt;
    const std::int64_t total = data.U32(kContinuedTotalSize);
    if (pendingId_ != id || pendingType_ != type || pendingTotal_ != total) {
      drop();
      if (total > kMaxObjectSize) return std::nullopt;
      pendingId_ = id, pendingType_ = type, pendingTotal_ = total;
    }
    const std::int64_t partSize = data.Size() - kContinuedData;
    if (pending_.size() + partSize > pendingTotal_) {
      drop();
      return std::nullopt;
    }
    pending_.append(data.Data(kContinuedData, partSize), partSize);
    if (pending_.size() < pendingTotal_) return std::nullopt;
    QByteArray whole = std::move(pending_);
    drop();
    return whole;
  }
  if (pendingId_ == id && pendingType_ == type) {
    // A last part without the flag.
    if (pending_.size() + data.Size() <= pendingTotal_)
      pending_.append(data.Data(0, data.Size()), data.Size());
    QByteArray whole = std::move(pending_);
    drop();
    return whole;
  }
  drop();
  return QByteArray(data.Data(0, data.Size()), data.Size());
}

void TEmfPlusReader::ReadObject(std::uint16_t flags, const TMetaBytes& data) {
  std::optional<QByteArray> whole = WholeObject(flags, data);
  if (!whole) return;
  if (objectCount_ >= kMaxMetaCommands / 4) throw EInvalidGraphic("Metafile has too many objects");
  Store(whole->size());
  ++objectCount_;
  const auto type = static_cast<EmfPlus::EObjectType>((flags >> EmfPlus::kFlagObjectTypeShift) &
                                                      EmfPlus::kFlagObjectTypeMask);
  objects_.Set(flags & EmfPlus::kFlagObjectId, ReadEmfPlusObject(type, *whole, budget_, readMetafile_));
}

void TEmfPlusReader::Store(std::int64_t bytes) {
  if (storedBytes_ + bytes > kMaxStoredBytes) throw EInvalidGraphic("EMF+ records are too large");
  storedBytes_ += bytes;
}

void TEmfPlusReader::NoteGdiCommands(std::size_t first, std::size_t end) {
  if (!begun_ || haveDc_ || end <= first) return;
  if (!fallback_.empty() && fallback_.back().second == first)
    fallback_.back().second = end;
  else
    fallback_.emplace_back(first, end);
}

void TEmfPlusReader::Finish() {
  if (data_ && draws_) data_->gdiFallback = std::move(fallback_);
}
