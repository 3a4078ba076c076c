#include "MetaBitmapWriting.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr std::uint16_t kMfComment = 0x000F;
constexpr std::uint32_t kWmfCommentId = 0x43464D57;  // "WMFC"
constexpr std::uint32_t kAcSrcAlpha = 1;

U_COLORREF ColourRef(const QColor& colour) {
  return U_COLORREF{static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
                    static_cast<uint8_t>(colour.blue()), 0};
}

U_POINT16 Point16(int x, int y) {
  return U_POINT16{static_cast<int16_t>(x), static_cast<int16_t>(y)};
}

U_RECTL Bounds(const QRect& r) {
  return U_RECTL{std::min(r.left(), r.left() + r.width()), std::min(r.top(), r.top() + r.height()),
                 std::max(r.left(), r.left() + r.width()), std::max(r.top(), r.top() + r.height())};
}

void Put32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
  qToLittleEndian<quint32>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}

void Put16(QByteArray& bytes, qsizetype at, std::uint16_t value) {
  qToLittleEndian<quint16>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}

const U_BITMAPINFO* Info(const TDibBytes& dib) {
  return reinterpret_cast<const U_BITMAPINFO*>(dib.info.constData());
}

U_BITMAPINFO* MutableInfo(const TDibBytes& dib) {
  return const_cast<U_BITMAPINFO*>(Info(dib));
}

char* Bits(const TDibBytes& dib) {
  return const_cast<char*>(dib.bits.constData());
}

}  // namespace

TDibBytes DibOf(const QImage& image, int bitsPerPixel, QColor zero, QColor one) {
  const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int width = source.width(), height = source.height();
  TDibBytes dib;
  dib.width = width, dib.height = height;
  dib.info = QByteArray(40, '\0');
  Put32(dib.info, 0, 40);
  Put32(dib.info, 4, static_cast<std::uint32_t>(width));
  Put32(dib.info, 8, static_cast<std::uint32_t>(height));
  Put16(dib.info, 12, 1);
  Put16(dib.info, 14, static_cast<std::uint16_t>(bitsPerPixel));
  if (bitsPerPixel == 1) {
    Put32(dib.info, 32, 2);
    for (const QColor& c : {zero, one}) {
      dib.info.append(static_cast<char>(c.blue()));
      dib.info.append(static_cast<char>(c.green()));
      dib.info.append(static_cast<char>(c.red()));
      dib.info.append('\0');
    }
  }
  const int stride = (width * bitsPerPixel + 31) / 32 * 4;
  dib.bits = QByteArray(stride * height, '\0');
  for (int row = 0; row < height; ++row) {
    const auto* pixels = reinterpret_cast<const QRgb*>(source.constScanLine(height - 1 - row));
    char* out = dib.bits.data() + row * stride;
    for (int x = 0; x < width; ++x) {
      const QRgb p = pixels[x];
      if (bitsPerPixel == 1) {
        if ((p & 0xFFFFFF) != 0) out[x / 8] = static_cast<char>(out[x / 8] | (0x80 >> (x % 8)));
      } else if (bitsPerPixel == 24) {
        out[3 * x] = static_cast<char>(qBlue(p)), out[3 * x + 1] = static_cast<char>(qGreen(p)),
                out[3 * x + 2] = static_cast<char>(qRed(p));
      } else {
        out[4 * x] = static_cast<char>(qBlue(p)), out[4 * x + 1] = static_cast<char>(qGreen(p)),
                out[4 * x + 2] = static_cast<char>(qRed(p)), out[4 * x + 3] = static_cast<char>(qAlpha(p));
      }
    }
  }
  Put32(dib.info, 20, static_cast<std::uint32_t>(dib.bits.size()));
  return dib;
}

void AddEmfStretchDib(TEmfWriter& writer, const TDibBytes& dib, const QRect& dest, const QRect& source,
                      std::uint32_t rop) {
  const QRect& d = dest;
  const QRect& s = source;
  writer.Append(U_EMRSTRETCHDIBITS_set(Bounds(d), U_POINTL{d.x(), d.y()}, U_POINTL{d.width(), d.height()},
                                       U_POINTL{s.x(), s.y()}, U_POINTL{s.width(), s.height()},
                                       U_DIB_RGB_COLORS, rop, MutableInfo(dib),
                                       static_cast<uint32_t>(dib.bits.size()), Bits(dib)));
}

void AddEmfBitBlt(TEmfWriter& writer, const TDibBytes* dib, const QRect& dest, std::uint32_t rop) {
  const U_XFORM identity{1, 0, 0, 1, 0, 0};
  writer.Append(U_EMRBITBLT_set(
      Bounds(dest), U_POINTL{dest.x(), dest.y()}, U_POINTL{dest.width(), dest.height()}, U_POINTL{0, 0},
      identity, U_COLORREF{255, 255, 255, 0}, U_DIB_RGB_COLORS, rop, dib ? MutableInfo(*dib) : nullptr,
      dib ? static_cast<uint32_t>(dib->bits.size()) : 0, dib ? Bits(*dib) : nullptr));
}

void AddEmfAlphaBlend(TEmfWriter& writer, const TDibBytes& dib, const QRect& dest, int constantAlpha,
                      bool perPixel) {
  const U_XFORM identity{1, 0, 0, 1, 0, 0};
  const int width = dib.width, height = dib.height;
  const U_BLEND blend{0, 0, static_cast<uint8_t>(constantAlpha),
                      static_cast<uint8_t>(perPixel ? kAcSrcAlpha : 0)};
  writer.Append(U_EMRALPHABLEND_set(
      Bounds(dest), U_POINTL{dest.x(), dest.y()}, U_POINTL{dest.width(), dest.height()}, U_POINTL{0, 0},
      U_POINTL{width, height}, identity, U_COLORREF{255, 255, 255, 0}, U_DIB_RGB_COLORS, blend,
      MutableInfo(dib), static_cast<uint32_t>(dib.bits.size()), Bits(dib)));
}

void AddEmfTransparentBlt(TEmfWriter& writer, const TDibBytes& dib, const QRect& dest, QColor transparent) {
  const U_XFORM identity{1, 0, 0, 1, 0, 0};
  const int width = dib.width, height = dib.height;
  const std::uint32_t colour = static_cast<std::uint32_t>(transparent.red()) |
                               static_cast<std::uint32_t>(transparent.green()) << 8 |
                               static_cast<std::uint32_t>(transparent.blue()) << 16;
  writer.Append(U_EMRTRANSPARENTBLT_set(
      Bounds(dest), U_POINTL{dest.x(), dest.y()}, U_POINTL{dest.width(), dest.height()}, U_POINTL{0, 0},
      U_POINTL{width, height}, identity, U_COLORREF{255, 255, 255, 0}, U_DIB_RGB_COLORS, colour,
      MutableInfo(dib), static_cast<uint32_t>(dib.bits.size()), Bits(dib)));
}

void AddEmfPatternFill(TEmfWriter& writer, const TDibBytes& dib, bool monochrome, const QRect& box,
                       QColor text, QColor background, QColor fillText, QColor fillBackground) {
  writer.Append(U_EMRSETTEXTCOLOR_set(ColourRef(text)));
  writer.Append(U_EMRSETBKCOLOR_set(ColourRef(background)));
  uint32_t brush = 0;
  const auto size = static_cast<uint32_t>(dib.bits.size());
  writer.Append(monochrome ? createmonobrush_set(&brush, writer.Handles(), U_DIB_RGB_COLORS, MutableInfo(dib),
                                                 size, Bits(dib))
                           : createdibpatternbrushpt_set(&brush, writer.Handles(), U_DIB_RGB_COLORS,
                                                         MutableInfo(dib), size, Bits(dib)));
  writer.Append(selectobject_set(brush, writer.Handles()));
  if (fillText.isValid()) writer.Append(U_EMRSETTEXTCOLOR_set(ColourRef(fillText)));
  if (fillBackground.isValid()) writer.Append(U_EMRSETBKCOLOR_set(ColourRef(fillBackground)));
  writer.Append(selectobject_set(U_NULL_PEN, writer.Handles()));
  writer.Append(
      U_EMRRECTANGLE_set(U_RECTL{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()}));
  writer.Append(selectobject_set(U_WHITE_BRUSH, writer.Handles()));
  writer.Append(deleteobject_set(&brush, writer.Handles()));
}

void AddWmfWindow(TWmfWriter& writer, const TMetaBox& box) {
  writer.Append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
  writer.Append(U_WMRSETWINDOWORG_set(Point16(box.left, box.top)));
  writer.Append(U_WMRSETWINDOWEXT_set(Point16(box.right - box.left, box.bottom - box.top)));
}

void AddWmfStretchDib(TWmfWriter& writer, const TDibBytes& dib, const QRect& dest, const QRect& source,
                      std::uint32_t rop) {
  writer.Append(U_WMRSTRETCHDIB_set(Point16(dest.x(), dest.y()), Point16(dest.width(), dest.height()),
                                    Point16(source.x(), source.y()), Point16(source.width(), source.height()),
                                    U_DIB_RGB_COLORS, rop, Info(dib), static_cast<uint32_t>(dib.bits.size()),
                                    dib.bits.constData()));
}

void AddWmfDibStretchBlt(TWmfWriter& writer, const TDibBytes& dib, const QRect& dest, const QRect& source,
                         std::uint32_t rop) {
  writer.Append(U_WMRDIBSTRETCHBLT_set(Point16(dest.x(), dest.y()), Point16(dest.width(), dest.height()),
                                       Point16(source.x(), source.y()),
                                       Point16(source.width(), source.height()), rop, Info(dib),
                                       static_cast<uint32_t>(dib.bits.size()), dib.bits.constData()));
}

void AddWmfPatBlt(TWmfWriter& writer, const QRect& dest, std::uint32_t rop) {
  writer.Append(U_WMRPATBLT_set(Point16(dest.x(), dest.y()), Point16(dest.width(), dest.height()), rop));
}

void AddWmfPatternFill(TWmfWriter& writer, const TDibBytes& dib, const QRect& box, QColor text,
                       QColor background) {
  writer.Append(U_WMRSETTEXTCOLOR_set(ColourRef(text)));
  writer.Append(U_WMRSETBKCOLOR_set(ColourRef(background)));
  uint32_t brush = 0, pen = 0;
  writer.Append(wcreatedibpatternbrush_srcdib_set(&brush, writer.Handles(), U_DIB_RGB_COLORS, Info(dib),
                                                  static_cast<uint32_t>(dib.bits.size()),
                                                  dib.bits.constData()));
  writer.Append(wselectobject_set(brush, writer.Handles()));
  writer.Append(wcreatepenindirect_set(&pen, writer.Handles(), U_PEN_set(U_PS_NULL, 0, ColourRef(text))));
  writer.Append(wselectobject_set(pen, writer.Handles()));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{static_cast<int16_t>(box.left()), static_cast<int16_t>(box.top()),
                                            static_cast<int16_t>(box.left() + box.width()),
                                            static_cast<int16_t>(box.top() + box.height())}));
  writer.Append(wdeleteobject_set(&brush, writer.Handles()));
  writer.Append(wdeleteobject_set(&pen, writer.Handles()));
}

void AddWmfEmbeddedEmf(TWmfWriter& writer, const QByteArray& emf, int chunkSize) {
  const int chunks = static_cast<int>((emf.size() + chunkSize - 1) / chunkSize);
  qsizetype sent = 0;
  for (int i = 0; i < chunks; ++i) {
    const qsizetype current = std::min<qsizetype>(chunkSize, emf.size() - sent);
    QByteArray data(34, '\0');
    Put32(data, 0, kWmfCommentId);
    Put32(data, 4, 1);           // an EMF chunk
    Put32(data, 8, 0x00010000);  // version
    // The checksum (at 12) is left 0: readers check the sizes.
    Put32(data, 18, static_cast<std::uint32_t>(chunks));
    Put32(data, 22, static_cast<std::uint32_t>(current));
    Put32(data, 26, static_cast<std::uint32_t>(emf.size() - sent - current));
    Put32(data, 30, static_cast<std::uint32_t>(emf.size()));
    data += emf.mid(sent, current);
    sent += current;
    writer.Append(U_WMRESCAPE_set(kMfComment, static_cast<uint16_t>(data.size()), data.constData()));
  }
}
