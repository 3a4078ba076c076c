#include "PhotoBadInputs.h"

#include <functional>
#include <string>

#include "CorpusBytes.h"
#include "JpegSeeds.h"
#include "jpeg/JpegOrientation.h"

namespace {

// Offsets inside the Exif block the encoder writes: the TIFF header, then one directory at 8
// holding one entry, then the next directory's offset.
constexpr qsizetype kIfdOffset = 4, kEntryCount = 8, kEntry = 10, kNextIfd = 22;

struct TExifSeed {
  QByteArray bytes;
  qsizetype tiff = 0;  // where the TIFF block starts in the file
};

TExifSeed ExifSeed(const std::vector<TCorpusFile>& seeds) {
  TExifSeed seed{SeedNamed(seeds, "exif-6.jpg"), 0};
  seed.tiff = Locate(seed.bytes, QByteArrayView("Exif\0\0", 6)) + 6;
  return seed;
}

void AddExifLies(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const TExifSeed seed = ExifSeed(seeds);
  const auto lie = [&](const std::string& name, const std::function<void(QByteArray&, qsizetype)>& patch) {
    QByteArray bytes = seed.bytes;
    patch(bytes, seed.tiff);
    out.push_back({"damaged/exif-lie-" + name + ".jpg", bytes});
  };
  lie("ifd-past-end", [](QByteArray& b, qsizetype t) { Patch32(b, t + kIfdOffset, 0xFFFFFFF0u); });
  lie("ifd-at-end", [](QByteArray& b, qsizetype t) { Patch32(b, t + kIfdOffset, 26); });
  lie("ifd-offset-max", [](QByteArray& b, qsizetype t) { Patch32(b, t + kIfdOffset, 0xFFFFFFFFu); });
  lie("ifd-inside-header", [](QByteArray& b, qsizetype t) { Patch32(b, t + kIfdOffset, 1); });
  // A directory that names itself as the next one and as its Exif sub-directory.
  lie("ifd-loop", [](QByteArray& b, qsizetype t) {
    Patch16(b, t + kEntry, 0x8769);
    Patch16(b, t + kEntry + 2, 4);
    Patch32(b, t + kEntry + 8, 8);
    Patch32(b, t + kNextIfd, 8);
  });
  lie("entries-65535", [](QByteArray& b, qsizetype t) {
    Patch16(b, t + kEntryCount, 0xFFFF);
    Patch16(b, t + kEntry, 0x0100);
  });
  lie("orientation-0", [](QByteArray& b, qsizetype t) { Patch16(b, t + kEntry + 8, 0); });
  lie("orientation-9", [](QByteArray& b, qsizetype t) { Patch16(b, t + kEntry + 8, 9); });
  lie("orientation-65535", [](QByteArray& b, qsizetype t) { Patch16(b, t + kEntry + 8, 0xFFFF); });
  lie("type-long", [](QByteArray& b, qsizetype t) { Patch16(b, t + kEntry + 2, 4); });
  lie("count-2", [](QByteArray& b, qsizetype t) { Patch32(b, t + kEntry + 4, 2); });
  lie("byte-order", [](QByteArray& b, qsizetype t) { b[t] = 'X', b[t + 1] = 'X'; });
  lie("magic-43", [](QByteArray& b, qsizetype t) { Patch16(b, t + 2, 43); });
  lie("signature", [](QByteArray& b, qsizetype t) { b[t - 1] = 'X'; });

  // The block ends inside its only entry; the segment's length says so truthfully.
  const QByteArray plain = SeedNamed(seeds, "exif-1.jpg");
  const QByteArray exif = ExifOrientationPayload(6);
  out.push_back({"damaged/exif-lie-truncated.jpg", WithSegment(plain, 1, exif.left(6 + kEntry + 6))});
  out.push_back({"damaged/exif-lie-signature-only.jpg", WithSegment(plain, 1, exif.left(6))});
  out.push_back({"damaged/exif-lie-empty-segment.jpg", WithSegment(plain, 1, QByteArray())});
  // Only the first Exif block counts; the second one's turn is ignored.
  out.push_back(
      {"damaged/exif-first-of-two-8.jpg",
       WithSegment(WithSegment(plain, 1, ExifOrientationPayload(6)), 1, ExifOrientationPayload(8))});
  // The segment claims more bytes than the file holds.
  QByteArray overlong = seed.bytes;
  PatchBig16(overlong, seed.tiff - 8, 0xFFFF);
  out.push_back({"damaged/exif-segment-past-end.jpg", overlong});
}

void AddInkLies(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const QByteArray& adobe = SeedNamed(seeds, "cmyk-adobe.jpg");
  const qsizetype marker = Locate(adobe, "Adobe");
  for (const int transform : {1, 2, 7}) {
    QByteArray bytes = adobe;
    bytes[marker + 11] = static_cast<char>(transform);
    out.push_back({"damaged/cmyk-adobe-transform-" + std::to_string(transform) + ".jpg", bytes});
  }
  // An APP14 segment far too short to hold Adobe's fields.
  const qsizetype segment = marker - 4;
  const int length = (static_cast<uchar>(adobe[segment + 2]) << 8) | static_cast<uchar>(adobe[segment + 3]);
  const QByteArray withoutAdobe = adobe.left(segment) + adobe.mid(segment + 2 + length);
  QByteArray shortAdobe = withoutAdobe;
  const QByteArray shortSegment = WithSegment(QByteArray("\xFF\xD8", 2), 14, QByteArray("Adobe\0", 6)).mid(2);
  shortAdobe.insert(segment, shortSegment);
  out.push_back({"damaged/cmyk-adobe-segment-short.jpg", shortAdobe});
  out.push_back({"damaged/cmyk-adobe-segment-removed.jpg", withoutAdobe});
  // Adobe's segment on a three-component file: the transform says RGB, not YCbCr.
  QByteArray rgb = SeedNamed(seeds, "exif-1.jpg");
  rgb.insert(2, adobe.mid(segment, 2 + length));
  out.push_back({"damaged/ycbcr-with-adobe-rgb.jpg", rgb});
}

}  // namespace

void AddLyingPhotos(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  AddExifLies(seeds, out);
  AddInkLies(seeds, out);
}
