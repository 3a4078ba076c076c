#pragma once

#include <array>
#include <cstdint>
#include <string>

// One tile of the board: which picture it hides and its partner tile.
struct TCasilla {
  std::int32_t foto = 0;    // pair number 1..10, index into fotos
  std::int32_t pareja = 0;  // tile number 1..20 of the other tile of the pair
  bool destapada = false;   // turned face up in the current turn
  bool acertada = false;    // its pair was found in this level
};

// The whole state of a game. Arrays keep the game's 1-based numbering; index 0 is unused.
struct GameState {
  std::int32_t puntos = 0;
  std::int32_t nivel = 0;
  std::int32_t tiempo = 0;
  std::int32_t tiempoinicial = 0;
  std::int32_t pulsaciones = 0;
  std::int32_t aciertos = 0;
  std::array<TCasilla, 21> casillas{};
  std::array<std::string, 11> fotos{};
  std::array<bool, 301> usados{};
};

inline constexpr int kTileCount = 20;
inline constexpr int kPairCount = 10;
inline constexpr int kPoolSize = 69;
inline constexpr int kMaxDraw = 300;
