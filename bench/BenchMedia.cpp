#include "BenchMedia.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "jpeg/JpegDecoder.h"

namespace {
constexpr int kDistinctPhotos = 8;
constexpr int kPoolSize = 70;

// Smooth gradients and waves with grain on top compress like a camera photo (about 3 to 5 MB).
QImage PhotoLike(int width, int height, std::uint32_t seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::uint32_t state = seed * 2654435761u + 1;
  const double fx = 0.002 + 0.0005 * (seed % 5), fy = 0.003 + 0.0004 * (seed % 7);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const int grain = static_cast<int>(state >> 27) - 16;
      const double wave = 40 * std::sin(x * fx + seed) * std::cos(y * fy);
      const int r = 60 + 120 * x / width + static_cast<int>(wave) + grain;
      const int g = 40 + 150 * y / height - static_cast<int>(wave / 2) + grain;
      const int b = 90 + 80 * (x + y) / (width + height) + grain;
      line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
    }
  }
  return image;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write " + path.toStdString());
}
}  // namespace

TBenchMedia PrepareBenchMedia() {
  const QString root = QDir::temp().filePath(QStringLiteral("zum-bench-media-1"));
  const QString f = root + QStringLiteral("/program/f");
  const QString photos = root + QStringLiteral("/photos");
  QDir().mkpath(f);
  QDir().mkpath(photos);
  TJpegEncodeOptions options;
  options.quality = 90;
  for (int i = 0; i < kDistinctPhotos; ++i) {
    const QString path = photos + QStringLiteral("/photo%1.jpg").arg(i);
    if (!QFile::exists(path))
      WriteFile(path, EncodeJpeg(PhotoLike(4000, 3000, static_cast<std::uint32_t>(i)), options));
  }
  const QString turned = photos + QStringLiteral("/photo0-exif6.jpg");
  if (!QFile::exists(turned)) {
    TJpegEncodeOptions turnedOptions = options;
    turnedOptions.orientation = 6;
    WriteFile(turned, EncodeJpeg(PhotoLike(4000, 3000, 0), turnedOptions));
  }
  if (!QFile::exists(f + QStringLiteral("/base.jpg")))
    WriteFile(f + QStringLiteral("/base.jpg"), EncodeJpeg(PhotoLike(1920, 1080, 99), options));
  if (!QFile::exists(f + QStringLiteral("/ok.wav")))
    QFile::copy(QStringLiteral(ZUM_APP_DIR "/f/ok.wav"), f + QStringLiteral("/ok.wav"));
  // Distinct names for the same few photos: the game and the cache go by name, the disk stays small.
  for (int i = 0; i < kPoolSize; ++i) {
    const QString link = f + QStringLiteral("/a%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
    if (QFile::exists(link)) continue;
    const QString target = photos + QStringLiteral("/photo%1.jpg").arg(i % kDistinctPhotos);
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) != 0)
      QFile::copy(target, link);
  }
  return {root + QStringLiteral("/program"), photos + QStringLiteral("/photo0.jpg"), turned};
}
