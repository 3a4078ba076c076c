#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QtEndian>
#include <random>
#include <string>
#include <vector>

#include "Huffman1DWriter.h"
#include "bitmap/DibReader.h"
#include "bitmap/Huffman1D.h"

namespace {

// The decoded pixels as text, one string per stored row: '.' white, '#' black, ' ' never reached.
std::vector<std::string> Decode(const QByteArray& data, int width, int height) {
  std::vector<std::string> rows(static_cast<std::size_t>(height),
                                std::string(static_cast<std::size_t>(width), ' '));
  DecodeHuffman1D(data, width, height, [&](long long row, long long from, long long to, int index) {
    for (long long x = from; x < to; ++x)
      rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(x)] = index ? '#' : '.';
  });
  return rows;
}

QByteArray Bits(const std::string& text) {
  QByteArray out((static_cast<qsizetype>(text.size()) + 7) / 8, '\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '1')
      out[static_cast<qsizetype>(i / 8)] =
          static_cast<char>(out[static_cast<qsizetype>(i / 8)] | (0x80 >> (i % 8)));
  return out;
}

// Rows of text ('#' black) as a two-colour picture, the first string its top row.
QImage Picture(const std::vector<std::string>& rows) {
  QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), QImage::Format_Indexed8);
  image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#' ? 1 : 0);
  return image;
}

std::vector<std::string> StoredOrder(std::vector<std::string> rows) {
  return {rows.rbegin(), rows.rend()};
}

}  // namespace

TEST(Huffman1D, ReadsTheFaxCodesWithAndWithoutEndsOfLine) {
  // White 3 (1000), black 2 (11), white 3 (1000); fill and end of line; white 0 (00110101), black 8
  // (000101); end of line; white 64 (11011) + 0 (00110101), cut at the row's end.
  const QByteArray data = Bits(
      "1000"
      "11"
      "1000"
      "0000"
      "000000000001"
      "00110101"
      "000101"
      "000000000001"
      "11011"
      "00110101");
  EXPECT_EQ(Decode(data, 8, 3), (std::vector<std::string>{"...##...", "########", "........"}));
  // Without ends of line the next row simply follows.
  EXPECT_EQ(Decode(Bits("0111"
                        "0011"
                        "0111"
                        "1100"
                        "0010"),
                   8, 2),
            (std::vector<std::string>{"..#####.", ".....###"}));
}

TEST(Huffman1D, LongRunsUseMakeUpCodesOfBothTables) {
  const std::vector<std::string> rows = {
      std::string(1800, '.') + std::string(2600, '#') + std::string(100, '.'),
      std::string(4500, '#'),
      std::string(64, '.') + std::string(1728, '#') + std::string(2708, '.'),
  };
  for (const bool endOfLines : {false, true})
    EXPECT_EQ(Decode(EncodeHuffman1D(Picture(rows), endOfLines), 4500, 3), StoredOrder(rows)) << endOfLines;
}

TEST(Huffman1D, AnEarlyEndOfLineEndsTheRowAndBrokenDataStops) {
  // Black 2 after white 2, then an end of line with the row unfinished; the next row is black 8.
  EXPECT_EQ(Decode(Bits("0111"
                        "11"
                        "000000000001"
                        "00110101"
                        "000101"),
                   8, 2),
            (std::vector<std::string>{"..##    ", "########"}));
  // Eight zeros and a one start no white code, nor an end of line: nothing after them is decoded.
  EXPECT_EQ(Decode(Bits("1000"
                        "11"
                        "000000001111"
                        "1000"),
                   8, 2),
            (std::vector<std::string>{"...##   ", "        "}));
  EXPECT_EQ(Decode(QByteArray(), 4, 1), (std::vector<std::string>{"    "}));
}

TEST(Huffman1D, OS2BitmapWithHuffmanCompressionDrawsItsPaletteBottomUp) {
  const std::vector<std::string> rows = {"#....#..#", ".#..#...#", "..##....#"};
  const QByteArray pixels = EncodeHuffman1D(Picture(rows), true);
  QByteArray header(64, '\0');
  qToLittleEndian<quint32>(64, header.data());
  qToLittleEndian<qint32>(9, header.data() + 4);
  qToLittleEndian<qint32>(3, header.data() + 8);
  qToLittleEndian<quint16>(1, header.data() + 12);
  qToLittleEndian<quint16>(1, header.data() + 14);
  qToLittleEndian<quint32>(3, header.data() + 16);
  qToLittleEndian<quint32>(static_cast<quint32>(pixels.size()), header.data() + 20);
  const QByteArray palette("\x00\xC0\xFF\x00\x80\x00\x00\x00", 8);  // amber, navy
  const QByteArray dib = header + palette + pixels;
  const TDibResult result = DecodeDib(dib, 64 + 8);
  ASSERT_FALSE(result.image.isNull()) << result.error.toStdString();
  ASSERT_EQ(result.image.size(), QSize(9, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(result.image.pixel(x, y), rows[y][x] == '#' ? qRgb(0, 0, 128) : qRgb(255, 192, 0))
          << x << "," << y;
  // Cut after its first (bottom) row: the rows not reached show colour 0.
  const TDibResult cut = DecodeDib(dib.left(64 + 8 + 3), 64 + 8);
  ASSERT_FALSE(cut.image.isNull());
  EXPECT_EQ(cut.image.pixel(2, 2), qRgb(0, 0, 128));
  EXPECT_EQ(cut.image.pixel(0, 0), qRgb(255, 192, 0));
}

TEST(Huffman1D, ScrambledDataNeverRunsPastThePicture) {
  const std::vector<std::string> rows(40, std::string(20, '.') + std::string(30, '#') + std::string(13, '.'));
  const QByteArray data = EncodeHuffman1D(Picture(rows), true);
  std::mt19937 random(11);
  for (int round = 0; round < 500; ++round) {
    QByteArray scrambled = data.left(static_cast<qsizetype>(random() % (data.size() + 1)));
    for (int flip = 0; flip < 4 && !scrambled.isEmpty(); ++flip)
      scrambled[static_cast<qsizetype>(random() % scrambled.size())] = static_cast<char>(random() & 0xFF);
    DecodeHuffman1D(scrambled, 63, 40, [&](long long row, long long from, long long to, int index) {
      ASSERT_TRUE(row >= 0 && row < 40 && from >= 0 && from < to && to <= 63 && (index == 0 || index == 1));
    });
  }
}
