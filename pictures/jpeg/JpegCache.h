// TJpegCache: decoded JPEG pictures shared by the tiles and the decode-ahead workers, within a memory budget.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>

#include "DrawArea.h"
#include "FileStamp.h"
#include "MadeOnceCache.h"
#include "jpeg/JpegDecoder.h"

class TJPEGImage;

// A JPEG file as it was when decoded: its bytes and header, the pixels at the scale its tile needs
// and, for a tile that shrinks it, those pixels already scaled to the drawn rectangle.
struct TCachedJpeg {
  QByteArray bytes;
  TJpegHeader header;
  QImage pixels;
  QImage drawn;
  qint64 Cost() const { return bytes.size() + pixels.sizeInBytes() + drawn.sizeInBytes(); }
};

// What makes two decodings interchangeable: the same file unchanged since (path, size, change time),
// the same options and the same area to fit into.
struct TJpegKey {
  TFileStamp file;
  TJPEGPixelFormat pixelFormat = TJPEGPixelFormat::jf24Bit;
  TJPEGScale scale = TJPEGScale::jsFullSize;
  bool grayscale = false;
  TJPEGPerformance performance = TJPEGPerformance::jpBestQuality;
  TDrawArea area;
  bool operator==(const TJpegKey&) const = default;
};

// Decoded JPEG pictures shared by the tiles and the decode-ahead workers, least recently used first
// out once their cost passes the budget. Safe to call from any thread; only bytes and QImages are
// made here, never widgets.
class TJpegCache {
 public:
  static constexpr qint64 kDefaultBudget = 64ll * 1024 * 1024;
  explicit TJpegCache(qint64 budgetBytes = kDefaultBudget) : cache_(budgetBytes) {}
  TJpegCache(const TJpegCache&) = delete;
  TJpegCache& operator=(const TJpegCache&) = delete;

  // True for the names of JPEG pictures (by extension: jpg, jpeg), which LoadJpeg serves.
  static bool Decodes(const QString& fileName);

  // The picture of the file as it is now, decoded once; a decoding that another thread has begun is
  // waited for. Null when the file cannot be read or decoded: the caller then loads it the plain way,
  // which raises the failure where the player sees it. Never throws.
  std::shared_ptr<const TCachedJpeg> Acquire(const QString& fileName, const TJpegDecodeOptions& options,
                                             const TDrawArea& area);

  // A JPEG picture ready to draw, with the options handed over and the cached pixels attached; null
  // for a name that is no JPEG picture and whenever Acquire gives null.
  std::unique_ptr<TJPEGImage> LoadJpeg(const QString& fileName, const TJpegDecodeOptions& options,
                                       const TDrawArea& area);

  // Decodings done so far (cache misses that decoded).
  int Decodings() const { return cache_.Makings(); }
  qint64 Cost() const { return cache_.Cost(); }
  void Clear() { cache_.Clear(); }

 private:
  TMadeOnceCache<TJpegKey, TCachedJpeg> cache_;
};
