// The metafile player: the state machine that plays a play list's commands, onto a painter or only to
// measure what they draw, handing each family of operations to the part that plays it.
#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRectF>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaClipRegion.h"
#include "metafile/play/MetaDc.h"
#include "metafile/play/MetaEmfPlusBridge.h"
#include "metafile/play/MetaGdiObjects.h"
#include "metafile/play/MetaPathBracket.h"
#include "metafile/play/MetaPlayView.h"
#include "metafile/play/MetaShapePainter.h"

class QPainter;
class TMetaStrokeCache;
class TMetaTextOutlines;

// Plays a parsed metafile: onto a painter, or only to measure what it draws.
class TMetafilePlayer {
 public:
  // strokes and texts, when given, keep the outlines of stroked shapes and of text from one drawing of
  // the list to the next.
  explicit TMetafilePlayer(const TMetaPlayList& list, TMetaStrokeCache* strokes = nullptr,
                           TMetaTextOutlines* texts = nullptr);
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
  void Execute(const TMetaCommand& c);
  // The families of operations (see MetaOpFamily).
  void ExecuteMapping(const TMetaCommand& c);
  void ExecuteState(const TMetaCommand& c);
  void ExecuteObject(const TMetaCommand& c);
  void ExecuteShape(const TMetaCommand& c);
  void ExecuteCurve(const TMetaCommand& c);
  void ExecutePath(const TMetaCommand& c);
  void ExecuteClip(const TMetaCommand& c);
  void ExecuteRegion(const TMetaCommand& c);
  void ExecutePicture(const TMetaCommand& c);

  // The mapping, from the device context's window, viewport and world transform.
  void UpdateTransform();
  void SetWorldTransform(const TMetaCommand& c);
  void Restore(int level);
  void Select(std::int32_t slot);
  // A brush of FillRgn and FrameRgn: a table object, or a stock object with the EMF stock bit.
  QBrush BrushByIndex(std::int32_t index) const;
  void ClipToRegion(const TMetaObject& region);

  // Draws (or measures) a logical-space shape with the current pen and, when filled, brush; box is the
  // logical box of a boxed shape (rectangle, ellipse, arc). Inside a path bracket the shape becomes
  // figures of the path instead.
  void DrawPath(const QPainterPath& path, bool filled, const QRectF* box = nullptr);
  void DrawPolygon(const QPoint* points, int count);
  void DrawPolyline(const QPoint* points, int count);
  // Draws a figure that starts at the current position, or continues the open figure of a path.
  void DrawConnected(const QPainterPath& segment);
  // How many LineTo records from the current one draw as one line with the pen in force (1 when
  // they must be drawn one by one).
  std::size_t LineToRun() const;
  void DrawPolyPolygon(const TMetaCommand& c);
  void DrawArc(const TMetaCommand& c);
  void DrawPolyDraw(const TMetaPolyDrawArgs& draw);
  void DrawPixel(const TMetaPixel& pixel);
  // The box a boxed shape is drawn in: with an inside-frame pen, shrunk by half the pen's width.
  QRectF FramedBox(const QRectF& box) const;
  // Fills and/or strokes the finished path and discards it.
  void PlayPath(EMetaOp op);
  void WidenPath();
  void SelectClipRects(const TMetaClipRects& rects);
  void PlayRegion(const TMetaCommand& c);
  // The rectangles of a region command: a region object's or the command's own; false when none.
  bool RegionRects(const TMetaRegion& region, std::int32_t& first, std::int32_t& count) const;
  void PlayText(std::int32_t index);
  void PlayBlit(std::int32_t index);
  void PlayGradient(std::int32_t index);

  // Adds the logical rectangle, or the picture-space one, to the measured bounds.
  void Measure(const QRectF& logical);
  void MeasurePicture(const QRectF& picture);
  bool ValidPoints(std::int32_t first, std::int64_t count) const;

  const TMetaPlayList& list_;
  TMetaTextOutlines* texts_ = nullptr;
  TMetaPlayView view_;
  TMetaDc dc_;
  std::vector<TMetaDc> saved_;
  int lostSaves_ = 0;
  TMetaObjectTable objects_;
  TMetaPathBracket path_;
  TMetaClipRegion clip_;
  TMetaShapePainter shapes_;
  TMetaEmfPlusBridge emfPlus_;
  std::size_t commandIndex_ = 0;  // the command being played: the slot of its outlines in the caches
  QRectF bounds_;
  bool measured_ = false;
};
