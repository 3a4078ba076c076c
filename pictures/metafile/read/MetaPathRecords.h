// The EMF path records: the bracket that records a path, and the records that fill, stroke, flatten,
// widen or drop it. Clipping to a path is read with the region and clipping records.
#pragma once

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

void ReadEmfBeginPath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfEndPath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfCloseFigure(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfAbortPath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfFillPath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfStrokePath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfStrokeAndFillPath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfFlattenPath(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfWidenPath(const TMetaBytes& rec, TMetaListBuilder& builder);
