// The metafile player: the state machine that plays a play list's commands, onto a painter or only to
// measure what they draw, handing each family of operations to the part that plays it.
#pragma once

#include <QRectF>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaClipRegion.h"
#include "metafile/play/MetaDc.h"
#include "metafile/play/MetaDrawingPlayer.h"
#include "metafile/play/MetaEmfPlusBridge.h"
#include "metafile/play/MetaGdiObjects.h"
#include "metafile/play/MetaPathBracket.h"
#include "metafile/play/MetaPlayView.h"

class QPainter;
class TMetaPaletteBlits;
class TMetaStrokeCache;
class TMetaTextOutlines;

// Plays a parsed metafile: onto a painter, or only to measure what it draws.
class TMetafilePlayer {
 public:
  // strokes, texts and paletteBlits, when given, keep the outlines of stroked shapes and of text and
  // the bitmaps of palette colours as coloured from one drawing of the list to the next.
  explicit TMetafilePlayer(const TMetaPlayList& list, TMetaStrokeCache* strokes = nullptr,
                           TMetaTextOutlines* texts = nullptr, TMetaPaletteBlits* paletteBlits = nullptr);
  // Its parts refer to its device context and view.
  TMetafilePlayer(const TMetafilePlayer&) = delete;
  TMetafilePlayer& operator=(const TMetafilePlayer&) = delete;

  // Draws the list's frame scaled into target, shapes antialiased. A picture drawn inside another
  // one gets the pixel of the outer picture's natural size as it lands on the painter's device
  // (referencePixel, in device units): its one-pixel lines follow the outer picture's.
  void Play(QPainter& painter, const QRectF& target, double referencePixel = 0);
  // The picture-space bounds of the shapes the list draws; empty when it draws none.
  QRectF DrawnBounds();

 private:
  void Run();
  // The start of the next range of GDI commands that only stand in for EMF+ records, else the end of
  // the list.
  std::size_t NextFallback() const;
  void Execute(const TMetaCommand& c);
  // The families of operations (see MetaOpFamily) that the player plays itself.
  void ExecuteMapping(const TMetaCommand& c);
  void ExecuteState(const TMetaCommand& c);
  void ExecuteObject(const TMetaCommand& c);
  void ExecutePath(const TMetaCommand& c);
  void ExecuteClip(const TMetaCommand& c);

  // The mapping, from the device context's window, viewport and world transform.
  void UpdateTransform();
  void SetWorldTransform(const TMetaCommand& c);
  void Restore(int level);
  void Select(std::int32_t slot);
  void ClipToRegion(const TMetaObject& region);
  void SelectClipRects(const TMetaClipRects& rects);

  const TMetaPlayList& list_;
  TMetaPlayView view_;
  TMetaDc dc_;
  std::vector<TMetaDc> saved_;
  int lostSaves_ = 0;
  TMetaObjectTable objects_;
  TMetaPathBracket path_;
  TMetaClipRegion clip_;
  TMetaDrawingPlayer drawing_;
  TMetaEmfPlusBridge emfPlus_;
  std::size_t commandIndex_ = 0;   // the command being played
  std::size_t fallbackRange_ = 0;  // the next range of the EMF+ fallback commands, which are not played
  std::size_t playedUntil_ = 0;    // where that range starts: the commands before it are played
};
