#pragma once

#include <QByteArray>
#include <QString>

#include "Graphic.h"
#include "metafile/draw/MetaStrokeCache.h"
#include "metafile/draw/MetaTextOutlines.h"
#include "metafile/model/MetaPlayList.h"

// A Windows metafile picture, WMF (placeable or plain) or EMF, parsed when loaded and played with
// QPainter on each draw.
class TMetafile : public TGraphic {
 public:
  // Reads the file with ReadPictureFile and loads its bytes.
  void LoadFromFile(const QString& path);
  // Decides WMF or EMF by the content alone, parses and checks all of it; throws EInvalidGraphic for
  // anything malformed and keeps the previous picture then.
  void LoadFromBytes(const QByteArray& bytes);

  // Pixels at 96 dpi: a placeable WMF's box over its units per inch, an EMF's frame (else its bounds),
  // a plain WMF's first window extent (else the bounds of what it draws); 0 when nothing is loaded.
  int Width() const override { return list_.width; }
  int Height() const override { return list_.height; }
  void Draw(QPainter& painter, const QRect& target) override;
  bool IsEnhanced() const { return list_.enhanced; }

 private:
  TMetaPlayList list_;
  // Outlines of the picture's strokes, made at its first drawing and filled again at every repaint.
  TMetaStrokeCache strokes_;
  // Outlines of its text, likewise.
  TMetaTextOutlines texts_;
};
