#include "metafile/emfplus/EmfPlusRecords.h"

#include <bit>
#include <cmath>

#include "Graphic.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/model/MetaPlayList.h"

namespace {

constexpr std::uint32_t kEmrComment = 70;
constexpr std::int64_t kRecordHeaderSize = 12;
// An object may be assembled from continued records up to this size.
constexpr std::int64_t kMaxObjectSize = std::int64_t{32} << 20;
// All EMF+ record data of one file together.
constexpr std::int64_t kMaxStoredBytes = std::int64_t{256} << 20;
constexpr double kMinDpi = 1, kMaxDpi = 10000;

bool IsDrawing(std::uint16_t type) {
  return (type >= EmfPlus::kClear && type <= EmfPlus::kDrawString) || type == EmfPlus::kDrawDriverString;
}

}  // namespace

bool TEmfPlusReader::Carries(const TMetaBytes& record, std::uint32_t type) {
  return type == kEmrComment && record.Has(12, 4) && record.U32(8) >= 4 &&
         record.U32(12) == EmfPlus::kCommentIdentifier;
}

void TEmfPlusReader::ReadComment(const TMetaBytes& record) {
  if (!list_.emfPlus) list_.emfPlus = std::make_shared<TEmfPlusData>();
  data_ = list_.emfPlus.get();
  const std::int64_t dataSize = record.U32(8);
  if (!record.Has(12, dataSize)) return;
  const TMetaBytes records = record.Sub(16, dataSize - 4);
  const auto first = static_cast<std::int32_t>(data_->records.size());
  std::int64_t pos = 0;
  while (records.Has(pos, kRecordHeaderSize)) {
    const std::uint16_t type = records.U16(pos), flags = records.U16(pos + 2);
    const std::int64_t size = records.U32(pos + 4), dataLength = records.U32(pos + 8);
    if (size < kRecordHeaderSize || !records.Has(pos, size) || dataLength > size - kRecordHeaderSize) break;
    begun_ = true;
    haveDc_ = type == EmfPlus::kGetDC;
    if (IsDrawing(type)) draws_ = true;
    ReadRecord(type, flags, records.Sub(pos + kRecordHeaderSize, dataLength));
    pos += size;
  }
  const auto count = static_cast<std::int32_t>(data_->records.size()) - first;
  if (count > 0) list_.Add({EMetaOp::EmfPlus, first, count});
}

void TEmfPlusReader::ReadRecord(std::uint16_t type, std::uint16_t flags, const TMetaBytes& data) {
  if (type == EmfPlus::kHeader) {
    data_->dual = flags & EmfPlus::kFlagDualHeader;
    if (data.Has(8, 8)) {
      const double x = data.U32(8), y = data.U32(12);
      if (x >= kMinDpi && x <= kMaxDpi && y >= kMinDpi && y <= kMaxDpi) data_->dpiX = x, data_->dpiY = y;
    }
    return;
  }
  if (type == EmfPlus::kObject) {
    ReadObject(flags, data);
    return;
  }
  if (type < EmfPlus::kClear || type > EmfPlus::kDrawDriverString) return;
  if (storedBytes_ + data.Size() > kMaxStoredBytes) throw EInvalidGraphic("EMF+ records are too large");
  if (data_->records.size() >= kMaxMetaCommands) throw EInvalidGraphic("Metafile has too many records");
  storedBytes_ += data.Size();
  data_->records.push_back({type, flags, -1, QByteArray(data.Data(0, data.Size()), data.Size())});
}

void TEmfPlusReader::ReadObject(std::uint16_t flags, const TMetaBytes& data) {
  const int id = flags & 0xFF;
  const int type = (flags >> 8) & 0x7F;
  QByteArray whole;
  if (flags & EmfPlus::kFlagContinued) {
    // Each part starts with the object's total size. GDI+ marks every part, the last one included,
    // so the object is complete when its parts reach that size.
    if (!data.Has(0, 4)) return;
    const std::int64_t total = data.U32(0);
    if (pendingId_ != id || pendingType_ != type || pendingTotal_ != total) {
      pending_.clear();
      pendingId_ = -1;
      if (total > kMaxObjectSize) return;
      pendingId_ = id, pendingType_ = type, pendingTotal_ = total;
    }
    if (pending_.size() + data.Size() - 4 > pendingTotal_) {
      pending_.clear();
      pendingId_ = -1;
      return;
    }
    pending_.append(data.Data(4, data.Size() - 4), data.Size() - 4);
    if (pending_.size() < pendingTotal_) return;
    whole = std::move(pending_);
  } else if (pendingId_ == id && pendingType_ == type) {
    // A last part without the flag.
    if (pending_.size() + data.Size() <= pendingTotal_)
      pending_.append(data.Data(0, data.Size()), data.Size());
    whole = std::move(pending_);
  } else {
    whole = QByteArray(data.Data(0, data.Size()), data.Size());
  }
  pending_.clear();
  pendingId_ = -1;
  if (data_->objects.size() >= kMaxMetaCommands / 4) throw EInvalidGraphic("Metafile has too many objects");
  if (storedBytes_ + whole.size() > kMaxStoredBytes) throw EInvalidGraphic("EMF+ records are too large");
  storedBytes_ += whole.size();
  data_->objects.push_back(ParseEmfPlusObject(type, whole, imageBudget_));
  data_->records.push_back(
      {EmfPlus::kObject, flags, static_cast<std::int32_t>(data_->objects.size() - 1), QByteArray()});
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
