#include "BitmapSeeds.h"

#include <QBuffer>
#include <QImage>
#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>

#include "CorpusBytes.h"
#include "FileBytes.h"
#include "Huffman1DWriter.h"
#include "jpeg/JpegDecoder.h"

namespace {

constexpr quint32 kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kJpegOrRle24 = 4, kPng = 5,
                  kAlphaBitfields = 6;
constexpr qsizetype kFileHeader = 14;
constexpr quint32 kSrgbSpace = 0x73524742;  // 'sRGB'

// One device-independent bitmap as the writer lays it out.
struct TDib {
  qsizetype headerSize = 40;  // 12 OS/2 v1; 16 or 64 OS/2 v2; 40; 108 V4; 124 V5
  int width = 16;
  int height = 8;  // negative: top-down rows
  int bitsPerPixel = 24;
  quint32 compression = kRgb;
  std::vector<quint32> masks;  // after a 40-byte header, inside a V4 or V5 one
  std::vector<QRgb> palette;
  quint32 coloursUsed = 0;
  QByteArray pixels;
};

using TPixelValue = std::function<quint64(int x, int storedRow)>;

// Rows of `bits` bits per pixel, each padded to four bytes, in the order they are stored.
QByteArray PackRows(int width, int rows, int bits, const TPixelValue& value) {
  const int stride = (width * bits + 31) / 32 * 4;
  QByteArray out(static_cast<qsizetype>(stride) * rows, '\0');
  for (int row = 0; row < rows; ++row) {
    char* line = out.data() + static_cast<qsizetype>(row) * stride;
    for (int x = 0; x < width; ++x) {
      const quint64 v = value(x, row);
      if (bits < 8) {
        const int bit = x * bits;
        line[bit / 8] = static_cast<char>(line[bit / 8] | ((v & ((1u << bits) - 1)) << (8 - bits - bit % 8)));
      } else {
        for (int i = 0; i < bits / 8; ++i) line[x * bits / 8 + i] = static_cast<char>(v >> (8 * i));
      }
    }
  }
  return out;
}

std::vector<QRgb> Ramp(int count) {
  std::vector<QRgb> colours;
  for (int i = 0; i < count; ++i)
    colours.push_back(qRgb(i * 255 / std::max(1, count - 1), (i * 97) % 256, 255 - (i * 53) % 256));
  return colours;
}

QByteArray DibHeader(const TDib& d) {
  QByteArray header;
  if (d.headerSize == 12) {
    Put32(header, 12);
    Put16(header, d.width);
    Put16(header, d.height);
    Put16(header, 1);
    Put16(header, d.bitsPerPixel);
  } else {
    header = QByteArray(d.headerSize, '\0');
    Patch32(header, 0, d.headerSize);
    Patch32(header, 4, d.width);
    Patch32(header, 8, d.height);
    Patch16(header, 12, 1);
    Patch16(header, 14, d.bitsPerPixel);
    if (d.headerSize >= 20) Patch32(header, 16, d.compression);
    if (d.headerSize >= 24) Patch32(header, 20, d.pixels.size());
    if (d.headerSize >= 36) Patch32(header, 32, d.coloursUsed);
    if (d.headerSize >= 108) {
      for (std::size_t i = 0; i < d.masks.size() && i < 4; ++i)
        Patch32(header, 40 + 4 * static_cast<qsizetype>(i), d.masks[i]);
      Patch32(header, 56, kSrgbSpace);
    }
  }
  if (d.headerSize < 108)
    for (const quint32 mask : d.masks) Put32(header, mask);
  for (const QRgb colour : d.palette) {
    header.append(static_cast<char>(qBlue(colour)));
    header.append(static_cast<char>(qGreen(colour)));
    header.append(static_cast<char>(qRed(colour)));
    if (d.headerSize != 12) header.append('\0');
  }
  return header;
}

QByteArray BmpFile(const TDib& d) {
  const QByteArray header = DibHeader(d);
  QByteArray file("BM");
  Put32(file, kFileHeader + header.size() + d.pixels.size());
  Put32(file, 0);
  Put32(file, kFileHeader + header.size());
  return file + header + d.pixels;
}

// An OS/2 bitmap array holding one bitmap: its pixel offset counts from the start of the array.
QByteArray BitmapArray(const QByteArray& bmp) {
  QByteArray array("BA");
  Put32(array, kFileHeader + bmp.size());
  Put32(array, 0);  // no next bitmap
  Put16(array, 640);
  Put16(array, 480);
  QByteArray inner = bmp;
  Patch32(inner, 10, Read32(inner, 10) + kFileHeader);
  return array + inner;
}

QImage Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool inside = std::hypot(x - width / 2.0, y - height / 2.0) < std::min(width, height) / 2.0;
      image.setPixel(x, y, qRgba(x * 255 / width, y * 255 / height, 120, inside ? 255 : 0));
    }
  return image;
}

QByteArray Png(const QImage& image) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw std::runtime_error("Qt cannot write a PNG");
  return out;
}

// Run-length rows: a run of the row's colour, a literal stretch, an end of line; one delta skips.
QByteArray Rle(int depth, int width, int rows) {
  QByteArray out;
  const auto code = [&out](int a, int b) { out.append(static_cast<char>(a)).append(static_cast<char>(b)); };
  for (int row = 0; row < rows; ++row) {
    if (row == rows / 2) {
      code(0, 2);  // delta: right 3, down 1
      code(3, 1);
      continue;
    }
    const int run = width / 2;
    if (depth == 24) {
      code(run, 40 * row % 256);
      code(200, 30);
    } else {
      code(run, depth == 8 ? row % 16 : (row % 16) << 4 | (row + 5) % 16);
    }
    const int literal = std::min(depth == 4 ? 5 : 3, width - run);
    code(0, literal);
    const int bytes = depth == 8 ? literal : depth == 4 ? (literal + 1) / 2 : literal * 3;
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((i * 37 + row) % 16));
    if (bytes % 2 != 0) out.append('\0');
    code(0, 0);
  }
  code(0, 1);
  return out;
}

TDib Indexed(int bits, int colours, qsizetype headerSize = 40) {
  TDib d;
  d.headerSize = headerSize;
  d.bitsPerPixel = bits;
  d.palette = Ramp(colours);
  d.pixels =
      PackRows(d.width, d.height, bits, [bits](int x, int row) { return (x + row * 3) % (1 << bits); });
  return d;
}

TDib Masked(int bits, quint32 compression, std::vector<quint32> masks, const TPixelValue& value) {
  TDib d;
  d.bitsPerPixel = bits;
  d.compression = compression;
  d.masks = std::move(masks);
  d.pixels = PackRows(d.width, d.height, bits, value);
  return d;
}

TDib RunLength(int depth, quint32 compression, qsizetype headerSize, bool topDown) {
  TDib d;
  d.headerSize = headerSize;
  d.bitsPerPixel = depth;
  d.compression = compression;
  if (depth != 24) d.palette = Ramp(1 << depth);
  if (topDown) d.height = -d.height;
  d.pixels = Rle(depth, d.width, std::abs(d.height));
  return d;
}

TDib Embedded(quint32 compression, const QByteArray& data) {
  TDib d;
  d.headerSize = 124;
  d.bitsPerPixel = 0;
  d.compression = compression;
  d.pixels = data;
  return d;
}

// Linear light in signed 2.13 fixed point: blue, green, red, alpha.
quint64 LinearPixel(int x, int row) {
  const auto channel = [](double level) { return static_cast<quint64>(std::lround(level * 8192)) & 0xFFFF; };
  return channel(x / 16.0) | channel(row / 8.0) << 16 | channel(0.5) << 32 |
         channel(x < 12 ? 1.0 : 0.5) << 48;
}

// One image of an icon: a 40-byte header of twice the height, the palette, colour rows, AND mask.
QByteArray IconDib(const QImage& image, int bits) {
  TDib d;
  d.width = image.width();
  d.height = image.height();
  d.bitsPerPixel = bits;
  if (bits <= 8) d.palette = Ramp(1 << bits);
  const auto colour = [&image, bits](int x, int row) -> quint64 {
    const QRgb p = image.pixel(x, image.height() - 1 - row);
    if (bits <= 8) return (qRed(p) / 32 + qGreen(p) / 16) % (1 << bits);
    return bits == 24 ? (p & 0xFFFFFF) : p;
  };
  const auto transparent = [&image](int x, int row) -> quint64 {
    return qAlpha(image.pixel(x, image.height() - 1 - row)) < 128 ? 1 : 0;
  };
  d.pixels = PackRows(d.width, d.height, bits, colour) + PackRows(d.width, d.height, 1, transparent);
  QByteArray dib = DibHeader(d);
  Patch32(dib, 8, 2 * d.height);
  return dib + d.pixels;
}

struct TIconEntry {
  int size;  // the directory's width and height; 256 is written as 0
  int bits;
  QByteArray data;
};

QByteArray IconFile(const std::vector<TIconEntry>& entries, int type = 1) {
  QByteArray file;
  Put16(file, 0);
  Put16(file, type);
  Put16(file, static_cast<int>(entries.size()));
  qsizetype offset = 6 + 16 * static_cast<qsizetype>(entries.size());
  for (const TIconEntry& entry : entries) {
    file.append(static_cast<char>(entry.size % 256)).append(static_cast<char>(entry.size % 256));
    file.append(static_cast<char>(entry.bits <= 4 ? 1 << entry.bits : 0)).append('\0');
    Put16(file, type == 2 ? entry.size / 2 : 1);  // planes, or a cursor's hot spot
    Put16(file, type == 2 ? entry.size / 2 : entry.bits);
    Put32(file, entry.data.size());
    Put32(file, offset);
    offset += entry.data.size();
  }
  for (const TIconEntry& entry : entries) file.append(entry.data);
  return file;
}

}  // namespace

std::vector<TCorpusFile> BitmapSeeds() {
  std::vector<TCorpusFile> seeds;
  const auto add = [&seeds](const std::string& name, const TDib& dib) {
    seeds.push_back({name, BmpFile(dib)});
  };
  add("os2v1-8.bmp", Indexed(8, 256, 12));
  add("os2v1-1.bmp", Indexed(1, 2, 12));
  add("os2v1-short-palette.bmp", Indexed(8, 20, 12));
  add("os2v2-64-8.bmp", [] {
    TDib d = Indexed(8, 16, 64);
    d.coloursUsed = 16;
    return d;
  }());
  add("os2v2-16-4.bmp", Indexed(4, 16, 16));
  add("os2v2-rle24.bmp", RunLength(24, kJpegOrRle24, 64, false));
  add("depth-2.bmp", Indexed(2, 4));
  add("short-palette-1.bmp", [] {
    TDib d = Indexed(1, 1);
    d.coloursUsed = 1;
    return d;
  }());
  add("short-palette-2.bmp", [] {
    TDib d = Indexed(2, 3);
    d.coloursUsed = 3;
    return d;
  }());
  add("short-palette-4.bmp", [] {
    TDib d = Indexed(4, 5);
    d.coloursUsed = 5;
    return d;
  }());
  add("depth-64.bmp", [] {
    TDib d;
    d.bitsPerPixel = 64;
    d.pixels = PackRows(d.width, d.height, 64, LinearPixel);
    return d;
  }());
  const QImage pattern = Pattern(16, 8);
  add("png-pixels.bmp", Embedded(kPng, Png(pattern)));
  add("jpeg-pixels.bmp", Embedded(kJpegOrRle24, EncodeJpeg(pattern)));
  add("rle4.bmp", RunLength(4, kRle4, 40, false));
  add("rle8-top-down.bmp", RunLength(8, kRle8, 40, true));
  add("rle24-top-down.bmp", RunLength(24, kJpegOrRle24, 64, true));
  const auto ramp16 = [](int x, int row) -> quint64 { return (x * 4096 + row * 977) & 0xFFFF; };
  const auto ramp32 = [](int x, int row) -> quint64 { return (x * 0x10F0F1u + row * 0x3311u) * 2654435761u; };
  add("bitfields-565.bmp", Masked(16, kBitfields, {0xF800, 0x07E0, 0x001F}, ramp16));
  add("bitfields-1555-alpha.bmp", Masked(16, kAlphaBitfields, {0x7C00, 0x03E0, 0x001F, 0x8000}, ramp16));
  add("bitfields-reversed-444.bmp", Masked(16, kBitfields, {0x000F, 0x00F0, 0x0F00}, ramp16));
  add("bitfields-narrow.bmp", Masked(16, kBitfields, {0x8000, 0x6000, 0x001F}, ramp16));
  add("bitfields-101010.bmp", Masked(32, kBitfields, {0x3FF00000, 0x000FFC00, 0x000003FF}, ramp32));
  add("bitfields-bgr-order.bmp", Masked(32, kBitfields, {0x000000FF, 0x0000FF00, 0x00FF0000}, ramp32));
  add("v4-alpha.bmp", [&] {
    TDib d = Masked(32, kBitfields, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, ramp32);
    d.headerSize = 108;
    return d;
  }());
  add("v5-24.bmp", [] {
    TDib d;
    d.headerSize = 124;
    d.pixels =
        PackRows(d.width, d.height, 24, [](int x, int row) { return quint64(x * 0x0F0B07u + row * 0x20u); });
    return d;
  }());
  seeds.push_back({"bitmap-array.bmp", BitmapArray(BmpFile(Indexed(8, 256, 12)))});
  add("os2v2-huffman.bmp", [] {
    TDib d;
    d.headerSize = 64;
    d.width = 40;
    d.bitsPerPixel = 1;
    d.compression = kBitfields;  // Huffman 1D under an OS/2 header
    d.palette = {qRgb(255, 255, 240), qRgb(20, 20, 90)};
    QImage picture(d.width, d.height, QImage::Format_Indexed8);
    picture.setColorCount(2);
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x) picture.setPixel(x, y, (x / (y + 2) + y) % 2);
    d.pixels = EncodeHuffman1D(picture, true);
    return d;
  }());
  return seeds;
}

std::vector<TCorpusFile> IconSeeds() {
  const QImage small = Pattern(16, 16), medium = Pattern(32, 32), large = Pattern(48, 48);
  return {
      {"png-entry.ico", IconFile({{48, 32, Png(large)}})},
      {"mixed-entries.ico", IconFile({{16, 4, IconDib(small, 4)},
                                      {32, 8, IconDib(medium, 8)},
                                      {48, 32, Png(large)},
                                      {32, 32, IconDib(medium, 32)}})},
      {"and-mask-1.ico", IconFile({{32, 1, IconDib(medium, 1)}})},
      {"and-mask-8.ico", IconFile({{16, 8, IconDib(small, 8)}})},
      {"and-mask-24.ico", IconFile({{16, 24, IconDib(small, 24)}})},
      {"cursor.ico", IconFile({{32, 4, IconDib(medium, 4)}}, 2)},
  };
}
