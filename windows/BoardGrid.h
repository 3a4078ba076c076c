#pragma once

#include <QRect>

// The board's grid of tiles: 5 columns and 4 rows, numbered 1 to 20 left to right and top to bottom.
inline constexpr int kBoardColumns = 5;
inline constexpr int kBoardRows = 4;

// Tile n's rectangle on the board panel.
QRect TileRect(int tile);

// One keyboard step from a tile. Left and Right stay on the tile's row and Up and Down in its column,
// wrapping at the edges; Next and Previous go through all twenty in number order, wrapping at the ends.
enum class TTileStep { Left, Right, Up, Down, Next, Previous };

// The tile one step away; a number outside 1..20 starts from tile 1.
int TileAfterStep(int tile, TTileStep step);
