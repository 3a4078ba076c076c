// The JPEG cache: keys from the file's stamp and the decoding options, each decoded once across threads.
#include "jpeg/JpegCache.h"

#include <optional>

#include "Picture.h"
#include "jpeg/JpegDctScale.h"
#include "jpeg/JpegImage.h"

namespace {
std::optional<TJpegKey> KeyOf(const QString& fileName, const TJpegDecodeOptions& options,
                              const TDrawArea& area) {
  std::optional<TFileStamp> file = StampOf(fileName);
  if (!file) return std::nullopt;
  TJpegKey key;
  key.file = std::move(*file);
  key.pixelFormat = options.pixelFormat;
  key.scale = options.scale;
  key.grayscale = options.grayscale;
  key.performance = options.performance;
  // Tiles that do not reduce share one decoding whatever their size.
  if (area.reduce) key.area = area;
  // Where the tile puts the picture in the area changes nothing of its decoding.
  key.area.centred = false;
  return key;
}

std::shared_ptr<const TCachedJpeg> Decode(const TJpegKey& key) {
  auto picture = std::make_shared<TCachedJpeg>();
  picture->bytes = ReadPictureFile(key.file.path);
  // Changed between the look and the read: not what the key describes, so not worth keeping.
  if (picture->bytes.size() != key.file.size) return nullptr;
  picture->header = ReadJpegHeader(picture->bytes);
  TJpegDecodeOptions options;
  options.pixelFormat = key.pixelFormat;
  options.grayscale = key.grayscale;
  options.performance = key.performance;
  options.scale = ReducedScale(picture->header, key.scale, key.area);
  picture->pixels = DecodeJpeg(picture->bytes, options);
  const QSize drawn = DrawnPixels(picture->header, key.area);
  if (!drawn.isEmpty() && !picture->pixels.isNull()) {
    picture->drawn = picture->pixels.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture->drawn.setDevicePixelRatio(key.area.ratio);
  }
  return picture;
}
}  // namespace

std::shared_ptr<const TCachedJpeg> TJpegCache::Acquire(const QString& fileName,
                                                       const TJpegDecodeOptions& options,
                                                       const TDrawArea& area) {
  const std::optional<TJpegKey> key = KeyOf(fileName, options, area);
  if (!key) return nullptr;
  return cache_.Acquire(*key, [&key] { return Decode(*key); });
}

bool TJpegCache::Decodes(const QString& fileName) {
  const QString extension = TPicture::ExtensionOf(fileName);
  return extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
}

std::unique_ptr<TJPEGImage> TJpegCache::LoadJpeg(const QString& fileName, const TJpegDecodeOptions& options,
                                                 const TDrawArea& area) {
  if (!Decodes(fileName)) return nullptr;
  const std::shared_ptr<const TCachedJpeg> picture = Acquire(fileName, options, area);
  if (!picture) return nullptr;
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->LoadFromBytes(picture->bytes, picture->header);
  jpeg->SetPixelFormat(options.pixelFormat);
  jpeg->SetScale(options.scale);
  jpeg->SetGrayscale(options.grayscale);
  jpeg->SetPerformance(options.performance);
  jpeg->SetProgressiveDisplay(options.progressiveDisplay);
  jpeg->AdoptPixels(picture->pixels, picture->drawn);
  return jpeg;
}
