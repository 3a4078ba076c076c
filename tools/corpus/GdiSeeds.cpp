#include "GdiSeeds.h"

#include <cstdlib>
#include <cstring>

#include "EmfWriter.h"
#include "WmfWriter.h"

namespace {

constexpr U_COLORREF kBlack{0, 0, 0, 0};
constexpr U_COLORREF kRed{255, 0, 0, 0};
constexpr U_COLORREF kBlue{0, 0, 255, 0};

char* ExtPen(uint32_t* handle, EMFHANDLES* handles, uint32_t style, uint32_t width,
             std::vector<uint32_t> dashes) {
  PU_EXTLOGPEN logPen =
      extlogpen_set(style, width, U_BS_SOLID, kBlue, 0, static_cast<uint32_t>(dashes.size()),
                    dashes.empty() ? nullptr : dashes.data());
  char* record = extcreatepen_set(handle, handles, nullptr, 0, nullptr, logPen);
  free(logPen);
  return record;
}

// An EMR_POLYDRAW padded to whole words (libuemf's own leaves it unpadded).
char* PolyDraw(const std::vector<U_POINTL>& points, const std::vector<uint8_t>& types) {
  const auto count = static_cast<uint32_t>(points.size());
  const uint32_t size = (28 + 9 * count + 3) / 4 * 4;
  char* record = static_cast<char*>(calloc(size, 1));
  const uint32_t head[7] = {U_EMR_POLYDRAW, size, 0, 0, 300, 300, count};
  std::memcpy(record, head, sizeof head);
  std::memcpy(record + 28, points.data(), 8 * count);
  std::memcpy(record + 28 + 8 * count, types.data(), count);
  return record;
}

QByteArray PensEmf() {
  TEmfWriter writer({0, 0, 300, 300}, 96);
  EMFHANDLES* handles = writer.Handles();
  uint32_t dashed = 0, geometric = 0, user = 0, hatch = 0, solid = 0;
  writer.Append(createpen_set(&dashed, handles, U_LOGPEN{U_PS_DASHDOT, U_POINT{0, 0}, kBlack}));
  writer.Append(selectobject_set(dashed, handles));
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{10, 10}));
  writer.Append(U_EMRLINETO_set(U_POINTL{290, 10}));
  writer.Append(
      ExtPen(&geometric, handles, U_PS_GEOMETRIC | U_PS_DASH | U_PS_ENDCAP_SQUARE | U_PS_JOIN_MITER, 6, {}));
  writer.Append(selectobject_set(geometric, handles));
  writer.Append(U_EMRANGLEARC_set(U_POINTL{150, 150}, 60, 30.0f, 240.0f));
  writer.Append(ExtPen(&user, handles, U_PS_COSMETIC | U_PS_USERSTYLE, 1, {4, 2, 1, 2}));
  writer.Append(selectobject_set(user, handles));
  writer.Append(
      PolyDraw({{20, 200}, {60, 180}, {80, 240}, {120, 200}, {150, 260}},
               {U_PT_MOVETO, U_PT_LINETO, U_PT_BEZIERTO, U_PT_BEZIERTO, U_PT_BEZIERTO | U_PT_CLOSEFIGURE}));
  writer.Append(U_EMRSETBKMODE_set(U_OPAQUE));
  writer.Append(U_EMRSETBKCOLOR_set(kRed));
  writer.Append(createbrushindirect_set(&hatch, handles, U_LOGBRUSH{U_BS_HATCHED, kBlue, U_HS_DIAGCROSS}));
  writer.Append(selectobject_set(hatch, handles));
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{200, 200, 290, 290}));
  writer.Append(U_EMRSETROP2_set(U_R2_XORPEN));
  writer.Append(U_EMRELLIPSE_set(U_RECTL{180, 180, 260, 260}));
  writer.Append(U_EMRSETROP2_set(U_R2_MASKPEN));
  writer.Append(U_EMRSETPIXELV_set(U_POINTL{5, 5}, kRed));
  writer.Append(U_EMRSETROP2_set(U_R2_COPYPEN));
  writer.Append(U_EMRBEGINPATH_set());
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{30, 40}));
  writer.Append(U_EMRLINETO_set(U_POINTL{120, 90}));
  writer.Append(U_EMRENDPATH_set());
  writer.Append(U_EMRWIDENPATH_set());
  writer.Append(U_EMRFLATTENPATH_set());
  writer.Append(U_EMRFILLPATH_set(U_RECTL{0, 0, 300, 300}));
  U_TRIVERTEX vertices[3] = {
      {10, 100, 0xFF00, 0, 0, 0}, {100, 140, 0, 0, 0xFF00, 0}, {10, 140, 0, 0xFF00, 0, 0}};
  const uint32_t rect[2] = {0, 1}, triangle[3] = {0, 1, 2};
  writer.Append(
      U_EMRGRADIENTFILL_set(U_RECTL{10, 100, 100, 140}, 2, 1, U_GRADIENT_FILL_RECT_V, vertices, rect));
  writer.Append(
      U_EMRGRADIENTFILL_set(U_RECTL{10, 100, 100, 140}, 3, 1, U_GRADIENT_FILL_TRIANGLE, vertices, triangle));
  writer.Append(createbrushindirect_set(&solid, handles, U_LOGBRUSH{U_BS_SOLID, kRed, 0}));
  U_RECTL rects[2] = {{150, 20, 200, 60}, {210, 40, 280, 90}};
  PU_RGNDATA region = rgndata_set(rgndataheader_set(2, U_RECTL{150, 20, 280, 90}), rects);
  writer.Append(U_EMRFILLRGN_set(U_RECTL{150, 20, 280, 90}, solid, region));
  writer.Append(U_EMRFRAMERGN_set(U_RECTL{150, 20, 280, 90}, solid, U_SIZEL{3, 3}, region));
  writer.Append(U_EMRPAINTRGN_set(region));
  writer.Append(U_EMRINVERTRGN_set(region));
  free(region);
  return writer.Finish();
}

// A META_CREATEREGION record of the scans (count, top, bottom, left/right pairs, count), written whole
// here: libuemf's U_REGION_set reads beyond the scans it is given.
char* CreateRegion(const std::vector<uint16_t>& scans, uint16_t scanCount, const U_RECT16& bounds) {
  std::vector<uint16_t> words = {0,
                                 0,
                                 0x06FF,
                                 0,
                                 6,
                                 0,
                                 static_cast<uint16_t>(20 + 2 * scans.size()),
                                 scanCount,
                                 4,
                                 static_cast<uint16_t>(bounds.left),
                                 static_cast<uint16_t>(bounds.top),
                                 static_cast<uint16_t>(bounds.right),
                                 static_cast<uint16_t>(bounds.bottom)};
  words.insert(words.end(), scans.begin(), scans.end());
  words[0] = static_cast<uint16_t>(words.size());
  char* record = static_cast<char*>(malloc(2 * words.size()));
  std::memcpy(record, words.data(), 2 * words.size());
  return record;
}

QByteArray RegionsWmf() {
  TWmfWriter writer(true, {0, 0, 300, 300}, 96);
  writer.Append(CreateRegion({2, 10, 60, 10, 120, 2, 4, 60, 100, 10, 40, 80, 120, 4}, 2,
                             U_RECT16{10, 10, 120, 100}));                                        // slot 0
  writer.Append(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH{U_BS_HATCHED, kBlue, U_HS_FDIAGONAL}));  // slot 1
  writer.Append(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_DOT, 1, kBlack)));                      // slot 2
  writer.Append(U_WMRFILLREGION_set(0, 1));
  writer.Append(U_WMRFRAMEREGION_set(0, 1, 2, 2));
  writer.Append(U_WMRSETROP2_set(U_R2_NOTXORPEN));
  writer.Append(U_WMRINVERTREGION_set(0));
  writer.Append(U_WMRPAINTREGION_set(0));
  writer.Append(U_WMRSETROP2_set(U_R2_COPYPEN));
  writer.Append(U_WMRSAVEDC_set());
  writer.Append(U_WMRSELECTCLIPREGION_set(0));
  writer.Append(U_WMRSELECTOBJECT_set(2));
  writer.Append(U_WMRSETPIXEL_set(kRed, U_POINT16{50, 50}));
  writer.Append(U_WMRELLIPSE_set(U_RECT16{0, 0, 200, 200}));
  writer.Append(U_WMRRESTOREDC_set(-1));
  writer.Append(U_WMRSELECTOBJECT_set(0));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{100, 100, 290, 290}));
  return writer.Finish();
}

// Palettes created, changed, selected and saved, and colours and bitmaps that name their entries.
QByteArray PalettesWmf() {
  TWmfWriter writer(true, {0, 0, 300, 300}, 96);
  // Files store an entry as red, green, blue and flags; libuemf's struct names those bytes the other
  // way round, so they are given here in the order they are stored.
  U_PLTNTRY entries[3] = {{255, 0, 0, 0}, {0, 0, 255, 0}, {0, 0, 0, 0}};
  U_PALETTE* palette = U_PLTENTRY_set(0x0300, 3, entries);
  writer.Append(U_WMRCREATEPALETTE_set(palette));  // slot 0
  writer.Append(U_WMRSELECTPALETTE_set(0));
  writer.Append(U_WMRREALIZEPALETTE_set());
  free(palette);
  palette = U_PLTENTRY_set(1, 2, entries);
  writer.Append(U_WMRSETPALENTRIES_set(palette));
  writer.Append(U_WMRANIMATEPALETTE_set(palette));
  free(palette);
  writer.Append(U_WMRRESIZEPALETTE_set(8));
  writer.Append(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH{U_BS_SOLID, U_COLORREF{2, 0, 0, 1}, 0}));  // slot 1
  writer.Append(U_WMRSELECTOBJECT_set(1));
  writer.Append(U_WMRSETTEXTCOLOR_set(U_COLORREF{7, 0, 0, 1}));
  writer.Append(U_WMRRECTANGLE_set(U_RECT16{10, 10, 150, 150}));
  writer.Append(U_WMRDELETEOBJECT_set(0));
  writer.Append(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH{U_BS_SOLID, U_COLORREF{1, 0, 0, 1}, 0}));  // slot 0
  writer.Append(U_WMRSELECTOBJECT_set(0));
  writer.Append(U_WMRELLIPSE_set(U_RECT16{100, 100, 290, 290}));
  // A palette selected inside a saved state, and a bitmap whose table holds palette indices
  // (DIB_PAL_COLORS) drawn after the state is restored.
  palette = U_PLTENTRY_set(0x0300, 3, entries);
  writer.Append(U_WMRCREATEPALETTE_set(palette));  // slot 2
  free(palette);
  writer.Append(U_WMRSAVEDC_set());
  writer.Append(U_WMRSELECTPALETTE_set(2));
  writer.Append(U_WMRRESTOREDC_set(-1));
  struct {
    U_BITMAPINFOHEADER header;
    uint16_t indices[4];  // two indices, and room for the table libuemf counts in RGBQUADs
  } info{{40, 2, 1, 1, 1, U_BI_RGB, 0, 0, 0, 2, 0}, {1, 0, 0, 0}};
  const char bits[4] = {0x40, 0, 0, 0};
  writer.Append(U_WMRSTRETCHDIB_set(U_POINT16{10, 200}, U_POINT16{80, 40}, U_POINT16{0, 0}, U_POINT16{2, 1},
                                    U_DIB_PAL_COLORS, U_SRCCOPY, reinterpret_cast<const U_BITMAPINFO*>(&info),
                                    sizeof bits, bits));
  return writer.Finish();
}

}  // namespace

std::vector<TCorpusFile> GdiSeeds() {
  return {{"pens.emf", PensEmf()}, {"regions.wmf", RegionsWmf()}, {"palettes.wmf", PalettesWmf()}};
}
