// Bitmap records of both formats drawn: DIBs stretched and mirrored, palettes, masks, alpha, raster
// operations told apart by their truth tables, pattern brushes, embedded EMFs and broken bitmap records.
#include <gtest/gtest.h>
#include <uemf.h>

#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>

#include "EmfWriter.h"
#include "Graphic.h"
#include "MetaBitmapWriting.h"
#include "MetaRawRecords.h"
#include "WmfWriter.h"
#include "metafile/Metafile.h"
#include "metafile/read/MetaRasterOp.h"

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255), kBlack(0, 0, 0);
const TMetaBox kBox{0, 0, 100, 100};

// A 2x2 image: red, green on top; blue, yellow below.
QImage FourColours() {
  QImage image(2, 2, QImage::Format_RGB32);
  image.setPixelColor(0, 0, kRed);
  image.setPixelColor(1, 0, kGreen);
  image.setPixelColor(0, 1, kBlue);
  image.setPixelColor(1, 1, kYellow);
  return image;
}

QImage TwoByTwo(QColor a, QColor b, QColor c, QColor d) {
  QImage image(2, 2, QImage::Format_ARGB32);
  image.setPixelColor(0, 0, a);
  image.setPixelColor(1, 0, b);
  image.setPixelColor(0, 1, c);
  image.setPixelColor(1, 1, d);
  return image;
}

// Draws the metafile 1:1 (its box is 100 logical units at 96 dpi) onto the background.
QImage Render(const QByteArray& bytes, QColor background = kWhite) {
  TMetafile metafile;
  metafile.LoadFromBytes(bytes);
  QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
  image.fill(background);
  QPainter painter(&image);
  metafile.Draw(painter, QRect(0, 0, 100, 100));
  return image;
}

bool Near(QColor a, QColor b, int tolerance = 24) {
  // Colours of nearly transparent pixels mean nothing.
  if (b.alpha() == 0) return a.alpha() <= tolerance;
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

#define EXPECT_COLOUR(image, x, y, colour)                                                                  \
  EXPECT_TRUE(Near((image).pixelColor(x, y), colour))                                                       \
      << "at " << (x) << "," << (y) << ": " << (image).pixelColor(x, y).name(QColor::HexArgb).toStdString() \
      << " instead of " << QColor(colour).name(QColor::HexArgb).toStdString()

QByteArray Emf(const std::function<void(TEmfWriter&)>& records) {
  TEmfWriter writer(kBox, 96);
  records(writer);
  return writer.Finish();
}

QByteArray Wmf(const std::function<void(TWmfWriter&)>& records) {
  TWmfWriter writer(true, kBox, 96);
  AddWmfWindow(writer, kBox);
  records(writer);
  return writer.Finish();
}

void ExpectFourColoursAt(const QImage& image, bool mirrored) {
  // The 2x2 bitmap stretched over 20..60: each of its pixels a 20-unit square.
  EXPECT_COLOUR(image, 30, 30, mirrored ? kGreen : kRed);
  EXPECT_COLOUR(image, 50, 30, mirrored ? kRed : kGreen);
  EXPECT_COLOUR(image, 30, 50, mirrored ? kYellow : kBlue);
  EXPECT_COLOUR(image, 50, 50, mirrored ? kBlue : kYellow);
  EXPECT_COLOUR(image, 10, 10, kWhite);
  EXPECT_COLOUR(image, 70, 70, kWhite);
}

TEST(MetaBitmap, StretchedDibLandsOnItsDestinationInBothFormats) {
  const TDibBytes dib = DibOf(FourColours(), 24);
  ExpectFourColoursAt(Render(Emf([&](TEmfWriter& w) {
                        AddEmfStretchDib(w, dib, {20, 20, 40, 40}, {0, 0, 2, 2});
                      })),
                      false);
  ExpectFourColoursAt(Render(Wmf([&](TWmfWriter& w) {
                        AddWmfStretchDib(w, dib, {20, 20, 40, 40}, {0, 0, 2, 2});
                      })),
                      false);
  ExpectFourColoursAt(Render(Wmf([&](TWmfWriter& w) {
                        AddWmfDibStretchBlt(w, dib, {20, 20, 40, 40}, {0, 0, 2, 2}, kRopSrcCopy);
                      })),
                      false);
}

TEST(MetaBitmap, SourceRectangleOfABottomUpDibCountsFromItsLastRow) {
  // The source row 0 of StretchDIBits is the bitmap's bottom row: blue and yellow.
  const TDibBytes dib = DibOf(FourColours(), 24);
  const QImage image = Render(Emf([&](TEmfWriter& w) {
    AddEmfStretchDib(w, dib, {20, 20, 40, 40}, {0, 0, 2, 1});
  }));
  EXPECT_COLOUR(image, 30, 30, kBlue);
  EXPECT_COLOUR(image, 50, 50, kYellow);
}

// A WMF StretchDIB record of a 2x1 1-bit DIB whose table holds palette indices (DIB_PAL_COLORS).
char* PaletteIndexStretchDib(std::uint16_t first, std::uint16_t second) {
  QByteArray record(28 + 40 + 4 + 4, '\0');
  auto* d = reinterpret_cast<uchar*>(record.data());
  qToLittleEndian<quint32>(static_cast<quint32>(record.size() / 2), d);
  qToLittleEndian<quint16>(0x0F43, d + 4);
  qToLittleEndian<quint32>(kRopSrcCopy, d + 6);
  const std::uint16_t words[] = {1 /* DIB_PAL_COLORS */, 1, 2, 0, 0, 40, 40, 20, 20};
  for (int i = 0; i < 9; ++i) qToLittleEndian<quint16>(words[i], d + 10 + 2 * i);
  uchar* header = d + 28;
  qToLittleEndian<quint32>(40, header);
  qToLittleEndian<qint32>(2, header + 4);
  qToLittleEndian<qint32>(1, header + 8);
  qToLittleEndian<quint16>(1, header + 12);
  qToLittleEndian<quint16>(1, header + 14);
  qToLittleEndian<quint32>(2, header + 32);
  qToLittleEndian<quint16>(first, header + 40);
  qToLittleEndian<quint16>(second, header + 42);
  header[44] = 0x40;  // pixels 0 and 1
  char* out = static_cast<char*>(std::malloc(static_cast<std::size_t>(record.size())));
  std::memcpy(out, record.constData(), static_cast<std::size_t>(record.size()));
  return out;
}

TEST(MetaBitmap, PaletteIndicesTakeTheDefaultPalette) {
  // Entries 13 and 16 of the default palette are pure red and blue.
  const QImage image = Render(Wmf([&](TWmfWriter& w) { w.Append(PaletteIndexStretchDib(13, 16)); }));
  EXPECT_COLOUR(image, 30, 40, kRed);
  EXPECT_COLOUR(image, 50, 40, kBlue);
  EXPECT_COLOUR(image, 10, 10, kWhite);
}

TEST(MetaBitmap, PaletteIndicesTakeTheSelectedPalette) {
  // A palette of blue and yellow (red, green, blue, flags in each entry) selected before the bitmap.
  const QImage wmf = Render(Wmf([&](TWmfWriter& w) {
    w.Append(RawRecord({0x00F7, 0x0300, 2, 0x0000, 0x00FF, 0xFFFF, 0x0000}, true));
    w.Append(RawRecord({0x0234, 0}, true));
    w.Append(PaletteIndexStretchDib(1, 0));
  }));
  EXPECT_COLOUR(wmf, 30, 40, kYellow);
  EXPECT_COLOUR(wmf, 50, 40, kBlue);
  // PALETTEINDEX colours of brushes take the selected palette's entries; the stock default palette
  // brings back GDI's twenty colours.
  const QImage emf = Render(Emf([&](TEmfWriter& w) {
    w.Append(RawRecord({U_EMR_CREATEPALETTE, 7, 0x00020300u, 0x00FF0000u, 0x0000FFFFu}, false));
    w.Append(RawRecord({U_EMR_SELECTPALETTE, 7}, false));
    w.Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
    uint32_t brush = 0;
    w.Append(createbrushindirect_set(&brush, w.Handles(), U_LOGBRUSH{U_BS_SOLID, U_COLORREF{1, 0, 0, 1}, 0}));
    w.Append(selectobject_set(brush, w.Handles()));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{10, 10, 40, 40}));
    w.Append(RawRecord({U_EMR_SELECTPALETTE, U_DEFAULT_PALETTE}, false));
    w.Append(
        createbrushindirect_set(&brush, w.Handles(), U_LOGBRUSH{U_BS_SOLID, U_COLORREF{13, 0, 0, 1}, 0}));
    w.Append(selectobject_set(brush, w.Handles()));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{50, 50, 80, 80}));
  }));
  EXPECT_COLOUR(emf, 25, 25, kYellow);
  EXPECT_COLOUR(emf, 65, 65, kRed);
  EXPECT_COLOUR(emf, 90, 90, kWhite);
}

TEST(MetaBitmap, SetDIBitsToDeviceDrawsABandOfScanLines) {
  // A 2x4 bitmap of which the record carries rows 2 and 3 counted from the bottom: its top half.
  TDibBytes band = DibOf(FourColours(), 24);
  qToLittleEndian<qint32>(4, band.info.data() + 8);
  const QImage image = Render(Emf([&](TEmfWriter& w) {
    w.Append(U_EMRSETDIBITSTODEVICE_set(U_RECTL{20, 20, 22, 22}, U_POINTL{20, 20}, U_POINTL{0, 2},
                                        U_POINTL{2, 2}, U_DIB_RGB_COLORS, 2, 2,
                                        reinterpret_cast<U_BITMAPINFO*>(band.info.data()),
                                        static_cast<uint32_t>(band.bits.size()), band.bits.data()));
  }));
  EXPECT_COLOUR(image, 20, 20, kRed);
  EXPECT_COLOUR(image, 21, 20, kGreen);
  EXPECT_COLOUR(image, 20, 21, kBlue);
  EXPECT_COLOUR(image, 21, 21, kYellow);
  EXPECT_COLOUR(image, 20, 22, kWhite);
}

TEST(MetaBitmap, NegativeExtentsMirrorTheBitmap) {
  const TDibBytes dib = DibOf(FourColours(), 24);
  ExpectFourColoursAt(Render(Emf([&](TEmfWriter& w) {
                        AddEmfStretchDib(w, dib, {60, 20, -40, 40}, {0, 0, 2, 2});
                      })),
                      true);
  ExpectFourColoursAt(Render(Wmf([&](TWmfWriter& w) {
                        AddWmfStretchDib(w, dib, {60, 20, -40, 40}, {0, 0, 2, 2});
                      })),
                      true);
}

TEST(MetaBitmap, MaskPairsLeaveTheMaskedPartsAsTheyWere) {
  // Mask: black (draw) where the picture is, white (keep) elsewhere; the picture is black outside.
  const TDibBytes mask = DibOf(TwoByTwo(kBlack, kWhite, kWhite, kBlack), 1);
  const TDibBytes picture = DibOf(TwoByTwo(kRed, kBlack, kBlack, kGreen), 24);
  const auto check = [](const QImage& image, QColor kept) {
    EXPECT_COLOUR(image, 30, 30, kRed);
    EXPECT_COLOUR(image, 50, 30, kept);
    EXPECT_COLOUR(image, 30, 50, kept);
    EXPECT_COLOUR(image, 50, 50, kGreen);
  };
  const QRect dest(20, 20, 40, 40), source(0, 0, 2, 2);
  const QByteArray andPaint = Emf([&](TEmfWriter& w) {
    AddEmfStretchDib(w, mask, dest, source, kRopSrcAnd);
    AddEmfStretchDib(w, picture, dest, source, kRopSrcPaint);
  });
  const QByteArray xorAndXor = Wmf([&](TWmfWriter& w) {
    AddWmfDibStretchBlt(w, picture, dest, source, kRopSrcInvert);
    AddWmfDibStretchBlt(w, mask, dest, source, kRopSrcAnd);
    AddWmfDibStretchBlt(w, picture, dest, source, kRopSrcInvert);
  });
  for (const QByteArray& bytes : {andPaint, xorAndXor}) {
    check(Render(bytes, kBlue), kBlue);
    // A transparent target stays transparent where the mask keeps it.
    check(Render(bytes, Qt::transparent), QColor(0, 0, 0, 0));
  }
}

TEST(MetaBitmap, AlphaBlendMixesWithWhatIsBelow) {
  const TDibBytes black = DibOf(TwoByTwo(kBlack, kBlack, kBlack, kBlack), 32);
  const QImage half = Render(Emf([&](TEmfWriter& w) {
    AddEmfAlphaBlend(w, black, {20, 20, 40, 40}, 128, false);
  }));
  EXPECT_COLOUR(half, 40, 40, QColor(127, 127, 127));
  EXPECT_COLOUR(half, 10, 10, kWhite);
  // Per-pixel alpha: an opaque red pixel, a transparent one and a half-transparent blue one.
  const TDibBytes pixels =
      DibOf(TwoByTwo(kRed, QColor(0, 0, 0, 0), QColor(0, 0, 255, 128), QColor(0, 255, 0, 255)), 32);
  const QImage mixed = Render(Emf([&](TEmfWriter& w) {
    AddEmfAlphaBlend(w, pixels, {20, 20, 40, 40}, 255, true);
  }));
  EXPECT_COLOUR(mixed, 30, 30, kRed);
  EXPECT_COLOUR(mixed, 50, 30, kWhite);
  EXPECT_COLOUR(mixed, 30, 50, QColor(127, 127, 255));
  EXPECT_COLOUR(mixed, 50, 50, kGreen);
}

TEST(MetaBitmap, TransparentBltLeavesItsColourOut) {
  const TDibBytes dib = DibOf(TwoByTwo(kRed, kGreen, kGreen, kRed), 24);
  const QImage image = Render(Emf([&](TEmfWriter& w) {
                                AddEmfTransparentBlt(w, dib, {20, 20, 40, 40}, kGreen);
                              }),
                              kBlue);
  EXPECT_COLOUR(image, 30, 30, kRed);
  EXPECT_COLOUR(image, 50, 30, kBlue);
  EXPECT_COLOUR(image, 50, 50, kRed);
}

QImage Quadrants(QColor a, QColor b, QColor c, QColor d) {
  return TwoByTwo(a, b, c, d).scaled(20, 20);
}

TEST(MetaBitmap, MaskBltDrawsTheSourceWhereTheMaskIsSet) {
  // MAKEROP4(SRCCOPY, no operation): the source where the mask bit is 1, the target kept where it is 0.
  const TDibBytes source = DibOf(Quadrants(kRed, kGreen, kBlue, kYellow), 24);
  const TDibBytes mask = DibOf(Quadrants(kWhite, kBlack, kBlack, kWhite), 1);
  const U_XFORM identity{1, 0, 0, 1, 0, 0};
  const QImage image =
      Render(Emf([&](TEmfWriter& w) {
               w.Append(U_EMRMASKBLT_set(
                   U_RECTL{20, 20, 40, 40}, U_POINTL{20, 20}, U_POINTL{20, 20}, U_POINTL{0, 0}, identity,
                   U_COLORREF{255, 255, 255, 0}, U_DIB_RGB_COLORS, U_POINTL{0, 0}, U_DIB_RGB_COLORS,
                   0xAACC0020u, reinterpret_cast<U_BITMAPINFO*>(const_cast<char*>(source.info.data())),
                   static_cast<uint32_t>(source.bits.size()), const_cast<char*>(source.bits.data()),
                   reinterpret_cast<U_BITMAPINFO*>(const_cast<char*>(mask.info.data())),
                   static_cast<uint32_t>(mask.bits.size()), const_cast<char*>(mask.bits.data())));
             }),
             kBlue);
  EXPECT_COLOUR(image, 25, 25, kRed);
  EXPECT_COLOUR(image, 35, 25, kBlue);
  EXPECT_COLOUR(image, 25, 35, kBlue);
  EXPECT_COLOUR(image, 35, 35, kYellow);
}

TEST(MetaBitmap, PlgBltTurnsTheBitmapOntoItsParallelogram) {
  // The source's top-left corner at (60,20), its top edge running down, its left edge running left:
  // turned a quarter clockwise.
  const TDibBytes source = DibOf(FourColours(), 24);
  const U_XFORM identity{1, 0, 0, 1, 0, 0};
  U_POINTL corners[3] = {{60, 20}, {60, 60}, {20, 20}};
  const QImage image = Render(Emf([&](TEmfWriter& w) {
    w.Append(U_EMRPLGBLT_set(U_RECTL{20, 20, 60, 60}, corners, U_POINTL{0, 0}, U_POINTL{2, 2}, identity,
                             U_COLORREF{255, 255, 255, 0}, U_DIB_RGB_COLORS, U_POINTL{0, 0}, U_DIB_RGB_COLORS,
                             reinterpret_cast<U_BITMAPINFO*>(const_cast<char*>(source.info.data())),
                             static_cast<uint32_t>(source.bits.size()), const_cast<char*>(source.bits.data()),
                             nullptr, 0, nullptr));
  }));
  EXPECT_COLOUR(image, 50, 30, kRed);
  EXPECT_COLOUR(image, 50, 50, kGreen);
  EXPECT_COLOUR(image, 30, 30, kBlue);
  EXPECT_COLOUR(image, 30, 50, kYellow);
  EXPECT_COLOUR(image, 70, 70, kWhite);
}

TEST(MetaBitmap, BlitsWithoutSourcePaintByTheOperationAlone) {
  const QImage emf = Render(Emf([&](TEmfWriter& w) {
    AddEmfBitBlt(w, nullptr, {10, 10, 30, 30}, kRopBlackness);
    AddEmfBitBlt(w, nullptr, {50, 10, 30, 30}, kRopDstInvert);
  }));
  EXPECT_COLOUR(emf, 25, 25, kBlack);
  EXPECT_COLOUR(emf, 65, 25, kBlack);  // white inverted
  EXPECT_COLOUR(emf, 25, 60, kWhite);
  // Inverting twice gives back what was there, transparency included.
  const QByteArray twice = Emf([&](TEmfWriter& w) {
    AddEmfBitBlt(w, nullptr, {50, 10, 30, 30}, kRopDstInvert);
    AddEmfBitBlt(w, nullptr, {50, 10, 30, 30}, kRopDstInvert);
  });
  EXPECT_COLOUR(Render(twice, Qt::transparent), 65, 25, QColor(0, 0, 0, 0));
  EXPECT_COLOUR(Render(twice, kBlue), 65, 25, kBlue);
  const QImage wmf = Render(Wmf([&](TWmfWriter& w) {
    uint32_t brush = 0;
    w.Append(wcreatebrushindirect_set(&brush, w.Handles(),
                                      U_WLOGBRUSH_set(U_BS_SOLID, U_COLORREF{0, 0, 255, 0}, 0)));
    w.Append(wselectobject_set(brush, w.Handles()));
    AddWmfPatBlt(w, {10, 10, 30, 30}, kRopPatCopy);
  }));
  EXPECT_COLOUR(wmf, 25, 25, kBlue);
  EXPECT_COLOUR(wmf, 60, 60, kWhite);
}

// Old writers fill a shape see-through by inverting its box with the brush, ANDing the shape in
// black, and inverting the box again: the shape ends in the brush's colour, the rest as it was.
TEST(MetaBitmap, InvertedBoxesAroundAMaskedShapeLeaveItInTheBrushColour) {
  const QByteArray bytes = Emf([&](TEmfWriter& w) {
    uint32_t red = 0;
    w.Append(createbrushindirect_set(&red, w.Handles(), U_LOGBRUSH{U_BS_SOLID, U_COLORREF{255, 0, 0, 0}, 0}));
    w.Append(selectobject_set(red, w.Handles()));
    w.Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
    AddEmfBitBlt(w, nullptr, {20, 20, 60, 60}, U_PATINVERT);
    w.Append(U_EMRSETROP2_set(U_R2_MASKPEN));
    w.Append(U_EMRSELECTOBJECT_set(U_BLACK_BRUSH));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{30, 30, 50, 50}));
    w.Append(U_EMRSETROP2_set(U_R2_COPYPEN));
    w.Append(selectobject_set(red, w.Handles()));
    AddEmfBitBlt(w, nullptr, {20, 20, 60, 60}, U_PATINVERT);
  });
  for (const QColor& paper : {kWhite, kBlue}) {
    const QImage image = Render(bytes, paper);
    EXPECT_COLOUR(image, 40, 40, kRed);
    EXPECT_COLOUR(image, 70, 70, paper);
    EXPECT_COLOUR(image, 10, 10, paper);
  }
  // On a transparent target the box around the shape is white paper; beyond it nothing is drawn.
  const QImage clear = Render(bytes, Qt::transparent);
  EXPECT_COLOUR(clear, 40, 40, kRed);
  EXPECT_COLOUR(clear, 70, 70, kWhite);
  EXPECT_COLOUR(clear, 10, 10, QColor(0, 0, 0, 0));
}

// The rarer operations that mix source, brush and target bit by bit.
TEST(MetaBitmap, MergeCopyEraseAndBrushMixesCombineTheirBits) {
  const TDibBytes four = DibOf(FourColours(), 24);
  const QRect dest(20, 20, 40, 40), source(0, 0, 2, 2);
  const auto withYellowBrush = [](TEmfWriter& w) {
    uint32_t brush = 0;
    w.Append(
        createbrushindirect_set(&brush, w.Handles(), U_LOGBRUSH{U_BS_SOLID, U_COLORREF{255, 255, 0, 0}, 0}));
    w.Append(selectobject_set(brush, w.Handles()));
  };
  // MERGECOPY: the source ANDed with the yellow brush loses its blue.
  const QImage merged = Render(Emf([&](TEmfWriter& w) {
    withYellowBrush(w);
    AddEmfStretchDib(w, four, dest, source, U_MERGECOPY);
  }));
  EXPECT_COLOUR(merged, 30, 30, kRed);
  EXPECT_COLOUR(merged, 50, 30, kGreen);
  EXPECT_COLOUR(merged, 30, 50, kBlack);
  EXPECT_COLOUR(merged, 50, 50, kYellow);
  // SRCERASE keeps the source's bits where the target's are clear: blue loses its blue.
  const QImage erased =
      Render(Emf([&](TEmfWriter& w) { AddEmfStretchDib(w, four, dest, source, U_SRCERASE); }), kBlue);
  EXPECT_COLOUR(erased, 30, 30, kRed);
  EXPECT_COLOUR(erased, 30, 50, kBlack);
  EXPECT_COLOUR(erased, 50, 50, kYellow);
  EXPECT_COLOUR(erased, 10, 10, kBlue);
  // NOTSRCERASE: neither source nor target bits; on white paper everything is black.
  const QByteArray notErase =
      Emf([&](TEmfWriter& w) { AddEmfStretchDib(w, four, dest, source, U_NOTSRCERASE); });
  const QImage onBlue = Render(notErase, kBlue);
  EXPECT_COLOUR(onBlue, 30, 30, kGreen);
  EXPECT_COLOUR(onBlue, 50, 30, kRed);
  EXPECT_COLOUR(onBlue, 30, 50, kYellow);
  EXPECT_COLOUR(onBlue, 50, 50, kBlack);
  EXPECT_COLOUR(Render(notErase, Qt::transparent), 30, 30, kBlack);
  // The brush ANDed with the target (0xA0) and ORed into it (0xFA).
  const QImage anded = Render(Emf([&](TEmfWriter& w) {
                                withYellowBrush(w);
                                AddEmfBitBlt(w, nullptr, {10, 10, 30, 30}, 0x00A000C9);
                                AddEmfBitBlt(w, nullptr, {50, 50, 30, 30}, 0x00FA0089);
                              }),
                              kBlue);
  EXPECT_COLOUR(anded, 25, 25, kBlack);
  EXPECT_COLOUR(anded, 65, 65, kWhite);
  EXPECT_COLOUR(anded, 65, 25, kBlue);
}

TEST(MetaBitmap, MonochromePatternsTakeTheTextAndBackgroundColours) {
  // An 8x8 pattern whose left half is 0 bits (text colour) and right half 1 bits (background).
  QImage halves(8, 8, QImage::Format_RGB32);
  halves.fill(kWhite);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 4; ++x) halves.setPixelColor(x, y, kBlack);
  const TDibBytes mono = DibOf(halves, 1);
  const QImage emf = Render(Emf([&](TEmfWriter& w) {
    AddEmfPatternFill(w, mono, true, {16, 16, 64, 64}, kRed, kBlue);
  }));
  int red = 0, blue = 0;
  for (int y = 20; y < 76; ++y)
    for (int x = 20; x < 76; ++x) {
      red += Near(emf.pixelColor(x, y), kRed) ? 1 : 0;
      blue += Near(emf.pixelColor(x, y), kBlue) ? 1 : 0;
    }
  EXPECT_GT(red, 56 * 56 / 3);
  EXPECT_GT(blue, 56 * 56 / 3);
  EXPECT_COLOUR(emf, 8, 8, kWhite);
  // A colour pattern keeps its own colours, whatever the text colour.
  QImage green(8, 8, QImage::Format_RGB32);
  green.fill(kGreen);
  const TDibBytes colour = DibOf(green, 24);
  const QImage dibEmf = Render(Emf([&](TEmfWriter& w) {
    AddEmfPatternFill(w, colour, false, {16, 16, 64, 64}, kRed, kBlue);
  }));
  const QImage dibWmf = Render(Wmf([&](TWmfWriter& w) {
    AddWmfPatternFill(w, colour, {16, 16, 64, 64}, kRed, kBlue);
  }));
  for (const QImage& image : {dibEmf, dibWmf}) {
    EXPECT_COLOUR(image, 40, 40, kGreen);
    EXPECT_COLOUR(image, 8, 8, kWhite);
  }
}

TEST(MetaBitmap, MonochromePatternsTakeTheColoursSetAfterTheirSelection) {
  // A 0 bit is drawn in the text colour the state has when the brush fills, not when it was selected.
  QImage halves(8, 8, QImage::Format_RGB32);
  halves.fill(kWhite);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 4; ++x) halves.setPixelColor(x, y, kBlack);
  const QImage emf = Render(Emf([&](TEmfWriter& w) {
    AddEmfPatternFill(w, DibOf(halves, 1), true, {16, 16, 64, 64}, kBlack, kWhite, kRed, kBlue);
  }));
  int red = 0, blue = 0, black = 0;
  for (int y = 20; y < 76; ++y)
    for (int x = 20; x < 76; ++x) {
      red += Near(emf.pixelColor(x, y), kRed) ? 1 : 0;
      blue += Near(emf.pixelColor(x, y), kBlue) ? 1 : 0;
      black += Near(emf.pixelColor(x, y), kBlack) ? 1 : 0;
    }
  EXPECT_GT(red, 56 * 56 / 3);
  EXPECT_GT(blue, 56 * 56 / 3);
  EXPECT_EQ(black, 0);
  // Selecting a stock brush ends it: later colour changes leave the stock brush as it is.
  const QImage stock = Render(Emf([&](TEmfWriter& w) {
    AddEmfPatternFill(w, DibOf(halves, 1), true, {16, 16, 64, 64}, kBlack, kWhite);
    w.Append(U_EMRSETTEXTCOLOR_set(U_RGB(0, 255, 0)));
    w.Append(selectobject_set(U_NULL_PEN, w.Handles()));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{70, 70, 95, 95}));
  }));
  EXPECT_COLOUR(stock, 82, 82, kWhite);
}

TEST(MetaBitmap, RegionsFillWithPatternBrushesTheyNameWithoutSelecting) {
  QImage zeros(8, 8, QImage::Format_RGB32);
  zeros.fill(kBlack);
  TDibBytes mono = DibOf(zeros, 1);
  const QImage image = Render(Emf([&](TEmfWriter& w) {
    w.Append(U_EMRSETTEXTCOLOR_set(U_RGB(255, 0, 0)));
    uint32_t brush = 0;
    w.Append(createmonobrush_set(&brush, w.Handles(), U_DIB_RGB_COLORS,
                                 reinterpret_cast<U_BITMAPINFO*>(mono.info.data()),
                                 static_cast<uint32_t>(mono.bits.size()), mono.bits.data()));
    U_RECTL rect{20, 20, 60, 60};
    PU_RGNDATA region = rgndata_set(rgndataheader_set(1, rect), &rect);
    w.Append(U_EMRFILLRGN_set(rect, brush, region));
    free(region);
  }));
  EXPECT_COLOUR(image, 40, 40, kRed);
  EXPECT_COLOUR(image, 70, 70, kWhite);
}

QByteArray EmfWithRedSquare() {
  return Emf([&](TEmfWriter& w) {
    TMetaShape square;
    square.kind = TMetaShape::EKind::Rectangle;
    square.box = {60, 60, 90, 90};
    square.brushColour = kRed;
    square.nullPen = true;
    w.AddShape(square);
  });
}

QByteArray WmfWithBlueSquareAnd(const std::function<void(TWmfWriter&)>& escapes) {
  return Wmf([&](TWmfWriter& w) {
    escapes(w);
    TMetaShape square;
    square.kind = TMetaShape::EKind::Rectangle;
    square.box = {10, 10, 40, 40};
    square.brushColour = kBlue;
    square.nullPen = true;
    w.AddShape(square);
  });
}

TEST(MetaBitmap, WholeEmbeddedEmfIsDrawnInsteadOfTheWmfRecords) {
  const QByteArray emf = EmfWithRedSquare();
  const QImage image = Render(WmfWithBlueSquareAnd([&](TWmfWriter& w) { AddWmfEmbeddedEmf(w, emf, 100); }));
  EXPECT_COLOUR(image, 75, 75, kRed);
  EXPECT_COLOUR(image, 25, 25, kWhite);
  // A chunk missing: the WMF records are drawn.
  const QImage partial = Render(WmfWithBlueSquareAnd([&](TWmfWriter& w) {
    AddWmfEmbeddedEmf(w, emf.first(emf.size() - 8), 100);  // the EMF's end record left out
  }));
  EXPECT_COLOUR(partial, 25, 25, kBlue);
  EXPECT_COLOUR(partial, 75, 75, kWhite);
}

TEST(MetaBitmap, EmbeddedEmfWithLyingSizesIsIgnored) {
  const QByteArray emf = EmfWithRedSquare();
  QByteArray wmf = WmfWithBlueSquareAnd([&](TWmfWriter& w) { AddWmfEmbeddedEmf(w, emf, 100); });
  // The first chunk claims more bytes remain than the total allows.
  const qsizetype escape = wmf.indexOf(QByteArray("WMFC"));
  ASSERT_GT(escape, 0);
  qToLittleEndian<quint32>(0x7FFFFFFF, wmf.data() + escape + 26);
  const QImage image = Render(wmf);
  EXPECT_COLOUR(image, 25, 25, kBlue);
  EXPECT_COLOUR(image, 75, 75, kWhite);
}

quint32 U32At(const QByteArray& bytes, qsizetype at) {
  quint32 value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uchar>(bytes.at(at + i));
  return value;
}

// The offset of the first record of the type in an EMF.
qsizetype EmfRecordAt(const QByteArray& emf, std::uint32_t type) {
  qsizetype at = 0;
  while (at + 8 <= emf.size()) {
    if (U32At(emf, at) == type) return at;
    at += U32At(emf, at + 4);
  }
  return -1;
}

TEST(MetaBitmap, BrokenBitmapRecordsDrawNothingAndTheRestStillDraws) {
  const TDibBytes dib = DibOf(FourColours(), 24);
  const QByteArray good = Emf([&](TEmfWriter& w) {
    AddEmfStretchDib(w, dib, {20, 20, 40, 40}, {0, 0, 2, 2});
    AddEmfBitBlt(w, nullptr, {70, 70, 20, 20}, kRopBlackness);
  });
  const qsizetype at = EmfRecordAt(good, U_EMR_STRETCHDIBITS);
  ASSERT_GT(at, 0);
  const auto broken = [&](qsizetype field, quint32 value) {
    QByteArray bytes = good;
    qToLittleEndian<quint32>(value, bytes.data() + at + field);
    return bytes;
  };
  const std::vector<QByteArray> cases = {
      broken(56, 0xFFFFFF00u),  // pixels far past the record
      broken(48, 0x7FFFFFF0u),  // header far past the record
      broken(60, 0x40000000u),  // pixel byte count larger than the record
  };
  QByteArray huge = good;  // a header claiming 100000 x 100000 pixels
  const qsizetype header = at + U32At(good, at + 48);
  qToLittleEndian<qint32>(100000, huge.data() + header + 4);
  qToLittleEndian<qint32>(100000, huge.data() + header + 8);
  std::vector<QByteArray> all = cases;
  all.push_back(huge);
  for (const QByteArray& bytes : all) {
    const QImage image = Render(bytes);
    EXPECT_COLOUR(image, 30, 30, kWhite);
    EXPECT_COLOUR(image, 80, 80, kBlack);
  }
}

TEST(MetaBitmap, ScrambledBitmapMetafilesNeverCrash) {
  const TDibBytes dib = DibOf(FourColours(), 24);
  const TDibBytes mono = DibOf(TwoByTwo(kBlack, kWhite, kWhite, kBlack), 1);
  const QByteArray emf = Emf([&](TEmfWriter& w) {
    AddEmfStretchDib(w, dib, {20, 20, 40, 40}, {0, 0, 2, 2});
    AddEmfAlphaBlend(w, DibOf(FourColours(), 32), {0, 0, 50, 50}, 100, true);
    AddEmfTransparentBlt(w, dib, {10, 10, 20, 20}, kRed);
    AddEmfPatternFill(w, mono, true, {0, 0, 30, 30}, kRed, kBlue);
  });
  const QByteArray wmf = Wmf([&](TWmfWriter& w) {
    AddWmfStretchDib(w, dib, {20, 20, 40, 40}, {0, 0, 2, 2});
    AddWmfDibStretchBlt(w, mono, {0, 0, 10, 10}, {0, 0, 2, 2}, kRopSrcAnd);
    AddWmfPatternFill(w, dib, {0, 0, 30, 30}, kRed, kBlue);
    AddWmfEmbeddedEmf(w, EmfWithRedSquare(), 64);
  });
  std::mt19937 random(14);
  for (const QByteArray& original : {emf, wmf}) {
    for (int round = 0; round < 300; ++round) {
      QByteArray bytes = original;
      const int changes = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < changes; ++i)
        bytes[static_cast<qsizetype>(random() % static_cast<unsigned>(bytes.size()))] =
            static_cast<char>(random() % 256);
      try {
        Render(bytes);
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

TEST(MetaRasterOp, OperationsAreToldApartByTheirTruthTables) {
  EXPECT_TRUE(RopUsesSource(kRopSrcCopy));
  EXPECT_TRUE(RopUsesSource(kRopSrcAnd));
  EXPECT_FALSE(RopUsesSource(kRopPatCopy));
  EXPECT_FALSE(RopUsesSource(kRopBlackness));
  EXPECT_FALSE(RopUsesSource(kRopDstInvert));
  EXPECT_EQ(BlitModeOf(kRopSrcAnd), EMetaBlitMode::Multiply);
  EXPECT_EQ(BlitModeOf(kRopSrcPaint), EMetaBlitMode::Lighten);
  EXPECT_EQ(BlitModeOf(kRopSrcInvert), EMetaBlitMode::Difference);
  EXPECT_EQ(BlitModeOf(U_NOOP), EMetaBlitMode::None);
  EXPECT_EQ(BlitModeOf(U_MERGECOPY), EMetaBlitMode::SourceAndBrush);
  EXPECT_TRUE(RopUsesSource(U_SRCERASE));
  // An operation nobody names that reads a pattern but no source fills with the brush.
  EXPECT_EQ(BlitModeOf(0x000F0001), EMetaBlitMode::FillBrush);
  // NOTSRCCOPY inverts the source; SRCAND makes white transparent, SRCPAINT black.
  const QImage source = TwoByTwo(kWhite, kBlack, kRed, kWhite);
  EXPECT_EQ(PrepareBlitImage(source, U_NOTSRCCOPY).pixelColor(0, 0), kBlack);
  EXPECT_EQ(PrepareBlitImage(source, kRopSrcAnd).pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(PrepareBlitImage(source, kRopSrcAnd).pixelColor(1, 0), kBlack);
  EXPECT_EQ(PrepareBlitImage(source, kRopSrcPaint).pixelColor(1, 0).alpha(), 0);
  EXPECT_EQ(PrepareBlitImage(source, kRopSrcPaint).pixelColor(0, 1), kRed);
  // PSDPxax paints the brush through the source's black pixels, DSPDxax through its white ones.
  constexpr std::uint32_t kBrushWhereSourceBlack = 0x00B8074A, kBrushWhereSourceWhite = 0x00E20746;
  EXPECT_EQ(BlitModeOf(kBrushWhereSourceBlack), EMetaBlitMode::BrushThroughImage);
  EXPECT_EQ(BlitModeOf(kBrushWhereSourceWhite), EMetaBlitMode::BrushThroughImage);
  const QImage throughBlack = PrepareBlitImage(source, kBrushWhereSourceBlack);
  EXPECT_EQ(throughBlack.pixelColor(1, 0), kBlack);
  EXPECT_EQ(throughBlack.pixelColor(0, 0).alpha(), 0);
  const QImage throughWhite = PrepareBlitImage(source, kBrushWhereSourceWhite);
  EXPECT_EQ(throughWhite.pixelColor(0, 0), kBlack);
  EXPECT_EQ(throughWhite.pixelColor(1, 0).alpha(), 0);
  EXPECT_EQ(throughWhite.pixelColor(0, 1).alpha(), 0) << "a colour that is neither shows no brush";
  // DPa and DPo combine the brush with the target and draw no image.
  EXPECT_EQ(BlitModeOf(0x00A000C9), EMetaBlitMode::MultiplyBrush);
  EXPECT_EQ(BlitModeOf(0x00FA0089), EMetaBlitMode::LightenBrush);
  EXPECT_TRUE(PrepareBlitImage(source, 0x00FA0089).isNull());
  EXPECT_EQ(RopFillColour(U_BLACKNESS), qRgb(0, 0, 0));
  EXPECT_EQ(RopFillColour(U_WHITENESS), qRgb(255, 255, 255));
  // AlphaBlend's colours are premultiplied already; colours above their alpha are cut to it.
  QImage stored(2, 1, QImage::Format_ARGB32);
  stored.setPixel(0, 0, qRgba(64, 32, 200, 128));
  stored.setPixel(1, 0, qRgba(10, 20, 30, 255));
  const QImage premultiplied = StoredPremultiplied(stored);
  EXPECT_EQ(premultiplied.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(premultiplied.pixel(0, 0), qRgba(64, 32, 128, 128));
  EXPECT_EQ(premultiplied.pixel(1, 0), qRgba(10, 20, 30, 255));
}

}  // namespace
