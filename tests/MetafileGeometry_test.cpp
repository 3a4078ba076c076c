#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "metafile/Metafile.h"
#include "metafile/model/MetaPlayList.h"

// World transforms, curves and paths of enhanced metafiles, checked by the pixels they draw.

namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

QImage Render(const QByteArray& bytes) {
  return RenderMetafile(bytes, 100, kWhite);
}

bool IsRed(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  return c.red() > 200 && c.green() < 80 && c.blue() < 80;
}

bool IsWhite(const QImage& image, int x, int y) {
  return image.pixelColor(x, y) == kWhite;
}

// A 100 x 100 EMF at 96 dpi with a red brush and a red two-unit pen selected.
class TRedEmf {
 public:
  TRedEmf() : writer_({0, 0, 100, 100}, 96) {
    uint32_t pen = 0, brush = 0;
    writer_.Append(createpen_set(&pen, writer_.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{2, 0}, Red()}));
    writer_.Append(selectobject_set(pen, writer_.Handles()));
    writer_.Append(createbrushindirect_set(&brush, writer_.Handles(), U_LOGBRUSH{U_BS_SOLID, Red(), 0}));
    writer_.Append(selectobject_set(brush, writer_.Handles()));
  }
  TEmfWriter& operator*() { return writer_; }
  TEmfWriter* operator->() { return &writer_; }
  void Lines(std::vector<U_POINTL> points) {
    writer_.Append(U_EMRMOVETOEX_set(points.front()));
    points.erase(points.begin());
    writer_.Append(
        U_EMRPOLYLINETO_set(U_RECTL{0, 0, 100, 100}, static_cast<uint32_t>(points.size()), points.data()));
  }
  static U_COLORREF Red() { return U_COLORREF{255, 0, 0, 0}; }

 private:
  TEmfWriter writer_;
};

constexpr U_RECTL kAll{0, 0, 100, 100};

// ExtSelectClipRgn with no region data, which resets the clipping; libuemf cannot write it.
char* EmptyClipRegionCopy() {
  const uint32_t words[4] = {U_EMR_EXTSELECTCLIPRGN, 16, 0, U_RGN_COPY};
  char* record = static_cast<char*>(std::malloc(sizeof words));
  std::memcpy(record, words, sizeof words);
  return record;
}

}  // namespace

TEST(MetafileGeometry, WorldTransformScalesAndMovesShapes) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  emf->Append(U_EMRSETWORLDTRANSFORM_set(U_XFORM{0.5f, 0, 0, 0.5f, 10, 10}));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 100, 100}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 15, 15));
  EXPECT_TRUE(IsRed(image, 55, 55));
  EXPECT_TRUE(IsWhite(image, 5, 5));
  EXPECT_TRUE(IsWhite(image, 65, 65));
}

TEST(MetafileGeometry, ModifyWorldTransformComposesAndResets) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  emf->Append(U_EMRSETWORLDTRANSFORM_set(U_XFORM{1, 0, 0, 1, 50, 0}));
  // Left multiplication scales first, so the translation stays 50 units.
  emf->Append(U_EMRMODIFYWORLDTRANSFORM_set(U_XFORM{0.5f, 0, 0, 0.5f, 0, 0}, U_MWT_LEFTMULTIPLY));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 40, 40}));  // 50..70 x 0..20
  emf->Append(U_EMRMODIFYWORLDTRANSFORM_set(U_XFORM{1, 0, 0, 1, 0, 0}, U_MWT_IDENTITY));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 60, 20, 80}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 60, 10));
  EXPECT_TRUE(IsWhite(image, 75, 10));
  EXPECT_TRUE(IsWhite(image, 45, 10));
  EXPECT_TRUE(IsRed(image, 10, 70));
}

TEST(MetafileGeometry, UnusableWorldTransformsAreIgnored) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  emf->Append(U_EMRSETWORLDTRANSFORM_set(U_XFORM{nan, 0, 0, 1, 0, 0}));
  emf->Append(U_EMRSETWORLDTRANSFORM_set(U_XFORM{0, 0, 0, 0, 0, 0}));  // singular
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{20, 20, 80, 80}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 50, 50));
  EXPECT_TRUE(IsRed(image, 25, 75));
}

TEST(MetafileGeometry, FillPathFillsTheRecordedFigureWithoutItsPen) {
  TRedEmf emf;
  emf->Append(U_EMRBEGINPATH_set());
  emf.Lines({{10, 10}, {90, 10}, {90, 90}});
  emf->Append(U_EMRCLOSEFIGURE_set());
  emf->Append(U_EMRENDPATH_set());
  emf->Append(U_EMRFILLPATH_set(kAll));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 80, 30));    // inside the triangle
  EXPECT_TRUE(IsWhite(image, 20, 80));  // the other half of the square
}

TEST(MetafileGeometry, ShapesInsideAPathDrawOnlyWhenThePathIsDrawn) {
  TRedEmf emf;
  emf->Append(U_EMRBEGINPATH_set());
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{10, 10, 40, 40}));
  emf->Append(U_EMRENDPATH_set());
  emf->Append(U_EMRABORTPATH_set());  // discarded: never drawn
  emf->Append(U_EMRBEGINPATH_set());
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{50, 50, 90, 90}));
  emf->Append(U_EMRENDPATH_set());
  emf->Append(U_EMRSTROKEPATH_set(kAll));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsWhite(image, 25, 25));
  EXPECT_TRUE(IsRed(image, 50, 70));    // the outline
  EXPECT_TRUE(IsWhite(image, 70, 70));  // stroked only: the inside stays empty
}

TEST(MetafileGeometry, PolyBezierToStartsAtAndMovesTheCurrentPosition) {
  TRedEmf emf;
  emf->Append(U_EMRMOVETOEX_set(U_POINTL{10, 50}));
  // A curve bulging upwards from 10,50 to 90,50, its top near y 20; then a line back down.
  const U_POINT16 curve[3] = {{30, 10}, {70, 10}, {90, 50}};
  emf->Append(U_EMRPOLYBEZIERTO16_set(kAll, 3, curve));
  emf->Append(U_EMRLINETO_set(U_POINTL{90, 95}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 50, 20));
  EXPECT_TRUE(IsWhite(image, 50, 50));  // a curve, not a chord
  EXPECT_TRUE(IsRed(image, 90, 80));    // the line starts where the curve ended
  EXPECT_TRUE(IsWhite(image, 10, 80));
}

TEST(MetafileGeometry, StrokeAndFillPathCombinesBezierAndLineFigures) {
  TRedEmf emf;
  emf->Append(U_EMRBEGINPATH_set());
  emf->Append(U_EMRMOVETOEX_set(U_POINTL{10, 90}));
  emf->Append(U_EMRLINETO_set(U_POINTL{90, 90}));
  const U_POINT16 curve[3] = {{90, 10}, {10, 10}, {10, 90}};
  emf->Append(U_EMRPOLYBEZIERTO16_set(kAll, 3, curve));
  emf->Append(U_EMRENDPATH_set());
  emf->Append(U_EMRSTROKEANDFILLPATH_set(kAll));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 50, 60));
  EXPECT_TRUE(IsWhite(image, 5, 5));
  EXPECT_TRUE(IsWhite(image, 50, 5));
}

TEST(MetafileGeometry, ClipRectanglesNarrowAndRestoreDCWidensAgain) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  emf->Append(U_EMRSAVEDC_set());
  emf->Append(U_EMRINTERSECTCLIPRECT_set(U_RECTL{0, 0, 50, 100}));
  emf->Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{0, 0, 50, 20}));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 100, 50}));
  emf->Append(U_EMRRESTOREDC_set(-1));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{60, 70, 90, 90}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 25, 35));
  EXPECT_TRUE(IsWhite(image, 25, 10));  // excluded
  EXPECT_TRUE(IsWhite(image, 75, 35));  // outside the intersected rectangle
  EXPECT_TRUE(IsRed(image, 75, 80));    // drawn after the restore, unclipped
}

TEST(MetafileGeometry, SelectClipPathKeepsDrawingInsideThePath) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  emf->Append(U_EMRBEGINPATH_set());
  emf->Append(U_EMRELLIPSE_set(U_RECTL{0, 0, 100, 100}));
  emf->Append(U_EMRENDPATH_set());
  emf->Append(U_EMRSELECTCLIPPATH_set(U_RGN_COPY));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 100, 100}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 50, 50));
  EXPECT_TRUE(IsWhite(image, 4, 4));  // a corner outside the circle
  EXPECT_TRUE(IsWhite(image, 95, 95));
}

TEST(MetafileGeometry, RegionClipAndItsResetByAnEmptyCopy) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  const U_RECTL rects[2] = {{0, 0, 30, 30}, {70, 70, 100, 100}};
  U_RGNDATA* region = rgndata_set(rgndataheader_set(2, U_RECTL{0, 0, 100, 100}), const_cast<U_RECTL*>(rects));
  emf->Append(U_EMREXTSELECTCLIPRGN_set(U_RGN_COPY, region));
  std::free(region);
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 100, 50}));
  emf->Append(EmptyClipRegionCopy());
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{40, 60, 60, 100}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 15, 15));
  EXPECT_TRUE(IsWhite(image, 50, 40));  // between the region's rectangles
  EXPECT_TRUE(IsWhite(image, 85, 15));
  EXPECT_TRUE(IsRed(image, 50, 80));  // outside the region, drawn after the reset
}

TEST(MetafileGeometry, PieFillsItsSectorAndArcDrawsOnlyItsCurve) {
  TRedEmf emf;
  // From the ray to the right round anticlockwise to the ray upwards: the top right quarter.
  emf->Append(U_EMRPIE_set(U_RECTL{10, 10, 90, 90}, U_POINTL{100, 50}, U_POINTL{50, 0}));
  // The same quarter drawn clockwise is the other three quarters; as an arc only the curve.
  emf->Append(U_EMRSETARCDIRECTION_set(U_AD_CLOCKWISE));
  emf->Append(U_EMRARC_set(U_RECTL{10, 10, 90, 90}, U_POINTL{100, 50}, U_POINTL{50, 0}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 65, 35));
  EXPECT_TRUE(IsWhite(image, 35, 65));  // the arc does not fill
  EXPECT_TRUE(IsRed(image, 50, 89));    // the arc's bottom
  EXPECT_TRUE(IsWhite(image, 80, 20));  // outside the circle
}

TEST(MetafileGeometry, EmfDeclaredMetresLargeKeepsItsAspectAtABoundedSize) {
  TEmfWriter writer({0, 0, 100, 130}, 1);  // 100 x 130 inches
  writer.Append(U_EMRSELECTOBJECT_set(U_BLACK_BRUSH));
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 50, 65}));
  TMetafile metafile;
  metafile.LoadFromBytes(writer.Finish());
  const std::int64_t width = metafile.Width(), height = metafile.Height();
  EXPECT_LE(width * height, kMaxMetafilePixels);
  EXPECT_GT(width, 1000);
  EXPECT_NEAR(static_cast<double>(height) / static_cast<double>(width), 1.3, 0.01);
}

TEST(MetafileGeometry, ThousandsOfClipRecordsStillDrawWhatTheyLeaveVisible) {
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  // Exclusions in the right half only; past the clip budget the later ones are dropped.
  for (int i = 0; i < 5000; ++i)
    emf->Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{60 + i % 30, i % 90, 62 + i % 30, i % 90 + 2}));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 100, 100}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 20, 50));
  EXPECT_TRUE(IsWhite(image, 61, 1));  // the first exclusion holds
}

TEST(MetafileGeometry, ClipRegionMillionsOfUnitsTallStillClipsWhatIsVisible) {
  // Only the visible part of such a region reaches the rasteriser; its edges on the device must stay.
  TRedEmf emf;
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  emf->Append(U_EMRINTERSECTCLIPRECT_set(U_RECTL{-30'000'000, 40, 30, 30'000'000}));
  emf->Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{10, 60, 20, 70}));
  emf->Append(U_EMRRECTANGLE_set(U_RECTL{0, 0, 100, 100}));
  const QImage image = Render(emf->Finish());
  EXPECT_TRUE(IsRed(image, 5, 80));
  EXPECT_TRUE(IsRed(image, 25, 45));
  EXPECT_TRUE(IsWhite(image, 15, 65));  // excluded
  EXPECT_TRUE(IsWhite(image, 5, 30));   // above the region
  EXPECT_TRUE(IsWhite(image, 50, 80));  // right of it
}

// A picture 20 pixels wide at its natural size, drawn five times larger: where GDI lights the pixel
// right of and below a one-pixel line, and leaves out a rectangle's right and bottom edge.
TEST(MetafileGeometry, OnePixelOutlinesCoverThePixelsGdiLights) {
  TEmfWriter writer({0, 0, 20, 20}, 96);
  uint32_t pen = 0;
  writer.Append(createpen_set(&pen, writer.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{1, 0}, TRedEmf::Red()}));
  writer.Append(selectobject_set(pen, writer.Handles()));
  writer.Append(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{10, 2}));
  writer.Append(U_EMRLINETO_set(U_POINTL{10, 8}));
  writer.Append(U_EMRRECTANGLE_set(U_RECTL{0, 10, 20, 20}));
  const QImage image = Render(writer.Finish());
  // The line at x = 10 covers the natural pixel [10, 11): 50 to 54 here.
  EXPECT_TRUE(IsRed(image, 50, 25));
  EXPECT_TRUE(IsRed(image, 54, 25));
  EXPECT_TRUE(IsWhite(image, 48, 25));
  EXPECT_TRUE(IsWhite(image, 56, 25));
  // The rectangle's outline runs through its first and last pixels: columns 0 and 19, rows 10 and 19.
  EXPECT_TRUE(IsRed(image, 0, 75));
  EXPECT_TRUE(IsRed(image, 4, 75));
  EXPECT_TRUE(IsRed(image, 95, 75));
  EXPECT_TRUE(IsWhite(image, 93, 75));
  EXPECT_TRUE(IsRed(image, 50, 54));
  EXPECT_TRUE(IsRed(image, 50, 95));
  EXPECT_TRUE(IsWhite(image, 50, 57));
  EXPECT_TRUE(IsWhite(image, 50, 93));
}

// A drawing recorded on a 48 dpi device: its one-pixel lines are a pixel of that device wide, two
// screen pixels, as the recording device lit them.
TEST(MetafileGeometry, OnePixelLinesAreAPixelOfACoarseRecordingDevice) {
  TEmfWriter writer({0, 0, 20, 20}, 48);
  uint32_t pen = 0;
  writer.Append(createpen_set(&pen, writer.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{0, 0}, TRedEmf::Red()}));
  writer.Append(selectobject_set(pen, writer.Handles()));
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{10, 2}));
  writer.Append(U_EMRLINETO_set(U_POINTL{10, 18}));
  const QImage image = Render(writer.Finish());
  // Device pixel [10, 11) of 20: 50 to 54 here.
  EXPECT_TRUE(IsRed(image, 50, 50));
  EXPECT_TRUE(IsRed(image, 54, 50));
  EXPECT_TRUE(IsWhite(image, 48, 50));
  EXPECT_TRUE(IsWhite(image, 56, 50));
}

// Wider pens stay centred on their geometry, as other viewers draw them.
TEST(MetafileGeometry, WidePensStayCentredOnTheirLine) {
  TEmfWriter writer({0, 0, 20, 20}, 96);
  uint32_t pen = 0;
  writer.Append(createpen_set(&pen, writer.Handles(), U_LOGPEN{U_PS_SOLID, U_POINT{4, 0}, TRedEmf::Red()}));
  writer.Append(selectobject_set(pen, writer.Handles()));
  writer.Append(U_EMRMOVETOEX_set(U_POINTL{10, 2}));
  writer.Append(U_EMRLINETO_set(U_POINTL{10, 18}));
  const QImage image = Render(writer.Finish());
  // Four natural pixels wide around x = 10: 40 to 59 here.
  EXPECT_TRUE(IsRed(image, 41, 50));
  EXPECT_TRUE(IsRed(image, 58, 50));
  EXPECT_TRUE(IsWhite(image, 38, 50));
  EXPECT_TRUE(IsWhite(image, 61, 50));
}

namespace {

char* RegionRecord(uint32_t mode, const U_RECTL& rect) {
  U_RGNDATA* region = rgndata_set(rgndataheader_set(1, rect), const_cast<U_RECTL*>(&rect));
  char* record = U_EMREXTSELECTCLIPRGN_set(mode, region);
  std::free(region);
  return record;
}

// Two exclusions in a row, the second of which waits to be cut with any that follow it.
void AddTwoHoles(TRedEmf& emf) {
  emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  emf->Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{10, 10, 30, 30}));
  emf->Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{50, 10, 70, 30}));
}

}  // namespace

TEST(MetafileGeometry, ExcludedRectanglesAreCutBeforeTheClipMovesOrIsReplaced) {
  {
    TRedEmf emf;
    emf->Append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
    emf->Append(U_EMRINTERSECTCLIPRECT_set(U_RECTL{0, 0, 60, 100}));
    emf->Append(U_EMREXCLUDECLIPRECT_set(U_RECTL{10, 10, 30, 30}));
    emf->Append(U_EMROFFSETCLIPRGN_set(U_POINTL{40, 0}));
    emf->Append(U_EMRRECTANGLE_set(kAll));
    const QImage image = Render(emf->Finish());
    EXPECT_TRUE(IsWhite(image, 60, 20));  // the hole moved with the region
    EXPECT_TRUE(IsRed(image, 45, 20));
    EXPECT_TRUE(IsRed(image, 80, 50));
    EXPECT_TRUE(IsWhite(image, 20, 50));  // left of the moved region
  }
  {
    TRedEmf emf;
    AddTwoHoles(emf);
    emf->Append(RegionRecord(U_RGN_OR, U_RECTL{0, 0, 100, 40}));  // the union fills both holes again
    emf->Append(U_EMRRECTANGLE_set(kAll));
    const QImage image = Render(emf->Finish());
    EXPECT_TRUE(IsRed(image, 20, 20));
    EXPECT_TRUE(IsRed(image, 60, 20));
  }
  {
    TRedEmf emf;
    AddTwoHoles(emf);
    emf->Append(RegionRecord(U_RGN_COPY, U_RECTL{0, 0, 100, 100}));  // a new region without holes
    emf->Append(U_EMRRECTANGLE_set(kAll));
    const QImage image = Render(emf->Finish());
    EXPECT_TRUE(IsRed(image, 20, 20));
    EXPECT_TRUE(IsRed(image, 60, 20));
  }
  {
    TRedEmf emf;
    AddTwoHoles(emf);
    emf->Append(U_EMRRECTANGLE_set(kAll));
    const QImage image = Render(emf->Finish());
    EXPECT_TRUE(IsWhite(image, 20, 20));
    EXPECT_TRUE(IsWhite(image, 60, 20));
    EXPECT_TRUE(IsRed(image, 40, 20));
  }
}
