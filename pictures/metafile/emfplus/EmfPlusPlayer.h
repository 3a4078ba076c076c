#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QTransform>
#include <array>
#include <cstdint>
#include <vector>

#include "metafile/emfplus/EmfPlusRecords.h"

class QPainter;
class TMetaBytes;

// Where the EMF+ records draw: EMF+ device space is the picture space of the metafile player.
struct TEmfPlusTarget {
  QPainter* painter = nullptr;
  QTransform pictureToDevice;  // picture space to the painter's device, the painter's own transform included
  // The painter's clipping before the picture was drawn, which the picture's clipping narrows.
  bool outerClipped = false;
  QPainterPath outerClip;
  QTransform outerTransform;
  QRectF frame;  // the picture's frame in picture space
  // A pixel of the picture at its natural size on the painter's device, for the metafiles it draws.
  double pixelOnDevice = 0;
};

// Plays EMF+ records with QPainter, antialiased. Its graphics state (transforms, clip, saved states,
// object table) lasts from one batch of records to the next, as GDI records may come between them.
class TEmfPlusPlayer {
 public:
  explicit TEmfPlusPlayer(const TEmfPlusData& data) : data_(data) { table_.fill(-1); }

  // Plays count records from first; the painter's state is left as it was found.
  void Play(const TEmfPlusTarget& target, std::int32_t first, std::int32_t count);

 private:
  struct TState {
    QTransform world, container;
    int pageUnit = 1;  // UnitDisplay
    double pageScale = 1;
    bool clipped = false;
    QPainterPath clip;  // in picture space
    bool antialias = true;
    bool sourceCopy = false;
  };

  void Execute(const TEmfPlusRecord& record);
  void ExecuteState(const TEmfPlusRecord& record, const TMetaBytes& b);
  void ExecuteDrawing(const TEmfPlusRecord& record, const TMetaBytes& b);
  void ExecuteShapes(const TEmfPlusRecord& record, const TMetaBytes& b);
  void ExecuteCurves(const TEmfPlusRecord& record, const TMetaBytes& b);
  void ExecuteText(const TEmfPlusRecord& record, const TMetaBytes& b);
  void ExecuteImage(const TEmfPlusRecord& record, const TMetaBytes& b);

  // World to picture space.
  QTransform WorldToPicture() const;
  // Device pixels of one page unit.
  double PagePixels() const;
  const TEmfPlusObject* Object(int id, int kind) const;
  // The brush of a fill record: an ARGB colour when the S flag is set, else a brush object.
  bool FillBrush(std::uint16_t flags, std::uint32_t value, QBrush& brush) const;
  // The pen of a drawing record, its width in the painter's device pixels; object receives the pen
  // object for its end shapes and compound lines.
  bool Pen(int id, QPen& pen, const TEmfPlusObject** object) const;
  // The world-space area a fill record's brush paints in; null for everywhere.
  const QPainterPath* BrushArea(std::uint16_t flags, std::uint32_t value) const;
  void Fill(const QPainterPath& path, const QBrush& brush, const QPainterPath* area = nullptr);
  void Stroke(const QPainterPath& path, const QPen& pen, const TEmfPlusObject* penObject);
  // A compound pen's parallel lines along a device-space line.
  void DrawCompound(const QPolygonF& line, const QPen& pen, const TEmfPlusObject& penObject);
  // The pen's end shapes at the open ends of device-space lines.
  void DrawArrows(const QList<QPolygonF>& lines, const QPen& pen, const TEmfPlusObject& penObject);
  void Transform(const QTransform& matrix, bool append);
  void SetClip(const QPainterPath& worldShape, int mode, bool infinite = false);
  void ApplyClip();
  void ApplyCompositing();
  void SaveState(std::uint32_t id);
  void RestoreState(std::uint32_t id);

  const TEmfPlusData& data_;
  TEmfPlusTarget target_;
  QRectF visible_;  // the painter's window, where drawing shows
  QRectF near_;     // geometry beyond it is cut down before it goes to Qt
  TState state_;
  std::vector<std::pair<std::uint32_t, TState>> saved_;
  std::array<std::int32_t, 64> table_{};
  std::int64_t clipWork_ = 0;
};
