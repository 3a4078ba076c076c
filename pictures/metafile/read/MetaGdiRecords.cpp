// Records of pens, raster modes, pixels, gradients, regions and the rarer shapes, for both readers.
#include "metafile/read/MetaGdiRecords.h"

#include <uemf.h>
#include <uwmf.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "Graphic.h"
#include "metafile/model/MetaCommand.h"
#include "metafile/read/MetaRegion.h"

namespace {

constexpr std::int64_t kMaxPolyDrawPoints = 1 << 20;

void ReadEmfRegionRecord(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list) {
  const std::int64_t size = rec.U32(24);
  std::int64_t at = 28;
  std::int32_t brush = -1, width = 0, height = 0;
  if (type == U_EMR_FILLRGN || type == U_EMR_FRAMERGN) {
    brush = rec.I32(28);
    at = 32;
  }
  if (type == U_EMR_FRAMERGN) {
    width = rec.I32(32), height = rec.I32(36);
    at = 40;
  }
  const std::vector<QRect> rects = ReadEmfRegionData(rec, at, size);
  if (rects.empty()) return;
  const TMetaRegion region = list.AddRegionRects(rects);
  if (type == U_EMR_FILLRGN)
    list.Add({EMetaOp::FillRegion, TMetaFillRegionArgs{.region = region, .brush = brush}});
  else if (type == U_EMR_FRAMERGN)
    list.Add({EMetaOp::FrameRegion,
              TMetaFrameRegionArgs{.region = region, .brush = brush, .width = width, .height = height}});
  else
    list.Add({type == U_EMR_PAINTRGN ? EMetaOp::PaintRegion : EMetaOp::InvertRegion, region});
}

void ReadGradient(const TMetaBytes& rec, TMetaListBuilder& list) {
  const std::int64_t vertices = rec.U32(24), shapes = rec.U32(28);
  const std::uint32_t mode = rec.U32(32);
  if (mode > U_GRADIENT_FILL_TRIANGLE || vertices > kMaxGradientVertices || shapes > kMaxGradientShapes)
    return;
  const std::int64_t shapeBytes = mode == U_GRADIENT_FILL_TRIANGLE ? 12 : 8;
  if (!rec.Has(36, 16 * vertices + shapeBytes * shapes)) return;
  TMetaGradient gradient;
  gradient.mode = mode == U_GRADIENT_FILL_TRIANGLE ? TMetaGradient::EMode::Triangle
                  : mode == U_GRADIENT_FILL_RECT_V ? TMetaGradient::EMode::Vertical
                                                   : TMetaGradient::EMode::Horizontal;
  list.CheckRoomForPoints(vertices);
  for (std::int64_t i = 0; i < vertices; ++i) {
    const std::int64_t v = 36 + 16 * i;
    gradient.vertices.emplace_back(rec.I32(v), rec.I32(v + 4));
    gradient.colours.push_back(GradientColour(rec.U16(v + 8), rec.U16(v + 10), rec.U16(v + 12)));
  }
  for (std::int64_t i = 0; i < shapes; ++i) {
    const std::int64_t s = 36 + 16 * vertices + shapeBytes * i;
    gradient.shapes.push_back({rec.U32(s), rec.U32(s + 4), shapeBytes == 12 ? rec.U32(s + 8) : 0u});
  }
  list.Add({EMetaOp::GradientFill, TMetaIndex{list.AddGradient(std::move(gradient))}});
}

void ReadPolyDraw(const TMetaBytes& rec, bool small, TMetaListBuilder& list) {
  const std::int64_t count = rec.U32(24);
  const std::int64_t step = small ? 4 : 8;
  if (count <= 0 || count > kMaxPolyDrawPoints || !rec.Has(28, (step + 1) * count)) return;
  list.CheckRoomForPoints(count);
  const auto first = static_cast<std::int32_t>(list.List().points.size());
  const auto firstType = static_cast<std::int32_t>(list.List().polyDrawTypes.size());
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t p = 28 + step * i;
    if (small)
      list.AddPoint(rec.I16(p), rec.I16(p + 2));
    else
      list.AddPoint(rec.I32(p), rec.I32(p + 4));
    list.AddPolyDrawType(static_cast<std::uint8_t>(*rec.Data(28 + step * count + i, 1)));
  }
  list.Add({EMetaOp::PolyDraw,
            TMetaPolyDrawArgs{.points = {first, static_cast<std::int32_t>(count)}, .firstType = firstType}});
}

void ReadAngleArc(const TMetaBytes& rec, TMetaListBuilder& list) {
  const double start = static_cast<double>(std::bit_cast<float>(rec.U32(20)));
  const double sweep = static_cast<double>(std::bit_cast<float>(rec.U32(24)));
  const std::uint32_t radius = rec.U32(16);
  if (!std::isfinite(start) || !std::isfinite(sweep) || radius > 0x7FFFFFFFu) return;
  // Angles beyond a few turns draw nothing more; kept in 1/65536 degree.
  const auto fixed = [](double degrees) {
    return static_cast<std::int32_t>(std::lround(std::clamp(degrees, -7200.0, 7200.0) * 65536.0));
  };
  list.Add({EMetaOp::AngleArc, TMetaAngleArcArgs{.centre = {rec.I32(8), rec.I32(12)},
                                                 .radius = static_cast<std::int32_t>(radius),
                                                 .start = fixed(start),
                                                 .sweep = fixed(sweep)}});
}

// EMR_SMALLTEXTOUT: a text run without advances, its characters 16-bit or, with ETO_SMALL_CHARS, the
// low bytes of 16-bit ones.
void ReadSmallTextOut(const TMetaBytes& rec, TMetaListBuilder& list) {
  constexpr std::uint32_t kSmallChars = 0x200;
  TMetaTextRun run;
  run.reference = QPoint(rec.I32(8), rec.I32(12));
  const std::int64_t claimed = rec.U32(16);
  run.options = rec.U32(20);
  std::int64_t at = 36;
  if (!(run.options & U_ETO_NO_RECT)) {
    if (!rec.Has(at, 16)) return;
    // Corners as floating point: QRect's width and height overflow for corners far apart.
    run.rect = QRectF(QPointF(rec.I32(at), rec.I32(at + 4)), QPointF(rec.I32(at + 8), rec.I32(at + 12)));
    run.hasRect = (run.options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) != 0;
    at += 16;
  }
  const std::int64_t bytesPerChar = (run.options & kSmallChars) ? 1 : 2;
  const std::int64_t chars =
      std::min({claimed, std::max<std::int64_t>(rec.Size() - at, 0) / bytesPerChar, kMaxMetaTextChars});
  for (std::int64_t i = 0; i < chars; ++i)
    run.text.append(
        QChar(bytesPerChar == 1 ? static_cast<std::uint8_t>(*rec.Data(at + i, 1)) : rec.U16(at + 2 * i)));
  if (run.text.isEmpty() && !run.hasRect) return;
  list.Add({EMetaOp::TextOut, TMetaIndex{list.AddText(std::move(run))}});
}

}  // namespace

TMetaCommand EmfExtPenCommand(const TMetaBytes& rec, TMetaListBuilder& list) {
  const std::uint32_t style = rec.U32(28);
  const std::uint32_t brushStyle = rec.U32(36);
  // A pen with a null brush draws nothing.
  TMetaExtPenArgs pen{.style = brushStyle == U_BS_NULL ? U_PS_NULL : style,
                      .width = rec.I32(32),
                      .colour = list.Colour(rec.U32(40))};
  if ((style & U_PS_STYLE_MASK) == U_PS_USERSTYLE && rec.Has(48, 4)) {
    const std::int64_t entries = std::min<std::int64_t>(rec.U32(48), kMaxMetaPenDashes);
    if (entries > 0 && rec.Has(52, 4 * entries)) {
      std::vector<std::uint32_t> dashes;
      for (std::int64_t i = 0; i < entries; ++i) dashes.push_back(rec.U32(52 + 4 * i));
      const std::int32_t first = list.AddPenDashes(dashes);
      if (first >= 0) pen.firstDash = first, pen.dashCount = static_cast<std::int32_t>(entries);
    }
  }
  return {EMetaOp::CreateExtPen, pen};
}

bool ReadEmfGdiRecord(const TMetaBytes& rec, std::uint32_t type, TMetaListBuilder& list) {
  switch (type) {
    case U_EMR_SETROP2:
      if (rec.Has(8, 4)) list.Add({EMetaOp::SetRop2, TMetaMode{rec.I32(8)}});
      return true;
    case U_EMR_SETPIXELV:
      if (rec.Has(8, 12))
        list.Add({EMetaOp::SetPixel,
                  TMetaPixel{.at = {rec.I32(8), rec.I32(12)}, .colour = list.Colour(rec.U32(16))}});
      return true;
    case U_EMR_GRADIENTFILL:
      if (rec.Has(8, 28)) ReadGradient(rec, list);
      return true;
    case U_EMR_ANGLEARC:
      if (rec.Has(8, 20)) ReadAngleArc(rec, list);
      return true;
    case U_EMR_POLYDRAW:
    case U_EMR_POLYDRAW16:
      if (rec.Has(8, 20)) ReadPolyDraw(rec, type == U_EMR_POLYDRAW16, list);
      return true;
    case U_EMR_SETTEXTJUSTIFICATION:
      if (rec.Has(8, 8))
        list.Add({EMetaOp::SetTextJustification, TMetaJustification{rec.I32(8), rec.I32(12)}});
      return true;
    case U_EMR_SMALLTEXTOUT:
      if (rec.Has(8, 28)) ReadSmallTextOut(rec, list);
      return true;
    case U_EMR_FLATTENPATH:
      list.Add({EMetaOp::FlattenPath});
      return true;
    case U_EMR_WIDENPATH:
      list.Add({EMetaOp::WidenPath});
      return true;
    case U_EMR_FILLRGN:
    case U_EMR_FRAMERGN:
    case U_EMR_INVERTRGN:
    case U_EMR_PAINTRGN:
      if (rec.Has(8, type == U_EMR_FRAMERGN ? 32 : type == U_EMR_FILLRGN ? 24 : 20))
        ReadEmfRegionRecord(rec, type, list);
      return true;
    default:
      return false;
  }
}

bool ReadWmfGdiRecord(const TMetaBytes& rec, std::uint8_t type, TMetaListBuilder& list) {
  // Parameters of WMF records come in reverse order: y before x.
  switch (type) {
    case U_WMR_SETROP2:
      if (rec.Has(6, 2)) list.Add({EMetaOp::SetRop2, TMetaMode{rec.U16(6)}});
      return true;
    case U_WMR_SETTEXTJUSTIFICATION:
      if (rec.Has(6, 4))
        list.Add({EMetaOp::SetTextJustification, TMetaJustification{rec.I16(8), rec.U16(6)}});
      return true;
    case U_WMR_SETPIXEL:
      if (rec.Has(6, 8))
        list.Add({EMetaOp::SetPixel,
                  TMetaPixel{.at = {rec.I16(12), rec.I16(10)}, .colour = list.Colour(rec.U32(6))}});
      return true;
    case U_WMR_FILLREGION:
      if (rec.Has(6, 4))
        list.Add({EMetaOp::FillRegion,
                  TMetaFillRegionArgs{.region = {.object = rec.U16(6)}, .brush = rec.U16(8)}});
      return true;
    case U_WMR_FRAMEREGION:
      if (rec.Has(6, 8))
        list.Add({EMetaOp::FrameRegion, TMetaFrameRegionArgs{.region = {.object = rec.U16(6)},
                                                             .brush = rec.U16(8),
                                                             .width = rec.I16(12),
                                                             .height = rec.I16(10)}});
      return true;
    case U_WMR_PAINTREGION:
    case U_WMR_INVERTREGION:
      if (rec.Has(6, 2))
        list.Add({type == U_WMR_PAINTREGION ? EMetaOp::PaintRegion : EMetaOp::InvertRegion,
                  TMetaRegion{.object = rec.U16(6)}});
      return true;
    case U_WMR_SELECTCLIPREGION:
      if (rec.Has(6, 2)) list.Add({EMetaOp::SelectClipObject, TMetaSlot{rec.U16(6)}});
      return true;
    default:
      return false;
  }
}

TMetaCommand WmfRegionCommand(const TMetaBytes& rec, TMetaListBuilder& list) {
  const TMetaRegion rects = list.AddRegionRects(ReadWmfRegion(rec, 6));
  return {EMetaOp::CreateRegion, TMetaRegionArgs{.slot = 0, .first = rects.first, .count = rects.count}};
}
