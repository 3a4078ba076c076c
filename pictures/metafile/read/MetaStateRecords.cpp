// Records of the device context's state: mapping, saving and restoring, world transforms and modes.
#include "metafile/read/MetaStateRecords.h"

#include <cmath>

#include "metafile/read/MetaRecordFields.h"

namespace {

constexpr double kMaxTransformValue = 1e9;
constexpr double kMinDeterminant = 1e-12;

void AddExtent(TMetaListBuilder& builder, EMetaOp op, const TMetaPoint& extent) {
  if (extent.x == 0 || extent.y == 0) return;
  builder.Add({op, TMetaExtent{extent.x, extent.y}});
}

void AddScale(TMetaListBuilder& builder, EMetaOp op, const TMetaScale& scale) {
  if (scale.xNum == 0 || scale.xDenom == 0 || scale.yNum == 0 || scale.yDenom == 0) return;
  builder.Add({op, scale});
}

template <class Record>
TMetaScale EmfScale(const TMetaBytes& rec) {
  return {.xNum = rec.I32(offsetof(Record, xNum)),
          .xDenom = rec.I32(offsetof(Record, xDenom)),
          .yNum = rec.I32(offsetof(Record, yNum)),
          .yDenom = rec.I32(offsetof(Record, yDenom))};
}

template <class Record>
TMetaScale WmfScale(const TMetaBytes& rec) {
  return {.xNum = rec.I16(offsetof(Record, xNum)),
          .xDenom = rec.I16(offsetof(Record, xDenom)),
          .yNum = rec.I16(offsetof(Record, yNum)),
          .yDenom = rec.I16(offsetof(Record, yDenom))};
}

// SetWorldTransform takes the matrix, ModifyWorldTransform combines it by its MWT_* mode.
void AddTransform(const TMetaBytes& rec, TMetaListBuilder& builder, EMetaOp op, std::int32_t mode) {
  static_assert(offsetof(U_EMRSETWORLDTRANSFORM, xform) == offsetof(U_EMRMODIFYWORLDTRANSFORM, xform));
  const std::array<double, 6> m = ReadXform(rec, offsetof(U_EMRSETWORLDTRANSFORM, xform));
  // GDI refuses such matrices; beyond this size they only overflow the later arithmetic.
  for (const double value : m)
    if (!std::isfinite(value) || std::abs(value) > kMaxTransformValue) return;
  const QTransform matrix(m[0], m[1], m[2], m[3], m[4], m[5]);
  if (op == EMetaOp::SetWorldTransform || mode != U_MWT_IDENTITY) {
    if (std::abs(matrix.determinant()) < kMinDeterminant) return;
  }
  const std::int32_t transform = builder.AddTransform(matrix);
  if (op == EMetaOp::SetWorldTransform)
    builder.Add({op, TMetaIndex{transform}});
  else
    builder.Add({op, TMetaTransformArgs{.transform = transform, .mode = mode}});
}

}  // namespace

void ReadEmfSetMapMode(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetMapMode, TMetaMode{rec.I32(offsetof(U_EMRSETMAPMODE, iMode))}});
}

void ReadEmfSetWindowOrg(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetWindowOrg, ReadPointl(rec, offsetof(U_EMRSETWINDOWORGEX, ptlOrigin))});
}

void ReadEmfSetWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddExtent(builder, EMetaOp::SetWindowExt, ReadSizel(rec, offsetof(U_EMRSETWINDOWEXTEX, szlExtent)));
}

void ReadEmfSetViewportOrg(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetViewportOrg, ReadPointl(rec, offsetof(U_EMRSETVIEWPORTORGEX, ptlOrigin))});
}

void ReadEmfSetViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddExtent(builder, EMetaOp::SetViewportExt, ReadSizel(rec, offsetof(U_EMRSETVIEWPORTEXTEX, szlExtent)));
}

void ReadEmfScaleWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddScale(builder, EMetaOp::ScaleWindowExt, EmfScale<U_EMRSCALEWINDOWEXTEX>(rec));
}

void ReadEmfScaleViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddScale(builder, EMetaOp::ScaleViewportExt, EmfScale<U_EMRSCALEVIEWPORTEXTEX>(rec));
}

void ReadWmfSetMapMode(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetMapMode, TMetaMode{rec.U16(offsetof(U_WMRSETMAPMODE, Mode))}});
}

void ReadWmfSetWindowOrg(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetWindowOrg, WmfPoint<U_WMRSETWINDOWORG>(rec)});
}

void ReadWmfSetWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddExtent(builder, EMetaOp::SetWindowExt, WmfPoint<U_WMRSETWINDOWEXT>(rec));
}

void ReadWmfSetViewportOrg(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetViewportOrg, WmfPoint<U_WMRSETVIEWPORTORG>(rec)});
}

void ReadWmfSetViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddExtent(builder, EMetaOp::SetViewportExt, WmfPoint<U_WMRSETVIEWPORTEXT>(rec));
}

void ReadWmfOffsetWindowOrg(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::OffsetWindowOrg, WmfPoint<U_WMROFFSETWINDOWORG>(rec)});
}

void ReadWmfOffsetViewportOrg(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::OffsetViewportOrg, WmfPoint<U_WMROFFSETVIEWPORTORG>(rec)});
}

void ReadWmfScaleWindowExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddScale(builder, EMetaOp::ScaleWindowExt, WmfScale<U_WMRSCALEWINDOWEXT>(rec));
}

void ReadWmfScaleViewportExt(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddScale(builder, EMetaOp::ScaleViewportExt, WmfScale<U_WMRSCALEVIEWPORTEXT>(rec));
}

void ReadEmfSaveDc(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SaveDC});
}

void ReadEmfRestoreDc(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::RestoreDC, TMetaLevel{rec.I32(offsetof(U_EMRRESTOREDC, iRelative))}});
}

void ReadWmfSaveDc(const TMetaBytes&, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SaveDC});
}

void ReadWmfRestoreDc(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::RestoreDC, TMetaLevel{rec.I16(offsetof(U_WMRRESTOREDC, DC))}});
}

void ReadEmfSetWorldTransform(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddTransform(rec, builder, EMetaOp::SetWorldTransform, 0);
}

void ReadEmfModifyWorldTransform(const TMetaBytes& rec, TMetaListBuilder& builder) {
  AddTransform(rec, builder, EMetaOp::ModifyWorldTransform,
               rec.I32(offsetof(U_EMRMODIFYWORLDTRANSFORM, iMode)));
}

void ReadEmfSetPolyFillMode(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetPolyFillMode, TMetaMode{rec.I32(offsetof(U_EMRSETPOLYFILLMODE, iMode))}});
}

void ReadEmfSetRop2(const TMetaBytes& rec, TMetaListBuilder& builder) {
  if (!rec.Has(offsetof(U_EMRSETROP2, iMode), sizeof(U_EMRSETROP2::iMode))) return;
  builder.Add({EMetaOp::SetRop2, TMetaMode{rec.I32(offsetof(U_EMRSETROP2, iMode))}});
}

void ReadEmfSetArcDirection(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetArcDirection, TMetaMode{rec.I32(offsetof(U_EMRSETARCDIRECTION, iArcDirection))}});
}

void ReadWmfSetPolyFillMode(const TMetaBytes& rec, TMetaListBuilder& builder) {
  builder.Add({EMetaOp::SetPolyFillMode, TMetaMode{rec.U16(offsetof(U_WMRSETPOLYFILLMODE, Mode))}});
}

void ReadWmfSetRop2(const TMetaBytes& rec, TMetaListBuilder& builder) {
  if (!rec.Has(offsetof(U_WMRSETROP2, Mode), sizeof(U_WMRSETROP2::Mode))) return;
  builder.Add({EMetaOp::SetRop2, TMetaMode{rec.U16(offsetof(U_WMRSETROP2, Mode))}});
}
