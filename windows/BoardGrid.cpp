#include "BoardGrid.h"

#include "GameState.h"

namespace {
constexpr int kLeft = 40, kTop = 8, kPitchX = 106, kPitchY = 104, kSide = 95;

int Wrap(int value, int count) {
  return ((value % count) + count) % count;
}
}  // namespace

QRect TileRect(int tile) {
  const int c = (tile - 1) % kBoardColumns, r = (tile - 1) / kBoardColumns;
  return {kLeft + kPitchX * c, kTop + kPitchY * r, kSide, kSide};
}

int TileAfterStep(int tile, TTileStep step) {
  if (tile < 1 || tile > kTileCount) return 1;
  const int index = tile - 1;
  const int c = index % kBoardColumns, r = index / kBoardColumns;
  switch (step) {
    case TTileStep::Left:
      return r * kBoardColumns + Wrap(c - 1, kBoardColumns) + 1;
    case TTileStep::Right:
      return r * kBoardColumns + Wrap(c + 1, kBoardColumns) + 1;
    case TTileStep::Up:
      return Wrap(r - 1, kBoardRows) * kBoardColumns + c + 1;
    case TTileStep::Down:
      return Wrap(r + 1, kBoardRows) * kBoardColumns + c + 1;
    case TTileStep::Next:
      return Wrap(index + 1, kTileCount) + 1;
    case TTileStep::Previous:
      return Wrap(index - 1, kTileCount) + 1;
  }
  return tile;
}
