// The path GDI records between BeginPath and EndPath: shapes and connected lines become its figures, in
// picture space, until it is drawn, clipped to, flattened, widened or abandoned.
#pragma once

#include <QPainterPath>
#include <QPen>
#include <QTransform>

class TMetaPathBracket {
 public:
  // True between BeginPath and EndPath, while shapes become figures of the path instead of drawing.
  bool Recording() const { return recording_; }
  // BeginPath: a new, empty path.
  void Begin();
  // EndPath: the path waits to be drawn or clipped to.
  void End() { recording_ = false; }
  // CloseFigure: closes the open figure.
  void CloseFigure();
  // AbortPath, and drawing or clipping to the path: it is gone afterwards.
  void Abort();
  QPainterPath Take();

  // A figure that continues from the current position does not go on from the last one: after a move,
  // or a figure of its own.
  void EndFigure() { figureOpen_ = false; }
  // Adds a logical shape as figures of their own; GDI fixes a path's points with the mapping in force
  // as they are added. A path that would grow beyond the list's point limit takes nothing more.
  void AddShape(const QPainterPath& logical, const QTransform& logicalToPicture);
  // Continues the open figure with a logical segment that starts at the current position, or starts a
  // figure with it.
  void Connect(const QPainterPath& logical, const QTransform& logicalToPicture);
  // Closes the open figure a PolyDraw point marked to close.
  void CloseOpenFigure();

  // FlattenPath: curves become lines.
  void Flatten();
  // WidenPath: the path becomes the outline the pen draws of it, the pen width given in picture units.
  void Widen(const QPen& pen, double width);
  bool Empty() const { return path_.isEmpty(); }

 private:
  // In picture space: GDI fixes a path's points with the mapping in force as they are added.
  QPainterPath path_;
  bool recording_ = false;
  bool figureOpen_ = false;
};
