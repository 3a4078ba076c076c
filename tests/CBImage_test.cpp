#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <climits>

#include "BmpHeader.h"
#include "CBImage.h"
#include "bitmap/RasterGraphic.h"
#include "jpeg/JpegImage.h"

namespace {
constexpr QRgb kParentRgb = 0x2840C8;
constexpr QRgb kGreen = 0x00C000;
constexpr TColor kYellow = 0x0000FFFF;  // 0x00BBGGRR
constexpr QRgb kYellowRgb = 0xFFFF00;
constexpr QRgb kRedRgb = 0xFF0000;
constexpr int kTileX = 10, kTileY = 10;

// A board stand-in that counts the presses reaching it.
class Board : public QWidget {
 public:
  int presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

QImage Solid(int w, int h, QRgb rgb) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(rgb);
  return image;
}

class CBImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    QPalette palette = board.palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(kParentRgb));
    board.setPalette(palette);
    board.setAutoFillBackground(true);
    board.resize(120, 120);
    tile = new TCBImage(&board);
    tile->setGeometry(kTileX, kTileY, 95, 95);
  }

  QString Save(const QString& name, const QImage& image, const char* format) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  void ShowBoard() {
    board.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&board));
  }
  // What is on the screen now, without asking anybody to paint.
  QImage Screen() { return board.screen()->grabWindow(board.winId()).toImage(); }
  // The screen after a platform repaint of the whole board.
  QImage Repainted() {
    if (!board.isVisible()) ShowBoard();
    board.repaint();
    return Screen();
  }
  static QRgb At(const QImage& image, int x, int y) { return image.pixel(kTileX + x, kTileY + y) & 0xFFFFFF; }

  QTemporaryDir dir;
  Board board;
  TCBImage* tile = nullptr;
};
}  // namespace

TEST_F(CBImageTest, StartsWindowlessWithTheInitialValues) {
  TCBImage fresh;
  EXPECT_EQ(fresh.size(), QSize(105, 105));
  EXPECT_EQ(fresh.PictureRect(), TRect{});
  ShowBoard();
  EXPECT_FALSE(tile->testAttribute(Qt::WA_NativeWindow));
  EXPECT_EQ(tile->internalWinId(), 0u);
  EXPECT_FALSE(tile->testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_EQ(tile->CheckColor(), clRed);
  EXPECT_EQ(tile->EmptyLabel(), QStringLiteral("Empty"));
  EXPECT_EQ(tile->BevelWidth(), 1);
  EXPECT_EQ(tile->JPEGCompressionQuality(), 0);
  EXPECT_EQ(tile->Picture().Graphic(), nullptr);
  EXPECT_TRUE(tile->ParentColor());
  EXPECT_EQ(tile->Color(), 0xC84028u);
  tile->SetColor(kYellow);
  EXPECT_FALSE(tile->ParentColor());
  EXPECT_EQ(tile->Color(), kYellow);
  tile->setProperty("JPEGCompressionQuality", QVariant::fromValue<std::uint8_t>(0));
  EXPECT_EQ(tile->property("EmptyLabel").toString(), QStringLiteral("Empty"));
  EXPECT_EQ(tile->property("JPEGScale").value<TJPEGScale>(), TJPEGScale::jsFullSize);
}

TEST_F(CBImageTest, StretchedPictureLeavesTheBottomStripInColor) {
  tile->SetColor(kYellow);
  tile->SetStretchRatio(true);
  ShowBoard();
  tile->LoadImage(Save(QStringLiteral("wide.bmp"), Solid(640, 480, kGreen), "BMP"));
  EXPECT_EQ(tile->PictureRect(), (TRect{0, 0, 95, 71}));
  for (const QImage& image : {Screen(), Repainted()}) {
    EXPECT_EQ(At(image, 0, 0), kGreen);
    EXPECT_EQ(At(image, 94, 70), kGreen);
    EXPECT_EQ(At(image, 0, 71), kYellowRgb);
    EXPECT_EQ(At(image, 94, 94), kYellowRgb);
    EXPECT_EQ(At(image, 95, 50), kParentRgb);
  }
}

TEST_F(CBImageTest, FramedAndCentredPictureSitsInsideTheBevel) {
  tile->SetColor(kYellow);
  tile->SetStretchRatio(true);
  tile->SetCenterView(true);
  tile->SetShowFrame3D(true);
  tile->LoadImage(Save(QStringLiteral("wide.bmp"), Solid(640, 480, kGreen), "bmp"));
  EXPECT_EQ(tile->PictureRect(), (TRect{1, 13, 94, 82}));
  const QImage image = Repainted();
  const QRgb light = ToQColor(clBtnHighlight).rgb() & 0xFFFFFF;
  const QRgb dark = ToQColor(clBtnShadow).rgb() & 0xFFFFFF;
  EXPECT_EQ(At(image, 0, 0), light);
  EXPECT_EQ(At(image, 0, 93), light);
  EXPECT_EQ(At(image, 93, 0), light);
  EXPECT_EQ(At(image, 94, 0), dark);
  EXPECT_EQ(At(image, 0, 94), dark);
  EXPECT_EQ(At(image, 94, 94), dark);
  EXPECT_EQ(At(image, 1, 12), kYellowRgb);
  EXPECT_EQ(At(image, 1, 13), kGreen);
  EXPECT_EQ(At(image, 93, 81), kGreen);
  EXPECT_EQ(At(image, 93, 82), kYellowRgb);
  EXPECT_EQ(At(image, 50, 93), kYellowRgb);
}

TEST_F(CBImageTest, SmallPictureIsNotEnlargedAndCentres) {
  tile->SetColor(kYellow);
  tile->SetStretchRatio(true);
  tile->SetCenterView(true);
  tile->LoadImage(Save(QStringLiteral("small.bmp"), Solid(50, 40, kGreen), "bmp"));
  EXPECT_EQ(tile->PictureRect(), (TRect{22, 27, 72, 67}));
  const QImage image = Repainted();
  EXPECT_EQ(At(image, 21, 30), kYellowRgb);
  EXPECT_EQ(At(image, 22, 27), kGreen);
  EXPECT_EQ(At(image, 71, 66), kGreen);
  EXPECT_EQ(At(image, 72, 66), kYellowRgb);
}

TEST_F(CBImageTest, NaturalSizePictureLargerThanTheTileKeepsItsPixels) {
  tile->SetColor(kYellow);
  tile->LoadImage(Save(QStringLiteral("big.bmp"), Solid(200, 60, kGreen), "bmp"));
  EXPECT_EQ(tile->PictureRect(), (TRect{0, 0, 200, 60}));
  const QImage image = Repainted();
  EXPECT_EQ(At(image, 94, 59), kGreen);
  EXPECT_EQ(At(image, 94, 60), kYellowRgb);
  EXPECT_EQ(At(image, 96, 10), kParentRgb);  // clipped to the tile's bounds
}

TEST_F(CBImageTest, CheckedOnAnEmptyTileFillsAtOnceButNotOnALaterRepaint) {
  ShowBoard();
  tile->SetChecked(true);
  const QImage now = Screen();
  EXPECT_EQ(At(now, 0, 0), kRedRgb);
  EXPECT_EQ(At(now, 94, 94), kRedRgb);
  EXPECT_EQ(At(now, 95, 94), kParentRgb);
  EXPECT_EQ(At(Repainted(), 47, 47), kParentRgb);
}

TEST_F(CBImageTest, CheckedRepaintsOnlyTheMargins) {
  tile->SetStretchRatio(true);
  tile->SetColor(kYellow);
  ShowBoard();
  tile->LoadImage(Save(QStringLiteral("wide.bmp"), Solid(640, 480, kGreen), "bmp"));
  tile->SetChecked(true);
  QImage image = Screen();
  EXPECT_EQ(At(image, 40, 40), kGreen);
  EXPECT_EQ(At(image, 40, 80), kRedRgb);
  tile->SetChecked(false);
  image = Screen();
  EXPECT_EQ(At(image, 40, 80), kYellowRgb);
  EXPECT_EQ(At(image, 40, 40), kGreen);
}

TEST_F(CBImageTest, LosingThePictureShowsEmptyAtOnce) {
  ShowBoard();
  for (const QString& lost :
       {dir.filePath(QStringLiteral("missing.bmp")), Write(QStringLiteral("broken.bmp"), QByteArray(64, 'x')),
        Write(QStringLiteral("unknown.gif"), QByteArray(64, 'x'))}) {
    tile->LoadImage(Save(QStringLiteral("wide.bmp"), Solid(640, 480, kGreen), "bmp"));
    ASSERT_EQ(At(Screen(), 40, 40), kGreen);
    tile->LoadImage(lost);
    EXPECT_EQ(tile->Picture().Graphic(), nullptr);
    const QImage now = Screen();
    EXPECT_EQ(At(now, 40, 40), kParentRgb) << lost.toStdString();
    EXPECT_EQ(At(now, 0, 0), kParentRgb) << lost.toStdString();
    EXPECT_EQ(now, Repainted()) << lost.toStdString();
  }
}

TEST_F(CBImageTest, LosingThePictureShowsFrameAndEmptyLabelAtOnceButNoFill) {
  tile->SetShowFrame3D(true);
  tile->SetShowEmptyLabel(true);
  ShowBoard();
  // An earlier fill of the whole tile by the check colour does not come back either.
  tile->SetChecked(true);
  tile->SetChecked(false);
  tile->LoadImage(Save(QStringLiteral("wide.bmp"), Solid(640, 480, kGreen), "bmp"));
  tile->LoadImage(dir.filePath(QStringLiteral("missing.bmp")));
  const QImage now = Screen();
  EXPECT_EQ(At(now, 0, 0), ToQColor(clBtnHighlight).rgb() & 0xFFFFFF);
  EXPECT_EQ(At(now, 94, 94), ToQColor(clBtnShadow).rgb() & 0xFFFFFF);
  EXPECT_EQ(At(now, 3, 3), kParentRgb);
  const QFontMetrics metrics(QApplication::font());
  const int x = (95 - metrics.horizontalAdvance(QStringLiteral("Empty"))) / 2;
  const int y = (95 - metrics.height()) / 2;
  // The label stands on the surface's last fill colour, the parent's from the last margins.
  EXPECT_EQ(At(now, x, y), kParentRgb);
  int dark = 0;
  for (int yy = y; yy < y + metrics.height(); ++yy)
    for (int xx = x; xx < x + metrics.horizontalAdvance(QStringLiteral("Empty")); ++xx)
      dark += qGray(At(now, xx, yy)) < 100;
  EXPECT_GT(dark, 5) << "the empty label is drawn";
  EXPECT_EQ(now, Repainted());
}

TEST_F(CBImageTest, CaptionSitsBevelWidthAboveTheBottomAndShrinksTheFreeArea) {
  tile->SetStretchRatio(true);
  tile->SetColor(kYellow);
  tile->SetCaption(QStringLiteral("Hola"));
  tile->LoadImage(Save(QStringLiteral("tall.bmp"), Solid(480, 640, kGreen), "bmp"));
  const int textHeight = QFontMetrics(QApplication::font()).height();
  ASSERT_LT(textHeight, 40);
  // The free area is 95 x (95 - text height): too tall and too wide, the height decides.
  const int freeHeight = 95 - textHeight;
  EXPECT_EQ(tile->PictureRect().Bottom, freeHeight);
  EXPECT_EQ(tile->PictureRect().Right, static_cast<int>(static_cast<long double>(freeHeight) / 126 * 95));
  const QImage image = Repainted();
  int dark = 0;
  for (int y = 95 - 1 - textHeight; y < 94; ++y)
    for (int x = 0; x < 95; ++x) dark += qGray(At(image, x, y)) < 100;
  EXPECT_GT(dark, 5);
  for (int x = 0; x < 95; ++x) ASSERT_EQ(At(image, x, 94), kYellowRgb) << x;
}

TEST_F(CBImageTest, TheDrawAreaIsTheFreeAreaThePaintFitsThePictureInto) {
  tile->SetStretchRatio(true);
  tile->SetShowFrame3D(true);
  tile->SetBevelWidth(2);
  tile->SetCaption(QStringLiteral("Hola"));
  tile->LoadImage(Save(QStringLiteral("wide.bmp"), Solid(640, 480, kGreen), "bmp"));
  const int textHeight = QFontMetrics(QApplication::font()).height();
  const TDrawArea area = tile->DrawArea();
  EXPECT_TRUE(area.reduce);
  EXPECT_EQ(area.width, 95 - 2 * 2);
  EXPECT_EQ(area.height, 95 - 2 * 2 - textHeight);
  EXPECT_EQ(area.ratio, tile->devicePixelRatioF());
  const TRect fitted = FitPictureRect(area.width, area.height, 640, 480);
  EXPECT_EQ(tile->PictureRect().Width(), fitted.Width());
  EXPECT_EQ(tile->PictureRect().Height(), fitted.Height());
  // Only a picture shrunk at full DCT scale may be decoded smaller for the area.
  tile->SetJPEGScale(TJPEGScale::jsHalf);
  EXPECT_EQ(tile->DrawArea(), TDrawArea{});
  tile->SetJPEGScale(TJPEGScale::jsFullSize);
  tile->SetStretchRatio(false);
  EXPECT_EQ(tile->DrawArea(), TDrawArea{});
}

TEST_F(CBImageTest, CaptionChangesPaintAtOnceOnlyBetweenNonEmptyTexts) {
  tile->SetCaption(QStringLiteral("Uno"));
  ShowBoard();
  const QImage before = tile->Surface();
  tile->SetCaption(QStringLiteral("Dos dos dos"));
  EXPECT_NE(tile->Surface(), before);
  const QImage painted = tile->Surface();
  tile->SetCaption(QString());
  EXPECT_EQ(tile->Surface(), painted);
}

TEST_F(CBImageTest, EmptyLabelIsCentredOverTheSurfacesFillColour) {
  tile->SetShowEmptyLabel(true);
  QImage image = Repainted();
  const QFontMetrics metrics(QApplication::font());
  const int x = (95 - metrics.horizontalAdvance(QStringLiteral("Empty"))) / 2;
  const int y = (95 - metrics.height()) / 2;
  EXPECT_EQ(At(image, x, y), 0xFFFFFFu);
  EXPECT_EQ(At(image, x - 1, y), kParentRgb);
  // PaintMargins leaves its fill colour on the surface, and the label is drawn over it from then on.
  tile->SetChecked(true);
  image = Repainted();
  EXPECT_EQ(At(image, x, y), kRedRgb);
  EXPECT_EQ(At(image, 2, 2), kParentRgb);
}

TEST_F(CBImageTest, IconLoadsByItsCapitalExtensionWithTransparency) {
  QImage icon(32, 32, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter(&icon).fillRect(0, 0, 16, 32, QColor::fromRgb(kGreen));
  tile->LoadImage(Save(QStringLiteral("face.ICO"), icon, "ico"));
  ASSERT_NE(tile->Picture().Graphic(), nullptr);
  EXPECT_EQ(tile->Picture().Width(), 32);
  const QImage image = Repainted();
  EXPECT_EQ(At(image, 5, 5), kGreen);
  EXPECT_EQ(At(image, 20, 5), kParentRgb);
}

TEST_F(CBImageTest, BrokenAndUnacceptedNamesGiveAnEmptyTileWithoutError) {
  const QByteArray bmp = [&] {
    QFile file(Save(QStringLiteral("good.bmp"), Solid(64, 64, kGreen), "bmp"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }();
  QImage face(32, 32, QImage::Format_ARGB32);
  face.fill(Qt::red);
  const QByteArray ico = [&] {
    QFile file(Save(QStringLiteral("good.ico"), face, "ico"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }();
  QByteArray wrongMagic = bmp;
  wrongMagic[0] = 'X';
  QByteArray gif = QByteArray::fromHex(
      "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");
  QDir(dir.path()).mkdir(QStringLiteral("folder.bmp"));
  const QStringList names = {
      Write(QStringLiteral("truncated.bmp"), bmp.left(60)),
      Write(QStringLiteral("header-only.bmp"), bmp.left(20)),
      Write(QStringLiteral("magic.bmp"), wrongMagic),
      Write(QStringLiteral("huge.bmp"), BmpHeader(65535, 65535)),
      Write(QStringLiteral("minheight.bmp"), BmpHeader(16, INT_MIN)),
      Write(QStringLiteral("zero.bmp"), BmpHeader(0, 16)),
      Write(QStringLiteral("empty.ico"), QByteArray()),
      Write(QStringLiteral("garbage.ico"), QByteArray(100, '\x7f')),
      Write(QStringLiteral("truncated.ico"), ico.left(ico.size() / 2)),
      Write(QStringLiteral("directory-only.ico"), ico.left(22)),
      Write(QStringLiteral("picture.gif"), gif),
      Write(QStringLiteral("gif-inside.bmp"), gif),
      Write(QStringLiteral("noextension"), bmp),
      dir.filePath(QStringLiteral("folder.bmp")),
      dir.filePath(QStringLiteral("missing.bmp")),
      dir.filePath(QStringLiteral("*.bmp")),
      dir.filePath(QStringLiteral("goo?.bmp")),
      QString(),
  };
  const QString good = dir.filePath(QStringLiteral("good.bmp"));
  for (const QString& name : names) {
    tile->LoadImage(good);
    ASSERT_NE(tile->Picture().Graphic(), nullptr);
    EXPECT_NO_THROW(tile->LoadImage(name)) << name.toStdString();
    EXPECT_EQ(tile->Picture().Graphic(), nullptr) << name.toStdString();
  }
}

TEST_F(CBImageTest, AnUnreadableFilePropagatesAndKeepsThePicture) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
  tile->LoadImage(Save(QStringLiteral("good.bmp"), Solid(64, 64, kGreen), "bmp"));
  const QString locked = Save(QStringLiteral("locked.bmp"), Solid(8, 8, kGreen), "bmp");
  QFile::setPermissions(locked, QFileDevice::Permissions());
  EXPECT_THROW(tile->LoadImage(locked), EFOpenError);
  EXPECT_EQ(tile->Picture().Width(), 64);
}

TEST_F(CBImageTest, ImageNameOfAMissingFileClearsAndReadsBackEmpty) {
  const QString good = Save(QStringLiteral("good.bmp"), Solid(64, 64, kGreen), "bmp");
  tile->SetImageName(good);
  EXPECT_EQ(tile->ImageName(), good);
  EXPECT_EQ(tile->Picture().Width(), 64);
  tile->SetImageName(dir.filePath(QStringLiteral("missing.bmp")));
  EXPECT_EQ(tile->ImageName(), QString());
  EXPECT_EQ(tile->Picture().Graphic(), nullptr);
  EXPECT_EQ(tile->PictureRect(), TRect{});
  // A pattern matches the file, so it stays, but LoadImage does not take it.
  const QString pattern = dir.filePath(QStringLiteral("g*.bmp"));
  tile->SetImageName(pattern);
  EXPECT_EQ(tile->ImageName(), pattern);
  EXPECT_EQ(tile->Picture().Graphic(), nullptr);
}

TEST_F(CBImageTest, OnlyALeftClickInsideFiresClicked) {
  ShowBoard();
  QSignalSpy spy(tile, &TCBImage::clicked);
  QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(40, 40));
  EXPECT_EQ(spy.count(), 1);
  QTest::mouseClick(tile, Qt::RightButton, {}, QPoint(40, 40));
  QTest::mouseClick(tile, Qt::MiddleButton, {}, QPoint(40, 40));
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(board.presses, 0);
  QTest::mousePress(tile, Qt::LeftButton, {}, QPoint(40, 40));
  QTest::mouseRelease(tile, Qt::LeftButton, {}, QPoint(150, 40));
  EXPECT_EQ(spy.count(), 1);
  QTest::mouseClick(&board, Qt::RightButton, {}, QPoint(110, 110));
  EXPECT_EQ(board.presses, 1);
}

TEST_F(CBImageTest, JpegGetsTheTilesOptionsOnlyAtLoad) {
  const QString path = Save(QStringLiteral("BASE.JPG"), Solid(64, 48, kGreen), "jpg");
  tile->SetJPEGScale(TJPEGScale::jsHalf);
  tile->SetJPEGGrayscale(true);
  tile->LoadImage(path);
  ASSERT_TRUE(tile->Picture().IsJPEG());
  auto* jpeg = dynamic_cast<TJPEGImage*>(tile->Picture().Graphic());
  EXPECT_EQ(jpeg->Scale(), TJPEGScale::jsHalf);
  EXPECT_TRUE(jpeg->Grayscale());
  EXPECT_EQ(tile->PictureRect(), (TRect{0, 0, 32, 24}));
  tile->SetJPEGScale(TJPEGScale::jsFullSize);
  EXPECT_EQ(jpeg->Scale(), TJPEGScale::jsHalf);
  EXPECT_EQ(tile->PictureRect(), (TRect{0, 0, 32, 24}));
  const QImage image = Repainted();
  const QRgb shown = At(image, 10, 10);
  EXPECT_EQ(qRed(shown), qGreen(shown));
  EXPECT_EQ(At(image, 40, 10), kParentRgb);
}

TEST_F(CBImageTest, AJpegThatFailsToDecodeThrowsOutOfLoadImageNotOutOfPaint) {
  QImage picture = Solid(64, 64, kGreen);
  QImageWriter writer(dir.filePath(QStringLiteral("progressive.jpg")), "jpg");
  writer.setProgressiveScanWrite(true);
  ASSERT_TRUE(writer.write(picture));
  QFile file(writer.fileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QByteArray bytes = file.readAll();
  // A second scan starting past coefficient 63 is a fatal error, but only once decoding reaches it.
  const qsizetype first = bytes.indexOf("\xFF\xDA");
  const qsizetype second = bytes.indexOf("\xFF\xDA", first + 2);
  ASSERT_GT(second, 0);
  const int components = static_cast<uchar>(bytes[second + 4]);
  bytes[second + 5 + 2 * components] = '\x50';
  const QString broken = Write(QStringLiteral("broken.jpg"), bytes);
  ShowBoard();
  EXPECT_THROW(tile->LoadImage(broken), EJPEG);
  EXPECT_NO_THROW(Repainted());
  EXPECT_NO_THROW(tile->LoadImage(QString()));
}
