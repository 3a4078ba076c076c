// Pictures prepared ahead for the tiles: the click's work, the pixels it shows, its errors and stale files.
#include "PreparedPictures.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <typeinfo>

#include "BmpHeader.h"
#include "CBImage.h"
#include "DecodeAhead.h"
#include "EmfWriter.h"
#include "OffscreenGame.h"
#include "WmfWriter.h"
#include "bitmap/RasterGraphic.h"
#include "jpeg/JpegCache.h"
#include "metafile/Metafile.h"

namespace {

constexpr TMetaBox kBox{0, 0, 200, 150};

// Shapes, outlines, hatching and text: what most faces are made of.
TMetaDrawing Drawing(const QColor& fill) {
  TMetaDrawing drawing;
  drawing.box = kBox;
  TMetaShape ground;
  ground.kind = TMetaShape::EKind::Ellipse;
  ground.box = {10, 10, 190, 140};
  ground.brushColour = fill;
  ground.penWidth = 3;
  drawing.shapes.push_back(ground);
  TMetaShape star;
  star.kind = TMetaShape::EKind::Polygon;
  star.points = {{100, 20}, {120, 120}, {30, 60}, {170, 60}, {80, 120}};
  star.brushColour = QColor(250, 220, 0);
  star.hatch = 2;
  drawing.shapes.push_back(star);
  TMetaText text;
  text.at = {40, 100};
  text.text = "Zum";
  text.height = -30;
  text.colour = QColor(0, 0, 160);
  drawing.texts.push_back(text);
  return drawing;
}

// A blue square, then a red one crossing it drawn in XOR: its pixels depend on what lies under it.
QByteArray XorPicture() {
  TEmfWriter writer(kBox, 96);
  TMetaShape square;
  square.kind = TMetaShape::EKind::Rectangle;
  square.box = {0, 0, 120, 120};
  square.nullPen = true;
  square.brushColour = QColor(0, 0, 255);
  writer.AddShape(square);
  writer.Append(U_EMRSETROP2_set(U_R2_XORPEN));
  square.box = {60, 30, 200, 150};
  square.brushColour = QColor(255, 0, 0);
  writer.AddShape(square);
  return writer.Finish();
}

// A tile as the game's, or one that centres its picture.
void SetUpTile(TCBImage& tile, bool centred = true) {
  tile.resize(95, 95);
  tile.SetStretchRatio(true);
  tile.SetCenterView(centred);
}

// How two surfaces differ: the pixels that do, and the largest difference of one channel.
struct TDifference {
  int pixels = 0;
  int channel = 0;
};

TDifference Compare(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  TDifference difference;
  if (x.size() != y.size()) return {x.width() * x.height(), 255};
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      if (p == q) continue;
      ++difference.pixels;
      difference.channel =
          std::max({difference.channel, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
  return difference;
}

class PreparedPicturesTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
  }
  // The pictures requested as a deal requests them, the workers left to finish.
  void PrepareAhead(const QStringList& paths, const TCBImage& tile) {
    std::vector<TDecodeRequest> requests;
    for (const QString& path : paths) requests.push_back({path, {}, tile.DrawArea(), tile.Ground()});
    TDecodeAhead ahead(jpegs, &store);
    ahead.Request(requests);
    ahead.WaitUntilIdle();
  }
  // The picture turned in a plain tile and in one served from the store, both over the card back.
  TDifference TurnBothWays(const QString& path, bool centred) {
    TCBImage plain, prepared;
    for (TCBImage* tile : {&plain, &prepared}) {
      SetUpTile(*tile, centred);
      tile->LoadImage(cardBack);
    }
    prepared.SetPreparedPictures(&store);
    PrepareAhead({path}, prepared);
    const int made = store.Preparations();
    plain.LoadImage(path);
    prepared.LoadImage(path);
    EXPECT_EQ(store.Preparations(), made) << "the click prepared it again";
    EXPECT_FALSE(prepared.Picture().Graphic()->Drawn().IsNull()) << "no drawn image came with it";
    EXPECT_EQ(prepared.PictureRect(), plain.PictureRect());
    return Compare(plain.Surface(), prepared.Surface());
  }

  QTemporaryDir dir;
  const QString cardBack = QStringLiteral(ZUM_APP_DIR "/f/base.jpg");
  TJpegCache jpegs;
  TPreparedPictures store;
};

TEST_F(PreparedPicturesTest, APairsTwoTilesShareOneParsingAndTheClickParsesNothing) {
  const QString path = Write(QStringLiteral("face.emf"), WriteEmf(Drawing(Qt::green)));
  TCBImage first, second;
  for (TCBImage* tile : {&first, &second}) {
    SetUpTile(*tile);
    tile->SetPreparedPictures(&store);
  }
  PrepareAhead({path}, first);
  EXPECT_EQ(store.Preparations(), 1);
  first.LoadImage(path);
  second.LoadImage(path);
  EXPECT_EQ(store.Preparations(), 1);
  const auto* a = dynamic_cast<const TMetafile*>(first.Picture().Graphic());
  const auto* b = dynamic_cast<const TMetafile*>(second.Picture().Graphic());
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_TRUE(a->SharesRecordsWith(*b));
  EXPECT_EQ(first.Picture().Width(), 200);

  // A bitmap's two tiles hold the same decoded pixels, not copies.
  QImage pixels(40, 30, QImage::Format_RGB32);
  pixels.fill(QColor(10, 120, 200));
  const QString bmp = dir.filePath(QStringLiteral("face.bmp"));
  ASSERT_TRUE(pixels.save(bmp, "BMP"));
  first.LoadImage(bmp);
  second.LoadImage(bmp);
  EXPECT_EQ(store.Preparations(), 2);
  const auto* x = dynamic_cast<const TRasterGraphic*>(first.Picture().Graphic());
  const auto* y = dynamic_cast<const TRasterGraphic*>(second.Picture().Graphic());
  ASSERT_TRUE(x && y);
  EXPECT_EQ(x->Image().constBits(), y->Image().constBits());
}

TEST_F(PreparedPicturesTest, TheSampleFacesShowWhatADirectDrawShows) {
  const QDir faces(QStringLiteral(ZUM_APP_DIR "/f"));
  const QStringList names = faces.entryList({"*.bmp", "*.ico", "*.wmf", "*.emf"}, QDir::Files, QDir::Name);
  ASSERT_GE(names.size(), 8);
  for (const QString& name : names)
    for (const bool centred : {false, true}) {
      SCOPED_TRACE(name.toStdString() + (centred ? " centred" : ""));
      // Drawn over the card back ahead, it is copied: the very pixels.
      EXPECT_EQ(TurnBothWays(faces.filePath(name), centred).pixels, 0);
    }
}

TEST_F(PreparedPicturesTest, WriterMadeMetafilesShowWhatADirectDrawShows) {
  const QString emf = Write(QStringLiteral("drawing.emf"), WriteEmf(Drawing(QColor(200, 60, 60, 255))));
  const QString wmf = Write(QStringLiteral("drawing.wmf"), WriteWmf(Drawing(QColor(60, 60, 200)), true));
  const QString plain = Write(QStringLiteral("plain.wmf"), WriteWmf(Drawing(QColor(60, 200, 60)), false));
  for (const QString& path : {emf, wmf, plain}) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_EQ(TurnBothWays(path, false).pixels, 0);
    // On another ground the picture drawn apart on transparent ground is laid over, which may round
    // antialiased edges differently.
    TCBImage direct, laid;
    for (TCBImage* tile : {&direct, &laid}) {
      SetUpTile(*tile, false);
      tile->LoadImage(QStringLiteral(ZUM_APP_DIR "/f/c09-zanahoria.bmp"));
    }
    laid.SetPreparedPictures(&store);
    direct.LoadImage(path);
    laid.LoadImage(path);
    const TDifference difference = Compare(direct.Surface(), laid.Surface());
    EXPECT_LE(difference.channel, 2);
    // Only the edges of its shapes and letters: about 160 of the 95 x 71 pixels of these drawings.
    EXPECT_LE(difference.pixels, 300);
  }
}

TEST_F(PreparedPicturesTest, APictureThatMixesWithItsGroundIsExactOnItAndDrawnAnewElsewhere) {
  const QString path = Write(QStringLiteral("xor.emf"), XorPicture());
  TMetafile picture;
  picture.LoadFromFile(path);
  EXPECT_TRUE(picture.ReadsTheGround());
  TMetafile ordinary;
  ordinary.LoadFromBytes(WriteEmf(Drawing(Qt::green)));
  EXPECT_FALSE(ordinary.ReadsTheGround());

  // Over the card back it was prepared on: the very pixels of drawing it there.
  const TDifference onCardBack = TurnBothWays(path, true);
  EXPECT_EQ(onCardBack.pixels, 0);

  // Over another ground the prepared image does not stand for it: the picture is drawn there.
  TCBImage plain, prepared;
  for (TCBImage* tile : {&plain, &prepared}) {
    SetUpTile(*tile);
    tile->LoadImage(QStringLiteral(ZUM_APP_DIR "/f/c09-zanahoria.bmp"));
  }
  prepared.SetPreparedPictures(&store);
  plain.LoadImage(path);
  prepared.LoadImage(path);
  EXPECT_EQ(Compare(plain.Surface(), prepared.Surface()).pixels, 0);
}

TEST_F(PreparedPicturesTest, AnAttachedImageStandsForDrawingOnlyWhereItFitsTheTarget) {
  const QString path = Write(QStringLiteral("face.wmf"), WriteWmf(Drawing(Qt::red), true));
  TCBImage tile;
  SetUpTile(tile);
  tile.SetPreparedPictures(&store);
  std::unique_ptr<TGraphic> graphic = store.Load(path, tile.DrawArea());
  ASSERT_TRUE(graphic);
  ASSERT_FALSE(graphic->Drawn().IsNull());
  // A marker in place of the drawn picture shows where the image is used.
  const TRect fit = FitPictureRect(95, 95, graphic->Width(), graphic->Height());
  QImage marker(fit.Width(), fit.Height(), QImage::Format_ARGB32_Premultiplied);
  marker.fill(QColor(0, 255, 0));
  graphic->AttachDrawn(TDrawnImage(marker, {}));
  const auto draw = [&](const QTransform& transform, QSize targetSize) {
    QImage surface(120, 120, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::white);
    QPainter painter(&surface);
    painter.setTransform(transform);
    graphic->Draw(painter, QRect(QPoint(5, 5), targetSize));
    painter.end();
    return surface.pixelColor(40, 30);
  };
  const QSize size(fit.Width(), fit.Height());
  EXPECT_EQ(draw(QTransform(), size), QColor(0, 255, 0));
  EXPECT_EQ(draw(QTransform::fromTranslate(3, 4), size), QColor(0, 255, 0));
  // Scaled, moved by part of a pixel, or another size: the picture itself is drawn.
  EXPECT_NE(draw(QTransform::fromScale(1.1, 1.1), size), QColor(0, 255, 0));
  EXPECT_NE(draw(QTransform::fromTranslate(0.5, 0), size), QColor(0, 255, 0));
  EXPECT_NE(draw(QTransform(), size + QSize(10, 10)), QColor(0, 255, 0));
  // Loading the picture again drops the image.
  auto* metafile = dynamic_cast<TMetafile*>(graphic.get());
  ASSERT_TRUE(metafile);
  metafile->LoadFromFile(path);
  EXPECT_TRUE(graphic->Drawn().IsNull());
}

TEST(DrawnImage, AVersionOverAGroundIsCopiedOnlyWhereTheTargetShowsThatGround) {
  QImage ground(20, 10, QImage::Format_ARGB32_Premultiplied);
  ground.fill(QColor(200, 0, 0));
  // Half see-through: copied, it replaces what is there instead of blending over it.
  QImage drawn(20, 10, QImage::Format_ARGB32_Premultiplied);
  drawn.fill(QColor(0, 0, 255, 128));
  const TDrawnImage image(QImage(), {{ground, drawn}});
  EXPECT_FALSE(image.LaysOver());
  QImage device(40, 30, QImage::Format_ARGB32_Premultiplied);
  device.fill(Qt::white);
  {
    QPainter painter(&device);
    painter.drawImage(QPoint(5, 5), ground);
    EXPECT_TRUE(image.DrawInto(painter, QRect(5, 5, 20, 10)));
  }
  EXPECT_EQ(device.pixel(10, 10), drawn.pixel(0, 0));
  EXPECT_EQ(device.pixelColor(2, 2), QColor(Qt::white));
  // Anywhere else it does not stand for the drawing, and leaves the target alone.
  device.fill(Qt::white);
  {
    QPainter painter(&device);
    EXPECT_FALSE(image.DrawInto(painter, QRect(5, 5, 20, 10)));
  }
  EXPECT_EQ(device.pixelColor(10, 10), QColor(Qt::white));
}

TEST_F(PreparedPicturesTest, ErrorsReachTheClickAsWithoutTheStore) {
  QByteArray truncated = WriteEmf(Drawing(Qt::blue));
  truncated.truncate(truncated.size() / 3);
  const QStringList broken = {
      Write(QStringLiteral("garbage.wmf"), QByteArray(300, '\x5A')),
      Write(QStringLiteral("truncated.emf"), truncated),
      Write(QStringLiteral("huge.bmp"), BmpHeader(100000, 100000)),
      Write(QStringLiteral("empty.ico"), QByteArray()),
      dir.filePath(QStringLiteral("missing.wmf")),
      dir.filePath(QStringLiteral("folder.emf")),
  };
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.emf")));
  const auto outcome = [](TCBImage& tile, const QString& path) -> std::string {
    try {
      tile.LoadImage(path);
    } catch (const std::exception& error) {
      return typeid(error).name();
    }
    return "shown " + std::to_string(tile.Picture().Width());
  };
  TCBImage plain, prepared;
  for (TCBImage* tile : {&plain, &prepared}) SetUpTile(*tile);
  prepared.SetPreparedPictures(&store);
  PrepareAhead(broken, prepared);
  for (const QString& path : broken) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_EQ(store.Acquire(path, prepared.DrawArea()), nullptr);
    const std::string expected = outcome(plain, path);
    EXPECT_EQ(outcome(prepared, path), expected);
    // Twice: a failure is never kept as a picture.
    EXPECT_EQ(outcome(prepared, path), expected);
  }
  // Content its kind rejects leaves the tile empty, as a missing file does.
  EXPECT_EQ(outcome(prepared, broken[0]), "shown 0");
  EXPECT_EQ(outcome(prepared, broken[4]), "shown 0");
}

TEST_F(PreparedPicturesTest, AFileChangedAfterItsPreparationIsLoadedAfresh) {
  const QString path = Write(QStringLiteral("face.wmf"), WriteWmf(Drawing(QColor(255, 0, 0)), true));
  TCBImage tile;
  SetUpTile(tile);
  tile.SetPreparedPictures(&store);
  PrepareAhead({path}, tile);
  ASSERT_EQ(store.Preparations(), 1);
  // Same size, other colour: only the change time tells.
  const QByteArray other = WriteWmf(Drawing(QColor(0, 0, 255)), true);
  ASSERT_EQ(other.size(), QFileInfo(path).size());
  Write(QStringLiteral("face.wmf"), other);
  struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 678}};
  ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
  tile.LoadImage(path);
  EXPECT_EQ(store.Preparations(), 2);
  TCBImage plain;
  SetUpTile(plain);
  plain.LoadImage(path);
  EXPECT_EQ(Compare(plain.Surface(), tile.Surface()).pixels, 0);
  const QRect fit(plain.PictureRect().Left, plain.PictureRect().Top, plain.PictureRect().Width(),
                  plain.PictureRect().Height());
  EXPECT_EQ(tile.Surface().pixelColor(fit.center() + QPoint(0, 20)).blue(), 255);
}

TEST_F(PreparedPicturesTest, TheBudgetBoundsWhatIsKept) {
  TPreparedPictures small(64 * 1024);
  const TDrawArea area{true, 95, 95, 1};
  for (int i = 0; i < 8; ++i) {
    QImage pixels(100, 100, QImage::Format_RGB32);
    pixels.fill(QColor(i * 30, 0, 0));
    const QString path = dir.filePath(QStringLiteral("p%1.bmp").arg(i));
    ASSERT_TRUE(pixels.save(path, "BMP"));
    ASSERT_TRUE(small.Acquire(path, area));
    EXPECT_LE(small.Cost(), 64 * 1024);
  }
  // One held by a tile is found again while it is held, even out of the budget.
  const QString first = dir.filePath(QStringLiteral("p0.bmp"));
  const auto held = small.Acquire(first, area);
  const int made = small.Preparations();
  for (int i = 1; i < 8; ++i) small.Acquire(dir.filePath(QStringLiteral("p%1.bmp").arg(i)), area);
  EXPECT_EQ(small.Acquire(first, area), held);
  EXPECT_GT(small.Preparations(), made);
}

TEST(PreparedPicturesGame, ADealPreparesItsPicturesAndTheClicksOnlyShowThem) {
  OffscreenGame game;
  TPreparedPictures& store = game.f1().PreparedPictures();
  // The sample faces are mostly photos: deal until a level has some of the other kinds.
  int others = 0;
  for (int deal = 0; deal < 40 && others == 0; ++deal) {
    // "Nueva partida" is disabled while a game runs: abort the one whose level had only photos.
    if (deal > 0) game.Abort();
    game.NewGame();
    game.f1().DecodeAhead().WaitUntilIdle();
    others = 0;
    for (std::size_t p = 1; p < game.State().fotos.size(); ++p)
      others += TPreparedPictures::Prepares(QString::fromStdString(game.State().fotos[p]));
  }
  ASSERT_GT(others, 0);
  const int made = store.Preparations();
  for (int n = 1; n <= 20; ++n) {
    if (!TPreparedPictures::Prepares(QString::fromStdString(game.Foto(n)))) continue;
    SCOPED_TRACE(game.Foto(n));
    game.Click(n);
    EXPECT_GT(game.Tile(n).Picture().Width(), 0);
    EXPECT_FALSE(game.Tile(n).Picture().Graphic()->Drawn().IsNull());
    game.Click(game.Casilla(n).pareja);
  }
  EXPECT_EQ(store.Preparations(), made);
}

}  // namespace
