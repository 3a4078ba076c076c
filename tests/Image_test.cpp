#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTemporaryDir>

#include "Image.h"
#include "Picture.h"
#include "jpeg/JpegImage.h"
#include "metafile/Metafile.h"

namespace {
// The picture drawn at its own size over the component's background, as the window shows it.
QImage Expected(TGraphic& graphic, const QColor& background) {
  QImage image(graphic.Width(), graphic.Height(), QImage::Format_RGB32);
  image.fill(background);
  QPainter painter(&image);
  graphic.Draw(painter, QRect(0, 0, graphic.Width(), graphic.Height()));
  return image;
}

QImage Shown(TImage& component) {
  return component.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
}  // namespace

TEST(Image, ShowsTheJpegBannerAtItsOwnSizeAtTheLeftOrCentred) {
  TImage component;
  component.resize(400, 150);
  ASSERT_TRUE(component.LoadPicture(QStringLiteral(":/zum/banner.jpg")));
  EXPECT_EQ(component.PictureSize(), QSize(255, 108));
  TJPEGImage banner;
  banner.LoadFromFile(QStringLiteral(":/zum/banner.jpg"));
  const QColor background = component.palette().color(component.backgroundRole());
  const QImage expected = Expected(banner, background);

  EXPECT_EQ(Shown(component).copy(0, 0, 255, 108), expected);
  component.SetCenter(true);
  const QImage centred = Shown(component);
  EXPECT_EQ(centred.copy((400 - 255) / 2, 0, 255, 108), expected);
  EXPECT_EQ(centred.pixelColor(0, 0), background);
  EXPECT_EQ(centred.pixelColor(399, 0), background);
}

TEST(Image, ShowsTheStopSignMetafileOverTheWindowsColour) {
  TImage component;
  ASSERT_TRUE(component.LoadPicture(QStringLiteral(":/zum/stop.wmf")));
  TMetafile sign;
  sign.LoadFromFile(QStringLiteral(":/zum/stop.wmf"));
  ASSERT_EQ(component.PictureSize(), QSize(sign.Width(), sign.Height()));
  component.resize(component.PictureSize());
  EXPECT_EQ(Shown(component), Expected(sign, component.palette().color(component.backgroundRole())));
}

TEST(Image, APictureThatCannotLoadShowsNothing) {
  TImage component;
  component.resize(60, 40);
  ASSERT_TRUE(component.LoadPicture(QStringLiteral(":/zum/banner.jpg")));
  QTemporaryDir dir;
  const QString notAMetafile = dir.filePath(QStringLiteral("banner.wmf"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(":/zum/banner.jpg"), notAMetafile));
  // An unknown kind, a missing file and content that is no picture of its kind.
  for (const QString& path :
       {QStringLiteral(":/zum/banner.gif"), QStringLiteral(":/zum/missing.jpg"), notAMetafile}) {
    EXPECT_FALSE(component.LoadPicture(path)) << path.toStdString();
    EXPECT_EQ(component.PictureSize(), QSize()) << path.toStdString();
    QImage blank(60, 40, QImage::Format_RGB32);
    blank.fill(component.palette().color(component.backgroundRole()));
    EXPECT_EQ(Shown(component), blank) << path.toStdString();
  }
}
