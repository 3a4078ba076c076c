// The EMF+ records an EMF carries in its comments, handed to the EMF+ player between the GDI records.
#pragma once

#include <memory>

#include "metafile/model/MetaCommand.h"

class TEmfPlusPlayer;
class TMetaPlayList;
class TMetaPlayView;

class TMetaEmfPlusBridge {
 public:
  TMetaEmfPlusBridge(const TMetaPlayList& list, const TMetaPlayView& view) : list_(list), view_(view) {}

  // A new playing of the list: the EMF+ state starts afresh.
  void Reset() { emfPlus_.reset(); }
  // Plays the records onto the view's painter; the GDI state is back afterwards.
  void Play(const TMetaRecords& records);

 private:
  const TMetaPlayList& list_;
  const TMetaPlayView& view_;
  // Plays the EMF+ records; its state lasts across the GDI records between them.
  std::shared_ptr<TEmfPlusPlayer> emfPlus_;
};
