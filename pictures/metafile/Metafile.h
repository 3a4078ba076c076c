// The metafile picture that the picture holder keeps; what it parsed stays behind it, out of sight.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "Graphic.h"

class TMetaTextOutlines;

// A Windows metafile picture, WMF (placeable or plain) or EMF, parsed when loaded and played with
// QPainter on each draw.
class TMetafile : public TGraphic {
 public:
  // The outlines of its text are kept in texts, by default in the ones all pictures share.
  explicit TMetafile(TMetaTextOutlines* texts = nullptr);
  ~TMetafile() override;

  // Reads the file with ReadPictureFile and loads its bytes.
  void LoadFromFile(const QString& path);
  // Decides WMF or EMF by the content alone, parses and checks all of it; throws EInvalidGraphic for
  // anything malformed and keeps the previous picture then.
  void LoadFromBytes(const QByteArray& bytes);

  // Pixels at 96 dpi: a placeable WMF's box over its units per inch, an EMF's frame (else its bounds),
  // a plain WMF's first window extent (else the bounds of what it draws); 0 when nothing is loaded.
  int Width() const override;
  int Height() const override;
  void Draw(QPainter& painter, const QRect& target) override;
  bool IsEnhanced() const;

  // The twin shares the parsed records and starts with a copy of this picture's outline caches.
  std::unique_ptr<TGraphic> Twin() const override;
  qint64 Cost() const override;
  // Raster operations and mix modes that invert, mask or merge with the target, and EMF+ drawing that
  // replaces the target's pixels instead of blending over them.
  bool ReadsTheGround() const override;
  // True when both were made from one load: a twin and its original, or twins of one picture.
  bool SharesRecordsWith(const TMetafile& other) const { return parsed_ && parsed_ == other.parsed_; }

 private:
  // The parsed play list with what is known of it at load; never changed once made, so pictures share it.
  struct TParsed;
  // Outlines of the picture's strokes and its bitmaps of palette colours as coloured, made at its first
  // drawing and used again at every repaint; each picture has its own. Text outlines are shared by all
  // pictures (texts_).
  struct TCaches;
  std::shared_ptr<const TParsed> parsed_;
  std::unique_ptr<TCaches> caches_;
  TMetaTextOutlines* texts_ = nullptr;
};
