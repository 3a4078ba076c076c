#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <functional>
#include <memory>
#include <vector>

#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaDc.h"

class QPainter;
class TEmfPlusPlayer;
class TMetaStrokeCache;
class TMetaTextOutlines;

// Plays a parsed metafile: onto a painter, or only to measure what it draws.
class TMetafilePlayer {
 public:
  // strokes and texts, when given, keep the outlines of stroked shapes and of text from one drawing of
  // the list to the next.
  explicit TMetafilePlayer(const TMetaPlayList& list, TMetaStrokeCache* strokes = nullptr,
                           TMetaTextOutlines* texts = nullptr)
      : list_(list), strokes_(strokes), texts_(texts) {}

  // Draws the list's frame scaled into target, shapes antialiased. A picture drawn inside another
  // one gets the pixel of the outer picture's natural size as it lands on the painter's device
  // (referencePixel, in device units): its one-pixel lines follow the outer picture's.
  void Play(QPainter& painter, const QRectF& target, double referencePixel = 0);
  // The picture-space bounds of the shapes the list draws; empty when it draws none.
  QRectF DrawnBounds();

 private:
  struct TObject {
    enum class EKind { None, Pen, Brush, Region, Other } kind = EKind::None;
    QPen pen;
    QBrush brush;
    int font = -1;                                  // index into the list's fonts
    int pattern = -1;                               // index into the list's patterns
    std::int32_t regionFirst = 0, regionCount = 0;  // rectangles in the list's regionRects
    bool insideFrame = false;                       // a PS_INSIDEFRAME pen
  };

  void Run();
  // The start of the next range of GDI commands that only stand in for EMF+ records, else the end of
  // the list.
  std::size_t NextFallback() const;
  void Execute(const TMetaCommand& c);
  void CreateObject(const TMetaCommand& c);
  void UpdateTransform();
  void Select(const TObject& object);
  // The selected brush, a monochrome pattern in the present text and background colours.
  const QBrush& SelectedBrush();
  void SelectStock(int stock);
  void Restore(int level);
  // Draws (or measures) a logical-space shape with the current pen and, when filled, brush.
  void DrawPolygon(const QPoint* points, int count);
  void DrawPolyline(const QPoint* points, int count);
  void DrawPath(const QPainterPath& path, bool filled, const QRectF* logicalBox = nullptr);
  // Paints the logical-space shape with the painter's pen and brush as drawPath and drawPolygon do,
  // taking the pen's outline from the stroke cache where Qt would make it with its general stroker.
  void PaintPath(const QPainterPath& path);
  void PaintPolygon(const QPoint* points, int count);
  void PaintPolyline(const QPoint* points, int count);
  // How many LineTo records from the current one draw as one line with the pen in force (1 when
  // they must be drawn one by one), and the path from a point through theirs, valid until the next
  // line or stroke.
  std::size_t LineToRun() const;
  const QPainterPath& LineRunPath(QPointF from, std::size_t run);
  // True when the painter's pen is one whose outline the stroke cache may stand in for.
  bool OutlineWanted() const;
  // The cached outline of the shape for the painter's pen, or null when the painter strokes it itself.
  const QPainterPath* CachedOutline(const QPainterPath& path);
  // The same for the line through the points, closed for a polygon; null also for the point lists that
  // Qt strokes otherwise than their path.
  const QPainterPath* PointsOutline(const QPoint* points, int count, bool closed);
  // Draws a figure that starts at the current position, or continues the open figure of a path.
  void DrawConnected(const QPainterPath& segment);
  void SetWorldTransform(const TMetaCommand& c);
  void DrawPolyPolygon(const TMetaCommand& c);
  // PolyBezier, PolyBezierTo and PolylineTo.
  void DrawCurve(const TMetaCommand& c);
  // Fills and/or strokes the finished path and discards it.
  void PlayPath(EMetaOp op);
  void DrawArc(const TMetaCommand& c);
  void ChangeClip(const TMetaCommand& c);
  // Combines a picture-space shape into the clip region by an RGN_* mode; false when nothing changed.
  bool CombineClip(const QPainterPath& shape, int mode);
  // Sets the painter's clipping to the target's own clipping and the state's regions.
  void ApplyClip();
  QPainterPath VisiblePart(const QPainterPath& clip) const;
  // The part of picture space the painter can show, with a margin; empty when it cannot be told.
  QRectF VisibleArea() const;
  QRectF UnclippedArea() const;
  QRegion VisibleRects(const QRegion& rects) const;
  bool CombineClipRects(const QRegion& rects, int mode);
  // Cuts the rectangles waiting in the state's clipCuts out of its clip rectangles.
  void CutPendingClipRects();
  // Turns a rectangle clip into the path form, for the changes that rectangles cannot express.
  void ClipAsPath();
  // True when the shape with these logical bounds may go to Qt as it is: near the visible area and
  // drawn with a pen of moderate width.
  bool DirectlyDrawable(const QRectF& logicalBounds) const;
  // Draws the shape cut down to the visible area, for geometry too far out or pens too wide for Qt.
  void DrawClipped(const QPainterPath& path, bool filled);
  void StrokeClipped(const QList<QPolygonF>& outline, const QPen& pen);
  // The painter transform under which coordinates are in clip space.
  QTransform ClipToWindow() const;
  void Measure(const QRectF& logical);
  void PlayText(std::int32_t index);
  void PlayBlit(std::int32_t index);
  // The brush for a painter transform: patterns keep their pixels in picture space.
  QBrush PatternInPictureSpace(const QBrush& brush, const QTransform& painterTransform) const;
  bool ValidPoints(std::int32_t first, std::int64_t count) const;
  void PlayEmfPlus(const TMetaRecords& records);

  // Pens, raster modes, pixels, gradients and regions (MetaGdiPlayer.cpp).
  void ExecuteGdi(const TMetaCommand& c);
  // The selected pen as drawn under the current mapping: never thinner than a pixel of the picture.
  QPen StrokePen() const;
  // Sets the painter's composition for the mix mode and adapts the pen and brush to it; false when the
  // mode draws nothing. EndMix puts the painter back.
  bool BeginMix(QPen& pen, QBrush& brush);
  void EndMix();
  // Paints with the pen and brush in the current mix mode; paint only draws, the pen and brush are set.
  // The outline is placed as GDI places it (see StrokePlacement); logicalBox is the box of a boxed
  // shape (rectangle, ellipse, arc), null for others.
  void PaintMixed(QPen pen, QBrush brush, const std::function<void()>& paint,
                  const QRectF* logicalBox = nullptr);
  // GDI lights the pixel right of and below a point: a one-pixel line at x covers [x, x + 1) of the
  // reference device, while a fill from x0 to x1 covers [x0, x1). One-pixel outlines are therefore
  // drawn half a pixel of the picture's natural size to the right and down; wider ones are left
  // where they are, centred on their geometry as other viewers draw them. A boxed shape drawn without a world
  // transform leaves out its right and bottom edge, as compatible-mode GDI draws it. Returns the
  // change of target coordinates that places the outline, applied after the painter's transform.
  QTransform StrokePlacement(const QRectF* logicalBox) const;
  // True for a pen that draws lines of about one pixel of the picture at its natural size.
  bool Hairline(const QPen& pen) const;
  // Half a pixel of the picture at its natural size, on the target; kept in halfPixel_ while playing.
  QPointF HalfPixel() const;
  // Fills the area a hatched brush leaves open with the background colour, when that is opaque.
  void FillHatchBackground(const QPainterPath& logicalPath);
  void PlayRegion(const TMetaCommand& c);
  // The rectangles of a region command: a region object's or the command's own; false when none.
  bool RegionRects(const TMetaRegion& region, std::int32_t& first, std::int32_t& count) const;
  QBrush BrushByIndex(std::int32_t index) const;
  // The selected brush as filled under the current mapping: hatches spaced in pixels of the picture.
  QBrush FillBrush(const QBrush& brush) const;
  void ClipToRegion(const TObject& region);
  void PlayAngleArc(const TMetaAngleArcArgs& arc);
  void PlayPolyDraw(const TMetaPolyDrawArgs& draw);
  void PlayGradient(std::int32_t index);
  void ReshapePath(EMetaOp op);
  // One pixel of the picture at its natural size, in picture units.
  double PixelSize() const;
  // The box a boxed shape is drawn in: with an inside-frame pen, shrunk by half the pen's width.
  QRectF FramedBox(const QRectF& box) const;

  const TMetaPlayList& list_;
  TMetaStrokeCache* strokes_ = nullptr;
  TMetaTextOutlines* texts_ = nullptr;
  // StrokePen's last result, for the pen and mapping it was made for.
  mutable bool strokePenMade_ = false;
  mutable QPen strokePen_, strokePenOf_;
  mutable std::uint64_t strokePenMapping_ = 0;
  std::uint64_t mappingChanges_ = 0;  // counts the changes of logicalToPicture_
  QPainterPath linePath_;             // see LineRunPath
  std::size_t commandIndex_ = 0;      // the command being played: the stroke cache's slot
  std::size_t fallbackRange_ = 0;     // the next range of the EMF+ fallback commands, which are not played
  std::size_t playedUntil_ = 0;       // where that range starts: the commands before it are played
  QPainter* painter_ = nullptr;
  double referencePixel_ = 0;  // device units; 0 for the picture's own natural pixel
  QPointF halfPixel_;          // HalfPixel() for the current target
  QTransform toTarget_;
  QTransform logicalToPicture_;
  // Clip space: the painter's window coordinates at the device's pixel density. The visible area is
  // known there, and flattening curves there is exact to a device pixel.
  qreal devicePixelRatio_ = 1;
  QTransform logicalToClip_;
  double clipScale_ = 1;  // how far logicalToClip_ stretches a length at most
  QRectF clipArea_;       // the visible area in clip space, with a small margin
  QRectF nearArea_;       // where geometry may lie and still go to Qt unclipped
  QRectF bounds_;
  bool measured_ = false;
  TMetaDc dc_;
  std::vector<TMetaDc> saved_;
  int lostSaves_ = 0;
  std::vector<TObject> objects_;
  // The path being recorded or waiting to be drawn, in picture space: GDI fixes a path's points with
  // the mapping in force as they are added.
  QPainterPath path_;
  bool inPath_ = false;
  bool figureOpen_ = false;
  // The painter's clipping before the picture was drawn, which the picture's own clipping narrows.
  bool outerClipped_ = false;
  QPainterPath outerClip_;
  QTransform outerTransform_;
  std::int64_t clipWork_ = 0;
  std::int64_t clipRectWork_ = 0;
  bool clipPending_ = false;  // the clip changed since the painter last got it
  // Plays the EMF+ records; its state lasts across the GDI records between them.
  std::shared_ptr<TEmfPlusPlayer> emfPlus_;
};
