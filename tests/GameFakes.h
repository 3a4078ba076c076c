#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Clock.h"
#include "Display.h"
#include "Errors.h"
#include "FolderList.h"
#include "Juego.h"
#include "MatchSound.h"
#include "Tiles.h"

// Recording stand-ins for the services the game core drives.

struct FakeTiles : ITiles {
  std::vector<std::pair<int, std::string>> loads;
  std::string shown[21];
  int failOnTile = 0;  // a LoadImage on this tile throws, as an unreadable file would
  void LoadImage(int tile, const std::string& fileName) override {
    loads.emplace_back(tile, fileName);
    if (tile == failOnTile) throw std::runtime_error("Cannot open file");
    shown[tile] = fileName;
  }
};

struct FakeDisplay : IDisplay {
  std::vector<int> values;
  void SetValue(int value) override { values.push_back(value); }
  int Last() const { return values.empty() ? -1 : values.back(); }
};

struct FakeFolder : IFolderList {
  std::vector<std::string> names;
  std::string shown;
  int listings = 0;
  bool missing = false;
  void SetDirectory(const std::string& folder) override {
    if (folder == shown) return;
    if (missing) throw EInOutError("No such file or directory");
    shown = folder;
    ++listings;
  }
  std::string Directory() const override { return shown; }
  std::string Item(int index) const override {
    if (index < 0 || index >= Count())
      throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return names[static_cast<std::size_t>(index)];
  }
  int Count() const override { return static_cast<int>(names.size()); }
};

struct FakeSound : IMatchSound {
  int opens = 0;
  int plays = 0;
  bool failOpen = false;
  void Open() override {
    ++opens;
    if (failOpen) throw std::runtime_error("Unknown error code");
  }
  void Play() override { ++plays; }
};

// A clock that moves on one millisecond at each reading, from a chosen start.
struct FakeClock : IClock {
  mutable std::uint32_t now = 0;
  std::uint32_t step = 1;
  std::uint32_t MillisecondsOfDayUtc() const override {
    const std::uint32_t t = now;
    now = (now + step) % 86400000u;
    return t;
  }
};

// A game core wired to fakes, with a listing of n picture names.
struct GameRig {
  FakeTiles tiles;
  FakeDisplay puntos, nivel, tiempo;
  FakeFolder folder;
  FakeSound sound;
  FakeClock clock;
  TJuego juego{GamePorts{tiles, puntos, nivel, tiempo, folder, sound, clock}, "/opt/zum"};

  explicit GameRig(int listing = 71, std::uint32_t start = 0) {
    clock.now = start;
    for (int i = 0; i < listing; ++i) folder.names.push_back("p" + std::to_string(100 + i) + ".jpg");
    juego.ElegirDificultad(1);
  }

  GameState& s() { return juego.State(); }

  // The other tile of the pair on tile n.
  int Partner(int n) { return s().casillas[n].pareja; }
  // A tile that is not the partner of n and not n.
  int Stranger(int n) {
    for (int t = 1; t <= kTileCount; ++t)
      if (t != n && t != Partner(n)) return t;
    return 0;
  }
};
