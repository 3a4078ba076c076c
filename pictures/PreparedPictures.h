// TPreparedPictures: BMP, ICO, WMF and EMF pictures read, parsed and drawn at a tile's size before they are
// turned.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include "DrawArea.h"
#include "DrawnImage.h"
#include "FileStamp.h"
#include "Graphic.h"
#include "MadeOnceCache.h"

// A picture file read and parsed (or decoded), kept to hand out twins of, and, for a tile that fits
// its picture into an area, drawn there already (see TDrawnImage). A picture that reads what lies
// under it is drawn ahead only over the grounds it is copied onto; its twins start from the outline
// caches that drawing filled, for the draws on any other ground.
struct TPreparedPicture {
  std::unique_ptr<const TGraphic> graphic;
  TDrawnImage drawn;
  qint64 cost = 0;
  qint64 Cost() const { return cost; }
};

// What makes two preparations interchangeable: the same file unchanged since, the same area.
struct TPreparedKey {
  TFileStamp file;
  TDrawArea area;
  bool operator==(const TPreparedKey&) const = default;
};

// The pictures of the kinds other than JPEG (which have their own cache) prepared for the tiles by
// the decode-ahead workers, or by the first tile that needs one. The two tiles of a pair get twins
// that share the parsed data. Safe to call from any thread; only pictures and QImages are made here.
class TPreparedPictures {
 public:
  static constexpr qint64 kDefaultBudget = 64ll * 1024 * 1024;
  explicit TPreparedPictures(qint64 budgetBytes = kDefaultBudget) : cache_(budgetBytes) {}

  // True for the names whose kind is prepared here (by extension: bmp, ico, wmf, emf).
  static bool Prepares(const QString& fileName);

  // The picture of the file as it is now, prepared once for the area; a preparation that another
  // thread has begun is waited for. ground, when given, is what the tile shows under the area (device
  // pixels from its top-left) while the picture is face down: a preparation made now draws the picture
  // over it too. Null for a name of another kind, a file that cannot be read, or content its kind
  // rejects: the caller then loads it the plain way, which raises the failure where the player sees
  // it. Never throws.
  std::shared_ptr<const TPreparedPicture> Acquire(const QString& fileName, const TDrawArea& area,
                                                  const QImage& ground = QImage());

  // A twin of the prepared picture with the drawn image attached, ready for a tile; null whenever
  // Acquire gives null.
  std::unique_ptr<TGraphic> Load(const QString& fileName, const TDrawArea& area);

  // Preparations done so far (files read and parsed).
  int Preparations() const { return cache_.Makings(); }
  qint64 Cost() const { return cache_.Cost(); }
  void Clear() { cache_.Clear(); }

 private:
  TMadeOnceCache<TPreparedKey, TPreparedPicture> cache_;
};
