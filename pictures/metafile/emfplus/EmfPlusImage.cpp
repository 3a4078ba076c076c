#include "metafile/emfplus/EmfPlusImage.h"

#include <QBuffer>
#include <QImageReader>
#include <cstring>
#include <exception>
#include <vector>

#include "bitmap/DibReader.h"
#include "jpeg/JpegDecoder.h"
#include "metafile/emfplus/EmfPlusBudget.h"
#include "metafile/emfplus/EmfPlusTypes.h"
#include "metafile/model/MetaBytes.h"

namespace {

using EmfPlus::EBitmapDataType;
using EmfPlus::EImageType;

// The fields of an image object: its graphics version, then these.
constexpr std::int64_t kImageType = 4, kImageData = 8;
// A bitmap's fields, from the image data.
constexpr std::int64_t kBitmapWidth = 0, kBitmapHeight = 4, kBitmapStride = 8, kBitmapPixelFormat = 12,
                       kBitmapType = 16, kBitmapData = 20;
// A metafile's fields, from the image data: its type, its size, then its bytes.
constexpr std::int64_t kMetafileSize = 4, kMetafileData = 8;
// A palette before indexed pixels: flags, a count, then ARGB entries.
constexpr std::int64_t kPaletteCount = 4, kPaletteEntries = 8;
constexpr std::int64_t kMaxPaletteEntries = 256;

// A WMF begins with a placeable header (22 bytes, starting with its key) or without, then the plain
// header (18 bytes) with its type (1 or 2) and its own size in 16-bit words.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::int64_t kPlaceableSize = 22, kWmfHeaderSize = 18;
constexpr std::uint16_t kMaxWmfType = 2, kWmfHeaderWords = 9;

// One image of a picture may have at most this many pixels: 32 MB as ARGB.
constexpr std::int64_t kMaxImagePixels = std::int64_t{8} << 20;

bool Afford(TEmfPlusBudget& budget, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxImagePixels || height > kMaxImagePixels) return false;
  const std::int64_t pixels = width * height;
  if (pixels > kMaxImagePixels || pixels > budget.pixelsLeft) return false;
  budget.pixelsLeft -= pixels;
  return true;
}

QImage DecodeCompressed(const QByteArray& data, TEmfPlusBudget& budget) {
  if (data.size() >= 2 && static_cast<std::uint8_t>(data[0]) == 0xFF &&
      static_cast<std::uint8_t>(data[1]) == 0xD8) {
    try {
      const TJpegHeader header = ReadJpegHeader(data);
      if (!Afford(budget, header.imageWidth, header.imageHeight)) return {};
      return DecodeJpeg(data, TJpegDecodeOptions());
    } catch (const std::exception&) {
      return {};
    }
  }
  if (data.startsWith("BM")) {
    TDibDecodeOptions options;
    options.maxPixels = std::min(kMaxImagePixels, budget.pixelsLeft);
    TDibResult result = DecodeBmpFile(QByteArrayView(data), options);
    if (!result.image.isNull())
      budget.pixelsLeft -= std::int64_t{result.image.width()} * result.image.height();
    return result.image;
  }
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!Afford(budget, size.width(), size.height())) return {};
  return reader.read();
}

// One pixel of a row in a format of 16 bits or fewer, or of 24 or 32 bits.
QRgb Pixel(const std::uint8_t* row, std::int64_t x, int bits, std::uint32_t format, bool alpha,
           const std::vector<QRgb>& palette) {
  switch (bits) {
    case 32: {
      QRgb pixel = 0;
      std::memcpy(&pixel, row + 4 * x, 4);
      return alpha ? pixel : pixel | 0xFF000000u;
    }
    case 24:
      return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 16: {
      const int v = row[2 * x] | (row[2 * x + 1] << 8);
      if (format == EmfPlus::kPixelFormat16bppRGB565)
        return qRgb(((v >> 11) & 31) * 255 / 31, ((v >> 5) & 63) * 255 / 63, (v & 31) * 255 / 31);
      return qRgba(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31,
                   format == EmfPlus::kPixelFormat16bppARGB1555 && !(v & 0x8000) ? 0 : 255);
    }
    default: {
      const std::int64_t bit = x * bits;
      const int index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
      return static_cast<std::size_t>(index) < palette.size() ? palette[static_cast<std::size_t>(index)]
                                                              : 0xFF000000u;
    }
  }
}

QImage DecodePixels(const TMetaBytes& b, std::int64_t at, std::int64_t width, std::int64_t height,
                    std::int64_t stride, std::uint32_t format, TEmfPlusBudget& budget) {
  const int bits = static_cast<int>((format >> EmfPlus::kPixelFormatBitsShift) & 0xFF);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
  if (width <= 0 || height <= 0 || width > kMaxImagePixels || height > kMaxImagePixels) return {};
  std::vector<QRgb> palette;
  if (format & EmfPlus::kPixelFormatIndexed) {
    const std::int64_t count = b.U32(at + kPaletteCount);
    if (count > kMaxPaletteEntries || !b.Has(at + kPaletteEntries, 4 * count)) return {};
    for (std::int64_t i = 0; i < count; ++i) palette.push_back(b.U32(at + kPaletteEntries + 4 * i));
    at += kPaletteEntries + 4 * count;
  }
  if (stride < (width * bits + 7) / 8 || stride > (std::int64_t{1} << 28) || !b.Has(at, stride * height))
    return {};
  if (!Afford(budget, width, height)) return {};
  const bool alpha = format == EmfPlus::kPixelFormat32bppARGB || format == EmfPlus::kPixelFormat32bppPARGB ||
                     format == EmfPlus::kPixelFormat16bppARGB1555 || !palette.empty();
  QImage image(static_cast<int>(width), static_cast<int>(height),
               format == EmfPlus::kPixelFormat32bppPARGB ? QImage::Format_ARGB32_Premultiplied
               : alpha                                   ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
  if (image.isNull()) return {};
  for (std::int64_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint8_t*>(b.Data(at + stride * y, stride));
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    for (std::int64_t x = 0; x < width; ++x) out[x] = Pixel(row, x, bits, format, alpha, palette);
  }
  return image;
}

// GDI+ stores some WMFs cut short by the size of their placeable header; the records that are whole
// are drawn, as other viewers draw them.
void EndWmfAtLastWholeRecord(QByteArray& bytes) {
  const TMetaBytes wmf(bytes);
  // A record: its size in words, then its function; the end record's function is 0.
  constexpr std::int64_t kRecordSize = 0, kRecordFunction = 4, kRecordHeaderSize = 6;
  std::int64_t pos =
      wmf.Has(0, 4) && wmf.U32(0) == kPlaceableKey ? kPlaceableSize + kWmfHeaderSize : kWmfHeaderSize;
  while (wmf.Has(pos, kRecordHeaderSize)) {
    const std::int64_t size = 2 * static_cast<std::int64_t>(wmf.U32(pos + kRecordSize));
    // The end record, or a size no cut explains.
    if (wmf.U16(pos + kRecordFunction) == 0 || size < kRecordHeaderSize) return;
    if (!wmf.Has(pos, size)) break;
    pos += size;
  }
  if (pos > bytes.size()) return;
  bytes.truncate(static_cast<qsizetype>(pos));
  bytes.append("\x03\x00\x00\x00\x00\x00", 6);  // an end record
}

// An EMF begins with its header record, which carries the " EMF" signature.
bool IsEmfFile(const QByteArray& bytes) {
  const TMetaBytes emf(bytes);
  constexpr std::uint32_t kHeaderRecord = 1, kSignature = 0x464D4520;
  constexpr std::int64_t kHeaderMinSize = 88, kSignatureAt = 40;
  return emf.Has(0, kHeaderMinSize) && emf.U32(0) == kHeaderRecord && emf.U32(kSignatureAt) == kSignature;
}

// The bytes of a nested metafile as GDI+ stores them, made into the file they stand for.
QByteArray NestedMetafileBytes(const TMetaBytes& b, std::int64_t at) {
  const std::int64_t size = b.U32(at + kMetafileSize);
  if (!b.Has(at + kMetafileData, size)) return {};
  QByteArray bytes(b.Data(at + kMetafileData, size), static_cast<qsizetype>(size));
  // GDI+ pads the placeable header of a WMF to 24 bytes: two zero bytes come before the plain header.
  const TMetaBytes wmf(bytes);
  constexpr std::int64_t kPadding = 2, kPaddedType = kPlaceableSize + kPadding,
                         kPaddedHeaderWords = kPaddedType + 2;
  constexpr std::int64_t kPaddedMinSize = 30;
  if (wmf.Has(0, kPaddedMinSize) && wmf.U32(0) == kPlaceableKey && wmf.U16(kPaddedType) <= kMaxWmfType &&
      wmf.U16(kPaddedHeaderWords) == kWmfHeaderWords && wmf.U16(kPlaceableSize) == 0)
    bytes.remove(kPlaceableSize, kPadding);
  if (!IsEmfFile(bytes)) EndWmfAtLastWholeRecord(bytes);
  return bytes;
}

}  // namespace

QImage ReadEmfPlusBitmap(const TMetaBytes& b, std::int64_t at, TEmfPlusBudget& budget) {
  if (static_cast<EImageType>(b.U32(at + kImageType)) != EImageType::Bitmap) return {};
  const std::int64_t bitmap = at + kImageData;
  const std::int64_t width = b.I32(bitmap + kBitmapWidth), height = b.I32(bitmap + kBitmapHeight);
  const std::int64_t stride = b.I32(bitmap + kBitmapStride);
  const std::uint32_t format = b.U32(bitmap + kBitmapPixelFormat);
  const auto type = static_cast<EBitmapDataType>(b.U32(bitmap + kBitmapType));
  const std::int64_t data = bitmap + kBitmapData;
  if (type == EBitmapDataType::Compressed) {
    if (!b.Has(data, 1)) return {};
    return DecodeCompressed(QByteArray(b.Data(data, b.Size() - data), b.Size() - data), budget);
  }
  return DecodePixels(b, data, width, height, stride, format, budget);
}

std::optional<TEmfPlusImage> TEmfPlusImage::Read(const TMetaBytes& b, TEmfPlusBudget& budget,
                                                 const TEmfPlusMetafileReader& readMetafile) {
  TEmfPlusImage image;
  if (static_cast<EImageType>(b.U32(kImageType)) == EImageType::Metafile) {
    if (!readMetafile) return std::nullopt;
    const QByteArray bytes = NestedMetafileBytes(b, kImageData);
    if (bytes.isEmpty()) return std::nullopt;
    image.metafile = readMetafile(bytes);
    if (!image.metafile) return std::nullopt;
    return image;
  }
  image.bitmap = ReadEmfPlusBitmap(b, 0, budget);
  if (image.bitmap.isNull()) return std::nullopt;
  return image;
}
