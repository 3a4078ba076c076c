#include <gtest/gtest.h>

#include <set>

#include "Difficulty.h"
#include "GameFakes.h"

namespace {

std::vector<int> Draws(GameRig& rig, int n, int count) {
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back(rig.juego.DameNumero(n));
  return out;
}

void ExpectDealtLevel(GameRig& rig) {
  const GameState& s = rig.s();
  int perPair[11] = {};
  for (int n = 1; n <= kTileCount; ++n) {
    const TCasilla& c = s.casillas[n];
    ASSERT_GE(c.foto, 1);
    ASSERT_LE(c.foto, 10);
    ASSERT_GE(c.pareja, 1);
    ASSERT_LE(c.pareja, 20);
    EXPECT_NE(c.pareja, n);
    EXPECT_EQ(s.casillas[c.pareja].pareja, n);
    EXPECT_EQ(s.casillas[c.pareja].foto, c.foto);
    EXPECT_FALSE(c.destapada);
    EXPECT_FALSE(c.acertada);
    ++perPair[c.foto];
  }
  for (int p = 1; p <= 10; ++p) EXPECT_EQ(perPair[p], 2) << "pair " << p;
  EXPECT_EQ(s.aciertos, 0);
}

// Finds every pair of the level, one turn each.
void FindAllPairs(GameRig& rig) {
  for (int n = 1; n <= kTileCount && rig.s().aciertos < 10; ++n) {
    if (rig.s().casillas[n].acertada) continue;
    const int level = rig.s().nivel;
    rig.juego.Pulsado(n);
    rig.juego.Pulsado(rig.Partner(n));
    if (rig.s().nivel != level) return;
  }
}

}  // namespace

TEST(DameNumero, DrawsTheGoldenSequenceForAFixedClock) {
  GameRig rig;
  rig.clock.step = 0;
  rig.clock.now = ((12 * 60 + 34) * 60 + 56) * 1000 + 789;
  EXPECT_EQ(Draws(rig, 20, 20),
            (std::vector<int>{10, 6, 8, 1, 14, 3, 11, 17, 2, 4, 20, 19, 13, 18, 12, 5, 9, 16, 15, 7}));

  rig.s().usados.fill(false);
  rig.clock.now = 0;
  EXPECT_EQ(Draws(rig, 69, 10), (std::vector<int>{1, 3, 60, 14, 19, 47, 22, 12, 26, 30}));

  rig.s().usados.fill(false);
  rig.clock.now = 86399999;
  EXPECT_EQ(Draws(rig, 300, 5), (std::vector<int>{217, 299, 102, 70, 46}));
}

TEST(DameNumero, NeverRepeatsUntilClearedAndMarksWhatItReturns) {
  GameRig rig(71, 5000);
  std::set<int> seen;
  for (int i = 0; i < 20; ++i) {
    const int k = rig.juego.DameNumero(20);
    EXPECT_TRUE(seen.insert(k).second) << k;
    EXPECT_TRUE(rig.s().usados[k]);
  }
  EXPECT_EQ(seen.size(), 20u);
}

TEST(DameNumero, FailsInsteadOfHangingWhenEveryNumberIsDrawn) {
  GameRig rig;
  Draws(rig, 20, 20);
  EXPECT_THROW(rig.juego.DameNumero(20), std::logic_error);
  EXPECT_THROW(rig.juego.DameNumero(0), std::logic_error);
  EXPECT_THROW(rig.juego.DameNumero(301), std::logic_error);
  // Numbers above the range stay free.
  EXPECT_GE(rig.juego.DameNumero(21), 21);
}

TEST(NuevoNivel, DealsTenPairsForManySeeds) {
  for (std::uint32_t start = 0; start < 86400000u; start += 86400000u / 300) {
    GameRig rig(71, start);
    rig.juego.NuevoNivel();
    ExpectDealtLevel(rig);
    std::set<std::string> pictures(rig.s().fotos.begin() + 1, rig.s().fotos.end());
    EXPECT_EQ(pictures.size(), 10u) << "the ten pictures of a level differ";
  }
}

TEST(NuevoNivel, FirstLevelScoresFiftyAndShowsTheCounters) {
  GameRig rig;
  rig.juego.NuevoNivel();
  EXPECT_EQ(rig.s().nivel, 1);
  EXPECT_EQ(rig.s().puntos, 50);
  EXPECT_EQ(rig.s().tiempo, 220);
  EXPECT_EQ(rig.puntos.Last(), 50);
  EXPECT_EQ(rig.nivel.Last(), 1);
  EXPECT_EQ(rig.tiempo.Last(), 220);
  // Every tile is covered with the card back, found by its relative name.
  for (int n = 1; n <= 20; ++n) EXPECT_EQ(rig.tiles.shown[n], "base.jpg");
  EXPECT_EQ(rig.folder.shown, "/opt/zum/f");
  for (int p = 1; p <= 10; ++p) EXPECT_EQ(rig.s().fotos[p].rfind("/opt/zum/f/", 0), 0u) << rig.s().fotos[p];
}

TEST(NuevoNivel, LevelChangeAddsTwiceTheSecondsLeftAndFiftyPerLevel) {
  GameRig rig;
  rig.juego.NuevoNivel();
  rig.s().tiempo = 137;
  FindAllPairs(rig);
  EXPECT_EQ(rig.s().nivel, 2);
  EXPECT_EQ(rig.s().tiempo, 137);
  EXPECT_EQ(rig.s().puntos, 50 + 10 * 100 + 2 * 137 + 50 * 2);
  EXPECT_EQ(rig.puntos.Last(), rig.s().puntos) << "the dealing shows the points at once";
  ExpectDealtLevel(rig);

  rig.s().tiempo = 3;
  const int before = rig.s().puntos;
  FindAllPairs(rig);
  EXPECT_EQ(rig.s().nivel, 3);
  EXPECT_EQ(rig.s().puntos, before + 1000 + 2 * 3 + 50 * 3);
}

TEST(NuevoNivel, ListsTheFolderOnceAndNeverDealsPositionZero) {
  GameRig rig(70);
  bool sawLast = false;
  for (int level = 0; level < 60; ++level) {
    rig.juego.NuevoNivel();
    for (int p = 1; p <= 10; ++p) {
      EXPECT_NE(rig.s().fotos[p], "/opt/zum/f/p100.jpg");
      sawLast |= rig.s().fotos[p] == "/opt/zum/f/p169.jpg";
    }
  }
  EXPECT_TRUE(sawLast) << "position 69 is part of the pool";
  EXPECT_EQ(rig.folder.listings, 1);
}

TEST(NuevoNivel, ShortListingFailsWithThePositionAndKeepsTheStateReached) {
  // Find a start whose draws of positions reach 69 before the tenth picture.
  for (std::uint32_t start = 0; start < 100000; start += 7) {
    GameRig rig(69, start);
    rig.s().fotos.fill("old");
    try {
      rig.juego.NuevoNivel();
      continue;
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), "List index out of bounds (69)");
    }
    EXPECT_EQ(rig.s().nivel, 1);
    EXPECT_EQ(rig.s().tiempo, 220);
    EXPECT_EQ(rig.s().puntos, 50);
    EXPECT_TRUE(rig.tiles.loads.empty()) << "the tiles are not covered";
    EXPECT_TRUE(rig.puntos.values.empty()) << "the counters are not refreshed";
    int renamed = 0;
    for (int p = 1; p <= 10; ++p) renamed += rig.s().fotos[p] != "old";
    EXPECT_LT(renamed, 10);
    return;
  }
  FAIL() << "no start drew position 69";
}

TEST(NuevoNivel, MissingFolderFailsBeforeChoosingPictures) {
  GameRig rig;
  rig.folder.missing = true;
  EXPECT_THROW(rig.juego.NuevoNivel(), EInOutError);
  EXPECT_EQ(rig.s().nivel, 1);
  EXPECT_EQ(rig.s().puntos, 50);
  EXPECT_TRUE(rig.s().fotos[1].empty());
  EXPECT_TRUE(rig.tiles.loads.empty());
  ExpectDealtLevel(rig);  // the pairing came before the folder
}

TEST(Pulsado, PartnerFindsThePairScoresAndPlaysTheSound) {
  GameRig rig;
  rig.juego.NuevoNivel();
  const int a = 7, b = rig.Partner(7);
  rig.tiles.loads.clear();
  rig.juego.Pulsado(a);
  EXPECT_TRUE(rig.s().casillas[a].destapada);
  EXPECT_EQ(rig.tiles.shown[a], rig.s().fotos[rig.s().casillas[a].foto]);
  rig.juego.Pulsado(b);
  EXPECT_TRUE(rig.s().casillas[a].acertada);
  EXPECT_TRUE(rig.s().casillas[b].acertada);
  EXPECT_EQ(rig.s().puntos, 150);
  EXPECT_EQ(rig.s().aciertos, 1);
  EXPECT_EQ(rig.s().pulsaciones, 0);
  EXPECT_EQ(rig.sound.opens, 1);
  EXPECT_EQ(rig.sound.plays, 1);
  EXPECT_EQ(rig.puntos.Last(), 50) << "points show at the next tick";
  // The found pair keeps its picture; the covering loaded the card back on the other 18.
  EXPECT_EQ(rig.tiles.shown[b], rig.s().fotos[rig.s().casillas[a].foto]);
  for (int n = 1; n <= 20; ++n) EXPECT_FALSE(rig.s().casillas[n].destapada);
}

TEST(Pulsado, ThirdClickOnlyCoversTheBoard) {
  GameRig rig;
  rig.juego.NuevoNivel();
  const int a = 3, c = rig.Stranger(3);
  rig.juego.Pulsado(a);
  rig.juego.Pulsado(c);
  EXPECT_EQ(rig.s().pulsaciones, 2);
  EXPECT_TRUE(rig.s().casillas[a].destapada && rig.s().casillas[c].destapada);
  const int third = rig.Partner(a);
  rig.juego.Pulsado(third);
  EXPECT_EQ(rig.s().pulsaciones, 0);
  EXPECT_FALSE(rig.s().casillas[third].destapada) << "the third click turns nothing";
  EXPECT_EQ(rig.tiles.shown[a], "base.jpg");
  EXPECT_EQ(rig.tiles.shown[c], "base.jpg");
  EXPECT_EQ(rig.tiles.shown[third], "base.jpg");
  EXPECT_EQ(rig.s().aciertos, 0);
  rig.juego.Pulsado(third);
  EXPECT_EQ(rig.s().pulsaciones, 1);
  EXPECT_TRUE(rig.s().casillas[third].destapada);
}

TEST(Pulsado, SameTileTwiceFindsNothing) {
  GameRig rig;
  rig.juego.NuevoNivel();
  rig.juego.Pulsado(5);
  rig.juego.Pulsado(5);
  EXPECT_EQ(rig.s().pulsaciones, 2);
  EXPECT_EQ(rig.s().aciertos, 0);
  EXPECT_EQ(rig.s().puntos, 50);
  rig.juego.Pulsado(9);
  EXPECT_EQ(rig.s().pulsaciones, 0);
  EXPECT_EQ(rig.tiles.shown[5], "base.jpg");
}

TEST(Pulsado, RightButtonCoverEndsTheTurn) {
  GameRig rig;
  rig.juego.NuevoNivel();
  rig.juego.Pulsado(1);
  rig.juego.Pulsado(rig.Stranger(1));
  rig.juego.CubrirTablero();
  EXPECT_EQ(rig.s().pulsaciones, 0);
  for (int n = 1; n <= 20; ++n) {
    EXPECT_FALSE(rig.s().casillas[n].destapada);
    EXPECT_EQ(rig.tiles.shown[n], "base.jpg");
  }
  rig.juego.Pulsado(rig.Partner(1));
  EXPECT_EQ(rig.s().pulsaciones, 1) << "a new turn begins";
}

TEST(Pulsado, TenthPairDealsTheNextLevelAtOnce) {
  GameRig rig;
  rig.juego.NuevoNivel();
  FindAllPairs(rig);
  EXPECT_EQ(rig.s().nivel, 2);
  ExpectDealtLevel(rig);
  for (int n = 1; n <= 20; ++n) EXPECT_EQ(rig.tiles.shown[n], "base.jpg");
  EXPECT_EQ(rig.sound.plays, 10);
}

TEST(Pulsado, FoundTilesIgnoreClicksAndNeverScoreTwice) {
  GameRig rig;
  rig.juego.NuevoNivel();
  const int a = 11, b = rig.Partner(11);
  rig.juego.Pulsado(a);
  rig.juego.Pulsado(b);
  const auto loads = rig.tiles.loads.size();
  for (int i = 0; i < 5; ++i) {
    rig.juego.Pulsado(a);
    rig.juego.Pulsado(b);
  }
  EXPECT_EQ(rig.s().pulsaciones, 0);
  EXPECT_EQ(rig.s().puntos, 150);
  EXPECT_EQ(rig.s().aciertos, 1);
  EXPECT_EQ(rig.sound.opens, 1);
  EXPECT_EQ(rig.tiles.loads.size(), loads);
  EXPECT_FALSE(rig.s().casillas[a].destapada);
}

TEST(Pulsado, SoundFailureStillEndsTheLevelOnTheSameClick) {
  GameRig rig;
  rig.juego.NuevoNivel();
  rig.sound.failOpen = true;
  int errors = 0;
  for (int n = 1; n <= kTileCount && rig.s().nivel == 1; ++n) {
    if (rig.s().casillas[n].acertada) continue;
    rig.juego.Pulsado(n);
    try {
      rig.juego.Pulsado(rig.Partner(n));
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Unknown error code");
      ++errors;
    }
  }
  EXPECT_EQ(errors, 10) << "every match shows the error";
  EXPECT_EQ(rig.s().nivel, 2) << "the tenth pair dealt the next level despite the error";
  ExpectDealtLevel(rig);
}

TEST(Pulsado, PictureFailureStopsTheClickAfterMarkingTheTile) {
  GameRig rig;
  rig.juego.NuevoNivel();
  const int a = 4, b = rig.Partner(4);
  rig.juego.Pulsado(a);
  rig.tiles.failOnTile = b;
  EXPECT_THROW(rig.juego.Pulsado(b), std::runtime_error);
  EXPECT_EQ(rig.s().pulsaciones, 2);
  EXPECT_TRUE(rig.s().casillas[b].destapada);
  EXPECT_FALSE(rig.s().casillas[b].acertada) << "the partner test did not run";
  EXPECT_EQ(rig.s().aciertos, 0);
}

TEST(Flow, CountdownAndResetShowTheCounters) {
  GameRig rig;
  rig.juego.ElegirDificultad(10);
  rig.juego.NuevoNivel();
  EXPECT_EQ(rig.s().tiempo, 20);
  for (int i = 19; i >= 1; --i) {
    EXPECT_FALSE(rig.juego.CuentaAtras());
    EXPECT_EQ(rig.tiempo.Last(), i);
  }
  EXPECT_TRUE(rig.juego.CuentaAtras());
  EXPECT_EQ(rig.tiempo.Last(), 0);
  rig.juego.ReiniciarPartida();
  EXPECT_EQ(rig.puntos.Last(), 0);
  EXPECT_EQ(rig.nivel.Last(), 0);
  EXPECT_EQ(rig.tiempo.Last(), 0);
}

TEST(Flow, DifficultyAppliesToTheNextFirstLevelOnly) {
  GameRig rig;
  rig.juego.NuevoNivel();
  rig.juego.ElegirDificultad(7);
  EXPECT_EQ(rig.s().tiempoinicial, 65);
  EXPECT_EQ(rig.s().tiempo, 220);
  FindAllPairs(rig);
  EXPECT_EQ(rig.s().tiempo, 220) << "later levels add no time";
  rig.juego.ReiniciarPartida();
  rig.juego.NuevoNivel();
  EXPECT_EQ(rig.s().tiempo, 65);
  EXPECT_THROW(rig.juego.ElegirDificultad(11), std::out_of_range);
}

TEST(Flow, DifficultyTableFallsFromEasyToHard) {
  for (std::size_t i = 1; i < kDifficulties.size(); ++i)
    EXPECT_LT(kDifficulties[i].seconds, kDifficulties[i - 1].seconds);
  EXPECT_EQ(kDifficulties.front().seconds, 220);
  EXPECT_EQ(kDifficulties.back().seconds, 20);
}
