#pragma once

#include <QRectF>
#include <QTransform>
#include <vector>

#include "MetaDc.h"
#include "MetaPlayList.h"

class QPainter;

// Plays a parsed metafile: onto a painter, or only to measure what it draws.
class TMetafilePlayer {
 public:
  explicit TMetafilePlayer(const TMetaPlayList& list) : list_(list) {}

  // Draws the list's frame scaled into target, shapes antialiased.
  void Play(QPainter& painter, const QRectF& target);
  // The picture-space bounds of the shapes the list draws; empty when it draws none.
  QRectF DrawnBounds();

 private:
  struct TObject {
    enum class EKind { None, Pen, Brush, Other } kind = EKind::None;
    QPen pen;
    QBrush brush;
  };

  void Run();
  void Execute(const TMetaCommand& c);
  void UpdateTransform();
  void Select(const TObject& object);
  void SelectStock(int stock);
  void Restore(int level);
  // Draws (or measures) a logical-space shape with the current pen and, when filled, brush.
  void DrawPolygon(const QPoint* points, int count);
  void DrawPolyline(const QPoint* points, int count);
  void DrawPath(const QPainterPath& path, bool filled);
  void Measure(const QRectF& logical);
  bool ValidPoints(std::int32_t first, std::int64_t count) const;

  const TMetaPlayList& list_;
  QPainter* painter_ = nullptr;
  QTransform toTarget_;
  QTransform logicalToPicture_;
  QRectF bounds_;
  bool measured_ = false;
  TMetaDc dc_;
  std::vector<TMetaDc> saved_;
  int lostSaves_ = 0;
  std::vector<TObject> objects_;
};
