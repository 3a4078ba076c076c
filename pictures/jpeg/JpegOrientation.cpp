// EXIF orientation: walking the TIFF block of an APP1 segment, writing one, and turning pixels upright.
#include "jpeg/JpegOrientation.h"

#include <QTransform>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntrySize = 12;

// Reads the TIFF structure inside the Exif block; every offset is checked against its end.
class TTiffReader {
 public:
  TTiffReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  bool ReadByteOrder() {
    if (size_ < 8) return false;
    if (data_[0] == 'I' && data_[1] == 'I')
      little_ = true;
    else if (data_[0] == 'M' && data_[1] == 'M')
      little_ = false;
    else
      return false;
    return U16(2) == 42;
  }

  bool Fits(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  std::uint16_t U16(std::size_t offset) const {
    const unsigned a = data_[offset], b = data_[offset + 1];
    return static_cast<std::uint16_t>(little_ ? a | b << 8 : a << 8 | b);
  }

  std::uint32_t U32(std::size_t offset) const {
    const std::uint32_t a = U16(offset), b = U16(offset + 2);
    return little_ ? a | b << 16 : a << 16 | b;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  bool little_ = true;
};

}  // namespace

int ExifOrientation(const unsigned char* payload, std::size_t size) {
  if (payload == nullptr || size < sizeof(kExifSignature) ||
      std::memcmp(payload, kExifSignature, sizeof(kExifSignature)) != 0)
    return kUprightOrientation;
  TTiffReader tiff(payload + sizeof(kExifSignature), size - sizeof(kExifSignature));
  if (!tiff.ReadByteOrder()) return kUprightOrientation;
  // The orientation lives in the first image file directory.
  const std::size_t directory = tiff.U32(4);
  if (!tiff.Fits(directory, 2)) return kUprightOrientation;
  const std::size_t entries = tiff.U16(directory);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + i * kEntrySize;
    if (!tiff.Fits(entry, kEntrySize)) break;
    if (tiff.U16(entry) != kOrientationTag) continue;
    if (tiff.U16(entry + 2) != kShortType || tiff.U32(entry + 4) != 1) return kUprightOrientation;
    const int value = tiff.U16(entry + 8);
    return value >= 1 && value <= 8 ? value : kUprightOrientation;
  }
  return kUprightOrientation;
}

QByteArray ExifOrientationPayload(int orientation) {
  // Signature, "II", 42, directory at 8; one SHORT entry of count 1; no next directory.
  const unsigned char bytes[] = {'E', 'x',  'i',  'f', 0,
                                 0,   'I',  'I',  42,  0,
                                 8,   0,    0,    0,   1,
                                 0,   0x12, 0x01, 3,   0,
                                 1,   0,    0,    0,   static_cast<unsigned char>(orientation),
                                 0,   0,    0,    0,   0,
                                 0,   0};
  return QByteArray(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

bool SwapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

QSize UprightSize(QSize stored, int orientation) {
  return SwapsSides(orientation) ? stored.transposed() : stored;
}

QImage TurnUpright(const QImage& stored, int orientation) {
  if (stored.isNull()) return stored;
  // Qt turns by exact quarter turns without resampling and keeps the format.
  const auto turned = [&stored](qreal degrees) { return stored.transformed(QTransform().rotate(degrees)); };
  switch (orientation) {
    case 2:
      return stored.mirrored(true, false);
    case 3:
      return turned(180);
    case 4:
      return stored.mirrored(false, true);
    case 5:
      return turned(90).mirrored(true, false);
    case 6:
      return turned(90);
    case 7:
      return turned(90).mirrored(false, true);
    case 8:
      return turned(270);
    default:
      return stored;
  }
}
