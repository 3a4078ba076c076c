// The EMF path records. None has a field the player needs: each becomes its operation.
#include "metafile/read/MetaPathRecords.h"

void ReadEmfBeginPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::BeginPath});
}

void ReadEmfEndPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::EndPath});
}

void ReadEmfCloseFigure(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::CloseFigure});
}

void ReadEmfAbortPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::AbortPath});
}

void ReadEmfFillPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::FillPath});
}

void ReadEmfStrokePath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::StrokePath});
}

void ReadEmfStrokeAndFillPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::StrokeAndFillPath});
}

void ReadEmfFlattenPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::FlattenPath});
}

void ReadEmfWidenPath(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::WidenPath});
}
