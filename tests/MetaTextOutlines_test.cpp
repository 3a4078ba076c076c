// The outlines of text and glyphs shared by pictures: what they hold, their budget, their threads.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <thread>
#include <vector>

#include "EmfWriter.h"
#include "metafile/Metafile.h"
#include "metafile/draw/MetaTextOutlines.h"

namespace {

QFont Font(int pixels, int weight = QFont::Normal, bool italic = false) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(pixels);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QPainterPath OwnOutline(const QFont& font, const QString& text) {
  QPainterPath own;
  own.addText(QPointF(0, 0), font, text);
  return own;
}

}  // namespace

TEST(MetaTextOutlines, KeptOutlinesAreTheFontsOwnAndFollowItsSize) {
  TMetaTextOutlines kept;
  const QPainterPath first = kept.Outline(Font(20), QStringLiteral("Ab"));
  EXPECT_EQ(first, OwnOutline(Font(20), QStringLiteral("Ab")));
  const std::int64_t bytes = kept.Bytes();
  EXPECT_GT(bytes, 0);
  EXPECT_EQ(kept.Outline(Font(20), QStringLiteral("Ab")), first);
  EXPECT_EQ(kept.Bytes(), bytes);
  EXPECT_EQ(kept.Made(), 1);
  const QRectF larger = kept.Outline(Font(40), QStringLiteral("Ab")).boundingRect();
  EXPECT_NEAR(larger.height(), 2 * first.boundingRect().height(), 1);
  EXPECT_NE(kept.Outline(Font(40), QStringLiteral("Ac")).boundingRect(), larger);
  EXPECT_EQ(kept.Made(), 3);
}

TEST(MetaTextOutlines, GlyphOutlinesAreTheFontFilesOwnForEachWeightAndSlant) {
  TMetaTextOutlines kept;
  for (const QFont& font : {Font(30), Font(30, QFont::Bold), Font(30, QFont::Normal, true)}) {
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    const quint32 g = raw.glyphIndexesForString(QStringLiteral("g")).value(0);
    ASSERT_NE(g, 0u);
    EXPECT_EQ(kept.GlyphOutline(font, raw, g), raw.pathForGlyph(g)) << font.key().toStdString();
    // Text and glyph index do not stand for each other, even where the index reads like the text.
    EXPECT_EQ(kept.Outline(font, QString::number(g)), OwnOutline(font, QString::number(g)));
  }
  EXPECT_EQ(kept.Made(), 6);
  const QRawFont regular = QRawFont::fromFont(Font(30));
  const quint32 g = regular.glyphIndexesForString(QStringLiteral("g")).value(0);
  EXPECT_NE(kept.GlyphOutline(Font(30, QFont::Bold), QRawFont::fromFont(Font(30, QFont::Bold)), g),
            kept.GlyphOutline(Font(30), regular, g));
  EXPECT_EQ(kept.Made(), 6);
}

// Outlines of one letter at sizes close together take the same bytes, so the budget holds three.
TEST(MetaTextOutlines, TheBudgetKeepsTheMostRecentlyUsed) {
  const QString letter = QStringLiteral("R");
  std::int64_t one = 0;
  {
    TMetaTextOutlines probe;
    probe.Outline(Font(20), letter);
    one = probe.Bytes();
  }
  TMetaTextOutlines kept(3 * one);
  kept.Outline(Font(21), letter);
  kept.Outline(Font(22), letter);
  kept.Outline(Font(23), letter);
  EXPECT_EQ(kept.Bytes(), 3 * one);
  kept.Outline(Font(21), letter);  // used again: now the newest
  EXPECT_EQ(kept.Made(), 3);
  kept.Outline(Font(24), letter);  // evicts 22, the least recently used
  EXPECT_EQ(kept.Made(), 4);
  EXPECT_EQ(kept.Bytes(), 3 * one);
  kept.Outline(Font(21), letter);
  kept.Outline(Font(23), letter);
  kept.Outline(Font(24), letter);
  EXPECT_EQ(kept.Made(), 4);
  EXPECT_EQ(kept.Outline(Font(22), letter), OwnOutline(Font(22), letter));
  EXPECT_EQ(kept.Made(), 5);
  EXPECT_LE(kept.Bytes(), 3 * one);
}

TEST(MetaTextOutlines, AnOutlineLargerThanTheBudgetIsMadeButNotKept) {
  TMetaTextOutlines kept(64);
  const QString text = QStringLiteral("Outline");
  EXPECT_EQ(kept.Outline(Font(20), text), OwnOutline(Font(20), text));
  EXPECT_EQ(kept.Outline(Font(20), text), OwnOutline(Font(20), text));
  EXPECT_EQ(kept.Bytes(), 0);
  EXPECT_EQ(kept.Made(), 2);
}

// Pictures are drawn on the GUI thread while the next ones are prepared in workers.
TEST(MetaTextOutlines, ThreadsShareOneCacheWithinItsBudget) {
  const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  std::int64_t all = 0;
  {
    TMetaTextOutlines probe;
    for (const int pixels : {12, 17})
      for (const QChar c : letters) probe.Outline(Font(pixels), QString(c));
    all = probe.Bytes();
  }
  // Room for about half of them, so that threads evict what others use.
  TMetaTextOutlines kept(all / 2);
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < wrong.size(); ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 5; ++round)
        for (const int pixels : {12, 17})
          for (qsizetype i = 0; i < letters.size(); ++i) {
            // Each thread walks the letters from its own start.
            const QString letter(letters.at((i + static_cast<qsizetype>(t) * 13) % letters.size()));
            if (kept.Outline(Font(pixels), letter) != OwnOutline(Font(pixels), letter)) ++wrong[t];
          }
    });
  for (std::thread& thread : threads) thread.join();
  for (const int w : wrong) EXPECT_EQ(w, 0);
  EXPECT_GT(kept.Bytes(), 0);
  EXPECT_LE(kept.Bytes(), all / 2);
}

// A second picture of the same text finds its outlines kept by the first, and draws the same pixels.
TEST(MetaTextOutlines, PicturesGivenOneCacheShareIt) {
  TMetaDrawing drawing;
  drawing.box = {0, 0, 200, 200};
  TMetaText text;
  text.at = {10, 40};
  text.text = "Shared letters";
  text.height = -24;
  text.dx = std::vector<int>(text.text.size(), 12);
  drawing.texts.push_back(text);
  const QByteArray bytes = WriteEmf(drawing);
  TMetaTextOutlines kept;
  std::vector<QImage> images;
  std::vector<std::int64_t> made;
  for (int i = 0; i < 2; ++i) {
    TMetafile metafile(&kept);
    metafile.LoadFromBytes(bytes);
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    metafile.Draw(painter, QRect(0, 0, 200, 200));
    images.push_back(image);
    made.push_back(kept.Made());
  }
  // One outline per distinct letter (the space included).
  EXPECT_EQ(made[0], 10);
  EXPECT_EQ(made[1], made[0]);
  EXPECT_EQ(images[0], images[1]);
  QImage blank(200, 200, QImage::Format_RGB32);
  blank.fill(Qt::white);
  EXPECT_NE(images[0], blank);
}
