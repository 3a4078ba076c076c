#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "RenderPicture.h"

namespace {
// A 40 x 20 bitmap: red on the left half, blue on the right.
QString WriteHalvesBitmap(const QTemporaryDir& dir, const QString& name) {
  QImage image(40, 20, QImage::Format_RGB32);
  image.fill(Qt::blue);
  QPainter(&image).fillRect(0, 0, 20, 20, Qt::red);
  const QString path = dir.filePath(name);
  EXPECT_TRUE(image.save(path, "BMP"));
  return path;
}

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return path;
}

struct TRun {
  int exitCode = -1;
  QString out, err;
};

TRun RunRender(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(ZUM_RENDER_EXE), args);
  EXPECT_TRUE(process.waitForFinished(20000));
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAllStandardOutput()),
          QString::fromLocal8Bit(process.readAllStandardError())};
}
}  // namespace

TEST(ZumRender, FitsIntoTheSquareUpOrDownKeepingProportions) {
  EXPECT_EQ(FitIntoSquare({640, 480}, 256), QSize(256, 192));
  EXPECT_EQ(FitIntoSquare({480, 640}, 256), QSize(192, 256));
  EXPECT_EQ(FitIntoSquare({10, 5}, 256), QSize(256, 128));
  EXPECT_EQ(FitIntoSquare({1, 1000}, 256), QSize(1, 256));
  EXPECT_EQ(FitIntoSquare({3, 3}, 100), QSize(100, 100));
  EXPECT_TRUE(FitIntoSquare({0, 10}, 256).isEmpty());
}

TEST(ZumRender, DrawsTheWholePictureScaledOnTransparency) {
  QTemporaryDir dir;
  const TRenderedPicture rendered = RenderPictureFile(WriteHalvesBitmap(dir, QStringLiteral("h.BMP")), 256);
  EXPECT_EQ(rendered.natural, QSize(40, 20));
  ASSERT_EQ(rendered.image.size(), QSize(256, 128));
  EXPECT_EQ(rendered.image.pixelColor(10, 64), QColor(Qt::red));
  EXPECT_EQ(rendered.image.pixelColor(245, 64), QColor(Qt::blue));
  EXPECT_EQ(rendered.image.pixelColor(255, 127), QColor(Qt::blue));
}

TEST(ZumRender, WhatATileShowsEmptyGivesNoImage) {
  QTemporaryDir dir;
  const QString bitmap = WriteHalvesBitmap(dir, QStringLiteral("h.bmp"));
  EXPECT_TRUE(RenderPictureFile(dir.filePath(QStringLiteral("missing.bmp")), 256).image.isNull());
  EXPECT_TRUE(RenderPictureFile(dir.path(), 256).image.isNull());
  EXPECT_TRUE(RenderPictureFile(dir.filePath(QStringLiteral("*.bmp")), 256).image.isNull());
  QFile::copy(bitmap, dir.filePath(QStringLiteral("h.gif")));
  EXPECT_TRUE(RenderPictureFile(dir.filePath(QStringLiteral("h.gif")), 256).image.isNull());
  const QString garbage = WriteBytes(dir, QStringLiteral("g.wmf"), QByteArray(300, 'x'));
  EXPECT_TRUE(RenderPictureFile(garbage, 256).image.isNull());
}

TEST(ZumRender, CommandKeepsItsContract) {
  QTemporaryDir dir;
  const QString bitmap = WriteHalvesBitmap(dir, QStringLiteral("h.bmp"));
  const QString out = dir.filePath(QStringLiteral("out.png"));

  const TRun drawn = RunRender({QStringLiteral("--size"), QStringLiteral("64"), bitmap, out});
  EXPECT_EQ(drawn.exitCode, 0) << qPrintable(drawn.err);
  EXPECT_EQ(drawn.out.trimmed(), QStringLiteral("40 20"));
  const QImage png(out);
  EXPECT_EQ(png.size(), QSize(64, 32));
  EXPECT_TRUE(png.hasAlphaChannel());

  const QString emptyOut = dir.filePath(QStringLiteral("empty.png"));
  const TRun empty = RunRender({WriteBytes(dir, QStringLiteral("g.emf"), QByteArray(300, 'x')), emptyOut});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_FALSE(QFile::exists(emptyOut));

  const TRun unwritable = RunRender({bitmap, dir.filePath(QStringLiteral("no/such/folder/out.png"))});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_FALSE(unwritable.err.isEmpty());

  EXPECT_NE(RunRender({QStringLiteral("--size"), QStringLiteral("0"), bitmap, out}).exitCode, 0);
  EXPECT_NE(RunRender({bitmap}).exitCode, 0);
}
