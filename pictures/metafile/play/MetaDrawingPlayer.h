// The operations that put ink on the picture, played with the device context in force: their shapes
// become figures of the path being recorded, or bounds while the list is only measured, or go to the
// painters of shapes, regions, text, bitmaps and gradients.
#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRectF>
#include <cstddef>
#include <cstdint>

#include "metafile/model/MetaCommand.h"
#include "metafile/play/MetaDc.h"
#include "metafile/play/MetaShapePainter.h"

class TMetaObjectTable;
class TMetaPaletteBlits;
class TMetaPathBracket;
class TMetaPlayList;
class TMetaPlayView;
class TMetaStrokeCache;
class TMetaTextOutlines;

class TMetaDrawingPlayer {
 public:
  // The list's player owns the device context, view, path bracket and object table it plays with.
  // strokes, texts and paletteBlits, when given, keep outlines and coloured bitmaps from one drawing
  // of the list to the next.
  TMetaDrawingPlayer(const TMetaPlayList& list, TMetaDc& dc, const TMetaPlayView& view,
                     TMetaPathBracket& path, const TMetaObjectTable& objects, TMetaStrokeCache* strokes,
                     TMetaTextOutlines* texts, TMetaPaletteBlits* paletteBlits);

  // Plays the drawing command at index of the list; returns how many commands it took, more than one
  // for a run of LineTo records drawn as one line, which ends before end.
  std::size_t Play(std::size_t index, std::size_t end);
  // WidenPath: the path becomes the outline the selected pen draws of it.
  void WidenPath();

  // Measuring: what the list draws while the view has no painter, in picture space.
  void StartMeasuring();
  const QRectF& Bounds() const { return bounds_; }

 private:
  // Lines, polygons, boxes and pixels, and the curves and arcs of PlayCurve.
  void PlayShape(const TMetaCommand& c);
  void PlayCurve(const TMetaCommand& c);
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
  std::size_t DrawLineRun();
  void DrawPolyPolygon(const TMetaCommand& c);
  void DrawArc(const TMetaCommand& c);
  void DrawPolyDraw(const TMetaPolyDrawArgs& draw);
  void DrawPixel(const TMetaPixel& pixel);
  // The box a boxed shape is drawn in: with an inside-frame pen, shrunk by half the pen's width.
  QRectF FramedBox(const QRectF& box) const;
  // Fills and/or strokes the finished path and discards it.
  void PlayPath(EMetaOp op);
  void PlayRegion(const TMetaCommand& c);
  // The rectangles of a region command: a region object's or the command's own; false when none.
  bool RegionRects(const TMetaRegion& region, std::int32_t& first, std::int32_t& count) const;
  // A brush of FillRgn and FrameRgn: a table object, or a stock object with the EMF stock bit.
  QBrush BrushByIndex(std::int32_t index) const;
  void PlayText(std::int32_t index);
  void PlayBlit(std::int32_t index);
  void PlayGradient(std::int32_t index);
  // Adds the logical rectangle, or the picture-space one, to the measured bounds.
  void Measure(const QRectF& logical);
  void MeasurePicture(const QRectF& picture);
  bool ValidPoints(std::int64_t first, std::int64_t count) const;

  const TMetaPlayList& list_;
  TMetaDc& dc_;
  const TMetaPlayView& view_;
  TMetaPathBracket& path_;
  const TMetaObjectTable& objects_;
  TMetaTextOutlines* texts_ = nullptr;
  TMetaShapePainter shapes_;
  TMetaPaletteBlits* paletteBlits_ = nullptr;
  std::size_t index_ = 0;   // the command being played: the slot of its outlines in the stroke cache
  std::size_t runEnd_ = 0;  // where a run of LineTo records must end
  QRectF bounds_;
  bool measured_ = false;
};
