// The metafile player's state machine: the play loop, the dispatch of each operation to the part that
// plays it, the device context with its saved states, the object table and the mapping.
#include "metafile/play/MetafilePlayer.h"

#include <uemf.h>

#include <QPainter>
#include <algorithm>

#include "metafile/draw/MetaRegionPath.h"
#include "metafile/emfplus/EmfPlusCommands.h"
#include "metafile/play/MetaListRange.h"
#include "metafile/play/MetaOpFamily.h"
#include "metafile/play/MetaShapeGeometry.h"

namespace {

// Deeper SaveDC nesting is counted but not stored, so that a file cannot pile up states.
constexpr std::size_t kMaxSavedStates = 1024;
// ModifyWorldTransform's mode that replaces the transform, later than libuemf's list.
constexpr int kMwtSet = 4;

}  // namespace

TMetafilePlayer::TMetafilePlayer(const TMetaPlayList& list, TMetaStrokeCache* strokes,
                                 TMetaTextOutlines* texts, TMetaPaletteBlits* paletteBlits)
    : list_(list),
      view_(list),
      clip_(dc_.clip, view_),
      drawing_(list, dc_, view_, path_, objects_, strokes, texts, paletteBlits),
      emfPlus_(list, view_) {}

void TMetafilePlayer::Play(QPainter& painter, const QRectF& target, double referencePixel) {
  if (!view_.Aim(painter, target, referencePixel)) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  // Hatches are spaced in pixels of the picture, so they shrink and grow with it.
  painter.setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
  view_.painter = &painter;
  Run();
  view_.painter = nullptr;
  painter.restore();
}

QRectF TMetafilePlayer::DrawnBounds() {
  view_.painter = nullptr;
  drawing_.StartMeasuring();
  Run();
  return drawing_.Bounds();
}

void TMetafilePlayer::Run() {
  dc_ = TMetaDc();
  dc_.mapMode = list_.mapMode;
  dc_.windowOrgX = list_.windowOrg.x(), dc_.windowOrgY = list_.windowOrg.y();
  dc_.windowExtX = list_.windowExt.x(), dc_.windowExtY = list_.windowExt.y();
  dc_.viewportOrgX = list_.viewportOrg.x(), dc_.viewportOrgY = list_.viewportOrg.y();
  dc_.viewportExtX = list_.viewportExt.x(), dc_.viewportExtY = list_.viewportExt.y();
  saved_.clear();
  lostSaves_ = 0;
  objects_.Reset(list_.objectSlots);
  path_.Abort();
  clip_.Reset();
  emfPlus_.Reset();
  fallbackRange_ = 0;
  playedUntil_ = NextFallback();
  UpdateTransform();
  for (commandIndex_ = 0; commandIndex_ < list_.commands.size(); ++commandIndex_) {
    if (commandIndex_ == playedUntil_) {
      // GDI records that only stand in for the file's EMF+ records are left out.
      commandIndex_ = list_.emfPlus->gdiFallback[fallbackRange_++].second - 1;
      playedUntil_ = NextFallback();
      continue;
    }
    Execute(list_.commands[commandIndex_]);
  }
}

std::size_t TMetafilePlayer::NextFallback() const {
  if (!list_.emfPlus || fallbackRange_ >= list_.emfPlus->gdiFallback.size()) return list_.commands.size();
  return list_.emfPlus->gdiFallback[fallbackRange_].first;
}

void TMetafilePlayer::Execute(const TMetaCommand& c) {
  const EMetaOpFamily family = MetaOpFamily(c.Op());
  if (clip_.Pending() && family != EMetaOpFamily::Clip) clip_.Apply();
  switch (family) {
    case EMetaOpFamily::Mapping:
      ExecuteMapping(c);
      break;
    case EMetaOpFamily::State:
      ExecuteState(c);
      break;
    case EMetaOpFamily::Object:
      ExecuteObject(c);
      break;
    case EMetaOpFamily::Path:
      ExecutePath(c);
      break;
    case EMetaOpFamily::Clip:
      ExecuteClip(c);
      break;
    case EMetaOpFamily::Drawing:
      // A run of LineTo records is drawn as one line.
      commandIndex_ += drawing_.Play(commandIndex_, playedUntil_) - 1;
      break;
    case EMetaOpFamily::EmfPlus:
      emfPlus_.Play(c.Args<TMetaRecords>());
      break;
  }
}

void TMetafilePlayer::ExecuteMapping(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::SetMapMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode >= U_MM_MIN && mode <= U_MM_MAX) dc_.mapMode = mode;
      break;
    }
    case EMetaOp::SetWindowOrg: {
      const auto& org = c.Args<TMetaPoint>();
      dc_.windowOrgX = org.x, dc_.windowOrgY = org.y;
      break;
    }
    case EMetaOp::SetViewportOrg: {
      const auto& org = c.Args<TMetaPoint>();
      dc_.viewportOrgX = org.x, dc_.viewportOrgY = org.y;
      break;
    }
    case EMetaOp::OffsetWindowOrg: {
      const auto& offset = c.Args<TMetaPoint>();
      dc_.windowOrgX += offset.x, dc_.windowOrgY += offset.y;
      break;
    }
    case EMetaOp::OffsetViewportOrg: {
      const auto& offset = c.Args<TMetaPoint>();
      dc_.viewportOrgX += offset.x, dc_.viewportOrgY += offset.y;
      break;
    }
    case EMetaOp::SetWindowExt:
    case EMetaOp::SetViewportExt: {
      const auto& ext = c.Args<TMetaExtent>();
      // Extents only count in the scalable modes; GDI ignores them in the others.
      if (ext.x == 0 || ext.y == 0 || (dc_.mapMode != U_MM_ISOTROPIC && dc_.mapMode != U_MM_ANISOTROPIC))
        return;
      if (c.Op() == EMetaOp::SetWindowExt)
        dc_.windowExtX = ext.x, dc_.windowExtY = ext.y;
      else
        dc_.viewportExtX = ext.x, dc_.viewportExtY = ext.y;
      break;
    }
    case EMetaOp::ScaleWindowExt:
    case EMetaOp::ScaleViewportExt: {
      const auto& scale = c.Args<TMetaScale>();
      if (dc_.mapMode != U_MM_ISOTROPIC && dc_.mapMode != U_MM_ANISOTROPIC) return;
      const bool window = c.Op() == EMetaOp::ScaleWindowExt;
      std::int64_t x = window ? dc_.windowExtX : dc_.viewportExtX,
                   y = window ? dc_.windowExtY : dc_.viewportExtY;
      if (!ScaleMetaExtent(x, scale.xNum, scale.xDenom) || !ScaleMetaExtent(y, scale.yNum, scale.yDenom))
        return;
      (window ? dc_.windowExtX : dc_.viewportExtX) = x;
      (window ? dc_.windowExtY : dc_.viewportExtY) = y;
      break;
    }
    case EMetaOp::SetWorldTransform:
    case EMetaOp::ModifyWorldTransform:
      SetWorldTransform(c);
      return;
    default:
      return;
  }
  UpdateTransform();
}

void TMetafilePlayer::UpdateTransform() {
  view_.SetMapping(MetaDcTransform(dc_, list_.unitsPerMmX, list_.unitsPerMmY));
}

void TMetafilePlayer::SetWorldTransform(const TMetaCommand& c) {
  const bool set = c.Op() == EMetaOp::SetWorldTransform;
  const std::int32_t index = set ? c.Args<TMetaIndex>().index : c.Args<TMetaTransformArgs>().transform;
  if (index < 0 || static_cast<std::size_t>(index) >= list_.transforms.size()) return;
  const QTransform& matrix = list_.transforms[static_cast<std::size_t>(index)];
  if (set) {
    dc_.world = matrix;
  } else {
    switch (c.Args<TMetaTransformArgs>().mode) {
      case U_MWT_IDENTITY:
        dc_.world = QTransform();
        break;
      case U_MWT_LEFTMULTIPLY:  // the new matrix acts first
        dc_.world = matrix * dc_.world;
        break;
      case U_MWT_RIGHTMULTIPLY:
        dc_.world = dc_.world * matrix;
        break;
      case kMwtSet:
        dc_.world = matrix;
        break;
      default:
        return;
    }
  }
  UpdateTransform();
}

void TMetafilePlayer::ExecuteState(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::SaveDC:
      if (saved_.size() < kMaxSavedStates)
        saved_.push_back(dc_);
      else
        ++lostSaves_;
      break;
    case EMetaOp::RestoreDC:
      Restore(c.Args<TMetaLevel>().level);
      break;
    case EMetaOp::SetPolyFillMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode == U_ALTERNATE) dc_.fillRule = Qt::OddEvenFill;
      if (mode == U_WINDING) dc_.fillRule = Qt::WindingFill;
      break;
    }
    case EMetaOp::MoveTo: {
      const auto& to = c.Args<TMetaPoint>();
      dc_.position = QPointF(to.x, to.y);
      path_.EndFigure();
      break;
    }
    case EMetaOp::SetTextColor:
      dc_.textColourRef = c.Args<TMetaColour>().colour;
      dc_.textColour = ResolveMetaColour(dc_.palette.get(), dc_.textColourRef);
      break;
    case EMetaOp::SetBkColor:
      dc_.bkColourRef = c.Args<TMetaColour>().colour;
      dc_.bkColour = ResolveMetaColour(dc_.palette.get(), dc_.bkColourRef);
      break;
    case EMetaOp::SetBkMode: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode == U_TRANSPARENT || mode == U_OPAQUE) dc_.bkOpaque = mode == U_OPAQUE;
      break;
    }
    case EMetaOp::SetTextAlign:
      dc_.textAlign = c.Args<TMetaMode>().mode;
      break;
    case EMetaOp::SetTextCharExtra:
      dc_.charExtra = c.Args<TMetaCharExtra>().extra;
      break;
    case EMetaOp::SetTextJustification: {
      // A count of 0 or less clears the justification, as does no extra space.
      const auto& justification = c.Args<TMetaJustification>();
      const bool breaks = justification.breaks > 0;
      dc_.breakExtra = breaks ? std::clamp(justification.extra, -kMaxMetaFontUnits, kMaxMetaFontUnits) : 0;
      dc_.breakCount = breaks ? justification.breaks : 0;
      break;
    }
    case EMetaOp::SetArcDirection: {
      const std::int32_t direction = c.Args<TMetaMode>().mode;
      if (direction == U_AD_COUNTERCLOCKWISE || direction == U_AD_CLOCKWISE)
        dc_.arcClockwise = direction == U_AD_CLOCKWISE;
      break;
    }
    case EMetaOp::SetRop2: {
      const std::int32_t mode = c.Args<TMetaMode>().mode;
      if (mode >= U_R2_BLACK && mode <= U_R2_WHITE) dc_.rop2 = mode;
      break;
    }
    default:
      break;
  }
}

void TMetafilePlayer::Restore(int level) {
  // Levels that do not exist are ignored, as GDI fails such a RestoreDC.
  std::int64_t keep = -1;  // number of stored states left after the restore
  if (level < 0) {
    std::int64_t back = -static_cast<std::int64_t>(level);
    if (back <= lostSaves_) {
      lostSaves_ -= static_cast<int>(back);
      return;
    }
    back -= lostSaves_;
    if (back > static_cast<std::int64_t>(saved_.size())) return;
    lostSaves_ = 0;
    keep = static_cast<std::int64_t>(saved_.size()) - back;
  } else if (level > 0) {
    if (level > static_cast<std::int64_t>(saved_.size())) return;
    lostSaves_ = 0;
    keep = level - 1;
  } else {
    return;
  }
  const TMetaDc& restored = saved_[static_cast<std::size_t>(keep)];
  const bool clipChanged =
      dc_.clip.clipped || dc_.clip.metaClipped || restored.clip.clipped || restored.clip.metaClipped;
  dc_ = restored;
  saved_.resize(static_cast<std::size_t>(keep));
  // The restored palette's entries may have changed since it was saved.
  ResolveMetaDcColours(dc_, list_);
  UpdateTransform();
  if (clipChanged) clip_.Apply();
}

void TMetafilePlayer::ExecuteObject(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::SelectObject:
      Select(c.Args<TMetaSlot>().slot);
      break;
    case EMetaOp::SelectStock:
      SelectMetaStockObject(dc_, c.Args<TMetaStock>().object);
      break;
    case EMetaOp::DeleteObject:
      objects_.Delete(c.Args<TMetaSlot>().slot);
      break;
    case EMetaOp::SelectPalette:
    case EMetaOp::SetPaletteEntries:
    case EMetaOp::ResizePalette:
      objects_.ChangePalette(c, list_, dc_);
      break;
    case EMetaOp::SelectClipObject: {
      const TMetaObject* object = objects_.At(c.Args<TMetaSlot>().slot);
      if (object != nullptr && object->kind == TMetaObject::EKind::Region)
        ClipToRegion(*object);
      else
        clip_.SelectNone();  // no region: back to the default clipping
      break;
    }
    default:
      objects_.Create(c, list_);
      break;
  }
}

void TMetafilePlayer::Select(std::int32_t slot) {
  const TMetaObject* object = objects_.At(slot);
  if (object == nullptr) return;
  SelectMetaObject(dc_, *object, list_);
  // Selecting a region object clips to it.
  if (object->kind == TMetaObject::EKind::Region) ClipToRegion(*object);
}

void TMetafilePlayer::ClipToRegion(const TMetaObject& region) {
  if (!MetaRangeFits(list_.regionRects.size(), region.regionFirst, region.regionCount)) return;
  if (region.regionCount == 0) {
    clip_.SelectNone();
    return;
  }
  clip_.SelectObjectRegion(view_.logicalToPicture.map(
      RegionPath(list_.regionRects.data() + region.regionFirst, region.regionCount)));
}

void TMetafilePlayer::ExecutePath(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::BeginPath:
      path_.Begin();
      break;
    case EMetaOp::EndPath:
      path_.End();
      break;
    case EMetaOp::CloseFigure:
      path_.CloseFigure();
      break;
    case EMetaOp::AbortPath:
      path_.Abort();
      break;
    case EMetaOp::FlattenPath:
      path_.Flatten();
      break;
    case EMetaOp::WidenPath:
      drawing_.WidenPath();
      break;
    default:
      break;
  }
}

void TMetafilePlayer::ExecuteClip(const TMetaCommand& c) {
  switch (c.Op()) {
    case EMetaOp::IntersectClipRect:
      clip_.IntersectRect(MetaBox(c.Args<TMetaRect>()));
      break;
    case EMetaOp::ExcludeClipRect:
      clip_.ExcludeRect(MetaBox(c.Args<TMetaRect>()));
      break;
    case EMetaOp::SelectClipPath: {
      QPainterPath shape = path_.Take();
      shape.setFillRule(dc_.fillRule);
      clip_.Combine(shape, c.Args<TMetaMode>().mode);
      break;
    }
    case EMetaOp::SelectClipRegion:
      SelectClipRects(c.Args<TMetaClipRects>());
      break;
    case EMetaOp::OffsetClipRegion: {
      const auto& offset = c.Args<TMetaPoint>();
      clip_.Offset(QPointF(offset.x, offset.y));
      break;
    }
    case EMetaOp::SetMetaRegion:
      clip_.SetMetaRegion();
      break;
    default:
      break;
  }
}

void TMetafilePlayer::SelectClipRects(const TMetaClipRects& rects) {
  if (rects.count < 0) {
    clip_.SelectNone();
    return;
  }
  if (!MetaRangeFits(list_.points.size(), rects.first, 2 * static_cast<std::int64_t>(rects.count))) return;
  QPainterPath region;
  region.setFillRule(Qt::WindingFill);
  for (std::int32_t i = 0; i < rects.count; ++i) {
    const QPoint* p = list_.points.data() + rects.first + 2 * i;
    region.addRect(QRectF(QPointF(p[0]), QPointF(p[1])).normalized());
  }
  clip_.Combine(region, rects.mode);
}
