// Which part of the player plays each operation of the play list.
#pragma once

#include "metafile/model/MetaCommand.h"

enum class EMetaOpFamily {
  Mapping,  // window, viewport and world transform
  State,    // the device context's modes, colours and position; saving and restoring it
  Object,   // creating, selecting and deleting GDI objects, and selecting a region object as the clip
  Path,     // the path bracket: beginning, ending, closing, abandoning and reshaping the path
  Clip,     // the clip region's changes, which the painter gets together before the next other operation
  Drawing,  // what puts ink on the picture (MetaOpDraws): shapes, finished paths, regions, text, bitmaps
  EmfPlus,  // the EMF+ records an EMF comment carries
};

inline EMetaOpFamily MetaOpFamily(EMetaOp op) {
  if (op == EMetaOp::EmfPlus) return EMetaOpFamily::EmfPlus;
  if (MetaOpDraws(op)) return EMetaOpFamily::Drawing;
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
    case EMetaOp::CreatePalette:
    case EMetaOp::SelectPalette:
    case EMetaOp::SetPaletteEntries:
    case EMetaOp::ResizePalette:
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
    default:
      // SaveDC and RestoreDC, the modes, colours and current position.
      return EMetaOpFamily::State;
  }
}
