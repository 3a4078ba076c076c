// Records of the device context's state, for both readers: the mapping mode, window and viewport,
// saving and restoring the context, world transforms, and the polygon fill, mix and arc modes.
#pragma once

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// Mapping. A window or viewport extent of 0, or a scale by 0, is ignored as GDI ignores it.
void ReadEmfSetMapMode(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetWindowOrg(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetViewportOrg(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfScaleWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfScaleViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetMapMode(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetWindowOrg(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetViewportOrg(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfOffsetWindowOrg(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfOffsetViewportOrg(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfScaleWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfScaleViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder);

// Saving and restoring the device context.
void ReadEmfSaveDc(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfRestoreDc(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSaveDc(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfRestoreDc(const TMetaBytes& rec, TMetaListBuilder& builder);

// World transforms (EMF). A matrix GDI would refuse (not finite, huge or not invertible) is left out.
void ReadEmfSetWorldTransform(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfModifyWorldTransform(const TMetaBytes& rec, TMetaListBuilder& builder);

// Modes.
void ReadEmfSetPolyFillMode(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetRop2(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetArcDirection(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetPolyFillMode(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetRop2(const TMetaBytes& rec, TMetaListBuilder& builder);
