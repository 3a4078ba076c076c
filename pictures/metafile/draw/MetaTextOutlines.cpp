// The outlines of text and glyphs kept by font, least recently used ones first to go.
#include "metafile/draw/MetaTextOutlines.h"

#include <QFont>
#include <QRawFont>

namespace {

// What one kept outline costs beside its elements: its key, the hash node, the use list node and the
// path's own header, roughly.
constexpr std::int64_t kEntryOverhead = 160;

// Keys tell text from glyph indices by their first character, which no font key starts with.
QString TextKey(const QFont& font, const QString& text) {
  QString key = QStringLiteral("t");
  key += font.key();
  key += QChar(0);
  key += text;
  return key;
}

QString GlyphKey(const QFont& font, quint32 index) {
  QString key = QStringLiteral("g");
  key += font.key();
  key += QChar(0);
  key += QString::number(index);
  return key;
}

std::int64_t BytesOf(const QString& key, const QPainterPath& outline) {
  return kEntryOverhead + 2 * static_cast<std::int64_t>(key.size()) +
         static_cast<std::int64_t>(outline.elementCount()) *
             static_cast<std::int64_t>(sizeof(QPainterPath::Element));
}

}  // namespace

TMetaTextOutlines::TMetaTextOutlines(std::int64_t byteBudget) : byteBudget_(byteBudget) {}

TMetaTextOutlines& TMetaTextOutlines::Shared() {
  static TMetaTextOutlines shared;
  return shared;
}

QPainterPath TMetaTextOutlines::Outline(const QFont& font, const QString& text) {
  return Kept(TextKey(font, text), [&] {
    QPainterPath outline;
    outline.addText(QPointF(0, 0), font, text);
    return outline;
  });
}

QPainterPath TMetaTextOutlines::GlyphOutline(const QFont& font, const QRawFont& rawFont, quint32 index) {
  return Kept(GlyphKey(font, index), [&] { return rawFont.pathForGlyph(index); });
}

std::int64_t TMetaTextOutlines::Bytes() const {
  const std::lock_guard lock(mutex_);
  return bytes_;
}

std::int64_t TMetaTextOutlines::Made() const {
  const std::lock_guard lock(mutex_);
  return made_;
}

template <typename Make>
QPainterPath TMetaTextOutlines::Kept(const QString& key, Make make) {
  {
    const std::lock_guard lock(mutex_);
    if (const auto found = entries_.find(key); found != entries_.end()) {
      uses_.splice(uses_.begin(), uses_, found->use);
      return found->outline;
    }
  }
  const QPainterPath outline = make();
  Keep(key, outline);
  return outline;
}

void TMetaTextOutlines::Keep(const QString& key, const QPainterPath& outline) {
  const std::int64_t bytes = BytesOf(key, outline);
  const std::lock_guard lock(mutex_);
  ++made_;
  if (bytes > byteBudget_) return;
  // Another thread may have made the same outline meanwhile; it is the same one.
  if (entries_.contains(key)) return;
  while (bytes_ + bytes > byteBudget_ && !uses_.empty()) {
    const auto oldest = entries_.find(uses_.back());
    bytes_ -= oldest->bytes;
    entries_.erase(oldest);
    uses_.pop_back();
  }
  uses_.push_front(key);
  entries_.insert(key, TEntry{outline, bytes, uses_.begin()});
  bytes_ += bytes;
}
