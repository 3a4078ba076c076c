// The outlines of text and glyphs by font, shared by all pictures within a byte budget.
#pragma once

#include <QHash>
#include <QPainterPath>
#include <QString>
#include <cstdint>
#include <list>
#include <mutex>

class QFont;
class QRawFont;

// Outlines of text and of glyphs, kept from one picture to the next.
//
// Text is filled from its glyphs' outlines: Qt's glyph images stand each line of text on a whole
// pixel, which on a small tile moves it by up to half a pixel. Taking outlines from a font is slow,
// as FreeType runs the font's hinting program for each request, and the same few fonts and letters
// come back in picture after picture, so outlines are kept by font and glyph (or, for text that Qt
// shapes itself, by font and characters: most runs that reach here are one character each). The
// least recently used ones go when the budget is full. Pictures are drawn on the GUI thread while
// others are prepared in worker threads: every call may come from any thread.
class TMetaTextOutlines {
 public:
  explicit TMetaTextOutlines(std::int64_t byteBudget = kDefaultByteBudget);
  TMetaTextOutlines(const TMetaTextOutlines&) = delete;
  TMetaTextOutlines& operator=(const TMetaTextOutlines&) = delete;

  // The one all pictures of the process share (see Metafile.cpp for why it is not handed down).
  static TMetaTextOutlines& Shared();

  // The outline of the text in the font, its origin on the baseline at the start of the text.
  QPainterPath Outline(const QFont& font, const QString& text);
  // The outline of the glyph at index in rawFont, the font file that draws font, its origin on the
  // baseline.
  QPainterPath GlyphOutline(const QFont& font, const QRawFont& rawFont, quint32 index);

  // The bytes the kept outlines take, as counted against the budget.
  std::int64_t Bytes() const;
  // How many outlines were taken from fonts rather than found kept.
  std::int64_t Made() const;

  // The text of a level's pictures takes a few megabytes of outlines; the game's memory stays small.
  static constexpr std::int64_t kDefaultByteBudget = std::int64_t{8} << 20;

 private:
  struct TEntry {
    QPainterPath outline;
    std::int64_t bytes = 0;
    std::list<QString>::iterator use;  // its place in uses_
  };
  // The kept outline under key, made by make when it is not kept (outside the lock: FreeType's work on
  // one thread does not hold up the others).
  template <typename Make>
  QPainterPath Kept(const QString& key, Make make);
  void Keep(const QString& key, const QPainterPath& outline);

  const std::int64_t byteBudget_;
  mutable std::mutex mutex_;
  QHash<QString, TEntry> entries_;
  std::list<QString> uses_;  // keys, the most recently used first
  std::int64_t bytes_ = 0;
  std::int64_t made_ = 0;
};
