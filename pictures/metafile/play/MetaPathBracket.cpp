// The path GDI records between BeginPath and EndPath, figure by figure, in picture space.
#include "metafile/play/MetaPathBracket.h"

#include <QPainterPathStroker>

#include "metafile/model/MetaPlayList.h"

void TMetaPathBracket::Begin() {
  path_ = QPainterPath();
  recording_ = true;
  figureOpen_ = false;
}

void TMetaPathBracket::CloseFigure() {
  if (recording_ && figureOpen_) path_.closeSubpath();
  figureOpen_ = false;
}

void TMetaPathBracket::Abort() {
  path_ = QPainterPath();
  recording_ = figureOpen_ = false;
}

QPainterPath TMetaPathBracket::Take() {
  QPainterPath taken = path_;
  Abort();
  return taken;
}

void TMetaPathBracket::AddShape(const QPainterPath& logical, const QTransform& logicalToPicture) {
  if (path_.elementCount() + logical.elementCount() > static_cast<int>(kMaxMetaPoints)) return;
  path_.addPath(logicalToPicture.map(logical));
  figureOpen_ = false;
}

void TMetaPathBracket::Connect(const QPainterPath& logical, const QTransform& logicalToPicture) {
  const QPainterPath mapped = logicalToPicture.map(logical);
  const int count = mapped.elementCount();
  if (count == 0) return;
  if (!figureOpen_) {
    path_.moveTo(mapped.elementAt(0));
    figureOpen_ = true;
  }
  for (int i = 1; i < count; ++i) {
    const QPainterPath::Element e = mapped.elementAt(i);
    if (e.isLineTo()) {
      path_.lineTo(e);
    } else if (e.isCurveTo() && i + 2 < count) {
      path_.cubicTo(e, mapped.elementAt(i + 1), mapped.elementAt(i + 2));
      i += 2;
    }
  }
}

void TMetaPathBracket::CloseOpenFigure() {
  if (!figureOpen_) return;
  path_.closeSubpath();
  figureOpen_ = false;
}

void TMetaPathBracket::Flatten() {
  if (path_.isEmpty()) return;
  QPainterPath flat;
  flat.setFillRule(path_.fillRule());
  for (const QPolygonF& polygon : path_.toSubpathPolygons()) flat.addPolygon(polygon);
  path_ = flat;
}

void TMetaPathBracket::Widen(const QPen& pen, double width) {
  if (path_.isEmpty()) return;
  QPainterPathStroker stroker(pen);
  stroker.setWidth(width);
  path_ = stroker.createStroke(path_);
  path_.setFillRule(Qt::WindingFill);
  figureOpen_ = false;
}
