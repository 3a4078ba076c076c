// Reading an ICO file: its directory, the choice of the largest and most colourful image, DIB or PNG entries.
#include "bitmap/IconReader.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <vector>

namespace {
constexpr qsizetype kDirectoryHeader = 6;
constexpr qsizetype kEntrySize = 16;

struct Entry {
  QSize size;
  long long area = 0;
  int bitsPerPixel = 0;
  qsizetype offset = 0;
  qsizetype length = 0;
};

TDibResult DecodePngEntry(QByteArrayView data, long long maxPixels) {
  TDibResult result;
  QByteArray copy = data.toByteArray();
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  reader.setAutoDetectImageFormat(false);
  const QSize size = reader.size();
  if (size.width() <= 0 || size.height() <= 0 ||
      static_cast<long long>(size.width()) * size.height() > maxPixels)
    return result.error = QStringLiteral("icon image has an invalid size"), result;
  if (!reader.read(&result.image)) result.error = reader.errorString();
  return result;
}

TDibResult DecodeEntry(QByteArrayView data, QSize directorySize, long long maxPixels) {
  if (data.startsWith("\x89PNG")) return DecodePngEntry(data, maxPixels);
  TDibDecodeOptions options;
  options.maxPixels = maxPixels;
  options.heightIncludesMask = true;
  options.fallbackSize = directorySize;
  return DecodeDib(data, PackedDibBitsOffset(data), options);
}
}  // namespace

TDibResult DecodeIconFile(QByteArrayView file, long long maxPixels) {
  TDibResult result;
  if (file.size() < kDirectoryHeader) return result.error = QStringLiteral("no icon header"), result;
  const auto* data = reinterpret_cast<const uchar*>(file.data());
  const qsizetype count = qFromLittleEndian<quint16>(data + 4);
  const quint16 type = qFromLittleEndian<quint16>(data + 2);  // 1 icon, 2 cursor
  if (qFromLittleEndian<quint16>(data) != 0 || (type != 1 && type != 2) || count == 0 ||
      kDirectoryHeader + kEntrySize * count > file.size())
    return result.error = QStringLiteral("icon directory does not fit"), result;

  std::vector<Entry> entries;
  for (qsizetype i = 0; i < count; ++i) {
    const uchar* e = data + kDirectoryHeader + kEntrySize * i;
    Entry entry;
    const int width = e[0] == 0 ? 256 : e[0];
    const int height = e[1] == 0 ? 256 : e[1];
    entry.size = QSize(width, height);
    entry.area = static_cast<long long>(width) * height;
    entry.bitsPerPixel = qFromLittleEndian<quint16>(e + 6);
    entry.length = qFromLittleEndian<quint32>(e + 8);
    entry.offset = qFromLittleEndian<quint32>(e + 12);
    if (entry.offset < kDirectoryHeader || entry.offset >= file.size()) continue;
    // A byte count past the end is a lie; one too small is a common slip, so the entry runs on
    // to the end of the file.
    if (entry.length > file.size() - entry.offset) continue;
    entry.length = file.size() - entry.offset;
    // The directory's depth is often wrong; the entry's own header says what it holds.
    const uchar* header = data + entry.offset;
    if (entry.length >= 8 && file.sliced(entry.offset).startsWith("\x89PNG"))
      entry.bitsPerPixel = 32;
    else if (entry.length >= 16 && qFromLittleEndian<quint32>(header) >= 16)
      entry.bitsPerPixel = qFromLittleEndian<quint16>(header + 14);
    entries.push_back(entry);
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.area != b.area ? a.area > b.area : a.bitsPerPixel > b.bitsPerPixel;
  });
  result.error = QStringLiteral("icon has no readable image");
  for (const Entry& entry : entries) {
    TDibResult decoded = DecodeEntry(file.sliced(entry.offset, entry.length), entry.size, maxPixels);
    if (!decoded.image.isNull()) return decoded;
    result.error = decoded.error;
  }
  return result;
}
