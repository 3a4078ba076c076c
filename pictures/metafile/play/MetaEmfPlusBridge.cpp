// The EMF+ records of an EMF, handed to the EMF+ player with the target the GDI records draw on.
#include "metafile/play/MetaEmfPlusBridge.h"

#include <QPainter>
#include <cmath>

#include "metafile/emfplus/EmfPlusPlayer.h"
#include "metafile/model/MetaPlayList.h"
#include "metafile/play/MetaPlayView.h"

void TMetaEmfPlusBridge::Play(const TMetaRecords& records) {
  QPainter* painter = view_.painter;
  if (!painter || !list_.emfPlus) return;
  if (!emfPlus_) emfPlus_ = std::make_shared<TEmfPlusPlayer>(*list_.emfPlus);
  // The EMF+ records bring their own transforms and clipping; the GDI ones are back afterwards.
  painter->save();
  const double pixelOnDevice = view_.PixelSize() * std::sqrt(std::abs(view_.toTarget.determinant()));
  emfPlus_->Play({painter, view_.toTarget, view_.outerClipped, view_.outerClip, view_.outerTransform,
                  list_.frame, pixelOnDevice},
                 records.first, records.count);
  painter->restore();
}
