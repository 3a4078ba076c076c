#include "metafile/emfplus/EmfPlusImages.h"

#include <QBuffer>
#include <QImageReader>
#include <cmath>
#include <cstring>

#include "Graphic.h"
#include "bitmap/DibReader.h"
#include "jpeg/JpegDecoder.h"
#include "metafile/model/MetaBytes.h"
#include "metafile/play/MetafilePlayer.h"
#include "metafile/read/EmfReader.h"
#include "metafile/read/WmfReader.h"

namespace {

// One image of a picture may have at most this many pixels: 32 MB as ARGB.
constexpr std::int64_t kMaxImagePixels = std::int64_t{8} << 20;

bool Afford(TEmfPlusImageBudget& budget, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxImagePixels || height > kMaxImagePixels) return false;
  const std::int64_t pixels = width * height;
  if (pixels > kMaxImagePixels || pixels > budget.pixelsLeft) return false;
  budget.pixelsLeft -= pixels;
  return true;
}

QImage DecodeCompressed(const QByteArray& data, TEmfPlusImageBudget& budget) {
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

QImage DecodePixels(const TMetaBytes& b, std::int64_t at, std::int64_t width, std::int64_t height,
                    std::int64_t stride, std::uint32_t format, TEmfPlusImageBudget& budget) {
  const int bits = static_cast<int>((format >> 8) & 0xFF);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
  if (width <= 0 || height <= 0 || width > kMaxImagePixels || height > kMaxImagePixels) return {};
  std::vector<QRgb> palette;
  if (format & 0x00010000) {  // indexed: a palette comes first
    const std::int64_t count = b.U32(at + 4);
    if (count > 256 || !b.Has(at + 8, 4 * count)) return {};
    for (std::int64_t i = 0; i < count; ++i) palette.push_back(b.U32(at + 8 + 4 * i));
    at += 8 + 4 * count;
  }
  if (stride < (width * bits + 7) / 8 || stride > (std::int64_t{1} << 28) || !b.Has(at, stride * height))
    return {};
  if (!Afford(budget, width, height)) return {};
  const bool alpha = format == 0x0026200A || format == 0x000E200B || format == 0x00061007 || !palette.empty();
  QImage image(static_cast<int>(width), static_cast<int>(height),
               format == 0x000E200B ? QImage::Format_ARGB32_Premultiplied
               : alpha              ? QImage::Format_ARGB32
                                    : QImage::Format_RGB32);
  if (image.isNull()) return {};
  for (std::int64_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint8_t*>(b.Data(at + stride * y, stride));
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    for (std::int64_t x = 0; x < width; ++x) {
      QRgb pixel = 0;
      switch (bits) {
        case 32:
          std::memcpy(&pixel, row + 4 * x, 4);
          if (!alpha) pixel |= 0xFF000000u;
          break;
        case 24:
          pixel = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
          break;
        case 16: {
          const int v = row[2 * x] | (row[2 * x + 1] << 8);
          if (format == 0x00021006)  // 5-6-5
            pixel = qRgb(((v >> 11) & 31) * 255 / 31, ((v >> 5) & 63) * 255 / 63, (v & 31) * 255 / 31);
          else
            pixel = qRgba(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31,
                          format == 0x00061007 && !(v & 0x8000) ? 0 : 255);
          break;
        }
        default: {
          const std::int64_t bit = x * bits;
          const int index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
          pixel = static_cast<std::size_t>(index) < palette.size() ? palette[static_cast<std::size_t>(index)]
                                                                   : 0xFF000000u;
          break;
        }
      }
      out[x] = pixel;
    }
  }
  return image;
}

// Metafiles inside metafiles are read one level deep only: each level could carry the next, and a
// file nesting thousands of them would exhaust the stack.
class TNestingGuard {
 public:
  TNestingGuard() { ++Depth(); }
  ~TNestingGuard() { --Depth(); }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
  static int& Depth() {
    thread_local int depth = 0;
    return depth;
  }
};

// GDI+ stores some WMFs cut short by the size of their placeable header; the records that are whole
// are drawn, as other viewers draw them.
void EndWmfAtLastWholeRecord(QByteArray& bytes) {
  const TMetaBytes wmf(bytes);
  constexpr std::int64_t kPlaceableSize = 22, kHeaderSize = 18;
  std::int64_t pos = wmf.Has(0, 4) && wmf.U32(0) == 0x9AC6CDD7u ? kPlaceableSize + kHeaderSize : kHeaderSize;
  while (wmf.Has(pos, 6)) {
    const std::int64_t size = 2 * static_cast<std::int64_t>(wmf.U32(pos));
    if (wmf.U16(pos + 4) == 0 || size < 6) return;  // the end record, or a size no cut explains
    if (!wmf.Has(pos, size)) break;
    pos += size;
  }
  if (pos > bytes.size()) return;
  bytes.truncate(static_cast<qsizetype>(pos));
  bytes.append("\x03\x00\x00\x00\x00\x00", 6);
}

std::shared_ptr<const TMetaPlayList> ParseMetafile(const TMetaBytes& b, std::int64_t at) {
  if (TNestingGuard::Depth() > 0) return nullptr;
  const std::int64_t size = b.U32(at + 4);
  if (!b.Has(at + 8, size)) return nullptr;
  QByteArray bytes(b.Data(at + 8, size), static_cast<qsizetype>(size));
  // GDI+ pads the 22-byte placeable header of a WMF to 24 bytes.
  const TMetaBytes wmf(bytes);
  if (wmf.Has(0, 30) && wmf.U32(0) == 0x9AC6CDD7u && wmf.U16(24) <= 2 && wmf.U16(26) == 9 && wmf.U16(22) == 0)
    bytes.remove(22, 2);
  if (!IsEmf(bytes)) EndWmfAtLastWholeRecord(bytes);
  TNestingGuard guard;
  try {
    auto list = std::make_shared<TMetaPlayList>(IsEmf(bytes) ? ReadEmf(bytes) : ReadWmf(bytes));
    if (list->frame.isEmpty()) {
      const QRectF drawn = TMetafilePlayer(*list).DrawnBounds();
      if (drawn.width() <= 0 || drawn.height() <= 0 || !std::isfinite(drawn.width()) ||
          !std::isfinite(drawn.height()))
        return nullptr;
      list->frame = drawn;
    }
    return list;
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

}  // namespace

QImage ParseEmfPlusImage(const TMetaBytes& b, std::int64_t at, TEmfPlusImageBudget& budget,
                         std::shared_ptr<const TMetaPlayList>* metafile) {
  const std::uint32_t type = b.U32(at + 4);
  if (type == 2 && metafile) *metafile = ParseMetafile(b, at + 8);
  if (type != 1) return {};
  const std::int64_t width = b.I32(at + 8), height = b.I32(at + 12), stride = b.I32(at + 16);
  const std::uint32_t format = b.U32(at + 20);
  const std::uint32_t compressed = b.U32(at + 24);
  const std::int64_t data = at + 28;
  if (compressed == 1) {
    if (!b.Has(data, 1)) return {};
    return DecodeCompressed(QByteArray(b.Data(data, b.Size() - data), b.Size() - data), budget);
  }
  return DecodePixels(b, data, width, height, stride, format, budget);
}
