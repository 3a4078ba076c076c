// The EMF that a WMF may carry in its comment escapes.
#pragma once

#include <QByteArray>
#include <cstdint>

#include "metafile/model/MetaBytes.h"

// The EMF that a WMF may carry in the comment escapes (META_ESCAPE, MFCOMMENT, "WMFC" chunks) that
// Windows writes when it turns an EMF into a WMF; it is the picture as it was drawn, so players
// draw it instead of the WMF records when it arrived whole.
class TWmfEmbeddedEmf {
 public:
  // Takes a META_ESCAPE record; anything but an EMF chunk is ignored.
  void Add(const TMetaBytes& rec);
  // The EMF when every chunk came in order and all sizes agree; empty otherwise.
  QByteArray Complete() const;

 private:
  QByteArray data_;
  std::int64_t total_ = -1;
  std::uint32_t chunks_ = 0, seen_ = 0;
  bool broken_ = false;
};
