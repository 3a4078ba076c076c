// The cache of a picture's text outlines, within a budget of path elements.
#include "metafile/draw/MetaTextOutlines.h"

namespace {

// About 12 MB of path elements; a picture with more text starts again from an empty cache.
constexpr std::int64_t kMaxElements = std::int64_t{1} << 19;

}  // namespace

const QPainterPath& TMetaTextOutlines::Outline(const QFont& font, const QString& text) {
  QString key = font.key();
  key += QChar(0);
  key += text;
  if (const auto found = outlines_.constFind(key); found != outlines_.constEnd()) return *found;
  QPainterPath outline;
  outline.addText(QPointF(0, 0), font, text);
  if (elements_ + outline.elementCount() > kMaxElements) {
    outlines_.clear();
    elements_ = 0;
  }
  elements_ += outline.elementCount();
  return *outlines_.insert(key, outline);
}
