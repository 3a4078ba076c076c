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

 private:
  // The parsed play list with the stroke outlines of its drawing.
  struct TParsed;
  std::unique_ptr<TParsed> parsed_;
  TMetaTextOutlines* texts_ = nullptr;
};
