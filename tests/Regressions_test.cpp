#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>

#include "CBImage.h"
#include "Picture.h"
#include "jpeg/JpegDecoder.h"

// Inputs that once crashed, hung or exhausted a fuzz target, kept in tests/regressions/<kind>/ with
// the extension folder naming the kind they were loaded as. Each must now load or be refused cleanly.
namespace {

QStringList Inputs() {
  QStringList files;
  const QDir root(QStringLiteral(ZUM_REGRESSIONS_DIR));
  for (const QString& kind : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    for (const QString& name : QDir(root.filePath(kind)).entryList(QDir::Files))
      files << kind + QLatin1Char('/') + name;
  return files;
}

QByteArray Bytes(const QString& input) {
  QFile file(QDir(QStringLiteral(ZUM_REGRESSIONS_DIR)).filePath(input));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

TEST(Regressions, EveryKindHasItsFolder) {
  const QDir root(QStringLiteral(ZUM_REGRESSIONS_DIR));
  for (const char* kind : {"jpg", "bmp", "ico", "wmf", "emf"})
    EXPECT_TRUE(root.exists(QLatin1String(kind))) << kind;
}

TEST(Regressions, PictureHolderLoadsAndDrawsOrRefuses) {
  for (const QString& input : Inputs()) {
    const QString kind = input.section(QLatin1Char('/'), 0, 0);
    TPicture picture;
    try {
      picture.LoadFromBytes(Bytes(input), kind);
      picture.Graphic()->Prepare();
      QImage canvas(95, 95, QImage::Format_RGB32);
      QPainter painter(&canvas);
      picture.Graphic()->Draw(painter, QRect(0, 0, 95, 71));
      picture.Graphic()->Draw(painter, QRect(0, 0, picture.Width(), picture.Height()));
    } catch (const EInvalidGraphic&) {
    }
    SUCCEED() << qPrintable(input);
  }
}

TEST(Regressions, JpegInputsDecodeWithEveryOptionOrFail) {
  for (const QString& input : Inputs()) {
    if (!input.startsWith(QLatin1String("jpg/"))) continue;
    const QByteArray bytes = Bytes(input);
    for (int format = 0; format < 2; ++format)
      for (int scale = 0; scale < 4; ++scale)
        for (int flags = 0; flags < 8; ++flags) {
          TJpegDecodeOptions options;
          options.pixelFormat = static_cast<TJPEGPixelFormat>(format);
          options.scale = static_cast<TJPEGScale>(scale);
          options.grayscale = (flags & 1) != 0;
          options.performance = static_cast<TJPEGPerformance>((flags >> 1) & 1);
          options.progressiveDisplay = (flags & 4) != 0;
          try {
            const TJpegHeader header = ReadJpegHeader(bytes);
            EXPECT_EQ(DecodeJpeg(bytes, options).size(), header.outputSizes[static_cast<std::size_t>(scale)])
                << qPrintable(input);
          } catch (const EInvalidGraphic&) {
          }
        }
  }
}

TEST(Regressions, TileLoadsEachAsAFileAndPaints) {
  QTemporaryDir folder;
  QWidget board;
  auto* tile = new TCBImage(&board);
  tile->setGeometry(0, 0, 95, 95);
  tile->SetStretchRatio(true);
  board.show();
  for (const QString& input : Inputs()) {
    const QString path = folder.filePath(QStringLiteral("face.") + input.section(QLatin1Char('/'), 0, 0));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(Bytes(input));
    file.close();
    try {
      tile->LoadImage(path);
    } catch (const EJPEG&) {
    }
    EXPECT_EQ(tile->grab().size(), QSize(95, 95)) << qPrintable(input);
  }
}

}  // namespace
