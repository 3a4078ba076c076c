#include "ValidSeeds.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <stdexcept>

#include "BitmapSeeds.h"
#include "EmfPlusWriter.h"
#include "EmfWriter.h"
#include "GdiSeeds.h"
#include "IconWriter.h"
#include "JpegSeeds.h"
#include "MetaBitmapWriting.h"
#include "WmfWriter.h"
#include "jpeg/JpegDecoder.h"

namespace {

QImage Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) * 16));
  return image;
}

void Put16(QByteArray& out, int at, int value) {
  qToLittleEndian(static_cast<quint16>(value), out.data() + at);
}
void Put32(QByteArray& out, int at, qint64 value) {
  qToLittleEndian(static_cast<quint32>(value), out.data() + at);
}

// A BITMAPINFOHEADER bitmap of 24 bits per pixel, bottom-up unless topDown.
QByteArray Bitmap24(const QImage& image, bool topDown) {
  const int stride = (image.width() * 3 + 3) / 4 * 4;
  const int pixelsAt = 14 + 40;
  QByteArray out(pixelsAt + stride * image.height(), '\0');
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, out.size());
  Put32(out, 10, pixelsAt);
  Put32(out, 14, 40);
  Put32(out, 18, image.width());
  Put32(out, 22, topDown ? -image.height() : image.height());
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  for (int row = 0; row < image.height(); ++row) {
    const int y = topDown ? row : image.height() - 1 - row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      char* at = out.data() + pixelsAt + row * stride + x * 3;
      at[0] = static_cast<char>(qBlue(pixel));
      at[1] = static_cast<char>(qGreen(pixel));
      at[2] = static_cast<char>(qRed(pixel));
    }
  }
  return out;
}

// An 8-bit run-length bitmap of horizontal bands, each row one run of a palette index.
QByteArray BitmapRle8(int width, int height) {
  QByteArray pixels;
  for (int y = 0; y < height; ++y) {
    pixels.append(static_cast<char>(width));
    pixels.append(static_cast<char>(y % 4));
    pixels.append('\0');
    pixels.append('\0');  // end of line
  }
  pixels.append('\0');
  pixels.append('\1');  // end of bitmap
  const int pixelsAt = 14 + 40 + 4 * 4;
  QByteArray out(pixelsAt, '\0');
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 10, pixelsAt);
  Put32(out, 14, 40);
  Put32(out, 18, width);
  Put32(out, 22, height);
  Put16(out, 26, 1);
  Put16(out, 28, 8);
  Put32(out, 30, 1);  // BI_RLE8
  Put32(out, 34, pixels.size());
  Put32(out, 46, 4);
  for (int i = 0; i < 4; ++i) Put32(out, 54 + i * 4, 0x00402010 * (i + 1));
  out.append(pixels);
  Put32(out, 2, out.size());
  return out;
}

QByteArray QtBitmap(const QImage& image) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP")) throw std::runtime_error("Qt cannot write a bitmap");
  return out;
}

QByteArray Icon(const QImage& image) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("seed.ico"));
  WriteIcon(image, path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read the icon back");
  return file.readAll();
}

TMetaDrawing Drawing(bool winding) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 400, 300};
  drawing.unitsPerInch = 400;
  drawing.winding = winding;
  TMetaShape polygon;
  polygon.points = {{10, 10}, {390, 40}, {200, 290}};
  polygon.brushColour = QColor(200, 30, 30);
  TMetaShape poly;
  poly.kind = TMetaShape::EKind::PolyPolygon;
  poly.points = {{20, 20}, {120, 20}, {70, 120}, {200, 150}, {300, 150}, {250, 250}};
  poly.polyCounts = {3, 3};
  poly.penWidth = 4;
  TMetaShape line;
  line.kind = TMetaShape::EKind::Polyline;
  line.points = {{0, 299}, {100, 200}, {200, 280}, {399, 0}};
  line.penColour = QColor(0, 0, 200);
  line.nullBrush = true;
  TMetaShape rectangle;
  rectangle.kind = TMetaShape::EKind::Rectangle;
  rectangle.box = {50, 50, 150, 100};
  rectangle.nullPen = true;
  TMetaShape ellipse;
  ellipse.kind = TMetaShape::EKind::Ellipse;
  ellipse.box = {250, 30, 380, 130};
  ellipse.brushColour = QColor(20, 160, 20);
  drawing.shapes = {polygon, poly, line, rectangle, ellipse};
  return drawing;
}

// Text in the forms the readers take apart: ANSI and wide, with and without advances, turned, opaque,
// and by glyph index.
TMetaDrawing TextDrawing() {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 400, 300};
  drawing.unitsPerInch = 400;
  TMetaText plain;
  plain.text = "Plain text";
  plain.at = {10, 10};
  plain.wide = false;
  plain.plainTextOut = true;
  TMetaText spaced;
  spaced.text = "Spaced";
  spaced.at = {200, 150};
  spaced.dx = {30, 30, 30, 30, 30, 30};
  spaced.align = 6 | 24;  // centre, baseline
  spaced.opaque = true;
  TMetaText turned;
  turned.text = "Turned";
  turned.at = {50, 280};
  turned.escapement = 900;
  turned.height = 30;
  turned.face = "Times New Roman";
  // The EMF form writes glyph indices, the WMF form the letters.
  TMetaText glyphs;
  glyphs.text = "Glyphs";
  glyphs.glyphs = {42, 75, 92, 83, 75, 86};
  glyphs.dx = {20, 20, 20, 20, 20, 20};
  glyphs.at = {10, 200};
  drawing.texts = {plain, spaced, turned, glyphs};
  return drawing;
}

// World transforms, curves, paths, clipping and arcs, so that the fuzzers start from those records.
QByteArray GeometryEmf() {
  TEmfWriter writer({0, 0, 400, 300}, 400);
  writer.Append(U_EMRSELECTOBJECT_set(U_GRAY_BRUSH));
  writer.Append(U_EMRSAVEDC_set());
  writer.Append(U_EMRSETWORLDTRANSFORM_set(U_XFORM{0.9f, 0.1f, -0.1f, 0.9f, 20, 10}));
  writer.Append(U_EMRMODIFYWORLDTRANSFORM_set(U_XFORM{1, 0, 0, 1, 5, 5}, U_MWT_RIGHTMULTIPLY));
  writer.Append(U_EMRINTERSECTCLIPRECT_set(U_RECTL{0, 0, 350, 280}));
  writer.Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{100, 100, 150, 150}));
  writer.Append(U_EMRBEGINPATH_set());
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{10, 10}));
  const U_POINT16 curve[3] = {{100, 0}, {200, 200}, {300, 20}};
  writer.Append(U_EMRPOLYBEZIERTO16_set(U_RECTL{0, 0, 300, 200}, 3, curve));
  const U_POINTL lines[2] = {{300, 250}, {20, 250}};
  writer.Append(U_EMRPOLYLINETO_set(U_RECTL{20, 0, 300, 250}, 2, lines));
  writer.Append(U_EMRCLOSEFIGURE_set());
  writer.Append(U_EMRELLIPSE_set(U_RECTL{150, 50, 250, 150}));
  writer.Append(U_EMRENDPATH_set());
  writer.Append(U_EMRSTROKEANDFILLPATH_set(U_RECTL{0, 0, 400, 300}));
  writer.Append(U_EMRRESTOREDC_set(-1));
  writer.Append(U_EMRBEGINPATH_set());
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{200, 100, 390, 290}));
  writer.Append(U_EMRENDPATH_set());
  writer.Append(U_EMRSELECTCLIPPATH_set(U_RGN_AND));
  writer.Append(U_EMRSETARCDIRECTION_set(U_AD_CLOCKWISE));
  writer.Append(U_EMRPIE_set(U_RECTL{180, 80, 395, 295}, U_POINTL{400, 200}, U_POINTL{300, 0}));
  writer.Append(U_EMRCHORD_set(U_RECTL{10, 150, 150, 290}, U_POINTL{0, 150}, U_POINTL{150, 290}));
  writer.Append(U_EMRARC_set(U_RECTL{10, 10, 390, 290}, U_POINTL{0, 0}, U_POINTL{400, 0}));
  return writer.Finish();
}

// Bitmap records of every kind the player draws, small enough for the fuzzers to mutate.
QByteArray BitmapEmf(const QImage& image) {
  TEmfWriter writer({0, 0, 100, 100}, 96);
  const TDibBytes colour = DibOf(image, 24), mono = DibOf(image, 1), alpha = DibOf(image, 32);
  AddEmfStretchDib(writer, colour, {10, 10, 40, 30}, {0, 0, image.width(), image.height()});
  AddEmfStretchDib(writer, mono, {90, 10, -40, 30}, {0, 0, image.width(), image.height()}, kRopSrcAnd);
  AddEmfStretchDib(writer, colour, {50, 10, 40, 30}, {0, 0, image.width(), image.height()}, kRopSrcPaint);
  AddEmfBitBlt(writer, &colour, {0, 50, image.width(), image.height()}, kRopSrcInvert);
  AddEmfBitBlt(writer, nullptr, {40, 50, 20, 20}, kRopDstInvert);
  AddEmfAlphaBlend(writer, alpha, {10, 60, 50, 30}, 128, true);
  AddEmfTransparentBlt(writer, colour, {60, 60, 30, 30}, QColor(image.pixel(0, 0)));
  AddEmfPatternFill(writer, mono, true, {0, 0, 20, 20}, Qt::red, Qt::blue);
  AddEmfPatternFill(writer, colour, false, {80, 80, 20, 20}, Qt::red, Qt::blue);
  return writer.Finish();
}

// An EMF+ bitmap drawn by its corners after a serialized colour matrix effect that asks for it.
QByteArray EmfPlusEffectEmf(const QImage& image) {
  TEmfWriter emf({0, 0, 100, 100}, 96);
  TEmfPlusWriter plus;
  plus.Header(false).BitmapImage(1, image);
  // ColorMatrixEffectGuid, the size of a 5 x 5 matrix, then the matrix: the identity scaled by a half.
  plus.Begin(EmfPlus::ERecord::SerializableObject).U32(0x718F2615).U32(0x40E37933).U32(0x685F11A5);
  plus.U32(0x74DD14FE).U32(100);
  for (int i = 0; i < 25; ++i) plus.F32(i % 6 == 0 ? 0.5f : 0.0f);
  plus.End();
  plus.Begin(EmfPlus::ERecord::DrawImagePoints, static_cast<std::uint16_t>(EmfPlus::kFlagEffect | 1))
      .U32(0xFFFFFFFF)
      .U32(EmfPlus::kUnitPixel)
      .Rect(QRectF(0, 0, image.width(), image.height()))
      .U32(3)
      .Points({{10, 10}, {90, 20}, {5, 85}});
  plus.End().Flush(emf);
  return emf.Finish();
}

QByteArray BitmapWmf(const QImage& image, const QByteArray& embeddedEmf) {
  TWmfWriter writer(true, {0, 0, 100, 100}, 96);
  AddWmfWindow(writer, {0, 0, 100, 100});
  const TDibBytes colour = DibOf(image, 24), mono = DibOf(image, 1);
  AddWmfStretchDib(writer, colour, {10, 10, 40, 30}, {0, 0, image.width(), image.height()});
  AddWmfDibStretchBlt(writer, mono, {50, 10, 40, -30}, {0, 0, image.width(), image.height()}, kRopSrcAnd);
  AddWmfPatBlt(writer, {0, 50, 30, 30}, kRopBlackness);
  AddWmfPatternFill(writer, mono, {60, 60, 30, 30}, Qt::red, Qt::blue);
  if (!embeddedEmf.isEmpty()) AddWmfEmbeddedEmf(writer, embeddedEmf, 512);
  return writer.Finish();
}

}  // namespace

std::vector<TCorpusFile> ValidSeeds() {
  std::vector<TCorpusFile> seeds;
  const QImage small = Pattern(24, 16);
  const QImage odd = Pattern(33, 17);
  seeds.push_back({"baseline.jpg", EncodeJpeg(small)});
  seeds.push_back({"odd-444.jpg", EncodeJpeg(odd, {.quality = 75, .subsampleChroma = false})});
  seeds.push_back({"gray.jpg", EncodeJpeg(small, {.grayscale = true})});
  seeds.push_back({"progressive.jpg", EncodeJpeg(odd, {.progressive = true})});
  seeds.push_back({"progressive-gray.jpg", EncodeJpeg(small, {.progressive = true, .grayscale = true})});
  seeds.push_back({"bottom-up-24.bmp", Bitmap24(small, false)});
  seeds.push_back({"top-down-24.bmp", Bitmap24(odd, true)});
  seeds.push_back({"rle8.bmp", BitmapRle8(20, 12)});
  seeds.push_back({"indexed-8.bmp", QtBitmap(small.convertToFormat(QImage::Format_Indexed8))});
  seeds.push_back({"mono-1.bmp", QtBitmap(small.convertToFormat(QImage::Format_Mono))});
  seeds.push_back({"argb-32.bmp", QtBitmap(small.convertToFormat(QImage::Format_ARGB32))});
  QList<QRgb> palette;
  for (int i = 0; i < 16; ++i) palette.append(qRgb((i & 1) * 255, (i & 2) * 127, (i & 4) * 63 + (i & 8) * 8));
  const QImage sixteen = Pattern(16, 16).convertToFormat(QImage::Format_Indexed8, palette);
  seeds.push_back({"sixteen-colours.ico", Icon(sixteen)});
  QImage alpha = Pattern(32, 32).convertToFormat(QImage::Format_ARGB32);
  for (int x = 0; x < 32; ++x) alpha.setPixel(x, x, qRgba(0, 0, 0, 0));
  seeds.push_back({"alpha-32.ico", Icon(alpha)});
  seeds.push_back({"placeable.wmf", WriteWmf(Drawing(false), true)});
  seeds.push_back({"plain.wmf", WriteWmf(Drawing(true), false)});
  seeds.push_back({"shapes.emf", WriteEmf(Drawing(false))});
  seeds.push_back({"winding.emf", WriteEmf(Drawing(true))});
  seeds.push_back({"text.wmf", WriteWmf(TextDrawing(), true)});
  seeds.push_back({"text.emf", WriteEmf(TextDrawing())});
  seeds.push_back({"geometry.emf", GeometryEmf()});
  for (std::vector<TCorpusFile> more : {JpegSeeds(), BitmapSeeds(), IconSeeds()})
    seeds.insert(seeds.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  seeds.push_back({"emfplus.emf", EmfPlusSampleFile()});
  seeds.push_back({"emfplus-effect.emf", EmfPlusEffectEmf(Pattern(6, 5))});
  const QByteArray bitmaps = BitmapEmf(Pattern(8, 6));
  seeds.push_back({"bitmaps.emf", bitmaps});
  seeds.push_back({"bitmaps.wmf", BitmapWmf(Pattern(8, 6), QByteArray())});
  seeds.push_back({"embedded-emf.wmf", BitmapWmf(Pattern(4, 4), bitmaps)});
  for (TCorpusFile& seed : GdiSeeds()) seeds.push_back(std::move(seed));
  return seeds;
}
