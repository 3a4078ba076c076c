// Palette colours resolved when they draw: brushes, pens and bitmaps of PALETTEINDEX colours take the
// palette selected and its entries as they are at that moment, the selected palette is saved and
// restored with the device context, and hostile palettes stay bounded.
#include <gtest/gtest.h>
#include <uemf.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cstdint>
#include <functional>
#include <vector>

#include "EmfWriter.h"
#include "MetaBitmapWriting.h"
#include "MetaRawRecords.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"
#include "metafile/play/MetaPalette.h"

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255), kMaroon(128, 0, 0);
const TMetaBox kBox{0, 0, 100, 100};
// EMF palette slots well above those the writer gives its brushes.
constexpr std::uint32_t kPaletteA = 40, kPaletteB = 41;

constexpr std::uint32_t PaletteIndex(std::uint32_t index) {
  return 0x01000000u | index;
}

// A palette entry (red, green, blue, flags) as one little-endian word.
std::uint32_t Entry(QColor colour) {
  return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
         static_cast<std::uint32_t>(colour.blue()) << 16;
}

void PutEntries(std::vector<std::uint32_t>& words, const std::vector<QColor>& colours, bool wmf) {
  for (const QColor& colour : colours) {
    if (wmf) {
      words.push_back(Entry(colour) & 0xFFFF);
      words.push_back(Entry(colour) >> 16);
    } else {
      words.push_back(Entry(colour));
    }
  }
}

// EMF records. `declared` is the entry count the record claims, when not the colours given.
char* EmfCreatePalette(std::uint32_t slot, const std::vector<QColor>& colours, int declared = -1) {
  const auto count = static_cast<std::uint32_t>(declared >= 0 ? declared : static_cast<int>(colours.size()));
  std::vector<std::uint32_t> words{U_EMR_CREATEPALETTE, slot, 0x0300u | count << 16};
  PutEntries(words, colours, false);
  return RawRecord(words, false);
}

char* EmfSelectPalette(std::uint32_t slot) {
  return RawRecord({U_EMR_SELECTPALETTE, slot}, false);
}

char* EmfSetPaletteEntries(std::uint32_t slot, std::uint32_t start, const std::vector<QColor>& colours) {
  std::vector<std::uint32_t> words{U_EMR_SETPALETTEENTRIES, slot, start,
                                   static_cast<std::uint32_t>(colours.size())};
  PutEntries(words, colours, false);
  return RawRecord(words, false);
}

// Selects a new solid brush of the colour reference and fills the box with it, without a pen.
void EmfFill(TEmfWriter& w, std::uint32_t colourRef, const U_RECTL& box) {
  w.Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  std::uint32_t brush = 0;
  const U_COLORREF colour{static_cast<uint8_t>(colourRef), static_cast<uint8_t>(colourRef >> 8),
                          static_cast<uint8_t>(colourRef >> 16), static_cast<uint8_t>(colourRef >> 24)};
  w.Append(createbrushindirect_set(&brush, w.Handles(), U_LOGBRUSH{U_BS_SOLID, colour, 0}));
  w.Append(selectobject_set(brush, w.Handles()));
  w.Append(U_EMRRECTANGLE_set(box));
}

QByteArray Emf(const std::function<void(TEmfWriter&)>& records) {
  TEmfWriter writer(kBox, 96);
  records(writer);
  return writer.Finish();
}

// WMF records; their objects take the lowest free slot.
char* WmfCreatePalette(const std::vector<QColor>& colours, int declared = -1) {
  const auto count = static_cast<std::uint32_t>(declared >= 0 ? declared : static_cast<int>(colours.size()));
  std::vector<std::uint32_t> words{0x00F7, 0x0300, count};
  PutEntries(words, colours, true);
  return RawRecord(words, true);
}

char* WmfSelectPalette(std::uint32_t slot) {
  return RawRecord({0x0234, slot}, true);
}

char* WmfAnimatePalette(std::uint32_t start, const std::vector<QColor>& colours) {
  std::vector<std::uint32_t> words{0x0436, start, static_cast<std::uint32_t>(colours.size())};
  PutEntries(words, colours, true);
  return RawRecord(words, true);
}

char* WmfSelectObject(std::uint32_t slot) {
  return RawRecord({0x012D, slot}, true);
}

char* WmfNullPen() {
  return RawRecord({0x02FA, U_PS_NULL, 0, 0, 0, 0}, true);
}

char* WmfSolidBrush(std::uint32_t colourRef) {
  return RawRecord({0x02FC, U_BS_SOLID, colourRef & 0xFFFF, colourRef >> 16, 0}, true);
}

char* WmfRectangle(int left, int top, int right, int bottom) {
  return RawRecord({0x041B, static_cast<std::uint32_t>(bottom), static_cast<std::uint32_t>(right),
                    static_cast<std::uint32_t>(top), static_cast<std::uint32_t>(left)},
                   true);
}

// A StretchDIB of a 2x1 1-bit DIB whose table holds the palette indices (DIB_PAL_COLORS) of its left
// and right pixel, stretched over (x, 40)-(x + 40, 60).
char* WmfPaletteStretchDib(int x, std::uint32_t left, std::uint32_t right) {
  // rop, usage, source height, width, y, x, destination height, width, y, x; then the header, the two
  // indices and the one row (pixel 0 of table entry 0, pixel 1 of entry 1).
  return RawRecord({0x0F43, 0x0020, 0x00CC, U_DIB_PAL_COLORS,
                    1,      2,      0,      0,
                    20,     40,     40,     static_cast<std::uint32_t>(x),
                    40,     0,      2,      0,
                    1,      0,      1,      1,
                    0,      0,      0,      0,
                    0,      0,      0,      0,
                    2,      0,      0,      0,
                    left,   right,  0x0040, 0},
                   true);
}

QByteArray Wmf(const std::function<void(TWmfWriter&)>& records) {
  TWmfWriter writer(true, kBox, 96);
  AddWmfWindow(writer, kBox);
  records(writer);
  return writer.Finish();
}

QImage Render(const QByteArray& bytes) {
  return RenderMetafile(bytes, 100);
}

bool Near(QColor a, QColor b) {
  constexpr int kTolerance = 24;
  return std::abs(a.red() - b.red()) <= kTolerance && std::abs(a.green() - b.green()) <= kTolerance &&
         std::abs(a.blue() - b.blue()) <= kTolerance;
}

#define EXPECT_COLOUR(image, x, y, colour)                                                   \
  EXPECT_TRUE(Near((image).pixelColor(x, y), colour))                                        \
      << "at " << (x) << "," << (y) << ": " << (image).pixelColor(x, y).name().toStdString() \
      << " instead of " << QColor(colour).name().toStdString()

TEST(MetaPalette, BrushCreatedBeforeSelectPaletteDrawsWithThePaletteSelectedThen) {
  const QImage image = Render(Emf([](TEmfWriter& w) {
    w.Append(EmfCreatePalette(kPaletteA, {kBlue, kYellow}));
    // Created under the default palette, whose entry 1 is maroon; selecting the file's palette
    // afterwards makes it yellow.
    EmfFill(w, PaletteIndex(1), U_RECTL{10, 10, 40, 40});
    w.Append(EmfSelectPalette(kPaletteA));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{50, 50, 80, 80}));
  }));
  EXPECT_COLOUR(image, 25, 25, kMaroon);
  EXPECT_COLOUR(image, 65, 65, kYellow);
}

TEST(MetaPalette, ChangedEntriesChangeWhatASelectedBrushDrawsNext) {
  const QImage emf = Render(Emf([](TEmfWriter& w) {
    w.Append(EmfCreatePalette(kPaletteA, {kBlue, kYellow}));
    w.Append(EmfSelectPalette(kPaletteA));
    EmfFill(w, PaletteIndex(1), U_RECTL{10, 10, 40, 40});
    w.Append(EmfSetPaletteEntries(kPaletteA, 1, {kGreen}));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{50, 50, 80, 80}));
  }));
  EXPECT_COLOUR(emf, 25, 25, kYellow);
  EXPECT_COLOUR(emf, 65, 65, kGreen);
  // AnimatePalette changes the selected palette's entries just as well, for pens and text too.
  const QImage wmf = Render(Wmf([](TWmfWriter& w) {
    w.Append(WmfCreatePalette({kBlue, kYellow}));  // slot 0
    w.Append(WmfSelectPalette(0));
    w.Append(WmfNullPen());  // slot 1
    w.Append(WmfSelectObject(1));
    w.Append(WmfSolidBrush(PaletteIndex(0)));  // slot 2
    w.Append(WmfSelectObject(2));
    w.Append(WmfRectangle(10, 10, 40, 40));
    w.Append(WmfAnimatePalette(0, {kRed}));
    w.Append(WmfRectangle(50, 50, 80, 80));
  }));
  EXPECT_COLOUR(wmf, 25, 25, kBlue);
  EXPECT_COLOUR(wmf, 65, 65, kRed);
}

// Palette A (red) selected and a brush of its entry 0 filling (10, 10)-(40, 40); then SaveDC, palette B
// (blue) selected, the records of `meanwhile`, RestoreDC, and the brush filling (50, 50)-(80, 80).
QByteArray SavedAndRestoredPalette(const std::function<void(TEmfWriter&)>& meanwhile) {
  return Emf([&](TEmfWriter& w) {
    w.Append(EmfCreatePalette(kPaletteA, {kRed}));
    w.Append(EmfCreatePalette(kPaletteB, {kBlue}));
    w.Append(EmfSelectPalette(kPaletteA));
    EmfFill(w, PaletteIndex(0), U_RECTL{10, 10, 40, 40});
    w.Append(U_EMRSAVEDC_set());
    w.Append(EmfSelectPalette(kPaletteB));
    meanwhile(w);
    w.Append(U_EMRRESTOREDC_set(-1));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{50, 50, 80, 80}));
  });
}

TEST(MetaPalette, RestoreDcSelectsTheEarlierPaletteAgain) {
  const QImage image = Render(SavedAndRestoredPalette([](TEmfWriter& w) {
    w.Append(U_EMRRECTANGLE_set(U_RECTL{50, 10, 80, 40}));
  }));
  EXPECT_COLOUR(image, 25, 25, kRed);
  EXPECT_COLOUR(image, 65, 25, kBlue);
  EXPECT_COLOUR(image, 65, 65, kRed);
}

TEST(MetaPalette, RestoredPaletteHasTheEntriesItWasGivenMeanwhile) {
  // The saved state keeps the palette, not a copy of its entries.
  const QImage image = Render(
      SavedAndRestoredPalette([](TEmfWriter& w) { w.Append(EmfSetPaletteEntries(kPaletteA, 0, {kGreen})); }));
  EXPECT_COLOUR(image, 25, 25, kRed);
  EXPECT_COLOUR(image, 65, 65, kGreen);
}

TEST(MetaPalette, PaletteBitmapTakesThePaletteSelectedWhenItDraws) {
  const QImage image = Render(Wmf([](TWmfWriter& w) {
    w.Append(WmfCreatePalette({kBlue, kYellow}));  // slot 0
    w.Append(WmfCreatePalette({kRed, kRed}));      // slot 1
    w.Append(WmfSelectPalette(0));
    w.Append(WmfPaletteStretchDib(0, 1, 0));
    w.Append(RawRecord({0x001E}, true));  // SaveDC
    w.Append(WmfSelectPalette(1));
    w.Append(RawRecord({0x0127, 0xFFFF}, true));  // RestoreDC(-1): palette 0 again
    // Palette 0's entry 0 changed before the second bitmap draws.
    w.Append(WmfAnimatePalette(0, {kGreen}));
    w.Append(WmfPaletteStretchDib(50, 1, 0));
  }));
  EXPECT_COLOUR(image, 10, 50, kYellow);
  EXPECT_COLOUR(image, 30, 50, kBlue);
  EXPECT_COLOUR(image, 60, 50, kYellow);
  EXPECT_COLOUR(image, 80, 50, kGreen);
}

TEST(MetaPalette, RepaintUsesTheBitmapColouredAtTheFirstDrawing) {
  TMetafile metafile;
  metafile.LoadFromBytes(Wmf([](TWmfWriter& w) {
    w.Append(WmfCreatePalette({kBlue, kYellow}));
    w.Append(WmfSelectPalette(0));
    w.Append(WmfPaletteStretchDib(0, 1, 0));
  }));
  const qint64 parsed = metafile.Cost();
  const auto draw = [&metafile] {
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    metafile.Draw(painter, QRect(0, 0, 100, 100));
    return image;
  };
  const QImage first = draw();
  // The coloured 2x1 bitmap is kept with the picture: its four bytes a pixel count in its cost.
  EXPECT_GE(metafile.Cost(), parsed + 2 * 4);
  const qint64 kept = metafile.Cost();
  const QImage second = draw();
  EXPECT_EQ(metafile.Cost(), kept) << "the repaint colours nothing again";
  EXPECT_COLOUR(second, 10, 50, kYellow);
  EXPECT_COLOUR(second, 30, 50, kBlue);
  EXPECT_EQ(first, second);
}

// An 8x8 1-bit DIB whose bits are all 0, its table's entry 0 naming palette entry `index`.
TDibBytes PaletteIndexPattern(std::uint16_t index) {
  TDibBytes dib;
  dib.width = dib.height = 8;
  dib.info = QByteArray(48, '\0');  // the header, and room for two RGBQUADs the writer may count
  auto* header = reinterpret_cast<uchar*>(dib.info.data());
  qToLittleEndian<quint32>(40, header);
  qToLittleEndian<qint32>(8, header + 4);
  qToLittleEndian<qint32>(8, header + 8);
  qToLittleEndian<quint16>(1, header + 12);
  qToLittleEndian<quint16>(1, header + 14);
  qToLittleEndian<quint32>(2, header + 32);
  qToLittleEndian<quint16>(index, header + 40);
  dib.bits = QByteArray(8 * 4, '\0');
  return dib;
}

TEST(MetaPalette, PatternBrushOfPaletteColoursTakesEntriesChangedAfterIt) {
  TDibBytes pattern = PaletteIndexPattern(1);
  const QImage image = Render(Emf([&](TEmfWriter& w) {
    w.Append(EmfCreatePalette(kPaletteA, {kBlue, kYellow}));
    w.Append(EmfSelectPalette(kPaletteA));
    w.Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
    std::uint32_t brush = 0;
    w.Append(createdibpatternbrushpt_set(&brush, w.Handles(), U_DIB_PAL_COLORS,
                                         reinterpret_cast<U_BITMAPINFO*>(pattern.info.data()),
                                         static_cast<uint32_t>(pattern.bits.size()), pattern.bits.data()));
    w.Append(selectobject_set(brush, w.Handles()));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{10, 10, 40, 40}));
    w.Append(EmfSetPaletteEntries(kPaletteA, 1, {kRed}));
    w.Append(U_EMRRECTANGLE_set(U_RECTL{50, 50, 80, 80}));
  }));
  EXPECT_COLOUR(image, 25, 25, kYellow);
  EXPECT_COLOUR(image, 65, 65, kRed);
}

// A 2x1 1-bit DIB of palette colours: its left pixel names palette entry `left`, its right one `right`.
TDibBytes PaletteIndexDib(std::uint16_t left, std::uint16_t right) {
  TDibBytes dib = PaletteIndexPattern(left);
  dib.width = 2, dib.height = 1;
  auto* header = reinterpret_cast<uchar*>(dib.info.data());
  qToLittleEndian<qint32>(2, header + 4);
  qToLittleEndian<qint32>(1, header + 8);
  qToLittleEndian<quint16>(right, header + 42);
  dib.bits = QByteArray("\x40\0\0\0", 4);  // pixel 0 of table entry 0, pixel 1 of entry 1
  return dib;
}

U_BITMAPINFO* InfoOf(TDibBytes& dib) {
  return reinterpret_cast<U_BITMAPINFO*>(dib.info.data());
}

TEST(MetaPalette, PaletteBitmapsArePreparedForTheirOperationsWhenTheyDraw) {
  // Palette A: black, white, red. It is selected again by RestoreDC, after palette B (all blue).
  TDibBytes redWhite = PaletteIndexDib(2, 1), redBlack = PaletteIndexDib(2, 0);
  const U_XFORM identity{1, 0, 0, 1, 0, 0};
  const QImage image = Render(Emf([&](TEmfWriter& w) {
    w.Append(EmfCreatePalette(kPaletteA, {QColor(0, 0, 0), kWhite, kRed}));
    w.Append(EmfCreatePalette(kPaletteB, {kBlue, kBlue, kBlue}));
    w.Append(EmfSelectPalette(kPaletteA));
    w.Append(U_EMRSAVEDC_set());
    w.Append(EmfSelectPalette(kPaletteB));
    w.Append(U_EMRRESTOREDC_set(-1));
    EmfFill(w, Entry(kGreen), U_RECTL{0, 0, 100, 30});
    // SRCAND: red ANDs the green ground to black, white leaves it.
    w.Append(U_EMRSTRETCHDIBITS_set(U_RECTL{}, U_POINTL{10, 10}, U_POINTL{40, 20}, U_POINTL{0, 0},
                                    U_POINTL{2, 1}, U_DIB_PAL_COLORS, kRopSrcAnd, InfoOf(redWhite),
                                    static_cast<uint32_t>(redWhite.bits.size()), redWhite.bits.data()));
    // TransparentBlt leaves out the palette's red.
    w.Append(U_EMRTRANSPARENTBLT_set(U_RECTL{}, U_POINTL{10, 40}, U_POINTL{40, 20}, U_POINTL{0, 0},
                                     U_POINTL{2, 1}, identity, U_COLORREF{}, U_DIB_PAL_COLORS, Entry(kRed),
                                     InfoOf(redBlack), static_cast<uint32_t>(redBlack.bits.size()),
                                     redBlack.bits.data()));
    // PlgBlt onto a parallelogram (here a rectangle).
    U_POINTL corners[3] = {{10, 70}, {50, 70}, {10, 90}};
    w.Append(U_EMRPLGBLT_set(U_RECTL{}, corners, U_POINTL{0, 0}, U_POINTL{2, 1}, identity, U_COLORREF{},
                             U_DIB_PAL_COLORS, U_POINTL{0, 0}, U_DIB_RGB_COLORS, InfoOf(redBlack),
                             static_cast<uint32_t>(redBlack.bits.size()), redBlack.bits.data(), nullptr, 0,
                             nullptr));
  }));
  EXPECT_COLOUR(image, 20, 20, QColor(0, 0, 0));
  EXPECT_COLOUR(image, 40, 20, kGreen);
  EXPECT_COLOUR(image, 20, 50, kWhite);
  EXPECT_COLOUR(image, 40, 50, QColor(0, 0, 0));
  EXPECT_COLOUR(image, 20, 80, kRed);
  EXPECT_COLOUR(image, 40, 80, QColor(0, 0, 0));
}

TEST(MetaPalette, HostilePalettesStayBoundedAndDrawTheirFallbacks) {
  const QImage image = Render(Emf([](TEmfWriter& w) {
    // Claims 65535 entries and holds two.
    w.Append(EmfCreatePalette(kPaletteA, {kBlue, kYellow}, 0xFFFF));
    w.Append(EmfSelectPalette(kPaletteA));
    // An index beyond the palette takes its entry 0.
    EmfFill(w, PaletteIndex(500), U_RECTL{0, 0, 20, 20});
    // Deleting the selected palette leaves it in use.
    w.Append(U_EMRDELETEOBJECT_set(kPaletteA));
    EmfFill(w, PaletteIndex(1), U_RECTL{25, 0, 45, 20});
    // Entries from beyond the palette's end change nothing; a huge resize keeps at most its bound.
    w.Append(EmfSetPaletteEntries(kPaletteA, 0x7FFFFFFF, {kRed}));
    w.Append(RawRecord({U_EMR_RESIZEPALETTE, kPaletteA, 0xFFFFFFFF}, false));
    w.Append(EmfCreatePalette(kPaletteB, {kGreen}));
    w.Append(EmfSelectPalette(kPaletteB));
    w.Append(RawRecord({U_EMR_RESIZEPALETTE, kPaletteB, 0}, false));
    // Resized to nothing: the default palette's colours, whose entry 13 is red.
    EmfFill(w, PaletteIndex(13), U_RECTL{50, 0, 70, 20});
    // Selecting a slot beyond the table or the stock palette selects the default palette.
    w.Append(EmfSelectPalette(0x7FFFFFFF));
    EmfFill(w, PaletteIndex(16), U_RECTL{75, 0, 95, 20});
  }));
  EXPECT_COLOUR(image, 10, 10, kBlue);
  EXPECT_COLOUR(image, 35, 10, kYellow);
  EXPECT_COLOUR(image, 60, 10, kRed);
  EXPECT_COLOUR(image, 85, 10, kBlue);
  EXPECT_COLOUR(image, 50, 50, kWhite);
}

TEST(MetaPalette, PaletteBudgetBoundsEachPaletteAndAllTogether) {
  TMetaPaletteBudget budget;
  const std::vector<QRgb> entries(5000, qRgb(1, 2, 3));
  TMetaPaletteRef palette = budget.Make(entries.data(), static_cast<std::int64_t>(entries.size()));
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->size(), static_cast<std::size_t>(TMetaPaletteBudget::kMaxEntries));
  budget.Resize(*palette, 1 << 30);
  EXPECT_EQ(palette->size(), static_cast<std::size_t>(TMetaPaletteBudget::kMaxEntries));
  budget.Resize(*palette, -5);
  EXPECT_TRUE(palette->empty());
  // Palettes made one after another run out of room at the budget.
  int made = 1;
  while (budget.Make(entries.data(), TMetaPaletteBudget::kMaxEntries) != nullptr) ++made;
  EXPECT_EQ(made, TMetaPaletteBudget::kMaxTotalEntries / TMetaPaletteBudget::kMaxEntries);
  EXPECT_EQ(budget.Make(entries.data(), 0)->size(), 0u) << "an empty palette costs nothing";
}

TEST(MetaPalette, ColourReferencesResolveAgainstThePalette) {
  const TMetaPaletteEntries palette{qRgb(10, 20, 30), qRgb(40, 50, 60)};
  EXPECT_EQ(ResolveMetaColour(&palette, PaletteIndex(1)), 0x3C3228u);
  EXPECT_EQ(ResolveMetaColour(&palette, PaletteIndex(9)), 0x1E140Au) << "beyond the palette: entry 0";
  EXPECT_EQ(ResolveMetaColour(nullptr, PaletteIndex(13)), 0x0000FFu) << "the default palette's red";
  EXPECT_EQ(ResolveMetaColour(&palette, 0x00123456u), 0x00123456u);
  EXPECT_EQ(ResolveMetaColour(&palette, 0x02123456u), 0x00123456u)
      << "a PALETTERGB reference keeps its colour";
}

}  // namespace
