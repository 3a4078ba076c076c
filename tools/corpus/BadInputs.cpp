#include "BadInputs.h"

#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <stdexcept>

#include "BitmapBadInputs.h"
#include "PhotoBadInputs.h"

namespace {

using TWords = std::vector<std::int16_t>;

quint32 Get32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}
void Put16(QByteArray& bytes, qsizetype at, std::int64_t value) {
  qToLittleEndian(static_cast<quint16>(value), bytes.data() + at);
}
void Put32(QByteArray& bytes, qsizetype at, std::int64_t value) {
  qToLittleEndian(static_cast<quint32>(value), bytes.data() + at);
}

const QByteArray& Seed(const std::vector<TCorpusFile>& seeds, const std::string& name) {
  for (const TCorpusFile& seed : seeds)
    if (seed.name == name) return seed.bytes;
  throw std::runtime_error("no seed " + name);
}

std::string Stem(const std::string& name) {
  return name.substr(0, name.rfind('.'));
}
std::string Extension(const std::string& name) {
  return name.substr(name.rfind('.'));
}

void AddTruncations(const TCorpusFile& seed, std::vector<TCorpusFile>& out) {
  const qsizetype size = seed.bytes.size();
  // The header fields of every kind lie in the first 60 bytes; the rest cut records and scans.
  std::set<qsizetype> lengths{0,  1,  2,  3,  4,  5,  6,  8,  10, 12,       14,
                              16, 18, 20, 22, 24, 30, 40, 54, 60, size - 2, size - 1};
  for (int k = 1; k < 12; ++k) lengths.insert(size * k / 12);
  for (const qsizetype length : lengths) {
    if (length < 0 || length >= size) continue;
    out.push_back({"damaged/" + Stem(seed.name) + "-cut-" + std::to_string(length) + Extension(seed.name),
                   seed.bytes.left(length)});
  }
}

void AddBitFlips(const TCorpusFile& seed, std::mt19937& random, std::vector<TCorpusFile>& out) {
  const qsizetype size = seed.bytes.size();
  for (int i = 0; i < 14; ++i) {
    QByteArray bytes = seed.bytes;
    // Half of the flips hit the first 64 bytes, where the headers are.
    const qsizetype limit = i % 2 == 0 ? std::min<qsizetype>(size, 64) : size;
    const int flips = 1 + i % 4;
    for (int f = 0; f < flips; ++f) {
      const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(limit));
      bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
    }
    out.push_back(
        {"damaged/" + Stem(seed.name) + "-flip-" + std::to_string(i) + Extension(seed.name), bytes});
  }
}

// The start-of-frame segment of a JPEG (baseline, extended or progressive): its height and width follow at +5
// and +7, big-endian.
qsizetype StartOfFrame(const QByteArray& jpeg) {
  for (qsizetype at = 2; at + 9 < jpeg.size(); ++at)
    if (static_cast<uchar>(jpeg[at]) == 0xFF && static_cast<uchar>(jpeg[at + 1]) >= 0xC0 &&
        static_cast<uchar>(jpeg[at + 1]) <= 0xC2)
      return at;
  throw std::runtime_error("no start of frame");
}

QByteArray JpegOfSize(const QByteArray& jpeg, int width, int height) {
  QByteArray bytes = jpeg;
  const qsizetype sof = StartOfFrame(bytes);
  qToBigEndian(static_cast<quint16>(height), bytes.data() + sof + 5);
  qToBigEndian(static_cast<quint16>(width), bytes.data() + sof + 7);
  return bytes;
}

void AddLyingJpegs(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  for (const char* name : {"baseline", "progressive", "exif-6", "cmyk-adobe", "ycck-adobe-progressive"}) {
    const QByteArray& jpeg = Seed(seeds, std::string(name) + ".jpg");
    const std::string prefix = std::string("reject/") + name;
    out.push_back({prefix + "-65535x65535.jpg", JpegOfSize(jpeg, 65535, 65535)});
    out.push_back({prefix + "-0x0.jpg", JpegOfSize(jpeg, 0, 0)});
    out.push_back({prefix + "-0x16.jpg", JpegOfSize(jpeg, 0, 16)});
    out.push_back({prefix + "-24x0.jpg", JpegOfSize(jpeg, 24, 0)});
    out.push_back({prefix + "-9000x9000.jpg", JpegOfSize(jpeg, 9000, 9000)});
    // Within the pixel limit, but the data ends long before the picture does.
    out.push_back({std::string("damaged/") + name + "-4000x4000.jpg", JpegOfSize(jpeg, 4000, 4000)});
    out.push_back({std::string("damaged/") + name + "-1x65535.jpg", JpegOfSize(jpeg, 1, 65535)});
  }
}

void AddLyingBitmaps(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const QByteArray& bmp = Seed(seeds, "bottom-up-24.bmp");
  auto lie = [&](const std::string& name, auto&& patch) {
    QByteArray bytes = bmp;
    patch(bytes);
    out.push_back({"reject/" + name + ".bmp", bytes});
  };
  lie("65535x65535", [](QByteArray& b) { Put32(b, 18, 65535), Put32(b, 22, 65535); });
  lie("0x0", [](QByteArray& b) { Put32(b, 18, 0), Put32(b, 22, 0); });
  lie("height-0", [](QByteArray& b) { Put32(b, 22, 0); });
  lie("height-int-min", [](QByteArray& b) { Put32(b, 22, INT32_MIN); });
  lie("height-minus-65535", [](QByteArray& b) { Put32(b, 22, -65535); });
  lie("height-int-max", [](QByteArray& b) { Put32(b, 22, INT32_MAX); });
  lie("height-minus-1000", [](QByteArray& b) { Put32(b, 22, -1000); });
  lie("width-negative", [](QByteArray& b) { Put32(b, 18, -24); });
  lie("pixels-past-end", [](QByteArray& b) { Put32(b, 10, 0xFFFFFFF0u); });
  lie("info-size-0", [](QByteArray& b) { Put32(b, 14, 0); });
  lie("info-size-huge", [](QByteArray& b) { Put32(b, 14, 0xFFFFFFFFu); });
  lie("bits-0", [](QByteArray& b) { Put16(b, 28, 0); });
  lie("bits-255", [](QByteArray& b) { Put16(b, 28, 255); });
  lie("not-bm", [](QByteArray& b) { b[0] = 'X'; });
}

void AddLyingIcons(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const QByteArray& ico = Seed(seeds, "alpha-32.ico");
  const qsizetype image = Get32(ico, 6 + 12);
  auto lie = [&](const std::string& name, auto&& patch) {
    QByteArray bytes = ico;
    patch(bytes);
    out.push_back({"reject/" + name + ".ico", bytes});
  };
  lie("65535-images", [](QByteArray& b) { Put16(b, 4, 65535); });
  lie("0-images", [](QByteArray& b) { Put16(b, 4, 0); });
  lie("image-past-end", [](QByteArray& b) { Put32(b, 6 + 12, 0x7FFFFFF0); });
  lie("image-size-huge", [](QByteArray& b) { Put32(b, 6 + 8, 0xFFFFFFF0u); });
  lie("bitmap-0x0", [&](QByteArray& b) { Put32(b, image + 4, 0), Put32(b, image + 8, 0); });
  lie("bitmap-negative", [&](QByteArray& b) { Put32(b, image + 4, -32), Put32(b, image + 8, -64); });
  lie("not-icon", [](QByteArray& b) { Put16(b, 2, 7); });
  // An absurd bitmap size is replaced by the directory's, as other viewers do: drawn, not refused.
  QByteArray huge = ico;
  Put32(huge, image + 4, 65535), Put32(huge, image + 8, 131070);
  out.push_back({"damaged/bitmap-65535x65535.ico", huge});
}

// A hand-made WMF: the optional placeable header, the plain header and the records, each a function
// number with its parameter words. A record's size is its true one unless given.
struct TWmfRecord {
  std::uint16_t function;
  TWords params;
  std::int64_t sizeWords = -1;
};

QByteArray Wmf(bool placeable, const TWords& box, const std::vector<TWmfRecord>& records) {
  QByteArray out;
  if (placeable) {
    out.resize(22);
    out.fill('\0');
    Put32(out, 0, 0x9AC6CDD7u);
    for (int i = 0; i < 4; ++i) Put16(out, 6 + 2 * i, box[static_cast<std::size_t>(i)]);
    Put16(out, 14, 96);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= qFromLittleEndian<quint16>(out.constData() + 2 * i);
    Put16(out, 20, sum);
  }
  const qsizetype header = out.size();
  out.resize(header + 18);
  std::fill(out.begin() + header, out.end(), '\0');
  Put16(out, header, 1);
  Put16(out, header + 2, 9);
  Put16(out, header + 4, 0x0300);
  std::int64_t largest = 3;
  for (const TWmfRecord& record : records) {
    const std::int64_t words = 3 + static_cast<std::int64_t>(record.params.size());
    largest = std::max(largest, words);
    const qsizetype at = out.size();
    out.resize(at + 6 + 2 * static_cast<qsizetype>(record.params.size()));
    Put32(out, at, record.sizeWords >= 0 ? record.sizeWords : words);
    Put16(out, at + 4, record.function);
    for (std::size_t i = 0; i < record.params.size(); ++i)
      Put16(out, at + 6 + 2 * static_cast<qsizetype>(i), record.params[i]);
  }
  out.append(QByteArray("\x03\0\0\0\0\0", 6));
  Put32(out, header + 6, (out.size() - header) / 2);
  Put32(out, header + 12, largest);
  return out;
}

constexpr std::uint16_t kSaveDC = 0x001E, kRestoreDC = 0x0127, kPolygon = 0x0324, kLineTo = 0x0213,
                        kSetWindowExt = 0x020C, kSetWindowOrg = 0x020B, kEllipse = 0x0418;

void AddLyingWmfs(std::vector<TCorpusFile>& out) {
  const TWords box{0, 0, 200, 100};
  const TWmfRecord window{kSetWindowExt, {100, 200}};
  const TWmfRecord origin{kSetWindowOrg, {0, 0}};
  const TWmfRecord line{kLineTo, {50, 80}};
  const TWmfRecord ellipse{kEllipse, {90, 180, 10, 20}};
  // Records that lie about their size or their points end the picture after what came before them.
  out.push_back(
      {"damaged/record-size-0.wmf", Wmf(true, box, {origin, window, {kLineTo, {50, 80}, 0}, line})});
  out.push_back({"damaged/record-size-1.wmf", Wmf(true, box, {window, {kLineTo, {50, 80}, 1}, line})});
  out.push_back({"damaged/record-past-end.wmf", Wmf(true, box, {window, {kLineTo, {50, 80}, 0x7FFFFFFF}})});
  out.push_back(
      {"damaged/record-past-end-plain.wmf", Wmf(false, {}, {window, {kEllipse, {1, 2, 3, 4}, 4000}})});
  out.push_back(
      {"damaged/polygon-65535-points.wmf", Wmf(true, box, {window, {kPolygon, {-1, 0, 0, 10, 10, 20, 0}}})});
  out.push_back(
      {"damaged/polygon-32767-points.wmf", Wmf(false, {}, {window, {kPolygon, {32767, 0, 0, 10, 10}}})});
  // With nothing before the lie, or cut short of the size its header gives, a file is refused.
  out.push_back({"reject/first-record-size-0.wmf", Wmf(true, box, {{kLineTo, {50, 80}, 0}, line})});
  out.push_back({"reject/first-record-past-end.wmf", Wmf(false, {}, {{kEllipse, {1, 2, 3, 4}, 4000}})});
  out.push_back(
      {"reject/first-polygon-32767-points.wmf", Wmf(true, box, {{kPolygon, {32767, 0, 0, 10, 10}}})});
  out.push_back({"reject/cut-short.wmf", [&] {
                   // Beyond the placeable header, which some writers count in the size.
                   QByteArray bytes = Wmf(true, box, {window, line, ellipse, line, ellipse, line});
                   bytes.chop(40);
                   return bytes;
                 }()});
  out.push_back({"reject/placeable-box-0.wmf", Wmf(true, {0, 0, 0, 0}, {window, line})});
  out.push_back({"reject/placeable-box-flat.wmf", Wmf(true, {10, 10, 300, 10}, {window, line})});
  out.push_back({"reject/placeable-units-0.wmf", [&] {
                   QByteArray bytes = Wmf(true, box, {window, line});
                   Put16(bytes, 14, 0);
                   return bytes;
                 }()});
  std::vector<TWmfRecord> saves{window};
  for (int i = 0; i < 300; ++i) saves.push_back({kSaveDC, {}});
  saves.push_back(ellipse);
  out.push_back({"damaged/saves-without-restore.wmf", Wmf(true, box, saves)});
  out.push_back(
      {"damaged/restore-without-save.wmf",
       Wmf(true, box, {window, {kRestoreDC, {-100}}, {kRestoreDC, {5}}, ellipse, {kRestoreDC, {-1}}})});
  out.push_back({"damaged/restore-too-deep.wmf",
                 Wmf(false, {}, {window, {kSaveDC, {}}, {kSaveDC, {}}, {kRestoreDC, {-3}}, ellipse})});
  out.push_back({"damaged/placeable-box-negative.wmf", Wmf(true, {200, 100, 0, 0}, {window, ellipse})});
  out.push_back(
      {"damaged/placeable-box-huge.wmf", Wmf(true, {-32768, -32768, 32767, 32767}, {window, ellipse})});
  out.push_back({"damaged/window-ext-0.wmf", Wmf(false, {}, {{kSetWindowExt, {0, 0}}, ellipse})});
  out.push_back({"damaged/plain-no-window.wmf", Wmf(false, {}, {ellipse, line})});
}

// The records of an EMF after its header: each starts with its type and its size.
std::vector<qsizetype> EmfRecords(const QByteArray& emf) {
  std::vector<qsizetype> at;
  for (qsizetype pos = 0; pos + 8 <= emf.size();) {
    at.push_back(pos);
    const quint32 size = Get32(emf, pos + 4);
    if (Get32(emf, pos) == 14 || size < 8) break;  // EMR_EOF
    pos += size;
  }
  return at;
}

// Inserts records before the end record and keeps the header's byte and record counts true.
QByteArray EmfWith(const QByteArray& emf, const QByteArray& records, int count) {
  QByteArray bytes = emf;
  bytes.insert(EmfRecords(emf).back(), records);
  Put32(bytes, 48, bytes.size());
  Put32(bytes, 52, Get32(bytes, 52) + static_cast<quint32>(count));
  return bytes;
}

QByteArray EmfRecord(quint32 type, const std::vector<std::int32_t>& params) {
  QByteArray record(8 + 4 * static_cast<qsizetype>(params.size()), '\0');
  Put32(record, 0, type);
  Put32(record, 4, record.size());
  for (std::size_t i = 0; i < params.size(); ++i) Put32(record, 8 + 4 * static_cast<qsizetype>(i), params[i]);
  return record;
}

void AddLyingEmfs(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const QByteArray& emf = Seed(seeds, "shapes.emf");
  const std::vector<qsizetype> records = EmfRecords(emf);
  qsizetype polygon = -1;
  for (const qsizetype at : records)
    if (Get32(emf, at) == 3) polygon = at;  // EMR_POLYGON
  if (polygon < 0) throw std::runtime_error("no polygon in the EMF seed");
  auto lie = [&](const std::string& folder, const std::string& name, auto&& patch) {
    QByteArray bytes = emf;
    patch(bytes);
    out.push_back({folder + name + ".emf", bytes});
  };
  lie("damaged/", "record-size-0", [&](QByteArray& b) { Put32(b, records[1] + 4, 0); });
  lie("damaged/", "record-size-4", [&](QByteArray& b) { Put32(b, records[1] + 4, 4); });
  lie("damaged/", "record-past-end", [&](QByteArray& b) { Put32(b, records[1] + 4, 0xFFFFFFF0u); });
  lie("damaged/", "record-size-odd",
      [&](QByteArray& b) { Put32(b, records[1] + 4, Get32(b, records[1] + 4) + 2); });
  lie("reject/", "cut-short", [&](QByteArray& b) { b.truncate(polygon + 12); });
  lie("reject/", "header-size-huge", [&](QByteArray& b) { Put32(b, 4, 0x7FFFFFF0); });
  lie("damaged/", "polygon-huge-count", [&](QByteArray& b) { Put32(b, polygon + 24, 0x7FFFFFFF); });
  lie("damaged/", "polygon-count-past-record", [&](QByteArray& b) { Put32(b, polygon + 24, 1000); });
  lie("reject/", "frame-and-bounds-0", [&](QByteArray& b) {
    for (int i = 8; i < 40; i += 4) Put32(b, i, 0);
  });
  lie("reject/", "frame-huge", [&](QByteArray& b) {
    for (int i = 0; i < 4; ++i) Put32(b, 24 + 4 * i, i < 2 ? 0 : 0x7FFFFFFF);
  });
  lie("reject/", "no-signature", [&](QByteArray& b) { b[40] = 'X'; });
  lie("damaged/", "frame-negative", [&](QByteArray& b) {
    for (int i = 0; i < 4; ++i) Put32(b, 24 + 4 * i, i < 2 ? 10000 : 0);
  });
  QByteArray saves;
  for (int i = 0; i < 500; ++i) saves.append(EmfRecord(33, {}));  // EMR_SAVEDC
  out.push_back({"damaged/saves-without-restore.emf", EmfWith(emf, saves, 500)});
  out.push_back({"damaged/restore-without-save.emf",
                 EmfWith(emf, EmfRecord(34, {-100}) + EmfRecord(34, {-1}) + EmfRecord(34, {7}), 3)});
  out.push_back(
      {"damaged/select-unknown-object.emf", EmfWith(emf, EmfRecord(37, {4000}) + EmfRecord(40, {-5}), 2)});
}

// Bitmap records whose DIBs claim sizes and offsets their records do not hold, and an embedded EMF
// whose chunks lie about its size.
void AddLyingBitmapRecords(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const QByteArray& emf = Seed(seeds, "bitmaps.emf");
  qsizetype stretch = -1;
  for (const qsizetype at : EmfRecords(emf))
    if (stretch < 0 && Get32(emf, at) == 81) stretch = at;  // EMR_STRETCHDIBITS
  if (stretch < 0) throw std::runtime_error("no StretchDIBits in the EMF seed");
  const qsizetype header = stretch + Get32(emf, stretch + 48);
  const auto lie = [&](const std::string& name, auto&& patch) {
    QByteArray bytes = emf;
    patch(bytes);
    out.push_back({"damaged/" + name + ".emf", bytes});
  };
  lie("stretchdibits-30000x30000", [&](QByteArray& b) {
    Put32(b, header + 4, 30000);
    Put32(b, header + 8, 30000);
  });
  lie("stretchdibits-rle-65535x65535", [&](QByteArray& b) {
    Put32(b, header + 4, 65535);
    Put32(b, header + 8, 65535);
    Put16(b, header + 14, 8);
    Put32(b, header + 16, 1);  // BI_RLE8: little data may claim many pixels
  });
  lie("stretchdibits-bits-past-record", [&](QByteArray& b) { Put32(b, stretch + 56, 0xFFFFFF00u); });
  lie("stretchdibits-header-past-record", [&](QByteArray& b) { Put32(b, stretch + 48, 0x7FFFFFF0u); });
  lie("stretchdibits-bits-size-huge", [&](QByteArray& b) { Put32(b, stretch + 60, 0x7FFFFFF0u); });
  lie("stretchdibits-header-size-huge", [&](QByteArray& b) { Put32(b, header, 0x7FFFFFF0u); });

  QByteArray wmf = Seed(seeds, "embedded-emf.wmf");
  const qsizetype chunk = wmf.indexOf(QByteArray("WMFC"));
  if (chunk < 0) throw std::runtime_error("no embedded EMF in the WMF seed");
  Put32(wmf, chunk + 30, 0x7FFFFFFF);  // the EMF's total size
  out.push_back({"damaged/embedded-emf-total-huge.wmf", wmf});
  QByteArray shortChunk = Seed(seeds, "embedded-emf.wmf");
  Put32(shortChunk, chunk + 22, 0xFFFF);  // this chunk's size, past its record
  out.push_back({"damaged/embedded-emf-chunk-past-record.wmf", shortChunk});
}

void AddNames(const std::vector<TCorpusFile>& seeds, std::vector<TCorpusFile>& out) {
  const std::pair<const char*, const char*> names[] = {
      {"baseline.jpg", "names/with spaces in it.jpg"},
      {"bottom-up-24.bmp", "names/ leading and trailing space .bmp"},
      {"baseline.jpg", "names/-leading-dash.jpg"},
      {"alpha-32.ico", "names/--help.ico"},
      {"placeable.wmf", "names/-.wmf"},
      {"progressive.jpg", "names/\xff\xfe not utf-8.jpg"},
      {"shapes.emf", "names/caf\xe9 latin-1.emf"},
      {"gray.jpg", "names/UPPER CASE.JPEG"},
      {"shapes.emf", "names/emf named.jpg"},
      {"baseline.jpg", "names/no extension"},
      {"baseline.jpg", "names/trailing dot.jpg."},
  };
  for (const auto& [seed, name] : names) out.push_back({name, Seed(seeds, seed)});
}

}  // namespace

std::vector<TCorpusFile> BadInputs(const std::vector<TCorpusFile>& seeds) {
  std::vector<TCorpusFile> out;
  std::mt19937 random(20240607);
  for (const TCorpusFile& seed : seeds) {
    AddTruncations(seed, out);
    AddBitFlips(seed, random, out);
  }
  AddLyingJpegs(seeds, out);
  AddLyingBitmaps(seeds, out);
  AddLyingIcons(seeds, out);
  AddLyingPhotos(seeds, out);
  AddLyingBitmapVariants(seeds, out);
  AddLyingIconVariants(seeds, out);
  AddLyingWmfs(out);
  AddLyingEmfs(seeds, out);
  AddLyingBitmapRecords(seeds, out);
  AddNames(seeds, out);
  return out;
}
