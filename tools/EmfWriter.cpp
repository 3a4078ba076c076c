#include "EmfWriter.h"

#include <uemf_utf.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

U_COLORREF ColourRef(const QColor& colour) {
  return U_COLORREF{static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
                    static_cast<uint8_t>(colour.blue()), 0};
}

U_RECTL RectL(const TMetaBox& box) {
  return U_RECTL{box.left, box.top, box.right, box.bottom};
}

std::vector<U_POINTL> PointsL(const std::vector<QPoint>& points) {
  std::vector<U_POINTL> out;
  for (const QPoint& p : points) out.push_back(U_POINTL{p.x(), p.y()});
  return out;
}

U_RECTL BoundsOf(const std::vector<QPoint>& points) {
  if (points.empty()) return U_RECTL{0, 0, -1, -1};
  U_RECTL r{points[0].x(), points[0].y(), points[0].x(), points[0].y()};
  for (const QPoint& p : points) {
    r.left = std::min(r.left, p.x()), r.right = std::max(r.right, p.x());
    r.top = std::min(r.top, p.y()), r.bottom = std::max(r.bottom, p.y());
  }
  return r;
}

int32_t HundredthsOfMm(int units, int unitsPerInch) {
  return static_cast<int32_t>(std::lround(static_cast<double>(units) * 2540.0 / unitsPerInch));
}

}  // namespace

TEmfWriter::TEmfWriter(const TMetaBox& box, int unitsPerInch) {
  if (!scratch_.open() ||
      emf_start(scratch_.fileName().toLocal8Bit().constData(), 4096, 4096, &track_) != 0 ||
      emf_htable_create(128, 128, &handles_) != 0)
    throw std::runtime_error("libuemf cannot start an EMF");
  // A device of 10 inches at unitsPerInch pixels per inch, 254 mm wide and high.
  const U_SIZEL device{10 * unitsPerInch, 10 * unitsPerInch}, millimetres{254, 254};
  const U_RECTL bounds{box.left, box.top, box.right - 1, box.bottom - 1};
  const U_RECTL frame{HundredthsOfMm(box.left, unitsPerInch), HundredthsOfMm(box.top, unitsPerInch),
                      HundredthsOfMm(box.right, unitsPerInch), HundredthsOfMm(box.bottom, unitsPerInch)};
  Append(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, device, millimetres, 0));
}

TEmfWriter::~TEmfWriter() {
  if (track_) emf_free(&track_);
  if (handles_) emf_htable_free(&handles_);
}

void TEmfWriter::Append(char* record) {
  if (!record || !track_ || emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), track_, U_REC_FREE) != 0)
    throw std::runtime_error("libuemf cannot append an EMF record");
}

void TEmfWriter::AddShape(const TMetaShape& shape) {
  uint32_t pen = 0, brush = 0;
  const U_LOGPEN logPen{static_cast<uint32_t>(shape.nullPen ? U_PS_NULL : shape.penStyle),
                        U_POINT{shape.penWidth, 0}, ColourRef(shape.penColour)};
  Append(createpen_set(&pen, handles_, logPen));
  Append(selectobject_set(pen, handles_));
  const U_LOGBRUSH logBrush{static_cast<uint32_t>(shape.nullBrush    ? U_BS_NULL
                                                  : shape.hatch >= 0 ? U_BS_HATCHED
                                                                     : U_BS_SOLID),
                            ColourRef(shape.brushColour), static_cast<uint32_t>(std::max(shape.hatch, 0))};
  Append(createbrushindirect_set(&brush, handles_, logBrush));
  Append(selectobject_set(brush, handles_));
  const std::vector<U_POINTL> points = PointsL(shape.points);
  const U_RECTL bounds = BoundsOf(shape.points);
  switch (shape.kind) {
    case TMetaShape::EKind::Polygon:
      Append(U_EMRPOLYGON_set(bounds, static_cast<uint32_t>(points.size()), points.data()));
      break;
    case TMetaShape::EKind::Polyline:
      Append(U_EMRPOLYLINE_set(bounds, static_cast<uint32_t>(points.size()), points.data()));
      break;
    case TMetaShape::EKind::PolyPolygon: {
      std::vector<uint32_t> counts(shape.polyCounts.begin(), shape.polyCounts.end());
      Append(U_EMRPOLYPOLYGON_set(bounds, static_cast<uint32_t>(counts.size()), counts.data(),
                                  static_cast<uint32_t>(points.size()), points.data()));
      break;
    }
    case TMetaShape::EKind::Rectangle:
      Append(U_EMRRECTANGLE_set(RectL(shape.box)));
      break;
    case TMetaShape::EKind::Ellipse:
      Append(U_EMRELLIPSE_set(RectL(shape.box)));
      break;
  }
  Append(deleteobject_set(&brush, handles_));
  Append(deleteobject_set(&pen, handles_));
}

void TEmfWriter::AddText(const TMetaText& text) {
  size_t faceLength = 0;
  uint16_t* face = U_Utf8ToUtf16le(text.face.c_str(), 0, &faceLength);
  U_LOGFONT logFont = logfont_set(text.height, text.width, text.escapement, text.escapement, text.weight, 0,
                                  0, 0, U_ANSI_CHARSET, 0, 0, 0, 0, face);
  free(face);
  uint32_t handle = 0;
  Append(extcreatefontindirectw_set(&handle, handles_, reinterpret_cast<const char*>(&logFont), nullptr));
  Append(selectobject_set(handle, handles_));
  Append(U_EMRSETTEXTCOLOR_set(ColourRef(text.colour)));
  Append(U_EMRSETBKCOLOR_set(ColourRef(text.background)));
  Append(U_EMRSETBKMODE_set(text.opaque ? U_OPAQUE : U_TRANSPARENT));
  Append(U_EMRSETTEXTALIGN_set(static_cast<uint32_t>(text.align)));
  size_t chars = text.text.size();
  void* string = nullptr;
  const bool glyphs = text.wide && !text.glyphs.empty();
  if (glyphs) {
    chars = text.glyphs.size();
    string = malloc(2 * chars);
    if (string) std::memcpy(string, text.glyphs.data(), 2 * chars);
  } else if (text.wide) {
    string = U_Utf8ToUtf16le(text.text.c_str(), 0, &chars);
  } else {
    string = strdup(text.text.c_str());
  }
  // With displacements each character has a pair: its advance, then its displacement.
  const bool pairs = !text.dy.empty();
  const size_t step = pairs ? 2 : 1;
  std::vector<uint32_t> dx(step * chars, 0);
  for (size_t i = 0; i < chars && i < text.dx.size(); ++i) dx[step * i] = static_cast<uint32_t>(text.dx[i]);
  for (size_t i = 0; pairs && i < chars && i < text.dy.size(); ++i)
    dx[2 * i + 1] = static_cast<uint32_t>(text.dy[i]);
  const uint32_t options = (glyphs ? U_ETO_GLYPH_INDEX : U_ETO_NONE) | (pairs ? U_ETO_PDY : U_ETO_NONE);
  char* emrText = emrtext_set(U_POINTL{text.at.x(), text.at.y()}, static_cast<U_NUM_STR>(chars),
                              text.wide ? 2 : 1, string, options, U_RECTL{}, dx.data());
  free(string);
  const U_RECTL bounds{0, 0, 0, 0};
  char* record =
      text.wide ? U_EMREXTTEXTOUTW_set(bounds, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrText))
                : U_EMREXTTEXTOUTA_set(bounds, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrText));
  // libuemf always writes the advances; a text without them gets an offset of 0 (at byte 72, after the
  // record's bounds, scales and the text's reference, count, offset, options and rectangle), which
  // players take as no advances.
  if (record && text.dx.empty()) std::memset(record + 72, 0, 4);
  Append(record);
  free(emrText);
  Append(deleteobject_set(&handle, handles_));
}

QByteArray TEmfWriter::Finish() {
  Append(U_EMREOF_set(0, nullptr, track_));
  if (emf_finish(track_, handles_) != 0) throw std::runtime_error("libuemf cannot finish an EMF");
  QByteArray bytes(track_->buf, static_cast<qsizetype>(track_->used));
  emf_free(&track_);
  return bytes;
}

QByteArray WriteEmf(const TMetaDrawing& drawing) {
  TEmfWriter writer(drawing.box, drawing.unitsPerInch);
  writer.Append(U_EMRSETPOLYFILLMODE_set(drawing.winding ? U_WINDING : U_ALTERNATE));
  for (const TMetaShape& shape : drawing.shapes) writer.AddShape(shape);
  for (const TMetaText& text : drawing.texts) writer.AddText(text);
  return writer.Finish();
}
