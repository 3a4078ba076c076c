#include "metafile/emfplus/EmfPlusPlayer.h"

#include <QPainter>
#include <cmath>
#include <variant>

#include "metafile/emfplus/EmfPlusGeometry.h"
#include "metafile/emfplus/EmfPlusTypes.h"

namespace {

using EmfPlus::ECombineMode;

// Deeper Save and BeginContainer nesting is ignored, so that a file cannot pile up states.
constexpr std::size_t kMaxSavedStates = 1024;
// Clip shapes beyond this many path elements, or clip changes beyond this total work per picture,
// keep the clip as it was: combining them would cost more time than a picture may take.
constexpr int kMaxClipElements = 4000;
constexpr std::int64_t kMaxClipWork = 200000;

// What an infinite region or the absence of a clip covers: far more than the frame.
QPainterPath Everything(const QRectF& frame) {
  QPainterPath path;
  path.addRect(
      frame.adjusted(-4 * frame.width(), -4 * frame.height(), 4 * frame.width(), 4 * frame.height()));
  return path;
}

}  // namespace

void TEmfPlusPlayer::Play(const TEmfPlusTarget& target, std::int32_t first, std::int32_t count) {
  if (!target.painter || first < 0 || count <= 0 ||
      static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(count) > data_.commands.size())
    return;
  target_ = target;
  painter_.emplace(target, data_.dpiX);
  QPainter& painter = *target.painter;
  painter.setRenderHint(QPainter::Antialiasing, state_.antialias);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  ApplyCompositing();
  ApplyClip();
  for (std::int32_t i = first; i < first + count; ++i)
    std::visit([this](const auto& command) { Execute(EmfPlusUnboxed(command)); },
               data_.commands[static_cast<std::size_t>(i)]);
}

QTransform TEmfPlusPlayer::WorldToPicture() const {
  const double pageX = PagePixels();
  const double pageY = EmfPlus::UnitPixels(state_.pageUnit, data_.dpiY) * state_.pageScale;
  // EMF+ device pixels are those of the EMF's reference device, picture space; the header's
  // resolution only converts physical units.
  return state_.world * state_.container * QTransform::fromScale(pageX, pageY);
}

double TEmfPlusPlayer::PagePixels() const {
  return EmfPlus::UnitPixels(state_.pageUnit, data_.dpiX) * state_.pageScale;
}

TEmfPlusView TEmfPlusPlayer::View() const {
  return {WorldToPicture(), PagePixels()};
}

void TEmfPlusPlayer::Execute(const TEmfPlusSetAntialias& command) {
  state_.antialias = command.on;
  target_.painter->setRenderHint(QPainter::Antialiasing, state_.antialias);
}

void TEmfPlusPlayer::Execute(const TEmfPlusSetCompositing& command) {
  state_.sourceCopy = command.sourceCopy;
  ApplyCompositing();
}

void TEmfPlusPlayer::Execute(const TEmfPlusSave& command) {
  SaveState(command.id);
}

void TEmfPlusPlayer::Execute(const TEmfPlusRestore& command) {
  RestoreState(command.id);
}

void TEmfPlusPlayer::Execute(const TEmfPlusBeginContainer& command) {
  SaveState(command.id);
  if (!command.sourceToDestination) return;
  const QTransform container = *command.sourceToDestination * state_.world * state_.container;
  if (!container.isInvertible() || !EmfPlusFinite(EmfPlusMaxScale(container))) return;
  state_.container = container;
  state_.world = QTransform();
}

void TEmfPlusPlayer::Execute(const TEmfPlusBeginContainerNoParams& command) {
  SaveState(command.id);
  state_.container = state_.world * state_.container;
  state_.world = QTransform();
}

void TEmfPlusPlayer::Execute(const TEmfPlusSetWorld& command) {
  state_.world = command.matrix;
}

void TEmfPlusPlayer::Execute(const TEmfPlusResetWorld&) {
  state_.world = QTransform();
}

void TEmfPlusPlayer::Execute(const TEmfPlusMultiplyWorld& command) {
  const QTransform world = command.append ? state_.world * command.matrix : command.matrix * state_.world;
  if (!world.isInvertible() || !EmfPlusFinite(EmfPlusMaxScale(world))) return;
  state_.world = world;
}

void TEmfPlusPlayer::Execute(const TEmfPlusSetPage& command) {
  state_.pageUnit = command.unit;
  state_.pageScale = command.scale;
}

void TEmfPlusPlayer::Execute(const TEmfPlusResetClip&) {
  state_.clipped = false;
  state_.clip = QPainterPath();
  ApplyClip();
}

void TEmfPlusPlayer::Execute(const TEmfPlusSetClip& command) {
  const QPainterPath shape =
      command.infinite ? Everything(target_.frame) : WorldToPicture().map(command.shape);
  if (shape.elementCount() > kMaxClipElements ||
      (state_.clipped && state_.clip.elementCount() + shape.elementCount() > kMaxClipElements))
    return;
  clipWork_ += shape.elementCount() + (state_.clipped ? state_.clip.elementCount() : 0);
  if (clipWork_ > kMaxClipWork) return;
  const QPainterPath current = state_.clipped ? state_.clip : Everything(target_.frame);
  QPainterPath result;
  switch (static_cast<ECombineMode>(command.combineMode)) {
    case ECombineMode::Replace:
      if (command.infinite) {
        Execute(TEmfPlusResetClip{});
        return;
      }
      result = shape;
      break;
    case ECombineMode::Intersect:
      result = state_.clipped ? current.intersected(shape) : shape;
      break;
    case ECombineMode::Union:
      if (!state_.clipped) return;
      result = current.united(shape);
      break;
    case ECombineMode::Xor:
      result = current.united(shape).subtracted(current.intersected(shape));
      break;
    case ECombineMode::Exclude:
      result = current.subtracted(shape);
      break;
    case ECombineMode::Complement:
      result = shape.subtracted(current);
      break;
    default:
      return;
  }
  state_.clip = result;
  state_.clipped = true;
  ApplyClip();
}

void TEmfPlusPlayer::Execute(const TEmfPlusOffsetClip& command) {
  if (!state_.clipped) return;
  const QTransform map = WorldToPicture();
  state_.clip.translate(map.map(command.offset) - map.map(QPointF(0, 0)));
  ApplyClip();
}

void TEmfPlusPlayer::Execute(const TEmfPlusFill& command) {
  painter_->Fill(command, View());
}

void TEmfPlusPlayer::Execute(const TEmfPlusStroke& command) {
  painter_->Stroke(command, View());
}

void TEmfPlusPlayer::Execute(const TEmfPlusDrawImage& command) {
  if (!painter_->DrawImage(command, View())) return;
  ApplyCompositing();
  ApplyClip();
}

void TEmfPlusPlayer::Execute(const TEmfPlusDrawString& command) {
  painter_->DrawString(command, View());
}

void TEmfPlusPlayer::Execute(const TEmfPlusDrawDriverString& command) {
  painter_->DrawDriverString(command, View());
}

void TEmfPlusPlayer::ApplyClip() {
  QPainter& painter = *target_.painter;
  painter.setTransform(target_.outerTransform);
  if (target_.outerClipped)
    painter.setClipPath(target_.outerClip, Qt::ReplaceClip);
  else
    painter.setClipping(false);
  if (state_.clipped) {
    painter.setTransform(target_.pictureToDevice);
    painter.setClipPath(state_.clip, target_.outerClipped ? Qt::IntersectClip : Qt::ReplaceClip);
  }
}

void TEmfPlusPlayer::ApplyCompositing() {
  // SourceCopy writes the source's colour and alpha in place of what is there.
  target_.painter->setCompositionMode(state_.sourceCopy ? QPainter::CompositionMode_Source
                                                        : QPainter::CompositionMode_SourceOver);
}

void TEmfPlusPlayer::SaveState(std::uint32_t id) {
  if (saved_.size() < kMaxSavedStates) saved_.emplace_back(id, state_);
}

void TEmfPlusPlayer::RestoreState(std::uint32_t id) {
  for (std::size_t i = saved_.size(); i-- > 0;) {
    if (saved_[i].first != id) continue;
    const bool clipChanged = state_.clipped || saved_[i].second.clipped;
    state_ = saved_[i].second;
    saved_.resize(i);
    target_.painter->setRenderHint(QPainter::Antialiasing, state_.antialias);
    ApplyCompositing();
    if (clipChanged) ApplyClip();
    return;
  }
}
