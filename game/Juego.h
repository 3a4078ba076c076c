#pragma once

#include <string>

#include "Clock.h"
#include "Display.h"
#include "FolderList.h"
#include "GameState.h"
#include "MatchSound.h"
#include "Tiles.h"

// What the game core drives: the tiles, the three counters, the folder listing, the sound, the clock.
struct GamePorts {
  ITiles& tiles;
  IDisplay& marcadorpuntos;
  IDisplay& marcadornivel;
  IDisplay& marcadortiempo;
  IFolderList& ficheros;
  IMatchSound& musica;
  const IClock& clock;
};

// The rules of the game: dealing levels, turning tiles, scoring and the countdown.
// Every failure of a service propagates as an exception; the state reached so far stays.
class TJuego {
 public:
  // programFolder is the folder that holds the picture folder f: the program file's, or the player's
  // own data folder when it has one; with or without a trailing '/'.
  TJuego(GamePorts ports, std::string programFolder);

  GameState& State() { return state_; }
  const GameState& State() const { return state_; }

  // The folder of pictures, f inside programFolder.
  std::string PictureFolder() const { return programFolder_ + "f"; }

  // Returns a number from 1 to n not drawn since usados was cleared, and marks it.
  int DameNumero(int n);
  // Scores the level change and deals the next level.
  void NuevoNivel();
  // Shows points, level and seconds on the counters.
  void Marcadores();
  // A click on tile n (1..20).
  void Pulsado(int n);
  // Covers every tile whose pair is not found and ends the turn's face-up marks.
  void Borra();
  // A right-button press on the board between the tiles: ends the turn.
  void CubrirTablero();

  // Chooses difficulty setting 1..10 for the next game.
  void ElegirDificultad(int setting);
  // One second of the countdown; returns true when the time has just run out.
  bool CuentaAtras();
  // Ends the game: points, seconds and level back to 0 on the counters.
  void ReiniciarPartida();

 private:
  GamePorts ports_;
  std::string programFolder_;
  GameState state_;
};
