#include <gtest/gtest.h>

#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "Graphic.h"
#include "jpeg/JpegDecoder.h"
#include "jpeg/JpegImage.h"
#include "jpeg/JpegOrientation.h"

namespace {

// A colourful picture with smooth gradients and some fine texture for the DCT to work on.
QImage TestPicture(int w, int h, int seed = 0) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int b = 128 + static_cast<int>(90 * std::sin((x + seed) / 3.0) * std::cos(y / 4.0));
      image.setPixel(x, y, qRgb((255 * x / (w - 1) + seed * 40) % 256, 255 * y / (h - 1), b));
    }
  return image;
}

QByteArray Jpeg(int w, int h, TJpegEncodeOptions options = {}, int seed = 0) {
  return EncodeJpeg(TestPicture(w, h, seed), options);
}

QByteArray Progressive(int w = 101, int h = 77) {
  return Jpeg(w, h, {.progressive = true});
}

struct TDiff {
  double mean = 0;
  int max = 0;
};

TDiff Diff(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  TDiff diff;
  for (int j = 0; j < x.height(); ++j)
    for (int i = 0; i < x.width(); ++i)
      for (const int shift : {0, 8, 16}) {
        const int d = std::abs(int((x.pixel(i, j) >> shift) & 0xFF) - int((y.pixel(i, j) >> shift) & 0xFF));
        diff.mean += d / (3.0 * x.width() * x.height());
        diff.max = std::max(diff.max, d);
      }
  return diff;
}

double MeanDiff(const QImage& a, const QImage& b) {
  return Diff(a, b).mean;
}

// Offset of the first frame header (baseline or progressive) marker.
qsizetype FindSof(const QByteArray& bytes) {
  for (qsizetype i = 2; i + 1 < bytes.size(); ++i)
    if (uchar(bytes[i]) == 0xFF && (uchar(bytes[i + 1]) == 0xC0 || uchar(bytes[i + 1]) == 0xC2)) return i;
  return -1;
}

QByteArray WithSize(QByteArray bytes, int w, int h) {
  const qsizetype sof = FindSof(bytes);
  bytes[sof + 5] = char(h >> 8), bytes[sof + 6] = char(h & 0xFF);
  bytes[sof + 7] = char(w >> 8), bytes[sof + 8] = char(w & 0xFF);
  return bytes;
}

std::string JpegError(int code) {
  return "JPEG error #" + std::to_string(code);
}

std::unique_ptr<TJPEGImage> Loaded(const QByteArray& bytes) {
  auto picture = std::make_unique<TJPEGImage>();
  picture->LoadFromBytes(bytes);
  return picture;
}

}  // namespace

TEST(JpegImage, HeaderGivesSizeAndScansAtLoad) {
  TJPEGImage picture;
  EXPECT_EQ(picture.PixelFormat(), TJPEGPixelFormat::jf24Bit);
  EXPECT_EQ(picture.Scale(), TJPEGScale::jsFullSize);
  EXPECT_FALSE(picture.Grayscale());
  EXPECT_EQ(picture.Performance(), TJPEGPerformance::jpBestQuality);
  EXPECT_FALSE(picture.ProgressiveDisplay());
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_TRUE(picture.Bitmap().isNull());
  picture.LoadFromBytes(Jpeg(101, 77));
  EXPECT_EQ(picture.Width(), 101);
  EXPECT_EQ(picture.Height(), 77);
  EXPECT_FALSE(picture.IsProgressive());
  picture.LoadFromBytes(Progressive(64, 48));
  EXPECT_EQ(picture.Width(), 64);
  EXPECT_TRUE(picture.IsProgressive());
}

TEST(JpegImage, EachScaleGivesLibjpegsRoundedUpSize) {
  TJPEGImage picture;
  picture.LoadFromBytes(Jpeg(101, 77));
  const std::pair<TJPEGScale, QSize> cases[] = {{TJPEGScale::jsFullSize, {101, 77}},
                                                {TJPEGScale::jsHalf, {51, 39}},
                                                {TJPEGScale::jsQuarter, {26, 20}},
                                                {TJPEGScale::jsEighth, {13, 10}}};
  for (const auto& [scale, size] : cases) {
    picture.SetScale(scale);
    EXPECT_EQ(QSize(picture.Width(), picture.Height()), size);
    EXPECT_EQ(picture.Bitmap().size(), size);
  }
}

TEST(JpegImage, SubsampledAndFullChromaDecodeCloseToTheSource) {
  for (const bool subsample : {true, false}) {
    TJpegEncodeOptions options;
    options.quality = 95;
    options.subsampleChroma = subsample;
    const QImage decoded = Loaded(Jpeg(96, 64, options))->Bitmap();
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    EXPECT_LT(MeanDiff(decoded, TestPicture(96, 64)), subsample ? 6.0 : 3.0);
  }
}

TEST(JpegImage, GrayscaleIsIndexedWithEqualChannels) {
  const auto owned = Loaded(Jpeg(80, 60));
  TJPEGImage& picture = *owned;
  const QImage colour = picture.Bitmap();
  picture.SetGrayscale(true);
  const QImage& gray = picture.Bitmap();
  ASSERT_EQ(gray.format(), QImage::Format_Indexed8);
  EXPECT_LE(gray.colorCount(), 236);
  double sum = 0;
  for (int y = 0; y < gray.height(); ++y)
    for (int x = 0; x < gray.width(); ++x) {
      const QRgb p = gray.pixel(x, y);
      ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
      const QRgb c = colour.pixel(x, y);
      sum += std::abs(qRed(p) - (0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c)));
    }
  EXPECT_LT(sum / (80 * 60), 4.0);
}

TEST(JpegImage, EightBitIsIndexedWithAtMost236Colours) {
  const auto owned = Loaded(Jpeg(80, 60));
  TJPEGImage& picture = *owned;
  const QImage colour = picture.Bitmap();
  picture.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
  const QImage quality = picture.Bitmap();
  picture.SetPerformance(TJPEGPerformance::jpBestSpeed);
  const QImage speed = picture.Bitmap();
  for (const QImage& indexed : {quality, speed}) {
    ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_LE(indexed.colorCount(), 236);
    EXPECT_GT(indexed.colorCount(), 100);
  }
  // The palette made for the picture beats the fixed colour cube.
  EXPECT_LT(MeanDiff(quality, colour), 10.0);
  EXPECT_LT(MeanDiff(quality, colour), MeanDiff(speed, colour));
}

TEST(JpegImage, BestSpeedDiffersFromBestQualityButStaysClose) {
  const auto owned = Loaded(Jpeg(96, 64));
  TJPEGImage& picture = *owned;
  const QImage quality = picture.Bitmap();
  picture.SetPerformance(TJPEGPerformance::jpBestSpeed);
  const QImage& speed = picture.Bitmap();
  EXPECT_NE(speed, quality);
  EXPECT_LT(MeanDiff(speed, quality), 2.0);
  EXPECT_LT(Diff(speed, quality).max, 40);
}

TEST(JpegImage, BestSpeedQuantisesToAFixedColourCube) {
  auto palette = [](int seed, TJPEGPerformance performance) {
    const auto owned = Loaded(Jpeg(80, 60, {}, seed));
    TJPEGImage& picture = *owned;
    picture.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
    picture.SetPerformance(performance);
    return picture.Bitmap().colorTable();
  };
  // One-pass quantisation does not look at the picture; the two-pass one builds a palette for it.
  EXPECT_EQ(palette(0, TJPEGPerformance::jpBestSpeed), palette(3, TJPEGPerformance::jpBestSpeed));
  EXPECT_NE(palette(0, TJPEGPerformance::jpBestQuality), palette(3, TJPEGPerformance::jpBestQuality));
}

TEST(JpegImage, ProgressiveDisplayDecodesThroughInterimPasses) {
  for (const auto format : {TJPEGPixelFormat::jf24Bit, TJPEGPixelFormat::jf8Bit}) {
    TJpegDecodeOptions options;
    options.pixelFormat = format;
    int passes = 0;
    auto count = [&](const QImage& interim) {
      EXPECT_EQ(interim.size(), QSize(101, 77));
      ++passes;
    };
    const QImage direct = DecodeJpeg(Progressive(), options, count);
    EXPECT_EQ(passes, 0);
    options.progressiveDisplay = true;
    const QImage shown = DecodeJpeg(Progressive(), options, count);
    EXPECT_GE(passes, 5);
    EXPECT_EQ(shown.size(), direct.size());
    EXPECT_EQ(shown.format(), direct.format());
    EXPECT_LE(shown.colorCount(), 236);
    EXPECT_LT(MeanDiff(shown, direct), 2.0);
    passes = 0;
    DecodeJpeg(Jpeg(101, 77), options, count);
    EXPECT_EQ(passes, 0) << "a single-scan file is decoded in one pass";
  }
}

TEST(JpegImage, ProgressiveDisplaySetsWithoutNotifyingOrDiscarding) {
  const auto owned = Loaded(Progressive());
  TJPEGImage& picture = *owned;
  int changes = 0;
  picture.SetOnChange([&] { ++changes; });
  const QImage before = picture.Bitmap();
  picture.SetProgressiveDisplay(true);
  EXPECT_TRUE(picture.ProgressiveDisplay());
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(picture.Bitmap().cacheKey(), before.cacheKey());
  picture.SetScale(TJPEGScale::jsQuarter);
  picture.SetScale(TJPEGScale::jsFullSize);
  EXPECT_LT(MeanDiff(picture.Bitmap(), before), 2.0);
}

TEST(JpegImage, OptionChangeNotifiesAndDiscardsOnlyWhenDifferent) {
  const auto owned = Loaded(Jpeg(64, 48));
  TJPEGImage& picture = *owned;
  int changes = 0;
  picture.SetOnChange([&] { ++changes; });
  qint64 key = picture.Bitmap().cacheKey();
  auto expectKept = [&] {
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(picture.Bitmap().cacheKey(), key);
  };
  auto expectDiscarded = [&] {
    EXPECT_EQ(changes, 1);
    EXPECT_NE(picture.Bitmap().cacheKey(), key);
    key = picture.Bitmap().cacheKey();
    changes = 0;
  };
  picture.SetPixelFormat(TJPEGPixelFormat::jf24Bit);
  picture.SetScale(TJPEGScale::jsFullSize);
  picture.SetGrayscale(false);
  picture.SetPerformance(TJPEGPerformance::jpBestQuality);
  expectKept();
  picture.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
  expectDiscarded();
  picture.SetScale(TJPEGScale::jsHalf);
  expectDiscarded();
  picture.SetGrayscale(true);
  expectDiscarded();
  picture.SetPerformance(TJPEGPerformance::jpBestSpeed);
  expectDiscarded();
  picture.SetScale(TJPEGScale::jsHalf);
  expectKept();
}

TEST(JpegImage, WrongMagicGivesLibjpegsErrorCode) {
  QByteArray bytes = Jpeg(32, 32);
  bytes[1] = 'X';
  TJPEGImage picture;
  try {
    picture.LoadFromBytes(bytes);
    FAIL() << "no error";
  } catch (const EJPEG& error) {
    EXPECT_EQ(error.what(), JpegError(JERR_NO_SOI));
  }
  EXPECT_THROW(picture.LoadFromBytes(QByteArray()), EJPEG);
}

TEST(JpegImage, AbsurdHeaderSizesAreInvalidPictures) {
  const QByteArray good = Jpeg(40, 30);
  const auto owned = Loaded(good);
  TJPEGImage& picture = *owned;
  EXPECT_THROW(picture.LoadFromBytes(WithSize(good, 0, 0)), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromBytes(WithSize(good, 65535, 65535)), EInvalidGraphic);
  try {
    picture.LoadFromBytes(WithSize(good, 20000, 20000));
    FAIL() << "400 megapixels accepted";
  } catch (const EJPEG&) {
    FAIL() << "libjpeg was asked about a picture that should have been refused before";
  } catch (const EInvalidGraphic&) {
  }
  EXPECT_EQ(picture.Width(), 40) << "a failed load keeps the previous picture";
  EXPECT_THROW(DecodeJpeg(WithSize(good, 20000, 20000), {}), EInvalidGraphic);
  // The largest size allowed, with bytes enough for a bit per block of it.
  picture.LoadFromBytes(WithSize(good, 8000, 8000) + QByteArray(8000 / 8 * 8000 / 8 / 8, '\0'));
  EXPECT_EQ(picture.Width(), 8000);
}

// A few hundred bytes claiming tens of megapixels would decode to a grey field of that size.
TEST(JpegImage, FilesFarTooShortForTheirSizeAreInvalidPictures) {
  const QByteArray good = Jpeg(40, 30);
  const QByteArray bomb = WithSize(good, 8000, 8000);
  try {
    TJPEGImage().LoadFromBytes(bomb);
    FAIL() << "a " << bomb.size() << "-byte file of 64 megapixels accepted";
  } catch (const EJPEG&) {
    FAIL() << "refused by libjpeg instead of before decoding";
  } catch (const EInvalidGraphic& error) {
    EXPECT_STREQ(error.what(), "JPEG data far too short for 8000 x 8000");
  }
  EXPECT_THROW(DecodeJpeg(bomb, {}), EInvalidGraphic);
  // One byte short of a bit per block is refused, the byte that makes it is accepted.
  const qsizetype needed = 8000 / 8 * 8000 / 8 / 8;
  EXPECT_THROW(TJPEGImage().LoadFromBytes(bomb + QByteArray(needed - bomb.size() - 1, '\0')),
               EInvalidGraphic);
  EXPECT_NO_THROW(TJPEGImage().LoadFromBytes(bomb + QByteArray(needed - bomb.size(), '\0')));
  // A real picture cut short keeps loading: a flat 1024 x 1024 photo, half of it.
  QImage flat(1024, 1024, QImage::Format_RGB32);
  flat.fill(QColor(90, 120, 200));
  const QByteArray whole = EncodeJpeg(flat, {});
  TJPEGImage half;
  EXPECT_NO_THROW(half.LoadFromBytes(whole.left(whole.size() / 2))) << whole.size() << " bytes in all";
  EXPECT_EQ(half.Width(), 1024);
}

TEST(JpegImage, TruncatedFilesGiveAnErrorOrAPartialPicture) {
  for (const QByteArray& whole : {Jpeg(101, 77), Progressive()}) {
    const QImage full = Loaded(whole)->Bitmap();
    for (const qsizetype length : {qsizetype{1}, qsizetype{2}, qsizetype{20}, qsizetype{200},
                                   whole.size() / 2, whole.size() * 4 / 5, whole.size() - 2}) {
      for (const bool progressiveDisplay : {false, true}) {
        TJPEGImage picture;
        try {
          picture.LoadFromBytes(whole.left(length));
        } catch (const EInvalidGraphic&) {
          EXPECT_LT(length, 1000);
          continue;
        }
        picture.SetProgressiveDisplay(progressiveDisplay);
        const QImage& partial = picture.Bitmap();
        EXPECT_EQ(partial.size(), full.size());
        if (length == whole.size() * 4 / 5 && !picture.IsProgressive()) {
          EXPECT_LT(MeanDiff(partial.copy(0, 0, 101, 16), full.copy(0, 0, 101, 16)), 1.0);
        }
      }
    }
  }
}

TEST(JpegImage, RandomAndCorruptedBytesNeverCrash) {
  std::mt19937 random(4);
  const QByteArray samples[] = {Jpeg(64, 48), Progressive(64, 48), Jpeg(64, 48, {.grayscale = true})};
  for (int round = 0; round < 150; ++round) {
    QByteArray bytes;
    if (round < 30) {
      bytes.resize(std::uniform_int_distribution<int>(0, 3000)(random));
      for (char& c : bytes) c = char(random());
      if (round % 2 && bytes.size() > 2) bytes[0] = char(0xFF), bytes[1] = char(0xD8);
    } else {
      bytes = samples[round % 3];
      for (int n = 1 + round % 8; n > 0; --n)
        bytes[std::uniform_int_distribution<qsizetype>(2, bytes.size() - 1)(random)] = char(random());
    }
    TJPEGImage picture;
    try {
      picture.LoadFromBytes(bytes);
      picture.SetPixelFormat(round % 2 ? TJPEGPixelFormat::jf8Bit : TJPEGPixelFormat::jf24Bit);
      picture.SetGrayscale(round % 5 == 0);
      picture.SetPerformance(round % 3 ? TJPEGPerformance::jpBestQuality : TJPEGPerformance::jpBestSpeed);
      picture.SetProgressiveDisplay(round % 4 < 2);
      EXPECT_EQ(picture.Bitmap().size(), QSize(picture.Width(), picture.Height()));
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(JpegImage, DecodingErrorIsRememberedUntilAnOptionChanges) {
  QByteArray bytes = Jpeg(40, 30);
  bytes[FindSof(bytes) + 12] = 3;  // the first component names a quantisation table never defined
  const auto owned = Loaded(bytes);
  TJPEGImage& picture = *owned;
  EXPECT_EQ(picture.Width(), 40);
  QImage canvas(60, 50, QImage::Format_RGB32);
  canvas.fill(Qt::magenta);
  const QImage untouched = canvas;
  QPainter painter(&canvas);
  try {
    picture.Draw(painter, QRect(0, 0, 40, 30));
    FAIL() << "the first draw must report the error";
  } catch (const EJPEG& error) {
    EXPECT_EQ(error.what(), JpegError(JERR_NO_QUANT_TABLE));
  }
  EXPECT_NO_THROW(picture.Draw(painter, QRect(0, 0, 40, 30)));
  painter.end();
  EXPECT_EQ(canvas, untouched);
  EXPECT_THROW(picture.Bitmap(), EJPEG);
  picture.SetScale(TJPEGScale::jsHalf);
  QPainter again(&canvas);
  EXPECT_THROW(picture.Draw(again, QRect(0, 0, 20, 15)), EJPEG);
}

TEST(JpegImage, FilesWithEndlessScansAreRefused) {
  const QByteArray whole = Progressive(64, 48);
  const qsizetype lastScan = whole.lastIndexOf(QByteArray("\xFF\xDA", 2));
  const QByteArray scan = whole.mid(lastScan, whole.size() - 2 - lastScan);
  QByteArray bytes = whole.left(whole.size() - 2);
  for (int i = 0; i < 150; ++i) bytes += scan;
  bytes += QByteArray("\xFF\xD9", 2);
  for (const bool progressiveDisplay : {false, true}) {
    const auto owned = Loaded(bytes);
    TJPEGImage& picture = *owned;
    picture.SetProgressiveDisplay(progressiveDisplay);
    try {
      picture.Bitmap();
      FAIL() << "150 extra scans decoded";
    } catch (const EJPEG& error) {
      EXPECT_NE(std::string(error.what()).find("scans"), std::string::npos) << error.what();
    }
  }
}

TEST(JpegImage, DrawsAtNaturalSizeOrScaledIntoTheTarget) {
  const auto owned = Loaded(Jpeg(40, 30));
  TJPEGImage& picture = *owned;
  const QImage bitmap = picture.Bitmap();
  QImage canvas(100, 80, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  {
    QPainter painter(&canvas);
    picture.Draw(painter, QRect(5, 7, 40, 30));
    picture.Draw(painter, QRect(50, 0, 20, 60));
  }
  EXPECT_EQ(canvas.copy(5, 7, 40, 30), bitmap);
  EXPECT_EQ(canvas.pixel(4, 7), qRgb(0, 0, 0));
  EXPECT_LT(MeanDiff(canvas.copy(50, 0, 20, 60), bitmap.scaled(20, 60)), 12.0);
  EXPECT_EQ(canvas.pixel(71, 30), qRgb(0, 0, 0));
}

TEST(JpegImage, LoadsFromAFile) {
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("picture.jpg")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(Jpeg(33, 21));
  file.close();
  TJPEGImage picture;
  picture.LoadFromFile(file.fileName());
  EXPECT_EQ(QSize(picture.Width(), picture.Height()), QSize(33, 21));
  EXPECT_THROW(picture.LoadFromFile(dir.filePath(QStringLiteral("missing.jpg"))), EFOpenError);
}

TEST(JpegEncoder, OptionsReachTheFile) {
  const QByteArray subsampled = Jpeg(32, 32, {.subsampleChroma = true});
  const QByteArray full = Jpeg(32, 32, {.subsampleChroma = false});
  EXPECT_EQ(uchar(subsampled[FindSof(subsampled) + 11]), 0x22);
  EXPECT_EQ(uchar(full[FindSof(full) + 11]), 0x11);
  EXPECT_EQ(ReadJpegHeader(Jpeg(32, 32, {.grayscale = true})).components, 1);
  const QByteArray progressive = Progressive(32, 32);
  EXPECT_EQ(uchar(progressive[FindSof(progressive) + 1]), 0xC2);
  EXPECT_TRUE(ReadJpegHeader(progressive).progressive);
  EXPECT_LT(Jpeg(64, 64, {.quality = 20}).size(), Jpeg(64, 64, {.quality = 95}).size());
  EXPECT_THROW(EncodeJpeg(QImage()), EJPEG);
}

namespace {

// An Exif payload in Intel byte order whose first directory holds one orientation entry.
QByteArray ExifBlock(int orientation) {
  const unsigned char bytes[] = {'E', 'x',  'i',  'f', 0,
                                 0,   'I',  'I',  42,  0,
                                 8,   0,    0,    0,   1,
                                 0,   0x12, 0x01, 3,   0,
                                 1,   0,    0,    0,   static_cast<unsigned char>(orientation),
                                 0,   0,    0,    0,   0,
                                 0,   0};
  return QByteArray(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

int OrientationIn(const QByteArray& block) {
  return ExifOrientation(reinterpret_cast<const unsigned char*>(block.constData()),
                         static_cast<std::size_t>(block.size()));
}

QByteArray WithExif(const QByteArray& jpeg, const QByteArray& block) {
  const int length = block.size() + 2;
  QByteArray segment("\xFF\xE1", 2);
  segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF)).append(block);
  return jpeg.left(2) + segment + jpeg.mid(2);
}

}  // namespace

TEST(ExifOrientation, ReadsTheTagAndIgnoresBrokenBlocks) {
  EXPECT_EQ(OrientationIn(ExifBlock(6)), 6);
  EXPECT_EQ(OrientationIn(ExifBlock(9)), 1);
  EXPECT_EQ(OrientationIn(ExifBlock(6).left(20)), 1);
  QByteArray outside = ExifBlock(6);
  outside[10] = char(0xF0);  // directory offset beyond the block
  EXPECT_EQ(OrientationIn(outside), 1);
  QByteArray notExif = ExifBlock(6);
  notExif[0] = 'X';
  EXPECT_EQ(OrientationIn(notExif), 1);
}

TEST(ExifOrientation, DecodedPictureStandsUpright) {
  const QImage source = TestPicture(48, 32);
  const QByteArray turned =
      WithExif(EncodeJpeg(source, {.quality = 100, .subsampleChroma = false}), ExifBlock(6));
  const TJpegHeader header = ReadJpegHeader(turned);
  EXPECT_EQ(header.orientation, 6);
  EXPECT_EQ(QSize(header.imageWidth, header.imageHeight), QSize(32, 48));
  const QImage image = DecodeJpeg(turned, {});
  ASSERT_EQ(image.size(), QSize(32, 48));
  EXPECT_LT(MeanDiff(image, source.transformed(QTransform().rotate(90))), 4);
  EXPECT_EQ(DecodeJpeg(turned, {.scale = TJPEGScale::jsHalf}).size(), QSize(16, 24));
}

namespace {

// A flat-coloured CMYK (or YCCK) file written by libjpeg, without an Adobe marker unless asked.
QByteArray InkJpeg(int w, int h, const unsigned char ink[4], bool ycck, bool adobe) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, ycck ? JCS_YCCK : JCS_CMYK);
  cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(w) * 4);
  for (int x = 0; x < w; ++x) std::copy(ink, ink + 4, row.begin() + 4 * x);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&cinfo, &line, 1);
  }
  jpeg_finish_compress(&cinfo);
  QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

}  // namespace

TEST(InkJpeg, CmykAndYcckBecomeRgbForEveryOption) {
  // Stored inverted under Adobe's marker: 255 means no ink. Cyan at half, no other ink -> (128,255,255).
  const unsigned char adobeInk[4] = {127, 255, 255, 255};
  for (const bool ycck : {false, true}) {
    const QByteArray bytes = InkJpeg(16, 16, adobeInk, ycck, true);
    const QImage rgb = DecodeJpeg(bytes, {});
    ASSERT_EQ(rgb.format(), QImage::Format_RGB32);
    const QRgb p = rgb.pixel(8, 8);
    EXPECT_NEAR(qRed(p), 127, 4);
    EXPECT_NEAR(qGreen(p), 255, 4);
    EXPECT_NEAR(qBlue(p), 255, 4);
    EXPECT_EQ(DecodeJpeg(bytes, {.scale = TJPEGScale::jsQuarter}).size(), QSize(4, 4));
    const QImage grey = DecodeJpeg(bytes, {.grayscale = true});
    ASSERT_EQ(grey.format(), QImage::Format_Indexed8);
    EXPECT_EQ(qRed(grey.pixel(8, 8)), qBlue(grey.pixel(8, 8)));
    const QImage palette = DecodeJpeg(bytes, {.pixelFormat = TJPEGPixelFormat::jf8Bit});
    ASSERT_EQ(palette.format(), QImage::Format_Indexed8);
    EXPECT_LE(palette.colorCount(), 236);
  }
  // Without the marker the ink is taken as stored: full black ink gives black.
  const unsigned char black[4] = {0, 0, 0, 255};
  EXPECT_LT(qGray(DecodeJpeg(InkJpeg(8, 8, black, false, false), {}).pixel(4, 4)), 8);
}
