// Text records with ETO_PDY: each character's advance comes with a displacement up the font's vertical.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"
#include "metafile/Metafile.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
constexpr int kTaUpdateCp = 1, kTaRight = 2, kTaBaseline = 24;
constexpr QPoint kStart(40, 100);

TMetaText RedText(std::string letters, QPoint at, int align) {
  TMetaText text;
  text.text = std::move(letters);
  text.at = at;
  text.colour = kRed;
  text.align = align;
  return text;
}

// A placeable WMF and an EMF, both 200 units square, that move to kStart and write the texts: text
// aligned with TA_UPDATECP starts where the position is.
std::vector<QByteArray> BothForms(const std::vector<TMetaText>& texts) {
  const TMetaBox box{0, 0, 200, 200};
  TWmfWriter wmf(true, box, 96);
  wmf.Append(U_WMRMOVETO_set(U_POINT16{static_cast<int16_t>(kStart.x()), static_cast<int16_t>(kStart.y())}));
  TEmfWriter emf(box, 96);
  emf.Append(U_EMRMOVETOEX_set(U_POINTL{kStart.x(), kStart.y()}));
  for (const TMetaText& text : texts) {
    wmf.AddText(text);
    emf.AddText(text);
  }
  return {wmf.Finish(), emf.Finish()};
}

QImage Render(const QByteArray& bytes) {
  return RenderMetafile(bytes, 200, kWhite);
}

// The bounding box of the red pixels within the columns from left to right; empty when there are none.
QRect RedInk(const QImage& image, int left, int right) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = left; x < right; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 140) box = box.united(QRect(x, y, 1, 1));
    }
  return box;
}

TEST(MetaTextDisplacement, EachDisplacementLiftsTheCharactersAfterIt) {
  // "HHH" on a baseline at y 100, 40 units apart: the first displacement lifts the second and third
  // characters by 30 units, the second takes the third back down by 10.
  TMetaText text = RedText("HHH", kStart, kTaBaseline);
  text.dx = {40, 40, 40};
  text.dy = {30, -10, 0};
  for (const QByteArray& bytes : BothForms({text})) {
    const QImage image = Render(bytes);
    const QRect first = RedInk(image, 30, 75), second = RedInk(image, 75, 115),
                third = RedInk(image, 115, 160);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    ASSERT_FALSE(third.isEmpty());
    EXPECT_NEAR(first.bottom(), 99, 1);
    EXPECT_NEAR(second.bottom(), 69, 1);
    EXPECT_NEAR(third.bottom(), 79, 1);
    EXPECT_NEAR(second.left() - first.left(), 40, 1);
  }
}

TEST(MetaTextDisplacement, TheCurrentPositionFollowsTheDisplacements) {
  // Under TA_UPDATECP the run starts at the position and leaves it past its last character, lifted by
  // all its displacements: the next run starts 40 units higher.
  TMetaText lifted = RedText("HH", {0, 0}, kTaUpdateCp | kTaBaseline);
  lifted.dx = {40, 40};
  lifted.dy = {0, 40};
  const TMetaText next = RedText("H", {0, 0}, kTaUpdateCp | kTaBaseline);
  for (const QByteArray& bytes : BothForms({lifted, next})) {
    const QImage image = Render(bytes);
    const QRect first = RedInk(image, 30, 115), after = RedInk(image, 115, 160);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(after.isEmpty());
    EXPECT_NEAR(first.bottom(), 99, 1);  // both characters of the run on the baseline
    EXPECT_LT(first.height(), 20);
    EXPECT_NEAR(after.left(), 121, 2);
    EXPECT_NEAR(after.bottom(), 59, 1);
  }
}

TEST(MetaTextDisplacement, RightAlignedTextEndsAtTheReferenceWithAllItsTravel) {
  // Right-aligned, the run is moved back by its whole travel: its last character's origin lands
  // 40 units left of and 20 units below the reference, where the lifts bring it back up.
  TMetaText text = RedText("HH", {160, 100}, kTaRight | kTaBaseline);
  text.dx = {40, 40};
  text.dy = {20, 20};
  for (const QByteArray& bytes : BothForms({text})) {
    const QImage image = Render(bytes);
    const QRect first = RedInk(image, 60, 115), second = RedInk(image, 115, 160);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NEAR(first.bottom(), 139, 1);
    EXPECT_NEAR(second.bottom(), 119, 1);
    EXPECT_NEAR(second.left(), 121, 2);
  }
}

}  // namespace
