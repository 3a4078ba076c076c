// EMF+ image effects read from their serialized parameters and applied to bitmaps.
#include "metafile/emfplus/EmfPlusImageEffect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "metafile/emfplus/EmfPlusFields.h"
#include "metafile/model/MetaBytes.h"

namespace {

// A serializable object's data: the effect's GUID, the size of its parameters, then the parameters.
constexpr std::int64_t kGuid = 0, kGuidSize = 16, kBufferSize = 16, kBuffer = 20;
constexpr std::int64_t kMatrixSize = 25 * 4, kTablesSize = 4 * 256;

// The GUIDs as stored (MS-DTYP's packet form: the first three fields little-endian).
// ColorMatrixEffectGuid {718F2615-7933-40E3-A511-5F68FE14DD74}.
constexpr std::array<std::uint8_t, kGuidSize> kColourMatrixGuid = {
    0x15, 0x26, 0x8F, 0x71, 0x33, 0x79, 0xE3, 0x40, 0xA5, 0x11, 0x5F, 0x68, 0xFE, 0x14, 0xDD, 0x74};
// ColorLookupTableEffectGuid {A7CE72A9-0F7F-40D7-B3CC-D0C02D5C3212}.
constexpr std::array<std::uint8_t, kGuidSize> kLookupTablesGuid = {
    0xA9, 0x72, 0xCE, 0xA7, 0x7F, 0x0F, 0xD7, 0x40, 0xB3, 0xCC, 0xD0, 0xC0, 0x2D, 0x5C, 0x32, 0x12};

bool IsGuid(const TMetaBytes& data, const std::array<std::uint8_t, kGuidSize>& guid) {
  return std::memcmp(data.Data(kGuid, kGuidSize), guid.data(), guid.size()) == 0;
}

int Channel(double value) {
  return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace

std::optional<TEmfPlusImageEffect> TEmfPlusImageEffect::Read(const TMetaBytes& data) {
  if (!data.Has(0, kBuffer)) return std::nullopt;
  const std::int64_t size = data.U32(kBufferSize);
  TEmfPlusImageEffect effect;
  if (IsGuid(data, kColourMatrixGuid)) {
    if (size < kMatrixSize || !data.Has(kBuffer, kMatrixSize)) return std::nullopt;
    effect.kind = EKind::ColourMatrix;
    for (std::size_t i = 0; i < effect.matrix.size(); ++i) {
      const float value = EmfPlusFloat(data, kBuffer + 4 * static_cast<std::int64_t>(i));
      effect.matrix[i] = std::isfinite(value) ? value : 0.0f;
    }
    return effect;
  }
  if (IsGuid(data, kLookupTablesGuid)) {
    if (size < kTablesSize || !data.Has(kBuffer, kTablesSize)) return std::nullopt;
    effect.kind = EKind::LookupTables;
    for (std::size_t t = 0; t < effect.tables.size(); ++t)
      for (std::size_t i = 0; i < 256; ++i)
        effect.tables[t][i] = data.U8(kBuffer + static_cast<std::int64_t>(256 * t + i));
    return effect;
  }
  return std::nullopt;
}

QImage ApplyEmfPlusImageEffect(const QImage& bitmap, const TEmfPlusImageEffect& effect) {
  QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = line[x];
      if (effect.kind == TEmfPlusImageEffect::EKind::LookupTables) {
        const auto& t = effect.tables;
        line[x] = qRgba(t[2][qRed(p)], t[1][qGreen(p)], t[0][qBlue(p)], t[3][qAlpha(p)]);
        continue;
      }
      const std::array<double, 5> in = {qRed(p) / 255.0, qGreen(p) / 255.0, qBlue(p) / 255.0,
                                        qAlpha(p) / 255.0, 1.0};
      std::array<double, 4> out{};
      for (std::size_t column = 0; column < out.size(); ++column)
        for (std::size_t row = 0; row < in.size(); ++row)
          out[column] += in[row] * effect.matrix[5 * row + column];
      line[x] = qRgba(Channel(out[0]), Channel(out[1]), Channel(out[2]), Channel(out[3]));
    }
  }
  return image;
}
