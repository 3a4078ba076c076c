// The play list's commands: their argument checks and which operations draw.
#include "metafile/model/MetaCommand.h"

#include <stdexcept>
#include <string>

namespace {

bool CreatesObject(EMetaOp op) {
  switch (op) {
    case EMetaOp::CreatePen:
    case EMetaOp::CreateExtPen:
    case EMetaOp::CreateBrush:
    case EMetaOp::CreatePatternBrush:
    case EMetaOp::CreateFont:
    case EMetaOp::CreateRegion:
    case EMetaOp::CreateOther:
    case EMetaOp::CreatePalette:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TMetaCommand::ThrowWrongArgs() const {
  throw std::logic_error("Metafile operation " + std::to_string(static_cast<int>(op_)) +
                         " given arguments of another kind");
}

TMetaCommand TMetaCommand::InSlot(std::int32_t slot) const {
  TMetaCommand placed = *this;
  const bool created = CreatesObject(op_) && std::visit(
                                                 [slot](auto& args) {
                                                   if constexpr (requires { args.slot; }) {
                                                     args.slot = slot;
                                                     return true;
                                                   } else {
                                                     return false;
                                                   }
                                                 },
                                                 placed.args_);
  if (!created)
    throw std::logic_error("Metafile operation " + std::to_string(static_cast<int>(op_)) +
                           " creates no object to place in a slot");
  return placed;
}

bool MetaOpDraws(EMetaOp op) {
  switch (op) {
    case EMetaOp::LineTo:
    case EMetaOp::Polygon:
    case EMetaOp::Polyline:
    case EMetaOp::PolyPolygon:
    case EMetaOp::PolyPolyline:
    case EMetaOp::Rectangle:
    case EMetaOp::Ellipse:
    case EMetaOp::RoundRect:
    case EMetaOp::TextOut:
    case EMetaOp::PolyBezier:
    case EMetaOp::PolyBezierTo:
    case EMetaOp::PolylineTo:
    case EMetaOp::FillPath:
    case EMetaOp::StrokePath:
    case EMetaOp::StrokeAndFillPath:
    case EMetaOp::Arc:
    case EMetaOp::ArcTo:
    case EMetaOp::Chord:
    case EMetaOp::Pie:
    case EMetaOp::Blit:
    case EMetaOp::EmfPlus:
    case EMetaOp::SetPixel:
    case EMetaOp::GradientFill:
    case EMetaOp::AngleArc:
    case EMetaOp::PolyDraw:
    case EMetaOp::FillRegion:
    case EMetaOp::FrameRegion:
    case EMetaOp::PaintRegion:
    case EMetaOp::InvertRegion:
      return true;
    default:
      return false;
  }
}
