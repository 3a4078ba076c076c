#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileListBox.h"

namespace {

const std::string kFolder = ZUM_APP_DIR "/f";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString InFolder(const std::string& name) {
  return QString::fromStdString(kFolder + "/" + name);
}

std::string Extension(const std::string& name) {
  return name.substr(name.rfind('.') + 1);
}

quint16 Word(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 Dword(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// What a JPEG's frame header says: progressive or not, size, and each component's sampling.
struct TJpegFrame {
  bool found = false, progressive = false;
  int width = 0, height = 0;
  std::vector<int> sampling;  // 0x22 for a component at full resolution beside 2 x 2 chroma
};

TJpegFrame ReadJpegFrame(const QByteArray& bytes) {
  TJpegFrame frame;
  qsizetype at = 2;
  while (at + 4 <= bytes.size() && static_cast<uchar>(bytes[at]) == 0xFF) {
    const uchar marker = static_cast<uchar>(bytes[at + 1]);
    const int length = qFromBigEndian<quint16>(bytes.constData() + at + 2);
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
      frame.found = true;
      frame.progressive = marker == 0xC2;
      frame.height = qFromBigEndian<quint16>(bytes.constData() + at + 5);
      frame.width = qFromBigEndian<quint16>(bytes.constData() + at + 7);
      for (int c = 0; c < static_cast<uchar>(bytes[at + 9]); ++c)
        frame.sampling.push_back(static_cast<uchar>(bytes[at + 11 + 3 * c]));
      return frame;
    }
    at += 2 + length;
  }
  return frame;
}

// A 16 x 16 thumbnail, for telling faces apart the way a player glancing at a tile does.
QImage Thumbnail(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32)
      .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (a.width() * a.height() * 3);
}

}  // namespace

TEST(SampleFolderTest, ListsCardBackThenSixtyNineFacesThenTheSound) {
  const std::vector<std::string> names = ListPictureFolder(kFolder);
  ASSERT_EQ(names.size(), 71u);
  EXPECT_EQ(names.front(), "base.jpg");
  EXPECT_EQ(names.back(), "ok.wav");
  for (int i = 1; i <= 69; ++i) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "c%02d-", i);
    EXPECT_EQ(names[static_cast<size_t>(i)].rfind(prefix, 0), 0u) << names[static_cast<size_t>(i)];
  }
}

TEST(SampleFolderTest, EveryPictureKindOfTheTileOccurs) {
  std::map<std::string, int> kinds;
  int progressive = 0, grayscale = 0;
  for (const std::string& name : ListPictureFolder(kFolder)) {
    if (name == "base.jpg" || name == "ok.wav") continue;
    ++kinds[Extension(name)];
    if (Extension(name) != "jpg") continue;
    const TJpegFrame frame = ReadJpegFrame(ReadAll(InFolder(name)));
    ASSERT_TRUE(frame.found) << name;
    progressive += frame.progressive;
    if (frame.sampling.size() == 1)
      ++grayscale;
    else
      EXPECT_EQ(frame.sampling, (std::vector<int>{0x22, 0x11, 0x11})) << name;
  }
  EXPECT_GE(kinds["bmp"], 3);
  EXPECT_GE(kinds["ico"], 3);
  EXPECT_GE(kinds["wmf"], 3);
  EXPECT_GE(kinds["emf"], 3);
  EXPECT_GT(kinds["jpg"], 69 / 2);
  EXPECT_EQ(kinds.size(), 5u);
  EXPECT_GE(progressive, 2);
  EXPECT_EQ(grayscale, 1);
}

TEST(SampleFolderTest, RasterFacesLoadLargeEnoughAndDifferAtAGlance) {
  std::vector<std::pair<std::string, QImage>> thumbnails;
  for (const std::string& name : ListPictureFolder(kFolder)) {
    const std::string ext = Extension(name);
    if (ext != "jpg" && ext != "bmp" && ext != "ico") continue;
    QImageReader reader(InFolder(name));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
    // A face smaller than the 95 x 95 tile would be drawn small, as tiles never enlarge.
    EXPECT_GE(image.width(), 95) << name;
    EXPECT_EQ(image.width(), image.height()) << name;
    thumbnails.emplace_back(name, Thumbnail(image));
  }
  ASSERT_EQ(thumbnails.size(), 62u);  // the card back and 61 raster faces
  for (size_t i = 0; i < thumbnails.size(); ++i)
    for (size_t j = i + 1; j < thumbnails.size(); ++j)
      EXPECT_GT(MeanDifference(thumbnails[i].second, thumbnails[j].second), 12.0)
          << thumbnails[i].first << " looks like " << thumbnails[j].first;
}

TEST(SampleFolderTest, MetafilesCarryTheirHeaders) {
  int checked = 0;
  for (const std::string& name : ListPictureFolder(kFolder)) {
    const QByteArray bytes = ReadAll(InFolder(name));
    if (Extension(name) == "wmf") {
      ASSERT_GE(bytes.size(), 40) << name;
      EXPECT_EQ(Dword(bytes, 0), 0x9AC6CDD7u) << name;
      EXPECT_EQ(Word(bytes, 14), 96) << name;
      EXPECT_EQ(Word(bytes, 22 + 4), 0x0300) << name;  // the standard header's version
      ++checked;
    } else if (Extension(name) == "emf") {
      ASSERT_GE(bytes.size(), 88) << name;
      EXPECT_EQ(Dword(bytes, 0), 1u) << name;  // EMR_HEADER
      EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF")) << name;
      EXPECT_EQ(Dword(bytes, 48), static_cast<quint32>(bytes.size())) << name;
      ++checked;
    }
  }
  EXPECT_GE(checked, 6);
}

TEST(SampleFolderTest, TheChimeIsShortCleanPcm) {
  const QByteArray wav = ReadAll(InFolder("ok.wav"));
  ASSERT_GE(wav.size(), 44);
  ASSERT_EQ(wav.left(4), QByteArray("RIFF"));
  ASSERT_EQ(wav.mid(8, 8), QByteArray("WAVEfmt "));
  EXPECT_EQ(Word(wav, 20), 1);  // PCM
  const int channels = Word(wav, 22);
  EXPECT_EQ(Dword(wav, 24), 44100u);
  EXPECT_EQ(Word(wav, 34), 16);
  ASSERT_EQ(wav.mid(36, 4), QByteArray("data"));
  const qsizetype samples = static_cast<qsizetype>(Dword(wav, 40)) / 2;
  ASSERT_EQ(44 + samples * 2, wav.size());
  const double seconds = static_cast<double>(samples) / channels / 44100;
  EXPECT_GT(seconds, 0.2);
  EXPECT_LT(seconds, 0.4);
  int peak = 0;
  for (qsizetype i = 0; i < samples; ++i)
    peak = std::max(peak, std::abs(static_cast<qint16>(Word(wav, 44 + 2 * i))));
  EXPECT_GT(peak, 6000) << "too quiet to hear";
  EXPECT_LT(peak, 32767) << "clipped";
  // Faded in and out: it starts and ends on silence and swells over the first half millisecond,
  // so nothing clicks.
  const auto sample = [&](qsizetype i) { return std::abs(static_cast<qint16>(Word(wav, 44 + 2 * i))); };
  EXPECT_LT(sample(0), 50);
  EXPECT_LT(sample(samples - 1), 50);
  for (qsizetype i = 0; i < 22 * channels; ++i) {
    EXPECT_LT(sample(i), 1000) << "sample " << i;
    EXPECT_LT(sample(samples - 1 - i), 1000) << "sample " << samples - 1 - i;
  }
}

TEST(EmbeddedMediaTest, TheBannerIsAProgressive255By108Jpeg) {
  QFile file(QStringLiteral(":/zum/banner.jpg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the resource is not linked in";
  const QByteArray bytes = file.readAll();
  const TJpegFrame frame = ReadJpegFrame(bytes);
  EXPECT_TRUE(frame.progressive);
  EXPECT_EQ(frame.width, 255);
  EXPECT_EQ(frame.height, 108);
  EXPECT_EQ(frame.sampling, (std::vector<int>{0x22, 0x11, 0x11}));
  EXPECT_EQ(QImage::fromData(bytes).size(), QSize(255, 108));
}

TEST(EmbeddedMediaTest, TheStopSignIsAPlaceableMetafileOfFilledPolygonsInTwoColours) {
  QFile file(QStringLiteral(":/zum/stop.wmf"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray wmf = file.readAll();
  ASSERT_GE(wmf.size(), 40);
  EXPECT_EQ(Dword(wmf, 0), 0x9AC6CDD7u);
  EXPECT_EQ(Word(wmf, 6), 0);
  EXPECT_EQ(Word(wmf, 8), 0);
  EXPECT_EQ(Word(wmf, 10), 245);
  EXPECT_EQ(Word(wmf, 12), 205);
  EXPECT_EQ(Word(wmf, 14), 96);
  quint16 checksum = 0;
  for (int i = 0; i < 10; ++i) checksum ^= Word(wmf, 2 * i);
  EXPECT_EQ(Word(wmf, 20), checksum);
  EXPECT_EQ(Word(wmf, 26), 0x0300);

  std::map<int, int> records;
  std::set<QRgb> brushes;
  bool visiblePen = false;
  qsizetype at = 22 + 18;
  while (at + 6 <= wmf.size()) {
    const qsizetype size = static_cast<qsizetype>(Dword(wmf, at)) * 2;
    const int type = Word(wmf, at + 4);
    ASSERT_GE(size, 6);
    ASSERT_LE(at + size, wmf.size());
    ++records[type];
    if (type == 0x02FC)
      brushes.insert(qRgb(static_cast<uchar>(wmf[at + 8]), static_cast<uchar>(wmf[at + 9]),
                          static_cast<uchar>(wmf[at + 10])) &
                     0xFFFFFF);
    if (type == 0x02FA && Word(wmf, at + 6) != 5) visiblePen = true;  // 5: PS_NULL
    at += size;
    if (type == 0) break;
  }
  EXPECT_EQ(at, wmf.size()) << "records run past the end or stop early";
  EXPECT_EQ(records[0], 1);
  EXPECT_FALSE(visiblePen);
  EXPECT_EQ(brushes, (std::set<QRgb>{qRgb(255, 53, 15) & 0xFFFFFF, qRgb(255, 255, 255) & 0xFFFFFF}));
  EXPECT_GE(records[0x0324], 2);                // POLYGON
  EXPECT_GE(records[0x0538], 2);                // POLYPOLYGON
  for (int drawing : {0x0418, 0x041B, 0x0325})  // no ellipse, rectangle or polyline
    EXPECT_EQ(records[drawing], 0);
}

TEST(EmbeddedMediaTest, TheIconIsA16Colour32By32SkylineInARedBorder) {
  QFile file(QStringLiteral(":/zum/icon.ico"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray ico = file.readAll();
  ASSERT_GE(ico.size(), 22 + 40);
  EXPECT_EQ(Word(ico, 2), 1);
  EXPECT_EQ(Word(ico, 4), 1);
  EXPECT_EQ(static_cast<uchar>(ico[6]), 32);
  EXPECT_EQ(static_cast<uchar>(ico[7]), 32);
  EXPECT_EQ(static_cast<uchar>(ico[8]), 16);
  const qsizetype dib = Dword(ico, 18);
  EXPECT_EQ(Word(ico, dib + 14), 4);  // bits per pixel
  EXPECT_EQ(Dword(ico, 14), static_cast<quint32>(40 + 16 * 4 + 32 * 16 + 32 * 4));

  const QImage icon = QImage::fromData(ico).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(icon.size(), QSize(32, 32));
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(icon.pixel(i, 0), qRgb(255, 0, 0));
    EXPECT_EQ(icon.pixel(31, i), qRgb(255, 0, 0));
  }
  std::map<QRgb, int> colours;
  for (int y = 2; y < 30; ++y)
    for (int x = 2; x < 30; ++x) ++colours[icon.pixel(x, y)];
  EXPECT_GT(colours[qRgb(0, 0, 0)], 150) << "buildings";
  EXPECT_GT(colours[qRgb(255, 255, 0)], 20) << "lit windows";
  EXPECT_GT(colours[qRgb(0, 0, 128)] + colours[qRgb(0, 0, 255)], 200) << "blue sky";
  EXPECT_GE(colours[qRgb(255, 255, 255)], 5) << "stars";
  // The sky is above the buildings: the top rows inside the border are blue or stars.
  EXPECT_EQ(icon.pixel(8, 3), qRgb(0, 0, 128));
  EXPECT_EQ(icon.pixel(8, 28), qRgb(0, 0, 0));
}

TEST(EmbeddedMediaTest, DesktopIconsComeInFourSizes) {
  for (int size : {48, 64, 128, 256}) {
    const QImage image(QStringLiteral(":/zum/icon-%1.png").arg(size));
    EXPECT_EQ(image.size(), QSize(size, size));
  }
}
