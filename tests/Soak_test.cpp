#include <gtest/gtest.h>

#include <QLabel>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorBoxRecorder.h"
#include "FileListBox.h"
#include "OffscreenGame.h"

namespace {

// The rows of the game's state table.
enum class Phase { NoGame, Running, Paused, GameOver };

const char* PhaseName(Phase phase) {
  switch (phase) {
    case Phase::NoGame:
      return "no game";
    case Phase::Running:
      return "running";
    case Phase::Paused:
      return "paused";
    case Phase::GameOver:
      return "game over";
  }
  return "?";
}

struct Shown {
  int puntos = 0, nivel = 0, tiempo = 0;
  bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
  return out << "puntos " << s.puntos << ", nivel " << s.nivel << ", tiempo " << s.tiempo;
}

// Plays whole games through the real main window with a seeded mix of the player's inputs and
// the countdown's ticks. It keeps its own idea of the game's phase and of what the displays show,
// and after every event compares both, and the board's invariants, with the window.
class Soak {
 public:
  explicit Soak(unsigned seed) : random_(seed) {}

  // Plays until games whole games have ended; returns the first problem met, or "".
  std::string Play(int games) {
    while (figures.games < games && figures.events < kMaxEvents) {
      before_ = game_.State();
      std::string event = NextEvent();
      ++figures.events;
      Check();
      if (!errors_.messages.isEmpty()) problems_.push_back("error box: " + errors_.messages[0].toStdString());
      if (!problems_.empty()) {
        std::ostringstream out;
        out << "event " << figures.events << " (" << event << ") in game " << figures.games + 1 << ":";
        for (const std::string& p : problems_) out << "\n  " << p;
        return out.str();
      }
    }
    if (figures.games < games) return "the games did not end";
    return CheckDifficultyTable();
  }

  struct Figures {
    long events = 0, clicks = 0, rightClicks = 0, ticks = 0, pauses = 0, difficultyChanges = 0;
    int games = 0, aborted = 0, lostOnTime = 0, levelsDealt = 0, pairsFound = 0, highestLevel = 0;
  } figures;

 private:
  static constexpr long kMaxEvents = 2'000'000;

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }

  // Most games are played carelessly and end soon, mostly on time; now and then a sharp player
  // on an easy setting remembers the pictures and clears levels. Every match reopens the sound
  // device, which is what a game's events cost most, so matches are spent where they deal levels.
  std::string NextEvent() {
    switch (phase_) {
      case Phase::NoGame:
        if (sharp_ && game_.State().tiempoinicial < 170) return ChooseDifficulty(Uniform(1, 4));
        if (!sharp_ && Chance(0.3)) return ChooseDifficulty(Chance(0.7) ? Uniform(8, 10) : Uniform(1, 10));
        return NewGame();
      case Phase::GameOver:
        return CloseGameOver();
      case Phase::Running:
      case Phase::Paused:
        break;
    }
    const bool running = phase_ == Phase::Running;
    const bool mayAbort = !sharp_ || game_.State().nivel > 1;
    // A sharp player who has cleared a level soon calls it a day.
    if (sharp_ && mayAbort && Chance(0.1)) return Abort();
    const int roll = Uniform(0, 999);
    if (roll < (sharp_ ? 250 : 400)) return ClickTile(Uniform(1, 20));
    if (roll < (sharp_ ? 750 : 440)) return ClickPartner();
    if (roll < 500) return PressBoard();
    if (roll < 540) return Pause();
    if (roll < 560) return ChooseDifficulty(Uniform(1, 10));
    if (roll < 566 && mayAbort) return Abort();
    if (roll < 600 && mayAbort && !running) return Abort();
    return running ? Tick() : Pause();
  }

  std::string ChooseDifficulty(int setting) {
    ++figures.difficultyChanges;
    game_.f1().N[static_cast<std::size_t>(setting)]->trigger();
    for (int k = 1; k <= 10; ++k)
      Expect(game_.f1().N[static_cast<std::size_t>(k)]->isChecked() == (k == setting),
             "difficulty item " + std::to_string(k) + " checked wrongly");
    const int seconds = game_.State().tiempoinicial;
    const auto [known, added] = seconds_.emplace(setting, seconds);
    Expect(known->second == seconds, "difficulty " + std::to_string(setting) + " grants different seconds");
    ExpectUnchangedClock();
    return "difficulty " + std::to_string(setting);
  }

  std::string NewGame() {
    game_.NewGame();
    phase_ = Phase::Running;
    ExpectDealt(1, before_.pulsaciones);
    Expect(game_.State().puntos == 50, "a new game starts with 50 points");
    Expect(game_.State().tiempo == game_.State().tiempoinicial, "a new game takes the difficulty's seconds");
    if (cardBackWidth_ == 0) {
      cardBackWidth_ = game_.Tile(1).Picture().Width();
      listing_ = game_.f1().ficheros->Items();
    }
    return "new game";
  }

  std::string CloseGameOver() {
    game_.CloseGameOver();
    phase_ = Phase::NoGame;
    ++figures.games;
    sharp_ = Chance(0.08);
    const GameState& s = game_.State();
    Expect(s.puntos == 0 && s.nivel == 0 && s.tiempo == 0, "closing the game over resets the game");
    shown_ = Shown{};
    return "close game over";
  }

  std::string Abort() {
    game_.f1().Abortar1->trigger();
    ExpectGameOver();
    ++figures.aborted;
    return "abort";
  }

  std::string Tick() {
    ++figures.ticks;
    game_.f1().Timer1Timer();
    const GameState& s = game_.State();
    Expect(s.tiempo == before_.tiempo - 1, "a tick takes one second");
    Expect(s.puntos == before_.puntos && s.nivel == before_.nivel, "a tick changes only the seconds");
    shown_ = ShownState();
    if (s.tiempo == 0) {
      ExpectGameOver();
      ++figures.lostOnTime;
    }
    return "tick";
  }

  std::string Pause() {
    ++figures.pauses;
    game_.f1().Pausa1->trigger();
    phase_ = phase_ == Phase::Running ? Phase::Paused : Phase::Running;
    pauseMark_ = phase_ == Phase::Paused;
    ExpectUnchangedClock();
    return phase_ == Phase::Paused ? "pause" : "resume";
  }

  // A player who remembers: turns the partner of the tile face up, when there is one.
  std::string ClickPartner() {
    for (int n = 1; n <= 20; ++n)
      if (before_.casillas[static_cast<std::size_t>(n)].destapada)
        return ClickTile(before_.casillas[static_cast<std::size_t>(n)].pareja);
    return ClickTile(Uniform(1, 20));
  }

  std::string ClickTile(int n) {
    game_.Click(n);
    return JudgeTileClick(n);
  }

  std::string JudgeTileClick(int n) {
    ++figures.clicks;
    const GameState& s = game_.State();
    const TCasilla& was = before_.casillas[static_cast<std::size_t>(n)];
    const auto partner = static_cast<std::size_t>(was.pareja);
    const std::string name = "click tile " + std::to_string(n);
    if (was.acertada) {
      ExpectSameTurn();
      return name + " (found)";
    }
    if (before_.pulsaciones == 2) {
      ExpectCoveredTurn();
      return name + " (third click)";
    }
    if (!before_.casillas[partner].destapada) {
      Expect(s.pulsaciones == before_.pulsaciones + 1, "a click counts");
      Expect(s.casillas[static_cast<std::size_t>(n)].destapada, "a clicked tile is face up");
      Expect(s.puntos == before_.puntos && s.aciertos == before_.aciertos, "no pair, no points");
      return name;
    }
    ++figures.pairsFound;
    if (before_.aciertos < 9) {
      Expect(s.aciertos == before_.aciertos + 1 && s.puntos == before_.puntos + 100, "a pair scores 100");
      Expect(s.casillas[static_cast<std::size_t>(n)].acertada && s.casillas[partner].acertada,
             "both tiles of the pair are found");
      Expect(s.pulsaciones == 0, "a pair ends the turn");
      return name + " (pair)";
    }
    ExpectDealt(before_.nivel + 1, 0);
    Expect(s.tiempo == before_.tiempo, "a new level adds no time");
    Expect(s.puntos == before_.puntos + 100 + 2 * before_.tiempo + 50 * (before_.nivel + 1),
           "the tenth pair scores the pair, the seconds left twice and 50 per level");
    return name + " (tenth pair)";
  }

  // A press of either button somewhere on the board, delivered where the window system would.
  std::string PressBoard() {
    TForm1& f = game_.f1();
    const QPoint at(Uniform(0, f.Panel1->width() - 1), Uniform(0, f.Panel1->height() - 1));
    const Qt::MouseButton button = Chance(0.8) ? Qt::RightButton : Qt::LeftButton;
    QWidget* target = f.Panel1->childAt(at);
    const std::string name = std::string(button == Qt::RightButton ? "right" : "left") + " press at " +
                             std::to_string(at.x()) + "," + std::to_string(at.y()) + " on " +
                             (target ? target->objectName().toStdString() : "the board");
    if (target == nullptr) {
      game_.ClickBoard(at, button);
      if (button == Qt::RightButton) {
        ++figures.rightClicks;
        ExpectCoveredTurn();
      } else {
        ExpectSameTurn();
      }
      return name;
    }
    QTest::mouseClick(target, button, {}, target->mapFrom(f.Panel1, at));
    for (int n = 1; n <= 20; ++n)
      if (target == &game_.Tile(n) && button == Qt::LeftButton) return name + ": " + JudgeTileClick(n);
    ExpectSameTurn();
    return name;
  }

  Shown ShownState() {
    const GameState& s = game_.State();
    return Shown{s.puntos, s.nivel, s.tiempo};
  }

  void Expect(bool ok, const std::string& what) {
    if (!ok) problems_.push_back(what);
  }

  void ExpectUnchangedClock() {
    Expect(game_.State().tiempo == before_.tiempo, "the seconds left do not change");
  }

  void ExpectSameTurn() {
    const GameState& s = game_.State();
    Expect(
        s.pulsaciones == before_.pulsaciones && s.puntos == before_.puntos && s.aciertos == before_.aciertos,
        "the turn is left as it was");
    for (int n = 1; n <= 20; ++n) {
      const auto i = static_cast<std::size_t>(n);
      Expect(s.casillas[i].destapada == before_.casillas[i].destapada,
             "tile " + std::to_string(n) + " turned");
    }
  }

  void ExpectCoveredTurn() {
    const GameState& s = game_.State();
    Expect(s.pulsaciones == 0, "the turn ends");
    Expect(s.puntos == before_.puntos && s.aciertos == before_.aciertos, "covering scores nothing");
    for (int n = 1; n <= 20; ++n) {
      const auto i = static_cast<std::size_t>(n);
      Expect(!s.casillas[i].destapada, "tile " + std::to_string(n) + " still face up after covering");
      Expect(s.casillas[i].acertada == before_.casillas[i].acertada, "covering changed a found pair");
    }
  }

  // pulsaciones carries over into a new game; a level dealt by its tenth pair starts a turn afresh.
  void ExpectDealt(int nivel, int pulsaciones) {
    const GameState& s = game_.State();
    ++figures.levelsDealt;
    figures.highestLevel = std::max(figures.highestLevel, nivel);
    Expect(s.nivel == nivel,
           "dealt level " + std::to_string(s.nivel) + ", expected " + std::to_string(nivel));
    Expect(s.aciertos == 0, "a level starts with no pair found");
    Expect(s.pulsaciones == pulsaciones, "the dealing changed the clicks of the turn");
    for (int n = 1; n <= 20; ++n) {
      const auto i = static_cast<std::size_t>(n);
      Expect(!s.casillas[i].destapada && !s.casillas[i].acertada, "a dealt tile is covered");
    }
    shown_ = ShownState();
  }

  void ExpectGameOver() {
    phase_ = Phase::GameOver;
    const GameState& s = game_.State();
    Expect(game_.f3().Label1->text() == QStringLiteral("Puntos: %1").arg(s.puntos),
           "game over shows the points");
    Expect(game_.f3().Label2->text() == QStringLiteral("Nivel: %1").arg(s.nivel),
           "game over shows the level");
  }

  void Check() {
    CheckCommands();
    CheckDisplays();
    if (cardBackWidth_ > 0) CheckBoard();
  }

  void CheckCommands() {
    TForm1& f = game_.f1();
    const bool inGame = phase_ == Phase::Running || phase_ == Phase::Paused;
    Expect(f.Panel1->isVisible() == inGame, std::string("board visibility while ") + PhaseName(phase_));
    Expect(f.Timer1->isActive() == (phase_ == Phase::Running),
           std::string("countdown running while ") + PhaseName(phase_));
    Expect(f.Nuevapartida1->isEnabled() == (phase_ == Phase::NoGame),
           std::string("\"Nueva partida\" while ") + PhaseName(phase_));
    Expect(f.Pausa1->isEnabled() == (phase_ != Phase::NoGame),
           std::string("\"Pausa\" while ") + PhaseName(phase_));
    Expect(f.Abortar1->isEnabled() == (phase_ != Phase::NoGame),
           std::string("\"Abortar\" while ") + PhaseName(phase_));
    Expect(f.Pausa1->isChecked() == pauseMark_, std::string("pause mark while ") + PhaseName(phase_));
    Expect(game_.f3().isVisible() == (phase_ == Phase::GameOver),
           std::string("game-over window while ") + PhaseName(phase_));
  }

  void CheckDisplays() {
    TForm1& f = game_.f1();
    const Shown displays{f.marcadorpuntos->Value(), f.marcadornivel->Value(), f.marcadortiempo->Value()};
    if (!(displays == shown_)) {
      std::ostringstream out;
      out << "displays show " << displays << " instead of " << shown_;
      problems_.push_back(out.str());
    }
  }

  void CheckBoard() {
    const GameState& s = game_.State();
    std::array<int, 11> perPair{};
    int found = 0, faceUp = 0;
    for (int n = 1; n <= 20; ++n) {
      const TCasilla& c = s.casillas[static_cast<std::size_t>(n)];
      const std::string tile = "tile " + std::to_string(n);
      if (c.foto < 1 || c.foto > 10 || c.pareja < 1 || c.pareja > 20 || c.pareja == n) {
        problems_.push_back(tile + " has no proper pair");
        return;
      }
      const TCasilla& partner = s.casillas[static_cast<std::size_t>(c.pareja)];
      Expect(partner.pareja == n && partner.foto == c.foto, tile + " and its partner disagree");
      Expect(partner.acertada == c.acertada, tile + " found without its partner");
      Expect(!(c.destapada && c.acertada), tile + " face up and found");
      ++perPair[static_cast<std::size_t>(c.foto)];
      found += c.acertada ? 1 : 0;
      faceUp += c.destapada ? 1 : 0;
      const int width = game_.Tile(n).Picture().Width();
      if (phase_ == Phase::Running || phase_ == Phase::Paused) {
        if (c.destapada || c.acertada)
          Expect(width > 0, tile + " turned but shows no picture");
        else
          Expect(width == cardBackWidth_, tile + " covered but shows no card back");
      }
    }
    for (int p = 1; p <= 10; ++p)
      Expect(perPair[static_cast<std::size_t>(p)] == 2, "pair " + std::to_string(p) + " is not on two tiles");
    Expect(s.aciertos >= 0 && s.aciertos <= 10, "aciertos out of 0..10");
    Expect(found == 2 * s.aciertos, "aciertos does not count the pairs found");
    Expect(s.pulsaciones >= 0 && s.pulsaciones <= 2, "pulsaciones out of 0..2");
    Expect(faceUp <= s.pulsaciones, "more tiles face up than clicks in the turn");
    std::set<std::string> fotos;
    for (int p = 1; p <= 10; ++p) {
      const std::string& foto = s.fotos[static_cast<std::size_t>(p)];
      const std::string name = foto.substr(foto.rfind('/') + 1);
      Expect(std::find(listing_.begin() + 1, listing_.begin() + 70, name) != listing_.begin() + 70,
             "picture " + foto + " is not from positions 1 to 69");
      fotos.insert(foto);
    }
    Expect(fotos.size() == 10, "a level repeats a picture");
  }

  // The settings seen must fall from 220 seconds to 20.
  std::string CheckDifficultyTable() const {
    int previous = 1 << 30;
    for (const auto& [setting, seconds] : seconds_) {
      if (seconds >= previous) return "difficulty " + std::to_string(setting) + " grants no less time";
      previous = seconds;
    }
    if (seconds_.count(1) && seconds_.at(1) != 220) return "difficulty 1 is not 220 seconds";
    if (seconds_.count(10) && seconds_.at(10) != 20) return "difficulty 10 is not 20 seconds";
    return {};
  }

  ErrorBoxRecorder errors_;
  OffscreenGame game_;
  std::mt19937 random_;
  Phase phase_ = Phase::NoGame;
  bool pauseMark_ = false;
  bool sharp_ = false;
  Shown shown_;
  GameState before_;
  int cardBackWidth_ = 0;
  std::vector<std::string> listing_;
  std::map<int, int> seconds_;
  std::vector<std::string> problems_;
};

unsigned SeedFromEnvironment() {
  const char* text = std::getenv("ZUM_SOAK_SEED");
  return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 20240607u;
}

}  // namespace

TEST(Soak, TwoHundredWholeGamesKeepEveryInvariant) {
  const unsigned seed = SeedFromEnvironment();
  Soak soak(seed);
  const auto start = std::chrono::steady_clock::now();
  const std::string problem = soak.Play(200);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto& f = soak.figures;
  std::cout << "soak seed " << seed << ": " << f.games << " games (" << f.aborted << " aborted, "
            << f.lostOnTime << " lost on time), " << f.events << " events (" << f.clicks << " tile clicks, "
            << f.rightClicks << " board right clicks, " << f.ticks << " ticks, " << f.pauses << " pauses, "
            << f.difficultyChanges << " difficulty changes), " << f.pairsFound << " pairs, " << f.levelsDealt
            << " levels dealt, highest " << f.highestLevel << ", " << seconds << " s\n";
  ASSERT_EQ(problem, "") << "seed " << seed;
  EXPECT_GE(f.games, 200);
  EXPECT_GT(f.aborted, 0);
  EXPECT_GT(f.lostOnTime, 0);
  EXPECT_GT(f.highestLevel, 1);
}
