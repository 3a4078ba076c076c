// Which part of the player plays each operation of the play list.
#pragma once

#include "metafile/model/MetaCommand.h"

enum class EMetaOpFamily {
  Mapping,  // window, viewport and world transform
  State,    // the device context's modes, colours and position; saving and restoring it
  Object,   // creating, selecting and deleting GDI objects, and selecting a region object as the clip
  Path,     // the path bracket: beginning, ending, closing, abandoning and reshaping the path
  Clip,     // the clip region's changes, which the painter gets together before the next other operation
  Drawing,  // what puts ink on the picture: shapes, finished paths, regions, text, bitmaps, gradients
  EmfPlus,  // the EMF+ records an EMF comment carries
};

constexpr EMetaOpFamily MetaOpFamily(EMetaOp op) {
  switch (op) {
    case EMetaOp::SetMapMode:
    case EMetaOp::SetWindowOrg:
    case EMetaOp::SetWindowExt:
    case EMetaOp::SetViewportOrg:
    case EMetaOp::SetViewportExt:
    case EMetaOp::OffsetWindowOrg:
    case EMetaOp::OffsetViewportOrg:
    case EMetaOp::ScaleWindowExt:
    case EMetaOp::ScaleViewportExt:
    case EMetaOp::SetWorldTransform:
    case EMetaOp::ModifyWorldTransform:
      return EMetaOpFamily::Mapping;
    case EMetaOp::SaveDC:
    case EMetaOp::RestoreDC:
    case EMetaOp::SetPolyFillMode:
    case EMetaOp::MoveTo:
    case EMetaOp::SetTextColor:
    case EMetaOp::SetBkColor:
    case EMetaOp::SetBkMode:
    case EMetaOp::SetTextAlign:
    case EMetaOp::SetTextCharExtra:
    case EMetaOp::SetTextJustification:
    case EMetaOp::SetArcDirection:
    case EMetaOp::SetRop2:
      return EMetaOpFamily::State;
    case EMetaOp::CreatePen:
    case EMetaOp::CreateExtPen:
    case EMetaOp::CreateBrush:
    case EMetaOp::CreatePatternBrush:
    case EMetaOp::CreateFont:
    case EMetaOp::CreateRegion:
    case EMetaOp::CreateOther:
    case EMetaOp::SelectObject:
    case EMetaOp::SelectStock:
    case EMetaOp::DeleteObject:
    case EMetaOp::SelectClipObject:
      return EMetaOpFamily::Object;
    case EMetaOp::BeginPath:
    case EMetaOp::EndPath:
    case EMetaOp::CloseFigure:
    case EMetaOp::AbortPath:
    case EMetaOp::FlattenPath:
    case EMetaOp::WidenPath:
      return EMetaOpFamily::Path;
    case EMetaOp::IntersectClipRect:
    case EMetaOp::ExcludeClipRect:
    case EMetaOp::SelectClipPath:
    case EMetaOp::SelectClipRegion:
    case EMetaOp::OffsetClipRegion:
    case EMetaOp::SetMetaRegion:
      return EMetaOpFamily::Clip;
    case EMetaOp::LineTo:
    case EMetaOp::Polygon:
    case EMetaOp::Polyline:
    case EMetaOp::PolyPolygon:
    case EMetaOp::PolyPolyline:
    case EMetaOp::Rectangle:
    case EMetaOp::Ellipse:
    case EMetaOp::RoundRect:
    case EMetaOp::PolyBezier:
    case EMetaOp::PolyBezierTo:
    case EMetaOp::PolylineTo:
    case EMetaOp::Arc:
    case EMetaOp::ArcTo:
    case EMetaOp::Chord:
    case EMetaOp::Pie:
    case EMetaOp::AngleArc:
    case EMetaOp::PolyDraw:
    case EMetaOp::SetPixel:
    case EMetaOp::FillPath:
    case EMetaOp::StrokePath:
    case EMetaOp::StrokeAndFillPath:
    case EMetaOp::FillRegion:
    case EMetaOp::FrameRegion:
    case EMetaOp::PaintRegion:
    case EMetaOp::InvertRegion:
    case EMetaOp::TextOut:
    case EMetaOp::Blit:
    case EMetaOp::GradientFill:
      return EMetaOpFamily::Drawing;
    case EMetaOp::EmfPlus:
      return EMetaOpFamily::EmfPlus;
  }
  return EMetaOpFamily::State;  // no operation: the state family ignores it
}
