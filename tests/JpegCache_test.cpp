#include "jpeg/JpegCache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cmath>

#include "CBImage.h"
#include "DecodeAhead.h"
#include "jpeg/JpegDctScale.h"
#include "jpeg/JpegImage.h"
#include "jpeg/JpegOrientation.h"

namespace {
// Diagonal gradients with a grid of dots: content whose scaled pixels show any misplacement.
QImage Pattern(int w, int h, int shift = 0, int checker = 16) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool dot = (x / checker + y / checker) % 2 == 0;
      image.setPixel(x, y, qRgb((x * 255 / w + shift) % 256, y * 255 / h, dot ? 200 : 40));
    }
  return image;
}

class JpegCacheTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QString WriteJpeg(const QString& name, const QImage& image) { return Write(name, EncodeJpeg(image)); }

  QTemporaryDir dir;
  TJpegDecodeOptions options;
  TDrawArea tileArea{true, 95, 95, 1};
};

TEST_F(JpegCacheTest, AnUnchangedFileIsDecodedOnce) {
  TJpegCache cache;
  const QString path = WriteJpeg(QStringLiteral("a.jpg"), Pattern(400, 300));
  const auto first = cache.Acquire(path, options, tileArea);
  const auto second = cache.Acquire(path, options, tileArea);
  ASSERT_TRUE(first);
  EXPECT_EQ(first, second);
  EXPECT_EQ(cache.Decodings(), 1);
}

TEST_F(JpegCacheTest, AChangedFileIsDecodedAgain) {
  TJpegCache cache;
  const QString path = WriteJpeg(QStringLiteral("a.jpg"), Pattern(400, 300));
  const auto before = cache.Acquire(path, options, tileArea);
  // Same size, new content: only the change time tells.
  QByteArray other = EncodeJpeg(Pattern(400, 300, 128));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.write(other);
  file.resize(other.size());
  file.close();
  struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 678}};
  ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
  const auto after = cache.Acquire(path, options, tileArea);
  ASSERT_TRUE(before && after);
  EXPECT_EQ(cache.Decodings(), 2);
  EXPECT_NE(before->pixels.pixel(0, 0), after->pixels.pixel(0, 0));
}

TEST_F(JpegCacheTest, OptionsAndAreaAreInTheKey) {
  TJpegCache cache;
  const QString path = WriteJpeg(QStringLiteral("a.jpg"), Pattern(400, 300));
  ASSERT_TRUE(cache.Acquire(path, options, tileArea));
  TJpegDecodeOptions gray = options;
  gray.grayscale = true;
  const auto grayPicture = cache.Acquire(path, gray, tileArea);
  ASSERT_TRUE(grayPicture);
  EXPECT_EQ(grayPicture->pixels.format(), QImage::Format_Indexed8);
  EXPECT_EQ(cache.Decodings(), 2);
  ASSERT_TRUE(cache.Acquire(path, options, TDrawArea{true, 95, 95, 2}));
  EXPECT_EQ(cache.Decodings(), 3);
  // Tiles that draw at natural size share one decoding whatever their size.
  ASSERT_TRUE(cache.Acquire(path, options, TDrawArea{false, 10, 10, 1}));
  ASSERT_TRUE(cache.Acquire(path, options, TDrawArea{false, 50, 50, 2}));
  EXPECT_EQ(cache.Decodings(), 4);
}

TEST_F(JpegCacheTest, PicksTheSmallestScaleThatCoversTheDrawnRectangle) {
  TJpegHeader photo = ReadJpegHeader(EncodeJpeg(Pattern(4000, 3000)));
  EXPECT_EQ(ReducedScale(photo, TJPEGScale::jsFullSize, tileArea), TJPEGScale::jsEighth);
  const TJpegHeader small = ReadJpegHeader(EncodeJpeg(Pattern(640, 480)));
  // 95 x 71 drawn: 1/8 gives 80 x 60, too small; 1/4 gives 160 x 120.
  EXPECT_EQ(ReducedScale(small, TJPEGScale::jsFullSize, tileArea), TJPEGScale::jsQuarter);
  EXPECT_EQ(ReducedScale(small, TJPEGScale::jsFullSize, TDrawArea{true, 95, 95, 2}), TJPEGScale::jsHalf);
  EXPECT_EQ(ReducedScale(small, TJPEGScale::jsFullSize, TDrawArea{true, 95, 95, 4}), TJPEGScale::jsFullSize);
  EXPECT_EQ(ReducedScale(small, TJPEGScale::jsHalf, tileArea), TJPEGScale::jsHalf);
  EXPECT_EQ(ReducedScale(small, TJPEGScale::jsFullSize, TDrawArea{false, 95, 95, 1}), TJPEGScale::jsFullSize);
  EXPECT_EQ(DrawnPixels(small, TDrawArea{true, 95, 95, 2}), QSize(190, 142));
}

TEST_F(JpegCacheTest, AReducedDecodeDrawsTheSameRectangleAndNearlyTheSamePixels) {
  // Checks of 64 pixels stay several pixels wide in the tile, so both ways of shrinking agree on
  // them; finer ones would only compare the aliasing of two filters.
  const QString path = WriteJpeg(QStringLiteral("photo.jpg"), Pattern(640, 480, 0, 64));
  TJpegCache cache;
  TCBImage plain, cached;
  for (TCBImage* tile : {&plain, &cached}) {
    tile->resize(95, 95);
    tile->SetStretchRatio(true);
    tile->SetCenterView(true);
  }
  cached.SetJpegCache(&cache);
  plain.LoadImage(path);
  cached.LoadImage(path);
  EXPECT_EQ(cache.Decodings(), 1);
  EXPECT_EQ(cached.Picture().Width(), 640);
  EXPECT_EQ(cached.Picture().Height(), 480);
  EXPECT_EQ(cached.PictureRect(), plain.PictureRect());
  EXPECT_EQ(cached.PictureRect(), (TRect{0, 12, 95, 83}));
  // No full-size decoding was kept: the tile holds only the quarter-scale pixels.
  EXPECT_LT(cache.Cost(), 640 * 480 * 4 / 2);
  const QImage a = plain.Surface().convertToFormat(QImage::Format_RGB32);
  const QImage b = cached.Surface().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(a.size(), b.size());
  double total = 0;
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      const int d =
          std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
      total += d;
      worst = std::max(worst, d);
    }
  EXPECT_LT(total / (a.width() * a.height()), 12.0);
  EXPECT_LT(worst, 160);
  // The margins are exactly where the plain tile has them.
  EXPECT_EQ(a.pixel(50, 5), b.pixel(50, 5));
  EXPECT_EQ(a.pixel(50, 90), b.pixel(50, 90));
}

TEST_F(JpegCacheTest, ADecodingErrorStillReachesTheLoadThatShowsIt) {
  QImageWriter writer(dir.filePath(QStringLiteral("progressive.jpg")), "jpg");
  writer.setProgressiveScanWrite(true);
  ASSERT_TRUE(writer.write(Pattern(64, 64)));
  QFile file(writer.fileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QByteArray bytes = file.readAll();
  const qsizetype first = bytes.indexOf("\xFF\xDA");
  const qsizetype second = bytes.indexOf("\xFF\xDA", first + 2);
  ASSERT_GT(second, 0);
  const int components = static_cast<uchar>(bytes[second + 4]);
  bytes[second + 5 + 2 * components] = '\x50';
  const QString broken = Write(QStringLiteral("broken.jpg"), bytes);

  TJpegCache cache;
  EXPECT_EQ(cache.Acquire(broken, options, tileArea), nullptr);
  TCBImage tile;
  tile.resize(95, 95);
  tile.SetStretchRatio(true);
  tile.SetJpegCache(&cache);
  EXPECT_THROW(tile.LoadImage(broken), EJPEG);
  // Twice: a failure is never cached as a picture.
  EXPECT_THROW(tile.LoadImage(broken), EJPEG);
  const QString missing = dir.filePath(QStringLiteral("missing.jpg"));
  EXPECT_EQ(cache.Acquire(missing, options, tileArea), nullptr);
  EXPECT_NO_THROW(tile.LoadImage(missing));
  EXPECT_EQ(tile.Picture().Width(), 0);
}

TEST_F(JpegCacheTest, TheBudgetBoundsWhatIsKept) {
  TJpegCache cache(200 * 1024);
  for (int i = 0; i < 6; ++i) {
    const QString path = WriteJpeg(QStringLiteral("p%1.jpg").arg(i), Pattern(800, 600, i * 30));
    ASSERT_TRUE(cache.Acquire(path, options, TDrawArea{false, 0, 0, 1}));
    EXPECT_LE(cache.Cost(), 200 * 1024);
  }
}

TEST_F(JpegCacheTest, DecodingAheadLeavesTheClickNothingToDecode) {
  TJpegCache cache;
  std::vector<TDecodeRequest> requests;
  QStringList paths;
  for (int i = 0; i < 4; ++i) {
    paths << WriteJpeg(QStringLiteral("p%1.jpg").arg(i), Pattern(1200, 900, i * 40));
    requests.push_back({paths.back(), options, tileArea, {}});
  }
  {
    TDecodeAhead ahead(cache);
    ahead.Request(requests);
    // Whether a worker has begun or not, the picture is decoded exactly once.
    ASSERT_TRUE(cache.Acquire(paths[3], options, tileArea));
    ahead.WaitUntilIdle();
    EXPECT_TRUE(ahead.Idle());
  }
  EXPECT_EQ(cache.Decodings(), 4);
  for (const QString& path : paths) EXPECT_TRUE(cache.Acquire(path, options, tileArea));
  EXPECT_EQ(cache.Decodings(), 4);
}

// The stored picture with a red block in its top-left corner; where the block shows tells the turn.
QImage CornerMarked(int w, int h) {
  QImage image = Pattern(w, h, 0, 64);
  for (int y = 0; y < h / 4; ++y)
    for (int x = 0; x < w / 4; ++x) image.setPixel(x, y, qRgb(255, 0, 0));
  return image;
}

bool Red(QRgb p) {
  return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

TEST_F(JpegCacheTest, PicturesDecodedAheadStandUprightByTheirExifOrientation) {
  // Where the stored top-left corner lands once upright, for orientations 1-8: left?, top?
  const bool left[] = {true, false, false, true, true, false, false, true};
  const bool top[] = {true, true, false, false, true, true, false, false};
  TJpegCache cache;
  std::vector<TDecodeRequest> requests;
  QStringList paths;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const QByteArray bytes = EncodeJpeg(CornerMarked(640, 480), {.quality = 95, .orientation = orientation});
    paths << Write(QStringLiteral("turned%1.jpg").arg(orientation), bytes);
    requests.push_back({paths.back(), options, tileArea, {}});
  }
  {
    TDecodeAhead ahead(cache);
    ahead.Request(requests);
    ahead.WaitUntilIdle();
  }
  ASSERT_EQ(cache.Decodings(), 8);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const QString& path = paths[orientation - 1];
    const QSize upright = UprightSize(QSize(640, 480), orientation);
    // The cached pixels themselves are upright and at the reduced scale.
    const auto picture = cache.Acquire(path, options, tileArea);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels.size(), upright / 4);
    EXPECT_EQ(QSize(picture->header.imageWidth, picture->header.imageHeight), upright);

    TCBImage plain, cached;
    for (TCBImage* tile : {&plain, &cached}) {
      tile->resize(95, 95);
      tile->SetStretchRatio(true);
      tile->SetCenterView(true);
    }
    cached.SetJpegCache(&cache);
    cached.LoadImage(path);
    plain.LoadImage(path);
    EXPECT_EQ(QSize(cached.Picture().Width(), cached.Picture().Height()), upright);
    EXPECT_EQ(cached.PictureRect(), plain.PictureRect());
    const QImage a = plain.Surface().convertToFormat(QImage::Format_RGB32);
    const QImage b = cached.Surface().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(a.size(), b.size());
    double total = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) {
        const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
        total +=
            std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
      }
    EXPECT_LT(total / (a.width() * a.height()), 12.0);
    // The red corner is where the orientation puts it, and in no other corner.
    const TRect r = cached.PictureRect();
    for (const bool atLeft : {true, false})
      for (const bool atTop : {true, false}) {
        const int x = atLeft ? r.Left + r.Width() / 10 : r.Right - 1 - r.Width() / 10;
        const int y = atTop ? r.Top + r.Height() / 10 : r.Bottom - 1 - r.Height() / 10;
        const bool expected = atLeft == left[orientation - 1] && atTop == top[orientation - 1];
        EXPECT_EQ(Red(b.pixel(x, y)), expected)
            << (atLeft ? "left " : "right ") << (atTop ? "top" : "bottom");
      }
  }
  // The tiles found every picture the workers had decoded.
  EXPECT_EQ(cache.Decodings(), 8);
}
}  // namespace
