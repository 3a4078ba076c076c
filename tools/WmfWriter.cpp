#include "WmfWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

U_COLORREF ColourRef(const QColor& colour) {
  return U_COLORREF{static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
                    static_cast<uint8_t>(colour.blue()), 0};
}

U_POINT16 Point16(int x, int y) {
  return U_POINT16{static_cast<int16_t>(x), static_cast<int16_t>(y)};
}

U_RECT16 Rect16(const TMetaBox& box) {
  return U_RECT16{static_cast<int16_t>(box.left), static_cast<int16_t>(box.top),
                  static_cast<int16_t>(box.right), static_cast<int16_t>(box.bottom)};
}

std::vector<U_POINT16> Points16(const std::vector<QPoint>& points) {
  std::vector<U_POINT16> out;
  for (const QPoint& p : points) out.push_back(Point16(p.x(), p.y()));
  return out;
}

void PutU16(QByteArray& bytes, int at, int value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// META_EXTTEXTOUT with ETO_PDY, which libuemf cannot write: its advances come in pairs, each
// character's advance and then its displacement, all after the text padded to a whole word.
char* ExtTextOutWithDisplacements(QPoint at, const std::string& text, const std::vector<int>& dx,
                                  const std::vector<int>& dy) {
  std::vector<int16_t> words = {0,
                                0,
                                static_cast<int16_t>(U_WMR_EXTTEXTOUT),
                                static_cast<int16_t>(at.y()),
                                static_cast<int16_t>(at.x()),
                                static_cast<int16_t>(text.size()),
                                static_cast<int16_t>(U_ETO_PDY)};
  for (size_t i = 0; i < text.size(); i += 2)
    words.push_back(
        static_cast<int16_t>(static_cast<unsigned char>(text[i]) |
                             (i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) << 8 : 0)));
  for (size_t i = 0; i < text.size(); ++i) {
    words.push_back(static_cast<int16_t>(i < dx.size() ? dx[i] : 0));
    words.push_back(static_cast<int16_t>(i < dy.size() ? dy[i] : 0));
  }
  words[0] = static_cast<int16_t>(words.size() & 0xFFFF);
  words[1] = static_cast<int16_t>(words.size() >> 16);
  auto* record = static_cast<char*>(malloc(2 * words.size()));
  if (record) std::memcpy(record, words.data(), 2 * words.size());
  return record;
}

}  // namespace

TWmfWriter::TWmfWriter(bool placeable, const TMetaBox& box, int unitsPerInch)
    : placeable_(placeable), box_(box) {
  if (!scratch_.open() ||
      wmf_start(scratch_.fileName().toLocal8Bit().constData(), 4096, 4096, &track_) != 0 ||
      wmf_htable_create(128, 128, &handles_) != 0)
    throw std::runtime_error("libuemf cannot start a WMF");
  U_PAIRF size{static_cast<float>(box.right - box.left) / static_cast<float>(unitsPerInch),
               static_cast<float>(box.bottom - box.top) / static_cast<float>(unitsPerInch)};
  char* header =
      placeable ? U_WMRHEADER_set(&size, static_cast<unsigned>(unitsPerInch)) : U_WMRHEADER_set(nullptr, 0);
  if (!header || wmf_header_append(reinterpret_cast<U_METARECORD*>(header), track_, U_REC_FREE) != 0)
    throw std::runtime_error("libuemf cannot write a WMF header");
}

TWmfWriter::~TWmfWriter() {
  if (track_) wmf_free(&track_);
  if (handles_) wmf_htable_free(&handles_);
}

void TWmfWriter::Append(char* record) {
  if (!record || !track_ || wmf_append(reinterpret_cast<U_METARECORD*>(record), track_, U_REC_FREE) != 0)
    throw std::runtime_error("libuemf cannot append a WMF record");
}

void TWmfWriter::AddShape(const TMetaShape& shape) {
  uint32_t pen = 0, brush = 0;
  const U_PEN logPen = U_PEN_set(static_cast<uint16_t>(shape.nullPen ? U_PS_NULL : shape.penStyle),
                                 static_cast<uint16_t>(shape.penWidth), ColourRef(shape.penColour));
  Append(wcreatepenindirect_set(&pen, handles_, logPen));
  Append(wselectobject_set(pen, handles_));
  const U_WLOGBRUSH logBrush{static_cast<uint16_t>(shape.nullBrush    ? U_BS_NULL
                                                   : shape.hatch >= 0 ? U_BS_HATCHED
                                                                      : U_BS_SOLID),
                             ColourRef(shape.brushColour), static_cast<uint16_t>(std::max(shape.hatch, 0))};
  Append(wcreatebrushindirect_set(&brush, handles_, logBrush));
  Append(wselectobject_set(brush, handles_));
  const std::vector<U_POINT16> points = Points16(shape.points);
  switch (shape.kind) {
    case TMetaShape::EKind::Polygon:
      Append(U_WMRPOLYGON_set(static_cast<uint16_t>(points.size()), points.data()));
      break;
    case TMetaShape::EKind::Polyline:
      Append(U_WMRPOLYLINE_set(static_cast<uint16_t>(points.size()), points.data()));
      break;
    case TMetaShape::EKind::PolyPolygon: {
      std::vector<uint16_t> counts(shape.polyCounts.begin(), shape.polyCounts.end());
      Append(U_WMRPOLYPOLYGON_set(static_cast<uint16_t>(counts.size()), counts.data(), points.data()));
      break;
    }
    case TMetaShape::EKind::Rectangle:
      Append(U_WMRRECTANGLE_set(Rect16(shape.box)));
      break;
    case TMetaShape::EKind::Ellipse:
      Append(U_WMRELLIPSE_set(Rect16(shape.box)));
      break;
  }
  Append(wdeleteobject_set(&brush, handles_));
  Append(wdeleteobject_set(&pen, handles_));
}

void TWmfWriter::AddText(const TMetaText& text) {
  std::string face = text.face;
  U_FONT* font =
      U_FONT_set(static_cast<int16_t>(text.height), static_cast<int16_t>(text.width),
                 static_cast<int16_t>(text.escapement), static_cast<int16_t>(text.escapement),
                 static_cast<int16_t>(text.weight), 0, 0, 0, U_ANSI_CHARSET, 0, 0, 0, 0, face.data());
  uint32_t handle = 0;
  Append(wcreatefontindirect_set(&handle, handles_, font));
  free(font);
  Append(wselectobject_set(handle, handles_));
  Append(U_WMRSETTEXTCOLOR_set(ColourRef(text.colour)));
  Append(U_WMRSETBKCOLOR_set(ColourRef(text.background)));
  Append(U_WMRSETBKMODE_set(text.opaque ? U_OPAQUE : U_TRANSPARENT));
  Append(U_WMRSETTEXTALIGN_set(static_cast<uint16_t>(text.align)));
  std::string bytes = text.text;
  if (text.plainTextOut) {
    Append(U_WMRTEXTOUT_set(Point16(text.at.x(), text.at.y()), bytes.data()));
  } else if (!text.dy.empty()) {
    Append(ExtTextOutWithDisplacements(text.at, bytes, text.dx, text.dy));
  } else {
    std::vector<int16_t> dx(text.dx.begin(), text.dx.end());
    Append(U_WMREXTTEXTOUT_set(Point16(text.at.x(), text.at.y()), static_cast<int16_t>(bytes.size()), 0,
                               bytes.data(), dx.empty() ? nullptr : dx.data(), U_RECT16{}));
  }
  Append(wdeleteobject_set(&handle, handles_));
}

QByteArray TWmfWriter::Finish() {
  Append(U_WMREOF_set());
  if (wmf_finish(track_) != 0) throw std::runtime_error("libuemf cannot finish a WMF");
  QByteArray bytes(track_->buf, static_cast<qsizetype>(track_->used));
  wmf_free(&track_);
  if (placeable_ && bytes.size() >= 22) {
    // libuemf's placeable header always starts its box at 0,0: put the real box and its checksum in.
    PutU16(bytes, 6, box_.left), PutU16(bytes, 8, box_.top), PutU16(bytes, 10, box_.right),
        PutU16(bytes, 12, box_.bottom);
    int checksum = 0;
    for (int i = 0; i < 10; ++i)
      checksum ^=
          static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    PutU16(bytes, 20, checksum);
  }
  return bytes;
}

QByteArray WriteWmf(const TMetaDrawing& drawing, bool placeable) {
  TWmfWriter writer(placeable, drawing.box, drawing.unitsPerInch);
  writer.Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  writer.Append(U_WMRSETWINDOWORG_set(Point16(drawing.box.left, drawing.box.top)));
  writer.Append(U_WMRSETWINDOWEXT_set(
      Point16(drawing.box.right - drawing.box.left, drawing.box.bottom - drawing.box.top)));
  writer.Append(U_WMRSETPOLYFILLMODE_set(drawing.winding ? U_WINDING : U_ALTERNATE));
  for (const TMetaShape& shape : drawing.shapes) writer.AddShape(shape);
  for (const TMetaText& text : drawing.texts) writer.AddText(text);
  return writer.Finish();
}
