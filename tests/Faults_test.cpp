#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <filesystem>

#include "ErrorBoxRecorder.h"
#include "FileListBox.h"
#include "OffscreenGame.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable while it lives and then puts back what was there.
class EnvironmentOverride {
 public:
  EnvironmentOverride(const char* name, const QByteArray& value)
      : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), previous_(qgetenv(name)) {
    qputenv(name_, value);
  }
  ~EnvironmentOverride() {
    if (wasSet_)
      qputenv(name_, previous_);
    else
      qunsetenv(name_);
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  const char* name_;
  bool wasSet_;
  QByteArray previous_;
};

// Root reads every file whatever its permissions. While this lives, the file accesses of this
// thread are checked as those of the user nobody, so a file with no permissions really cannot be
// opened; a process that is not root is checked as itself anyway.
class FileAccessAsNobody {
 public:
  FileAccessAsNobody() {
    if (geteuid() != 0) return;
    setfsuid(kNobody);
    switched_ = true;
  }
  ~FileAccessAsNobody() {
    if (switched_) setfsuid(0);
  }
  FileAccessAsNobody(const FileAccessAsNobody&) = delete;
  FileAccessAsNobody& operator=(const FileAccessAsNobody&) = delete;

  static bool CannotOpen(const QString& path) {
    QFile file(path);
    return !file.open(QIODevice::ReadOnly);
  }

 private:
  static constexpr uid_t kNobody = 65534;
  bool switched_ = false;
};

bool Covered(OffscreenGame& game, int n) {
  return !game.Casilla(n).destapada && !game.Casilla(n).acertada;
}

// A tile that is neither tile n nor its partner.
int Stranger(OffscreenGame& game, int n) {
  for (int t = 1; t <= 20; ++t)
    if (t != n && t != game.Casilla(n).pareja) return t;
  return 0;
}

void ExpectRunning(OffscreenGame& game) {
  EXPECT_TRUE(game.f1().Panel1->isVisible());
  EXPECT_TRUE(game.f1().Timer1->isActive());
  EXPECT_FALSE(game.f1().Nuevapartida1->isEnabled());
  EXPECT_TRUE(game.f1().Pausa1->isEnabled());
  EXPECT_TRUE(game.f1().Abortar1->isEnabled());
}

// The game ends by "Abortar" as usual and a next one can be asked for.
void ExpectAbortable(OffscreenGame& game) {
  game.f1().Abortar1->trigger();
  EXPECT_TRUE(game.f3().isVisible());
  EXPECT_FALSE(game.f1().Panel1->isVisible());
  game.CloseGameOver();
  EXPECT_FALSE(game.f3().isVisible());
  EXPECT_TRUE(game.f1().Nuevapartida1->isEnabled());
  EXPECT_FALSE(game.f1().Abortar1->isEnabled());
  EXPECT_EQ(game.f1().marcadorpuntos->Value(), 0);
}

void ExpectDisplaysShowState(OffscreenGame& game) {
  EXPECT_EQ(game.f1().marcadorpuntos->Value(), game.State().puntos);
  EXPECT_EQ(game.f1().marcadornivel->Value(), game.State().nivel);
  EXPECT_EQ(game.f1().marcadortiempo->Value(), game.State().tiempo);
}

// What tile n shows on the screen now, without asking anything to repaint.
QImage TileOnScreen(OffscreenGame& game, int n) {
  TForm1& window = game.f1();
  const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
  const TCBImage& tile = game.Tile(n);
  return screen.copy(QRect(tile.mapTo(&window, QPoint(0, 0)), tile.size()))
      .convertToFormat(QImage::Format_RGB32);
}

int PixelsOfColour(const QImage& image, QRgb rgb) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
  return count;
}

}  // namespace

TEST(FaultsWhilePlaying, WithoutAnAudioDeviceEachMatchShowsTheErrorAndTheLevelStillAdvances) {
  ErrorBoxRecorder errors;
  OffscreenGame game;
  game.NewGame();
  const int tiempo = game.State().tiempo;
  {
    EnvironmentOverride noDevice("SDL_AUDIODRIVER", "zum-no-such-driver");
    const int a = 1, b = game.Casilla(1).pareja;
    game.Click(a);
    EXPECT_TRUE(errors.messages.isEmpty()) << errors.messages.join(QStringLiteral(" | ")).toStdString();
    game.Click(b);
    ASSERT_EQ(errors.messages.size(), 1) << "the error comes at the match";
    EXPECT_FALSE(errors.messages[0].isEmpty());
    EXPECT_TRUE(game.Casilla(a).acertada);
    EXPECT_TRUE(game.Casilla(b).acertada);
    EXPECT_EQ(game.State().pulsaciones, 0);
    EXPECT_EQ(game.State().aciertos, 1);
    EXPECT_EQ(game.State().puntos, 150);
    EXPECT_GT(game.Tile(a).Picture().Width(), 0);

    game.PlayLevel();
    EXPECT_EQ(errors.messages.size(), 10);
    EXPECT_EQ(game.State().nivel, 2) << "the tenth pair deals the next level on its own click";
    EXPECT_EQ(game.State().aciertos, 0);
    EXPECT_EQ(game.State().puntos, 50 + 10 * 100 + 2 * tiempo + 50 * 2);
    ExpectDisplaysShowState(game);
    for (int n = 1; n <= 20; ++n) EXPECT_TRUE(Covered(game, n)) << n;
    ExpectRunning(game);
  }
  // The device is back: the next match plays with no error.
  const int c = 1;
  game.Click(c);
  game.Click(game.Casilla(c).pareja);
  EXPECT_TRUE(game.Casilla(c).acertada);
  EXPECT_EQ(errors.messages.size(), 10);
}

TEST(FaultsWhilePlaying, CardBackDeletedDuringALevelLeavesCoveredTilesEmpty) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  OffscreenGame game(copy.Path());
  game.NewGame();
  for (int n = 1; n <= 20; ++n) ASSERT_GT(game.Tile(n).Picture().Width(), 0) << "dealt with the card back";
  ASSERT_TRUE(QFile::remove(copy.F(QStringLiteral("base.jpg"))));

  const int a = 1, c = Stranger(game, 1);
  game.Click(a);
  game.Click(c);
  EXPECT_GT(game.Tile(a).Picture().Width(), 0);
  EXPECT_GT(game.Tile(c).Picture().Width(), 0);
  game.Click(a);  // the third click only covers
  for (int n = 1; n <= 20; ++n) EXPECT_EQ(game.Tile(n).Picture().Width(), 0) << n;

  // A pair found still shows its pictures; everything else stays empty.
  const int b = game.Casilla(a).pareja;
  game.Click(a);
  game.Click(b);
  EXPECT_TRUE(game.Casilla(a).acertada);
  for (int n = 1; n <= 20; ++n) EXPECT_EQ(game.Tile(n).Picture().Width() > 0, n == a || n == b) << n;
  game.f1().Timer1Timer();
  ExpectDisplaysShowState(game);
  EXPECT_EQ(game.State().puntos, 150);
  EXPECT_TRUE(errors.messages.isEmpty()) << errors.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST(FaultsWhilePlaying, FaceDeletedDuringALevelTurnsUpEmptyAndThePairStillCounts) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  OffscreenGame game(copy.Path());
  game.NewGame();
  const int a = 1, b = game.Casilla(1).pareja;
  const QString face = QString::fromStdString(game.Foto(a));
  ASSERT_TRUE(face.startsWith(copy.F()));
  ASSERT_TRUE(QFile::remove(face));

  game.Click(a);
  EXPECT_TRUE(game.Casilla(a).destapada);
  EXPECT_EQ(game.Tile(a).Picture().Width(), 0);
  EXPECT_EQ(game.Tile(a).Picture().Graphic(), nullptr);
  game.Click(b);
  EXPECT_TRUE(game.Casilla(a).acertada);
  EXPECT_TRUE(game.Casilla(b).acertada);
  EXPECT_EQ(game.State().puntos, 150);
  EXPECT_EQ(game.Tile(b).Picture().Width(), 0);
  // The other tiles are untouched by the missing face.
  const int c = Stranger(game, a);
  game.Click(c);
  EXPECT_GT(game.Tile(c).Picture().Width(), 0);
  EXPECT_TRUE(errors.messages.isEmpty()) << errors.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST(FaultsWhilePlaying, BrokenFaceTurnedShowsTheBoardAtOnceAndTheCardBackWhenCovered) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  OffscreenGame game(copy.Path());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&game.f1()));
  game.NewGame();
  const int a = 1, c = Stranger(game, a);
  QFile face(QString::fromStdString(game.Foto(a)));
  ASSERT_TRUE(face.open(QIODevice::WriteOnly | QIODevice::Truncate));
  face.write(QByteArray(64, '\x5a'));
  face.close();

  const QRgb board = ToQColor(game.f1().Panel1->Color()).rgb();
  const int tilePixels = 95 * 95;
  const QImage cardBack = TileOnScreen(game, a);
  ASSERT_LT(PixelsOfColour(cardBack, board), tilePixels / 2) << "the card back is not the board's colour";
  ASSERT_EQ(TileOnScreen(game, c), cardBack);

  game.Click(a);
  ASSERT_TRUE(game.Casilla(a).destapada);
  EXPECT_EQ(game.Tile(a).Picture().Graphic(), nullptr);
  EXPECT_EQ(PixelsOfColour(TileOnScreen(game, a), board), tilePixels)
      << "the turned tile still shows old pixels";
  EXPECT_EQ(TileOnScreen(game, c), cardBack);

  // Second and third click: the turn ends and the broken face is covered again.
  game.Click(c);
  game.Click(c);
  ASSERT_FALSE(game.Casilla(a).destapada);
  EXPECT_EQ(TileOnScreen(game, a), cardBack);
  EXPECT_EQ(TileOnScreen(game, c), cardBack);
  EXPECT_TRUE(errors.messages.isEmpty()) << errors.messages.join(QStringLiteral(" | ")).toStdString();
}

TEST(FaultsWhilePlaying, UnreadableFaceShowsTheErrorStopsTheClickAndTheGameGoesOn) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  // The folders must let the user nobody in, as a player's own folders would.
  const auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                    fs::perms::others_read | fs::perms::others_exec;
  fs::permissions(copy.Path().toStdString(), open);
  fs::permissions(copy.F().toStdString(), open);
  OffscreenGame game(copy.Path());
  game.NewGame();

  const int face = 1, partner = game.Casilla(1).pareja;
  const QString path = QString::fromStdString(game.Foto(face));
  game.Click(partner);
  ASSERT_GT(game.Tile(partner).Picture().Width(), 0);
  // The file that the partner just showed can no longer be read.
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
  const int cardBackWidth = game.Tile(face).Picture().Width();
  ASSERT_GT(cardBackWidth, 0);
  {
    FileAccessAsNobody nobody;
    if (!FileAccessAsNobody::CannotOpen(path))
      GTEST_SKIP() << "this process can read a file without permissions";
    game.Click(face);
  }
  ASSERT_EQ(errors.messages.size(), 1);
  EXPECT_TRUE(errors.messages[0].startsWith(QStringLiteral("Cannot open file \"%1\"").arg(path)))
      << errors.messages[0].toStdString();
  // Counted and face up, but the partner test never ran.
  EXPECT_EQ(game.State().pulsaciones, 2);
  EXPECT_TRUE(game.Casilla(face).destapada);
  EXPECT_TRUE(game.Casilla(partner).destapada);
  EXPECT_FALSE(game.Casilla(face).acertada);
  EXPECT_FALSE(game.Casilla(partner).acertada);
  EXPECT_EQ(game.State().aciertos, 0);
  EXPECT_EQ(game.State().puntos, 50);
  EXPECT_EQ(game.Tile(face).Picture().Width(), cardBackWidth) << "a failed load keeps the previous picture";

  // The game goes on: the third click covers, and with the file readable again the pair is found.
  game.Click(face);
  EXPECT_EQ(game.State().pulsaciones, 0);
  for (int n = 1; n <= 20; ++n) EXPECT_TRUE(Covered(game, n)) << n;
  ASSERT_TRUE(
      QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
  game.Click(partner);
  game.Click(face);
  EXPECT_TRUE(game.Casilla(face).acertada);
  EXPECT_EQ(game.State().puntos, 150);
  EXPECT_EQ(errors.messages.size(), 1);
  ExpectRunning(game);
}

TEST(FaultsWhilePlaying, FolderRemovedMidGameEmptiesTheTilesAndTheListingIsReused) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  OffscreenGame game(copy.Path());
  game.NewGame();
  const std::vector<std::string> listing = game.f1().ficheros->Items();
  ASSERT_EQ(listing.size(), 71u);
  const std::string folder = game.f1().ficheros->Directory();
  ASSERT_TRUE(QDir(copy.F()).removeRecursively());

  const int a = 1, b = game.Casilla(1).pareja;
  game.Click(a);
  EXPECT_EQ(game.Tile(a).Picture().Width(), 0);
  EXPECT_TRUE(errors.messages.isEmpty());
  game.Click(b);
  EXPECT_TRUE(game.Casilla(a).acertada);
  for (int n = 1; n <= 20; ++n) EXPECT_EQ(game.Tile(n).Picture().Width(), 0) << n;
  // The sound went with the folder: each match says so, and nothing else does.
  const QString noSound = QStringLiteral("Couldn't open ") + copy.F(QStringLiteral("ok.wav"));
  ASSERT_EQ(errors.messages, QStringList{noSound});

  // The tenth pair deals level 2 from the listing already read.
  game.PlayLevel();
  EXPECT_EQ(game.State().nivel, 2);
  ExpectDisplaysShowState(game);
  game.f1().Timer1Timer();
  ExpectDisplaysShowState(game);
  ExpectAbortable(game);

  game.NewGame();
  EXPECT_EQ(game.State().nivel, 1);
  ExpectDisplaysShowState(game);
  ExpectRunning(game);
  QSet<std::string> drawn;
  for (int p = 1; p <= 10; ++p) {
    const std::string& foto = game.State().fotos[static_cast<std::size_t>(p)];
    ASSERT_EQ(foto.rfind(folder + "/", 0), 0u) << foto;
    const std::string name = foto.substr(folder.size() + 1);
    const auto at = std::find(listing.begin() + 1, listing.begin() + 70, name);
    EXPECT_NE(at, listing.begin() + 70) << name << " is at a position 1 to 69 of the old listing";
    drawn.insert(name);
  }
  EXPECT_EQ(drawn.size(), 10);
  EXPECT_EQ(game.f1().ficheros->Items(), listing);
  EXPECT_EQ(errors.messages, QStringList(10, noSound));
}

TEST(FaultsWhilePlaying, ListingOfSixtyNineEntriesFailsTheDealThatDrawsPosition69) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  // base.jpg, c01 .. c67 and ok.wav: positions 0 to 68.
  for (const QString& pattern : {QStringLiteral("c68-*"), QStringLiteral("c69-*")}) {
    const QStringList names = QDir(copy.F()).entryList({pattern}, QDir::Files);
    ASSERT_EQ(names.size(), 1) << pattern.toStdString();
    ASSERT_TRUE(QFile::remove(copy.F(names[0])));
  }
  OffscreenGame game(copy.Path());

  // Each deal draws ten of the positions 1 to 69, so one in about seven draws the missing one.
  int deals = 0;
  for (; deals < 1000 && errors.messages.isEmpty(); ++deals) {
    if (deals > 0) game.Abort();
    game.NewGame();
  }
  ASSERT_EQ(game.f1().ficheros->Count(), 69);
  ASSERT_EQ(errors.messages.size(), 1) << "after " << deals << " deals";
  EXPECT_EQ(errors.messages[0], QStringLiteral("List index out of bounds (69)"));
  // The deal stopped before refreshing the displays; the game runs and the next tick shows it.
  ExpectRunning(game);
  EXPECT_EQ(game.State().puntos, 50);
  EXPECT_EQ(game.f1().marcadorpuntos->Value(), 0);
  game.f1().Timer1Timer();
  ExpectDisplaysShowState(game);
  game.Click(1);
  EXPECT_TRUE(game.Casilla(1).destapada);
  ExpectAbortable(game);
  EXPECT_EQ(errors.messages.size(), 1);
}

TEST(FaultsWhilePlaying, EmptyFolderFailsTheDealAndTheGameStaysPlayable) {
  ErrorBoxRecorder errors;
  QTemporaryDir dir;
  QDir(dir.path()).mkdir(QStringLiteral("f"));
  OffscreenGame game(dir.path());
  const QRegularExpression listError(QStringLiteral("^List index out of bounds \\(([0-9]+)\\)$"));

  const QString noSound = QStringLiteral("Couldn't open ") + dir.filePath(QStringLiteral("f/ok.wav"));
  for (int round = 1; round <= 2; ++round) {
    errors.messages.clear();
    game.NewGame();
    ASSERT_EQ(errors.messages.size(), 1) << errors.messages.join(QStringLiteral(" | ")).toStdString();
    const QRegularExpressionMatch match = listError.match(errors.messages.back());
    ASSERT_TRUE(match.hasMatch()) << errors.messages.back().toStdString();
    const int position = match.captured(1).toInt();
    EXPECT_GE(position, 1);
    EXPECT_LE(position, 69);
    ExpectRunning(game);

    // Tiles with no picture to show turn up empty, and turns are played as usual.
    const int a = 1, b = game.Casilla(1).pareja;
    game.Click(a);
    game.Click(b);
    EXPECT_TRUE(game.Casilla(a).acertada);
    EXPECT_EQ(game.Tile(a).Picture().Width(), 0);
    EXPECT_EQ(game.State().puntos, 150);
    EXPECT_EQ(errors.messages.size(), 2);
    EXPECT_EQ(errors.messages.back(), noSound) << "the folder has no sound either";
    game.f1().Timer1Timer();
    ExpectDisplaysShowState(game);
    ExpectAbortable(game);
    EXPECT_EQ(errors.messages.size(), 2);
  }
}
