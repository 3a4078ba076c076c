// The JPEG cache: keys from the file's status, one decoding per key across threads, least recently used out.
#include "jpeg/JpegCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "Picture.h"
#include "jpeg/JpegDctScale.h"
#include "jpeg/JpegImage.h"

namespace {
std::optional<TJpegKey> KeyOf(const QString& fileName, const TJpegDecodeOptions& options,
                              const TDrawArea& area) {
  TJpegKey key;
  key.path = QFileInfo(fileName).absoluteFilePath();
  struct stat info {};
  if (::stat(QFile::encodeName(key.path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  key.size = info.st_size;
  // The status change time moves with permission changes too, so a file made unreadable is not
  // served from memory; the open below catches what the key cannot see.
  key.changeTimeNs = static_cast<qint64>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  const int fd = ::open(QFile::encodeName(key.path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  key.pixelFormat = options.pixelFormat;
  key.scale = options.scale;
  key.grayscale = options.grayscale;
  key.performance = options.performance;
  // Tiles that do not reduce share one decoding whatever their size.
  if (area.reduce) key.area = area;
  return key;
}

std::shared_ptr<const TCachedJpeg> Decode(const TJpegKey& key) {
  auto picture = std::make_shared<TCachedJpeg>();
  picture->bytes = ReadPictureFile(key.path);
  // Changed between the look and the read: not what the key describes, so not worth keeping.
  if (picture->bytes.size() != key.size) return nullptr;
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
  std::unique_lock lock(mutex_);
  for (;;) {
    if (auto hit = FindLocked(*key)) return hit;
    if (std::find(inFlight_.begin(), inFlight_.end(), *key) == inFlight_.end()) break;
    decoded_.wait(lock);
  }
  inFlight_.push_back(*key);
  ++decodings_;
  lock.unlock();

  std::shared_ptr<const TCachedJpeg> picture;
  try {
    picture = Decode(*key);
  } catch (...) {
    // The plain load repeats the failure in the player's sight.
  }

  lock.lock();
  std::erase(inFlight_, *key);
  if (picture) InsertLocked(*key, picture);
  decoded_.notify_all();
  return picture;
}

std::unique_ptr<TJPEGImage> TJpegCache::LoadJpeg(const QString& fileName, const TJpegDecodeOptions& options,
                                                 const TDrawArea& area) {
  const QString extension = TPicture::ExtensionOf(fileName);
  if (extension != QLatin1String("jpg") && extension != QLatin1String("jpeg")) return nullptr;
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

int TJpegCache::Decodings() const {
  std::lock_guard lock(mutex_);
  return decodings_;
}

qint64 TJpegCache::Cost() const {
  std::lock_guard lock(mutex_);
  return cost_;
}

void TJpegCache::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  cost_ = 0;
}

std::shared_ptr<const TCachedJpeg> TJpegCache::FindLocked(const TJpegKey& key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first != key) continue;
    entries_.splice(entries_.begin(), entries_, it);
    return entries_.front().second;
  }
  return nullptr;
}

void TJpegCache::InsertLocked(const TJpegKey& key, std::shared_ptr<const TCachedJpeg> picture) {
  cost_ += picture->Cost();
  entries_.emplace_front(key, std::move(picture));
  while (cost_ > budget_ && !entries_.empty()) {
    cost_ -= entries_.back().second->Cost();
    entries_.pop_back();
  }
}
