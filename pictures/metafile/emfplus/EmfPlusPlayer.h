// Plays the EMF+ play list with QPainter, antialiased: the state machine of world and page transforms,
// containers, saved states, clipping and compositing, which hands drawing to its painter.
#pragma once

#include <QPainterPath>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "metafile/emfplus/EmfPlusCommands.h"
#include "metafile/emfplus/EmfPlusPainter.h"
#include "metafile/emfplus/EmfPlusTypes.h"

// Its state lasts from one batch of commands to the next, as GDI records may come between them.
class TEmfPlusPlayer {
 public:
  explicit TEmfPlusPlayer(const TEmfPlusData& data) : data_(data) {}

  // Plays count commands from first; the painter's state is left as it was found.
  void Play(const TEmfPlusTarget& target, std::int32_t first, std::int32_t count);

 private:
  struct TState {
    QTransform world, container;
    int pageUnit = EmfPlus::kUnitDisplay;
    double pageScale = 1;
    bool clipped = false;
    QPainterPath clip;  // in picture space
    bool antialias = true;
    bool sourceCopy = false;
  };

  void Execute(const TEmfPlusSetAntialias& command);
  void Execute(const TEmfPlusSetCompositing& command);
  void Execute(const TEmfPlusSave& command);
  void Execute(const TEmfPlusRestore& command);
  void Execute(const TEmfPlusBeginContainer& command);
  void Execute(const TEmfPlusBeginContainerNoParams& command);
  void Execute(const TEmfPlusSetWorld& command);
  void Execute(const TEmfPlusResetWorld& command);
  void Execute(const TEmfPlusMultiplyWorld& command);
  void Execute(const TEmfPlusSetPage& command);
  void Execute(const TEmfPlusResetClip& command);
  void Execute(const TEmfPlusSetClip& command);
  void Execute(const TEmfPlusOffsetClip& command);
  void Execute(const TEmfPlusFill& command);
  void Execute(const TEmfPlusStroke& command);
  void Execute(const TEmfPlusDrawImage& command);
  void Execute(const TEmfPlusDrawString& command);
  void Execute(const TEmfPlusDrawDriverString& command);

  TEmfPlusView View() const;
  // World to picture space.
  QTransform WorldToPicture() const;
  // Device pixels of one page unit.
  double PagePixels() const;
  void ApplyClip();
  void ApplyCompositing();
  void SaveState(std::uint32_t id);
  void RestoreState(std::uint32_t id);

  const TEmfPlusData& data_;
  TEmfPlusTarget target_;
  std::optional<TEmfPlusPainter> painter_;
  TState state_;
  std::vector<std::pair<std::uint32_t, TState>> saved_;
  std::int64_t clipWork_ = 0;
};
