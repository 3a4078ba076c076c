// TGraphic, the interface of every picture kind, the picture errors and the bounded file read they share.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

#include "DrawnImage.h"

class QPainter;

// The content of a file is no picture of its kind (or the kind is unknown).
class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A fatal libjpeg error, "JPEG error #<code>".
class EJPEG : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

// A picture file could not be opened or read; not a fault of its content.
class EFOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Files above this size are refused as pictures before they are read.
inline constexpr qint64 kMaxPictureFileBytes = 256ll * 1024 * 1024;

// Reads a whole picture file (resource paths too). Throws EFOpenError when it cannot be opened or
// read, EInvalidGraphic when it is larger than kMaxPictureFileBytes.
QByteArray ReadPictureFile(const QString& path);

// One loaded picture of any kind: bitmap, icon, metafile or JPEG.
class TGraphic {
 public:
  virtual ~TGraphic() = default;
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  // The size the picture draws at (for a JPEG picture, after its scaling).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Draws the picture scaled into target; a target of the picture's own size draws it unscaled.
  virtual void Draw(QPainter& painter, const QRect& target) = 0;
  // Does now any decoding that Draw would do lazily, so that its errors surface to the caller.
  virtual void Prepare() {}

  // A picture of the same kind that shares this one's decoded data, which neither of them changes;
  // null for a kind that does not share (JPEG pictures share through their own cache). It has no
  // drawn image attached.
  virtual std::unique_ptr<TGraphic> Twin() const { return nullptr; }
  // Roughly the bytes the picture holds, for the budgets of the caches that keep pictures.
  virtual qint64 Cost() const { return 0; }
  // True when some of its drawing combines with what lies under the picture, so that a copy drawn
  // apart on transparent ground and laid over would not show the same.
  virtual bool ReadsTheGround() const { return false; }

  // The picture as drawn ahead at one target's device size: Draw lays it over wherever it stands for
  // drawing (see TDrawnImage). Any change of the picture drops it.
  void AttachDrawn(TDrawnImage drawn) { drawn_ = std::move(drawn); }
  const TDrawnImage& Drawn() const { return drawn_; }

  // Called after each change of the picture (options that discard decoded pixels, for example).
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

 protected:
  void Changed() {
    drawn_ = {};
    if (onChange_) onChange_();
  }
  // For the kinds' Draw: lays the attached image over the target and returns true where it stands
  // for drawing the picture there.
  bool DrawAttached(QPainter& painter, const QRect& target) const { return drawn_.DrawInto(painter, target); }

 private:
  std::function<void()> onChange_;
  TDrawnImage drawn_;
};
