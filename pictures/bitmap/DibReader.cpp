// Reading DIB headers, masks, colour tables and pixels: plain rows, RLE, Huffman 1D, embedded JPEG/PNG.
#include "bitmap/DibReader.h"

#include <QBuffer>
#include <QImageReader>
#include <QList>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>
#include <limits>
#include <vector>

#include "bitmap/Huffman1D.h"
#include "jpeg/JpegDecoder.h"

namespace {
enum Compression : quint32 {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitfields = 3,
  kJpegOrRle24 = 4,
  kPng = 5,
  kAlphaBitfields = 6,
};

constexpr qsizetype kCoreHeader = 12;
constexpr qsizetype kInfoHeader = 40;
constexpr qsizetype kOs2v2Header = 64;
constexpr qsizetype kFileHeader = 14;

struct Bytes {
  QByteArrayView view;
  bool Has(qsizetype at, qsizetype count) const { return at >= 0 && count >= 0 && at <= view.size() - count; }
  quint8 U8(qsizetype at) const { return static_cast<quint8>(view[at]); }
  quint16 U16(qsizetype at) const { return qFromLittleEndian<quint16>(view.data() + at); }
  quint32 U32(qsizetype at) const { return qFromLittleEndian<quint32>(view.data() + at); }
  qint32 I32(qsizetype at) const { return qFromLittleEndian<qint32>(view.data() + at); }
};

// One colour channel described by a bit mask: where it sits and how to widen it to 8 bits.
struct Channel {
  quint32 mask = 0;
  int shift = 0;
  quint64 maximum = 0;

  explicit Channel(quint32 m = 0) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    maximum = (quint64{1} << std::popcount(mask >> shift)) - 1;
  }
  bool Present() const { return mask != 0; }
  int Value(quint32 pixel) const {
    if (maximum == 0) return 0;
    const quint64 raw = std::min<quint64>((pixel & mask) >> shift, maximum);
    return static_cast<int>((raw * 255 + maximum / 2) / maximum);
  }
};

struct Header {
  qsizetype size = 0;
  long long width = 0;
  long long height = 0;  // of the colour rows, positive
  bool topDown = false;
  int bitsPerPixel = 0;
  quint32 compression = kRgb;
  quint32 imageSize = 0;
  quint32 coloursUsed = 0;
  bool os2 = false;
  qsizetype colourEntrySize = 4;
  qsizetype masksAt = -1;  // where the bit masks are read, -1 when the defaults apply
  int maskCount = 0;
  qsizetype tableAt = 0;
  bool alphaInFourthByte = false;
};

bool IsOs2Version2(qsizetype size) {
  return (size > kCoreHeader && size < kInfoHeader) || size == kOs2v2Header;
}

// Reads the header fields and where masks and colour table lie; false when they do not fit.
bool ReadHeader(const Bytes& b, Header& h, QString& error) {
  if (!b.Has(0, 4)) return error = QStringLiteral("no bitmap header"), false;
  h.size = b.U32(0);
  if (h.size < kCoreHeader || !b.Has(0, h.size))
    return error = QStringLiteral("bitmap header does not fit"), false;
  long long height = 0;
  if (h.size == kCoreHeader) {
    h.width = b.U16(4);
    height = b.U16(6);
    h.bitsPerPixel = b.U16(10);
    h.os2 = true;
    h.colourEntrySize = 3;
  } else {
    if (h.size < 16) return error = QStringLiteral("bitmap header too short"), false;
    h.width = b.I32(4);
    height = b.I32(8);
    h.bitsPerPixel = b.U16(14);
    h.os2 = IsOs2Version2(h.size);
    if (h.size >= 20) h.compression = b.U32(16);
    if (h.size >= 24) h.imageSize = b.U32(20);
    if (h.size >= 36) h.coloursUsed = b.U32(32);
  }
  if (h.width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min())
    return error = QStringLiteral("bitmap has an invalid size"), false;
  h.topDown = height < 0;
  h.height = height < 0 ? -height : height;
  h.tableAt = h.size;
  if (!h.os2 && (h.compression == kBitfields || h.compression == kAlphaBitfields)) {
    h.maskCount = h.compression == kAlphaBitfields ? 4 : 3;
    if (h.size >= 52) {
      h.masksAt = 40;
      h.maskCount = h.size >= 56 ? 4 : 3;
    } else {
      h.masksAt = h.size;
      h.tableAt = h.size + 4 * h.maskCount;
    }
  }
  if (h.masksAt >= 0 && !b.Has(h.masksAt, 4 * h.maskCount))
    return error = QStringLiteral("bitmap masks do not fit"), false;
  return true;
}

qsizetype DeclaredColours(const Header& h) {
  if (h.bitsPerPixel == 0) return 0;  // embedded JPEG or PNG
  if (h.bitsPerPixel > 8) return h.coloursUsed <= 256 ? h.coloursUsed : 0;
  const qsizetype full = qsizetype{1} << h.bitsPerPixel;
  if (h.coloursUsed == 0 || h.coloursUsed > 256) return full;
  return h.coloursUsed;
}

// The colour table, cut short where the pixels begin (files with fewer entries than they declare).
QList<QRgb> ReadColourTable(const Bytes& b, const Header& h, qsizetype bitsOffset) {
  QList<QRgb> table;
  if (h.bitsPerPixel > 8) return table;
  // Pixels said to start at the table itself are a writer's mistake, not a table of no colours.
  const qsizetype end =
      bitsOffset > h.tableAt ? std::min<qsizetype>(b.view.size(), bitsOffset) : b.view.size();
  const qsizetype available = std::max<qsizetype>(0, (end - h.tableAt) / h.colourEntrySize);
  const qsizetype count = std::min(DeclaredColours(h), available);
  table.reserve(count);
  for (qsizetype i = 0; i < count; ++i) {
    const qsizetype at = h.tableAt + i * h.colourEntrySize;
    table.append(qRgb(b.U8(at + 2), b.U8(at + 1), b.U8(at)));
  }
  return table;
}

QRgb TableColour(const QList<QRgb>& table, int index) {
  return index < table.size() ? table[index] : qRgb(0, 0, 0);
}

int OutputRow(const Header& h, long long storedRow) {
  return static_cast<int>(h.topDown ? storedRow : h.height - 1 - storedRow);
}

// 64-bit pixels hold linear light as signed 2.13 fixed point; the screen wants sRGB.
int LinearToSrgb(qint16 value) {
  const double linear = std::clamp(value / 8192.0, 0.0, 1.0);
  const double srgb = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  return static_cast<int>(std::lround(srgb * 255));
}

// Many writers declare an alpha mask and leave it zero; such a picture is meant to be opaque.
void KeepAlphaOnlyIfUsed(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(row[x]) != 0) return;
  }
  image = image.convertToFormat(QImage::Format_RGB32);
}

bool DecodePlainRows(const Bytes& b, const Header& h, qsizetype bitsOffset, const QList<QRgb>& table,
                     QImage& image, QString& error) {
  const long long stride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
  if (bitsOffset < 0 || !b.Has(bitsOffset, stride * h.height))
    return error = QStringLiteral("bitmap pixels are cut short"), false;
  std::array<Channel, 4> channels;
  bool hasAlpha = false;
  if (h.bitsPerPixel == 16 || h.bitsPerPixel == 32) {
    const bool sixteen = h.bitsPerPixel == 16;
    channels = {Channel(sixteen ? 0x7C00 : 0xFF0000), Channel(sixteen ? 0x03E0 : 0xFF00),
                Channel(sixteen ? 0x001F : 0xFF), Channel()};
    if (h.masksAt >= 0) {
      for (int i = 0; i < h.maskCount; ++i) channels[i] = Channel(b.U32(h.masksAt + 4 * i));
    }
    const quint32 colourBits = channels[0].mask | channels[1].mask | channels[2].mask;
    if (!sixteen && h.alphaInFourthByte && !channels[3].Present() && (colourBits & 0xFF000000u) == 0)
      channels[3] = Channel(0xFF000000u);
    hasAlpha = channels[3].Present();
  }
  if (h.bitsPerPixel == 64) hasAlpha = true;
  if (hasAlpha) image = image.convertToFormat(QImage::Format_ARGB32);
  for (long long row = 0; row < h.height; ++row) {
    const qsizetype at = bitsOffset + static_cast<qsizetype>(row * stride);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(OutputRow(h, row)));
    for (long long x = 0; x < h.width; ++x) {
      switch (h.bitsPerPixel) {
        case 1:
        case 2:
        case 4:
        case 8: {
          const long long bit = x * h.bitsPerPixel;
          const int byte = b.U8(at + static_cast<qsizetype>(bit / 8));
          const int shift = 8 - h.bitsPerPixel - static_cast<int>(bit % 8);
          out[x] = TableColour(table, (byte >> shift) & ((1 << h.bitsPerPixel) - 1));
          break;
        }
        case 16:
        case 32: {
          const qsizetype p = at + static_cast<qsizetype>(x * (h.bitsPerPixel / 8));
          const quint32 pixel = h.bitsPerPixel == 16 ? b.U16(p) : b.U32(p);
          const int alpha = hasAlpha ? channels[3].Value(pixel) : 255;
          out[x] = qRgba(channels[0].Value(pixel), channels[1].Value(pixel), channels[2].Value(pixel), alpha);
          break;
        }
        case 24: {
          const qsizetype p = at + static_cast<qsizetype>(x * 3);
          out[x] = qRgb(b.U8(p + 2), b.U8(p + 1), b.U8(p));
          break;
        }
        case 64: {
          const qsizetype p = at + static_cast<qsizetype>(x * 8);
          const auto channel = [&](int i) { return static_cast<qint16>(b.U16(p + 2 * i)); };
          const int alpha = static_cast<int>(std::lround(std::clamp(channel(3) / 8192.0, 0.0, 1.0) * 255));
          out[x] = qRgba(LinearToSrgb(channel(2)), LinearToSrgb(channel(1)), LinearToSrgb(channel(0)), alpha);
          break;
        }
        default:
          return error = QStringLiteral("unsupported bit depth"), false;
      }
    }
  }
  if (hasAlpha) KeepAlphaOnlyIfUsed(image);
  return true;
}

// Run-length pixels (8, 4 or 24 bits). Runs and literal strings are cut at the row's end; pixels
// the data skips keep colour 0 of the table (black for 24 bits), as most viewers draw them.
bool DecodeRunLength(const Bytes& b, const Header& h, qsizetype bitsOffset, const QList<QRgb>& table,
                     QImage& image, QString& error) {
  if (bitsOffset < 0 || bitsOffset > b.view.size())
    return error = QStringLiteral("bitmap pixels missing"), false;
  const int depth = h.bitsPerPixel;
  const QRgb background = depth == 24 ? qRgb(0, 0, 0) : TableColour(table, 0);
  image.fill(background);
  const qsizetype end =
      h.imageSize != 0 && b.Has(bitsOffset, h.imageSize) ? bitsOffset + h.imageSize : b.view.size();
  long long x = 0, row = 0;
  const auto put = [&](QRgb colour) {
    if (x < h.width && row < h.height) reinterpret_cast<QRgb*>(image.scanLine(OutputRow(h, row)))[x] = colour;
    ++x;
  };
  const auto colourAt = [&](qsizetype p) { return qRgb(b.U8(p + 2), b.U8(p + 1), b.U8(p)); };
  qsizetype p = bitsOffset;
  while (row < h.height && p + 2 <= end) {
    const int count = b.U8(p);
    const int code = b.U8(p + 1);
    p += 2;
    if (count > 0) {
      if (depth == 24) {
        if (p + 2 > end) break;
        const QRgb colour = colourAt(p - 1);
        p += 2;
        for (int i = 0; i < count; ++i) put(colour);
      } else {
        for (int i = 0; i < count; ++i)
          put(TableColour(table, depth == 8 ? code : (i % 2 == 0 ? code >> 4 : code & 0x0F)));
      }
      continue;
    }
    if (code == 0) {
      x = 0;
      ++row;
    } else if (code == 1) {
      break;
    } else if (code == 2) {
      if (p + 2 > end) break;
      x += b.U8(p);
      row += b.U8(p + 1);
      p += 2;
    } else {
      const qsizetype bytes = depth == 8 ? code : depth == 4 ? (code + 1) / 2 : code * 3;
      if (p + bytes > end) break;
      for (int i = 0; i < code; ++i) {
        if (depth == 8)
          put(TableColour(table, b.U8(p + i)));
        else if (depth == 4)
          put(TableColour(table, i % 2 == 0 ? b.U8(p + i / 2) >> 4 : b.U8(p + i / 2) & 0x0F));
        else
          put(colourAt(p + 3 * i));
      }
      p += bytes + (bytes % 2);
    }
  }
  return true;
}

QImage ReadEmbedded(QByteArrayView data, const char* format, long long maxPixels, QString& error) {
  QByteArray copy = data.toByteArray();
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  const QSize size = reader.size();
  if (size.width() <= 0 || size.height() <= 0 ||
      static_cast<long long>(size.width()) * size.height() > maxPixels) {
    error = QStringLiteral("embedded image has an invalid size");
    return {};
  }
  QImage image;
  if (!reader.read(&image)) error = reader.errorString();
  return image;
}

QImage ReadEmbeddedJpeg(QByteArrayView data, long long maxPixels, QString& error) {
  try {
    const QByteArray bytes = data.toByteArray();
    const TJpegHeader header = ReadJpegHeader(bytes);
    if (static_cast<long long>(header.imageWidth) * header.imageHeight > maxPixels) {
      error = QStringLiteral("embedded image has an invalid size");
      return {};
    }
    return DecodeJpeg(bytes, TJpegDecodeOptions{});
  } catch (const std::exception& e) {
    error = QString::fromUtf8(e.what());
    return {};
  }
}

// The icon's AND mask follows the colour rows: a set bit leaves the pixel transparent. 32-bit icons
// whose fourth bytes are not all zero carry alpha instead.
void ApplyIconMask(const Bytes& b, const Header& h, qsizetype bitsOffset, QImage& image) {
  if (h.bitsPerPixel == 32) {
    const long long stride = h.width * 4;
    bool anyAlpha = false;
    for (long long row = 0; row < h.height && !anyAlpha; ++row)
      for (long long x = 0; x < h.width && !anyAlpha; ++x)
        anyAlpha = b.U8(bitsOffset + static_cast<qsizetype>(row * stride + x * 4 + 3)) != 0;
    if (anyAlpha) {
      image = image.convertToFormat(QImage::Format_ARGB32);
      for (long long row = 0; row < h.height; ++row) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(OutputRow(h, row)));
        for (long long x = 0; x < h.width; ++x)
          out[x] = (out[x] & 0x00FFFFFF) |
                   (QRgb{b.U8(bitsOffset + static_cast<qsizetype>(row * stride + x * 4 + 3))} << 24);
      }
      return;
    }
  }
  const long long colourStride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
  const long long maskStride = (h.width + 31) / 32 * 4;
  const long long maskAt = bitsOffset + colourStride * h.height;
  if (!b.Has(static_cast<qsizetype>(maskAt), static_cast<qsizetype>(maskStride * h.height))) return;
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (long long row = 0; row < h.height; ++row) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(OutputRow(h, row)));
    const qsizetype at = static_cast<qsizetype>(maskAt + row * maskStride);
    for (long long x = 0; x < h.width; ++x)
      if ((b.U8(at + static_cast<qsizetype>(x / 8)) >> (7 - x % 8)) & 1) out[x] = 0;
  }
}

// OS/2 2.x gives compression 3 to 1-bit Huffman data, where Windows means bit masks.
bool IsHuffman1D(const Header& h) {
  return h.os2 && h.compression == kBitfields && h.bitsPerPixel == 1;
}

bool DecodeHuffmanRows(const Bytes& b, const Header& h, qsizetype bitsOffset, const QList<QRgb>& table,
                       QImage& image, QString& error) {
  if (bitsOffset < 0 || bitsOffset > b.view.size())
    return error = QStringLiteral("bitmap pixels missing"), false;
  image.fill(TableColour(table, 0));
  const qsizetype end =
      h.imageSize != 0 && b.Has(bitsOffset, h.imageSize) ? bitsOffset + h.imageSize : b.view.size();
  const QRgb colours[2] = {TableColour(table, 0), TableColour(table, 1)};
  DecodeHuffman1D(b.view.sliced(bitsOffset, end - bitsOffset), h.width, h.height,
                  [&](long long row, long long from, long long to, int index) {
                    auto* line = reinterpret_cast<QRgb*>(image.scanLine(OutputRow(h, row)));
                    std::fill(line + from, line + to, colours[index]);
                  });
  return true;
}

bool IsRunLength(const Header& h) {
  return (h.compression == kRle8 && h.bitsPerPixel == 8) || (h.compression == kRle4 && h.bitsPerPixel == 4) ||
         (h.compression == kJpegOrRle24 && h.bitsPerPixel == 24);
}
}  // namespace

qsizetype PackedDibBitsOffset(QByteArrayView block) {
  const Bytes b{block};
  Header h;
  QString error;
  if (!ReadHeader(b, h, error)) return -1;
  return h.tableAt + DeclaredColours(h) * h.colourEntrySize;
}

TDibResult DecodeDib(QByteArrayView block, qsizetype bitsOffset, const TDibDecodeOptions& options) {
  TDibResult result;
  const Bytes b{block};
  Header h;
  if (!ReadHeader(b, h, result.error)) return result;
  h.alphaInFourthByte = options.alphaInFourthByte;
  if (options.heightIncludesMask) {
    h.height /= 2;
    if (h.height == 0) return result.error = QStringLiteral("icon bitmap has no rows"), result;
  }
  if (h.width * h.height > options.maxPixels && !options.fallbackSize.isEmpty()) {
    h.width = options.fallbackSize.width();
    h.height = options.fallbackSize.height();
  }
  if (h.width * h.height > options.maxPixels)
    return result.error = QStringLiteral("bitmap is too large"), result;
  if (bitsOffset < 0 || bitsOffset > block.size())
    return result.error = QStringLiteral("bitmap pixels missing"), result;

  const QByteArrayView rest = block.sliced(bitsOffset);
  const QByteArrayView embedded =
      h.imageSize != 0 && h.imageSize <= rest.size() ? rest.first(h.imageSize) : rest;
  if (h.compression == kPng && !h.os2) {
    result.image = ReadEmbedded(embedded, "png", options.maxPixels, result.error);
    return result;
  }
  if (h.compression == kJpegOrRle24 && h.bitsPerPixel != 24) {
    result.image = ReadEmbeddedJpeg(embedded, options.maxPixels, result.error);
    return result;
  }

  const bool runLength = IsRunLength(h);
  const bool huffman = IsHuffman1D(h);
  const bool plain =
      h.compression == kRgb || (!h.os2 && (h.compression == kBitfields || h.compression == kAlphaBitfields));
  if (!runLength && !plain && !huffman)
    return result.error = QStringLiteral("unsupported bitmap compression"), result;
  static constexpr int kDepths[] = {1, 2, 4, 8, 16, 24, 32, 64};
  if (std::find(std::begin(kDepths), std::end(kDepths), h.bitsPerPixel) == std::end(kDepths))
    return result.error = QStringLiteral("unsupported bit depth"), result;

  // Refused before the image is allocated: a few bytes must not cost hundreds of megabytes.
  const long long stride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
  if (plain && !b.Has(bitsOffset, stride * h.height))
    return result.error = QStringLiteral("bitmap pixels are cut short"), result;
  const QList<QRgb> table = ReadColourTable(b, h, bitsOffset);
  QImage image(static_cast<int>(h.width), static_cast<int>(h.height), QImage::Format_RGB32);
  if (image.isNull()) return result.error = QStringLiteral("out of memory"), result;
  const bool ok = huffman     ? DecodeHuffmanRows(b, h, bitsOffset, table, image, result.error)
                  : runLength ? DecodeRunLength(b, h, bitsOffset, table, image, result.error)
                              : DecodePlainRows(b, h, bitsOffset, table, image, result.error);
  if (!ok) return result;
  if (options.heightIncludesMask && plain) ApplyIconMask(b, h, bitsOffset, image);
  result.image = std::move(image);
  return result;
}

TDibResult DecodeBmpFile(QByteArrayView file, const TDibDecodeOptions& options) {
  TDibResult result;
  const Bytes b{file};
  qsizetype start = 0;
  // An OS/2 bitmap array puts its own 14-byte header before the first bitmap's file header.
  if (b.Has(0, 2) && file.first(2) == QByteArrayView("BA")) start = kFileHeader;
  if (!b.Has(start, kFileHeader + 4) || file.sliced(start, 2) != QByteArrayView("BM"))
    return result.error = QStringLiteral("no bitmap file header"), result;
  const qsizetype dibAt = start + kFileHeader;
  const QByteArrayView dib = file.sliced(dibAt);
  qsizetype bitsOffset = static_cast<qsizetype>(b.U32(start + 10)) - dibAt;
  const qsizetype headerSize = b.U32(dibAt);
  // Some writers leave the pixel offset zero or pointing into the header or at the colour table
  // itself; the packed layout holds then.
  const qsizetype packed = PackedDibBitsOffset(dib);
  if (bitsOffset < headerSize || (bitsOffset == headerSize && packed > headerSize)) bitsOffset = packed;
  return DecodeDib(dib, bitsOffset, options);
}
