// The DIBs of metafile records: their headers read, palette colour tables resolved, and decoding by the
// project's bitmap reader within the bitmap budget.
#include "metafile/read/MetaDib.h"

#include <uemf.h>
#include <uwmf.h>

#include <QtEndian>
#include <algorithm>
#include <array>

#include "bitmap/DibReader.h"

namespace {

// The OS/2 core header, and the BITMAPINFOHEADER that the larger headers begin with.
constexpr std::int64_t kCoreHeader = sizeof(U_BITMAPCOREHEADER);
constexpr std::int64_t kInfoHeader = sizeof(U_BITMAPINFOHEADER);
constexpr std::uint32_t kDibPalColors = U_DIB_PAL_COLORS;
constexpr std::uint32_t kDibPalIndices = U_DIB_PAL_INDICES;
// BI_ALPHABITFIELDS, which libuemf does not name.
constexpr std::uint32_t kBitfields = U_BI_BITFIELDS, kAlphaBitfields = 6;
// The masks that follow a BITMAPINFOHEADER of these compressions: red, green, blue (and alpha).
constexpr std::int64_t kMaskSize = sizeof(std::uint32_t);
// Colour table entries: RGBQUADs, the core header's RGBTRIPLEs, or 16-bit palette indices.
constexpr std::int64_t kRgbQuadSize = sizeof(U_RGBQUAD), kRgbTripleSize = 3;
constexpr std::int64_t kPaletteIndexSize = sizeof(std::uint16_t);
// A direct-colour bitmap with a longer colour table is read as having none.
constexpr std::int64_t kMaxColourTable = 256;

using TInfoHeader = U_BITMAPINFOHEADER;
using TCoreHeader = U_BITMAPCOREHEADER;
// Headers shorter than the BITMAPINFOHEADER end after one of its fields; each of these is where the
// field after it begins, the least size of a header that holds it.
constexpr std::int64_t kBitCountEnd = offsetof(TInfoHeader, biCompression);
constexpr std::int64_t kCompressionEnd = offsetof(TInfoHeader, biSizeImage);
constexpr std::int64_t kClrUsedEnd = offsetof(TInfoHeader, biClrImportant);

struct TDibLayout {
  std::int64_t headerSize = 0;
  int bitsPerPixel = 0;
  std::int64_t masksSize = 0;
  std::int64_t colours = 0;  // colour table entries
  bool core = false;
};

bool Has(QByteArrayView view, std::int64_t at, std::int64_t count) {
  return at >= 0 && count >= 0 && at <= view.size() && count <= view.size() - at;
}

std::uint32_t U32(QByteArrayView view, std::int64_t at) {
  return qFromLittleEndian<quint32>(view.data() + at);
}

std::uint16_t U16(QByteArrayView view, std::int64_t at) {
  return qFromLittleEndian<quint16>(view.data() + at);
}

bool ReadLayout(QByteArrayView info, TDibLayout& layout) {
  if (!Has(info, 0, sizeof(TInfoHeader::biSize))) return false;
  layout.headerSize = U32(info, offsetof(TInfoHeader, biSize));
  if (layout.headerSize < kCoreHeader || !Has(info, 0, layout.headerSize)) return false;
  layout.core = layout.headerSize == kCoreHeader;
  if (layout.core) {
    layout.bitsPerPixel = U16(info, offsetof(TCoreHeader, BitCount));
  } else {
    if (layout.headerSize < kBitCountEnd) return false;
    layout.bitsPerPixel = U16(info, offsetof(TInfoHeader, biBitCount));
    const std::uint32_t compression =
        layout.headerSize >= kCompressionEnd ? U32(info, offsetof(TInfoHeader, biCompression)) : 0;
    if (layout.headerSize == kInfoHeader && (compression == kBitfields || compression == kAlphaBitfields))
      layout.masksSize = (compression == kBitfields ? 3 : 4) * kMaskSize;
  }
  const std::uint32_t used =
      !layout.core && layout.headerSize >= kClrUsedEnd ? U32(info, offsetof(TInfoHeader, biClrUsed)) : 0;
  if (layout.bitsPerPixel >= U_BCBM_MONOCHROME && layout.bitsPerPixel <= U_BCBM_COLOR8)
    layout.colours = used == 0 || used > (1u << layout.bitsPerPixel) ? (1 << layout.bitsPerPixel) : used;
  else if (layout.bitsPerPixel > U_BCBM_COLOR8)
    layout.colours = used <= kMaxColourTable ? used : 0;
  return true;
}

void PutRgbQuad(QByteArray& out, QRgb colour) {
  out.append(static_cast<char>(qBlue(colour)));
  out.append(static_cast<char>(qGreen(colour)));
  out.append(static_cast<char>(qRed(colour)));
  out.append('\0');
}

// The BITMAPINFO with its colour table replaced: black and white, or for palette indices each entry's
// position as its red (the indices going to `palette`).
QByteArray RewrittenInfo(QByteArrayView info, const TDibLayout& layout, const TMetaDibRequest& request,
                         TMetaPaletteImage& palette) {
  const std::int64_t tableAt = layout.headerSize + layout.masksSize;
  QByteArray out(info.data(), static_cast<qsizetype>(tableAt));
  if (request.monochrome && layout.bitsPerPixel == U_BCBM_MONOCHROME) {
    // Two colours in the table.
    if (!layout.core && layout.headerSize >= kClrUsedEnd)
      qToLittleEndian<quint32>(2, out.data() + offsetof(TInfoHeader, biClrUsed));
    if (layout.core) {
      out.append(QByteArray("\0\0\0\xFF\xFF\xFF", 2 * kRgbTripleSize));
    } else {
      PutRgbQuad(out, qRgb(0, 0, 0));
      PutRgbQuad(out, qRgb(255, 255, 255));
    }
    return out;
  }
  // Palette indices: two bytes each, or none when the pixels are indices themselves.
  for (std::int64_t i = 0; i < layout.colours; ++i) {
    const std::int64_t at = tableAt + kPaletteIndexSize * i;
    const std::uint16_t index = request.usage == kDibPalIndices    ? static_cast<std::uint16_t>(i)
                                : Has(info, at, kPaletteIndexSize) ? U16(info, at)
                                                                   : 0;
    palette.entries.push_back(index);
    PutRgbQuad(out, qRgb(static_cast<int>(i), 0, 0));
  }
  return out;
}

std::int64_t DeclaredPixels(QByteArrayView info) {
  TDibLayout layout;
  if (!ReadLayout(info, layout)) return 0;
  const std::int64_t width = layout.core
                                 ? U16(info, offsetof(TCoreHeader, Width))
                                 : static_cast<std::int32_t>(U32(info, offsetof(TInfoHeader, biWidth)));
  return width * DibHeight(info);
}

}  // namespace

QImage DecodeMetaDib(const TMetaDibRequest& request, TMetaListBuilder& builder) {
  TDibLayout layout;
  if (!ReadLayout(request.info, layout)) return QImage();
  const std::int64_t budget = builder.BitmapPixelsLeft();
  // Checked here as well as by the reader: a refused size must not be copied either.
  const std::int64_t declared = DeclaredPixels(request.info);
  if (budget <= 0 || declared <= 0 || declared > budget) return QImage();
  const bool rewrite = (request.monochrome && layout.bitsPerPixel == U_BCBM_MONOCHROME) ||
                       ((request.usage == kDibPalColors || request.usage == kDibPalIndices) &&
                        layout.bitsPerPixel <= U_BCBM_COLOR8 && layout.colours > 0);
  auto palette = std::make_shared<TMetaPaletteImage>();
  QByteArray block =
      rewrite ? RewrittenInfo(request.info, layout, request, *palette) : request.info.toByteArray();
  if (request.rows > 0 && request.rows < DibHeight(request.info)) {
    const bool bottomUp = DibIsBottomUp(request.info);
    if (layout.core)
      qToLittleEndian<quint16>(static_cast<quint16>(request.rows),
                               block.data() + offsetof(TCoreHeader, Height));
    else
      qToLittleEndian<qint32>(static_cast<qint32>(bottomUp ? request.rows : -request.rows),
                              block.data() + offsetof(TInfoHeader, biHeight));
  }
  const qsizetype bitsOffset = block.size();
  block.append(request.bits.data(), request.bits.size());
  TDibDecodeOptions options;
  options.maxPixels = budget;
  options.alphaInFourthByte = request.alpha;
  TDibResult result = DecodeDib(block, bitsOffset, options);
  if (result.image.isNull()) return QImage();
  const std::int64_t pixels = static_cast<std::int64_t>(result.image.width()) * result.image.height();
  if (pixels > budget) return QImage();
  builder.SpendBitmapPixels(pixels);
  if (!palette->entries.empty()) {
    // Their positions are counted as well: they take half the pixels' room.
    builder.SpendBitmapPixels(pixels / 2);
    if (request.palette) *request.palette = std::move(palette);
  }
  return result.image;
}

QImage MetaPalettePositions(const QImage& decoded) {
  const QImage pixels = decoded.convertToFormat(QImage::Format_ARGB32);
  QImage positions(pixels.size(), QImage::Format_Grayscale16);
  for (int y = 0; y < pixels.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    auto* out = reinterpret_cast<std::uint16_t*>(positions.scanLine(y));
    for (int x = 0; x < pixels.width(); ++x)
      out[x] = qAlpha(in[x]) == 0 ? TMetaPaletteImage::kNoEntry : static_cast<std::uint16_t>(qRed(in[x]));
  }
  return positions;
}

std::int64_t PackedDibInfoSize(QByteArrayView packed, std::uint32_t usage) {
  TDibLayout layout;
  if (!ReadLayout(packed, layout)) return -1;
  const bool indexed = layout.bitsPerPixel <= U_BCBM_COLOR8;
  const std::int64_t entry = indexed && usage == kDibPalIndices  ? 0
                             : indexed && usage == kDibPalColors ? kPaletteIndexSize
                             : layout.core                       ? kRgbTripleSize
                                                                 : kRgbQuadSize;
  const std::int64_t size = layout.headerSize + layout.masksSize + entry * layout.colours;
  return std::min<std::int64_t>(size, packed.size());
}

bool DibIsBottomUp(QByteArrayView info) {
  TDibLayout layout;
  if (!ReadLayout(info, layout)) return true;
  return layout.core || static_cast<std::int32_t>(U32(info, offsetof(TInfoHeader, biHeight))) > 0;
}

std::int64_t DibHeight(QByteArrayView info) {
  TDibLayout layout;
  if (!ReadLayout(info, layout)) return 0;
  if (layout.core) return U16(info, offsetof(TCoreHeader, Height));
  const std::int64_t height = static_cast<std::int32_t>(U32(info, offsetof(TInfoHeader, biHeight)));
  return height < 0 ? -height : height;
}

int DibBitsPerPixel(QByteArrayView info) {
  TDibLayout layout;
  return ReadLayout(info, layout) ? layout.bitsPerPixel : 0;
}

QByteArray DibFromBitmap16(int width, int height, int widthBytes, int planes, int bitsPerPixel,
                           QByteArrayView bits) {
  if (planes != 1 ||
      (bitsPerPixel != U_BCBM_MONOCHROME && bitsPerPixel != U_BCBM_COLOR24 && bitsPerPixel != U_BCBM_COLOR32))
    return {};
  if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxMetaBitmapPixels)
    return {};
  const std::int64_t rowBytes = (static_cast<std::int64_t>(width) * bitsPerPixel + 7) / 8;
  if (widthBytes < rowBytes || !Has(bits, 0, static_cast<std::int64_t>(widthBytes) * height)) return {};
  // DIB rows are padded to whole 32-bit words.
  const std::int64_t stride = (static_cast<std::int64_t>(width) * bitsPerPixel + 31) / 32 * 4;
  QByteArray dib(static_cast<qsizetype>(kInfoHeader), '\0');
  auto* header = reinterpret_cast<uchar*>(dib.data());
  qToLittleEndian<quint32>(kInfoHeader, header + offsetof(TInfoHeader, biSize));
  qToLittleEndian<qint32>(width, header + offsetof(TInfoHeader, biWidth));
  // Device bitmaps store their rows top-down.
  qToLittleEndian<qint32>(-height, header + offsetof(TInfoHeader, biHeight));
  qToLittleEndian<quint16>(1, header + offsetof(TInfoHeader, biPlanes));
  qToLittleEndian<quint16>(static_cast<quint16>(bitsPerPixel), header + offsetof(TInfoHeader, biBitCount));
  if (bitsPerPixel == U_BCBM_MONOCHROME) {
    PutRgbQuad(dib, qRgb(0, 0, 0));
    PutRgbQuad(dib, qRgb(255, 255, 255));
  }
  dib.reserve(dib.size() + static_cast<qsizetype>(stride * height));
  for (int row = 0; row < height; ++row) {
    dib.append(bits.data() + static_cast<std::int64_t>(row) * widthBytes, static_cast<qsizetype>(rowBytes));
    dib.append(QByteArray(static_cast<qsizetype>(stride - rowBytes), '\0'));
  }
  return dib;
}
