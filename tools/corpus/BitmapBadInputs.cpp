#include "BitmapBadInputs.h"

#include <functional>
#include <string>

#include "CorpusBytes.h"

namespace {

constexpr qsizetype kDib = 14;  // where the bitmap header starts in a BMP file

// PNG's chunk checksum, so that a patched size is read and judged rather than refused as corrupt.
quint32 Crc32(QByteArrayView data) {
  quint32 crc = 0xFFFFFFFFu;
  for (const char byte : data) {
    crc ^= static_cast<quint8>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// The PNG starting at `png` in bytes, its header chunk saying width x height.
void ResizePng(QByteArray& bytes, qsizetype png, quint32 width, quint32 height) {
  const qsizetype ihdr = Locate(bytes, "IHDR", png);
  PatchBig32(bytes, ihdr + 4, width);
  PatchBig32(bytes, ihdr + 8, height);
  PatchBig32(bytes, ihdr + 17, Crc32(QByteArrayView(bytes).sliced(ihdr, 17)));
}

using TPatch = std::function<void(QByteArray&)>;

void Add(std::vector<TCorpusFile>& out, const std::string& name, QByteArray bytes, const TPatch& patch) {
  patch(bytes);
  out.push_back({name, std::move(bytes)});
}

// Where the pixels of a BMP seed start.
qsizetype Pixels(const QByteArray& bmp) {
  return Read32(bmp, 10);
}

}  // namespace

void AddLyingBitmapVariants(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const auto seed = [&seeds](const char* name) { return SeedNamed(seeds, name); };
  const QByteArray os2 = seed("os2v1-8.bmp");
  Add(out, "reject/os2v1-65535x65535.bmp", os2,
      [](QByteArray& b) { Patch16(b, kDib + 4, 0xFFFF), Patch16(b, kDib + 6, 0xFFFF); });
  Add(out, "reject/os2v1-width-0.bmp", os2, [](QByteArray& b) { Patch16(b, kDib + 4, 0); });
  Add(out, "reject/os2v1-bits-3.bmp", os2, [](QByteArray& b) { Patch16(b, kDib + 10, 3); });
  Add(out, "reject/os2v2-alpha-bitfields.bmp", seed("os2v2-64-8.bmp"),
      [](QByteArray& b) { Patch32(b, kDib + 16, 6); });
  Add(out, "reject/bitfields-masks-cut.bmp", seed("bitfields-565.bmp").left(kDib + 40 + 4),
      [](QByteArray&) {});
  const QByteArray deep = seed("depth-64.bmp");
  Add(out, "reject/depth-64-pixels-cut.bmp", deep.left(deep.size() - 9), [](QByteArray&) {});
  const QByteArray png = seed("png-pixels.bmp");
  Add(out, "reject/png-pixels-100000x100000.bmp", png,
      [&](QByteArray& b) { ResizePng(b, Pixels(b), 100000, 100000); });
  Add(out, "reject/png-pixels-0x0.bmp", png, [&](QByteArray& b) { ResizePng(b, Pixels(b), 0, 0); });
  Add(out, "reject/png-pixels-not-png.bmp", png, [&](QByteArray& b) { b[Pixels(b) + 1] = 'X'; });
  Add(out, "reject/jpeg-pixels-9000x9000.bmp", seed("jpeg-pixels.bmp"), [](QByteArray& b) {
    const qsizetype sof = Locate(b, "\xFF\xC0", Pixels(b));
    PatchBig16(b, sof + 5, 9000), PatchBig16(b, sof + 7, 9000);
  });
  Add(out, "reject/rle4-with-8-bits.bmp", seed("rle4.bmp"), [](QByteArray& b) { Patch16(b, kDib + 14, 8); });
  Add(out, "reject/rle8-with-24-bits.bmp", seed("rle8-top-down.bmp"),
      [](QByteArray& b) { Patch16(b, kDib + 14, 24); });
  Add(out, "reject/bitmap-array-without-bitmap.bmp", seed("bitmap-array.bmp"),
      [](QByteArray& b) { b[14] = 'X'; });

  const QByteArray rle8 = seed("rle8-top-down.bmp");
  const qsizetype codes = Pixels(rle8);
  Add(out, "damaged/rle8-delta-past-picture.bmp", rle8, [&](QByteArray& b) {
    b[codes] = 0, b[codes + 1] = 2, b[codes + 2] = char(255), b[codes + 3] = char(255);
  });
  Add(out, "damaged/rle8-run-past-row.bmp", rle8, [&](QByteArray& b) { b[codes] = char(255); });
  // The first row's literal stretch claims more bytes than the data holds.
  Add(out, "damaged/rle8-literal-past-data.bmp", rle8, [&](QByteArray& b) { b[codes + 3] = char(255); });
  Add(out, "damaged/rle8-size-lies.bmp", rle8, [](QByteArray& b) { Patch32(b, kDib + 20, 0xFFFFFFF0u); });
  const QByteArray rle4 = seed("rle4.bmp");
  Add(out, "damaged/rle4-without-end.bmp", rle4.left(rle4.size() - 2), [](QByteArray&) {});
  Add(out, "damaged/rle4-literal-past-row.bmp", rle4, [&](QByteArray& b) { b[Pixels(b) + 3] = char(200); });
  const QByteArray rle24 = seed("os2v2-rle24.bmp");
  Add(out, "damaged/rle24-literal-past-data.bmp", rle24,
      [&](QByteArray& b) { b[Pixels(b) + 5] = char(250); });
  Add(out, "damaged/rle24-odd-run.bmp", rle24.left(rle24.size() - 1),
      [&](QByteArray& b) { b[Pixels(b)] = char(1); });
  const QByteArray huffman = seed("os2v2-huffman.bmp");
  Add(out, "damaged/os2v2-huffman-no-code.bmp", huffman, [](QByteArray& b) {
    for (qsizetype i = Pixels(b) + 4; i < Pixels(b) + 8; ++i) b[i] = 0;
  });
  Add(out, "damaged/os2v2-huffman-all-ones.bmp", huffman, [](QByteArray& b) {
    for (qsizetype i = Pixels(b); i < b.size(); ++i) b[i] = char(0xFF);
  });
  Add(out, "damaged/os2v2-huffman-eight-bits.bmp", huffman, [](QByteArray& b) { Patch16(b, kDib + 14, 8); });
  const QByteArray masks = seed("bitfields-565.bmp");
  const qsizetype maskAt = kDib + 40;
  Add(out, "damaged/bitfields-zero-masks.bmp", masks, [&](QByteArray& b) {
    for (int i = 0; i < 3; ++i) Patch32(b, maskAt + 4 * i, 0);
  });
  Add(out, "damaged/bitfields-full-masks.bmp", masks, [&](QByteArray& b) {
    for (int i = 0; i < 3; ++i) Patch32(b, maskAt + 4 * i, 0xFFFFFFFFu);
  });
  Add(out, "damaged/bitfields-overlapping-masks.bmp", masks, [&](QByteArray& b) {
    Patch32(b, maskAt, 0x0FF0), Patch32(b, maskAt + 4, 0x00FF), Patch32(b, maskAt + 8, 0xFF00);
  });
  Add(out, "damaged/bitfields-gapped-mask.bmp", seed("bitfields-101010.bmp"),
      [&](QByteArray& b) { Patch32(b, maskAt, 0x80000001u); });
  Add(out, "damaged/short-palette-colours-used-huge.bmp", seed("short-palette-4.bmp"),
      [](QByteArray& b) { Patch32(b, kDib + 32, 0xFFFFFFFFu); });
  Add(out, "damaged/os2v1-pixel-offset-0.bmp", os2, [](QByteArray& b) { Patch32(b, 10, 0); });
  Add(out, "damaged/os2v1-pixel-offset-in-palette.bmp", os2,
      [](QByteArray& b) { Patch32(b, 10, kDib + 12 + 30); });
  Add(out, "damaged/png-pixels-cut.bmp", png.left(png.size() - 20),
      [](QByteArray& b) { Patch32(b, kDib + 20, 0); });
  Add(out, "damaged/png-pixels-bigger-than-header.bmp", png,
      [&](QByteArray& b) { ResizePng(b, Pixels(b), 40, 40); });
  Add(out, "damaged/jpeg-pixels-size-lies.bmp", seed("jpeg-pixels.bmp"),
      [](QByteArray& b) { Patch32(b, kDib + 20, 0x7FFFFFFF); });
  Add(out, "damaged/bitmap-array-offset-lies.bmp", seed("bitmap-array.bmp"),
      [](QByteArray& b) { Patch32(b, 14 + 10, 0x7FFFFFF0); });
}

void AddLyingIconVariants(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const QByteArray pngIcon = SeedNamed(seeds, "png-entry.ico");
  const qsizetype entry = Read32(pngIcon, 6 + 12);
  Add(out, "reject/png-entry-100000x100000.ico", pngIcon,
      [&](QByteArray& b) { ResizePng(b, entry, 100000, 100000); });
  Add(out, "reject/png-entry-garbage.ico", pngIcon, [&](QByteArray& b) {
    for (qsizetype i = entry + 8; i < b.size(); ++i) b[i] = static_cast<char>(i * 7);
  });
  Add(out, "damaged/png-entry-cut.ico", pngIcon.left(pngIcon.size() - 30),
      [](QByteArray& b) { Patch32(b, 6 + 8, b.size() - Read32(b, 6 + 12)); });
  Add(out, "damaged/png-entry-bigger-than-directory.ico", pngIcon,
      [&](QByteArray& b) { ResizePng(b, entry, 64, 64); });
  const QByteArray masked = SeedNamed(seeds, "and-mask-8.ico");
  // 16 x 16 at 8 bits: the colour rows end 256 bytes after the palette, the mask after them.
  Add(out, "damaged/and-mask-cut.ico", masked.left(masked.size() - 40),
      [](QByteArray& b) { Patch32(b, 6 + 8, b.size() - Read32(b, 6 + 12)); });
  Add(out, "damaged/dib-height-not-doubled.ico", masked,
      [](QByteArray& b) { Patch32(b, Read32(b, 6 + 12) + 8, 16); });
  const QByteArray mixed = SeedNamed(seeds, "mixed-entries.ico");
  Add(out, "damaged/mixed-entries-offsets-swapped.ico", mixed, [](QByteArray& b) {
    const quint32 first = Read32(b, 6 + 12), third = Read32(b, 6 + 32 + 12);
    Patch32(b, 6 + 12, third), Patch32(b, 6 + 32 + 12, first);
  });
  Add(out, "damaged/mixed-entries-png-past-end.ico", mixed,
      [](QByteArray& b) { Patch32(b, 6 + 32 + 12, 0x7FFFFFF0); });
  Add(out, "damaged/mixed-entries-overlapping.ico", mixed, [](QByteArray& b) {
    for (int i = 0; i < 4; ++i) Patch32(b, 6 + 16 * i + 12, 6 + 16 * 4);
  });
  Add(out, "damaged/cursor-hot-spot-outside.ico", SeedNamed(seeds, "cursor.ico"),
      [](QByteArray& b) { Patch16(b, 6 + 4, 0xFFFF), Patch16(b, 6 + 6, 0xFFFF); });
}
