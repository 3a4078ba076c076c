#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "CBImage.h"
#include "ErrorBoxRecorder.h"
#include "Forms.h"
#include "LcdDisplay.h"
#include "MenuKeyboard.h"
#include "OffscreenGame.h"
#include "Panel.h"
#include "TileAccessibility.h"
#include "Unit3.h"

namespace {

struct Program {
  explicit Program(const QString& folder = QStringLiteral(ZUM_APP_DIR)) : forms(folder) {
    forms.Form1->SetShowModal([](QDialog& dialog) { dialog.show(); });
    forms.Form1->show();
  }
  ~Program() { std::filesystem::current_path(saved); }
  TForm1& f1() { return *forms.Form1; }
  void Click(int tile) {
    QTest::mouseClick(f1().Image[static_cast<std::size_t>(tile)], Qt::LeftButton, {}, {47, 47});
  }

  std::filesystem::path saved = std::filesystem::current_path();
  TForms forms;
};

// What assistive technology is told, through Qt's accessibility bridge rather than the widget's property.
QString SpokenName(QObject* object) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
  return iface ? iface->text(QAccessible::Name) : QString();
}

QAccessibleInterface* Interface(QObject* object) {
  return QAccessible::queryAccessibleInterface(object);
}

QString Name(int tile, const QString& rest) {
  return QStringLiteral("Casilla %1, ").arg(tile) + rest;
}

// The spoken name of the face tile n hides in the current deal.
QString FaceName(Program& p, int n) {
  const GameState& s = p.f1().State();
  const std::string& file = s.fotos[static_cast<std::size_t>(s.casillas[static_cast<std::size_t>(n)].foto)];
  return PictureSpokenName(QString::fromLocal8Bit(file.c_str()));
}

QAccessibleInterface* MenuItem(QObject* menu, const QString& name) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
  for (int i = 0; iface && i < iface->childCount(); ++i)
    if (QAccessibleInterface* child = iface->child(i); child && child->text(QAccessible::Name) == name)
      return child;
  return nullptr;
}

}  // namespace

TEST(TileAccessibility, NamesTheStateInSpanish) {
  TCasilla casilla;
  EXPECT_EQ(CasillaAccessibleName(7, casilla), QStringLiteral("Casilla 7, boca abajo"));
  EXPECT_EQ(CasillaAccessibleName(7, casilla, QStringLiteral("manzana")),
            QStringLiteral("Casilla 7, boca abajo"));
  casilla.destapada = true;
  EXPECT_EQ(CasillaAccessibleName(7, casilla, QStringLiteral("manzana")),
            QStringLiteral("Casilla 7, boca arriba: manzana"));
  EXPECT_EQ(CasillaAccessibleName(7, casilla), QStringLiteral("Casilla 7, boca arriba: sin imagen"));
  // A found pair has been covered and uncovered again; being found is what counts.
  casilla.destapada = false;
  casilla.acertada = true;
  EXPECT_EQ(CasillaAccessibleName(20, casilla, QStringLiteral("gato")),
            QStringLiteral("Casilla 20, pareja encontrada: gato"));
}

TEST(TileAccessibility, SpeaksAPictureByItsFileName) {
  EXPECT_EQ(PictureSpokenName(QStringLiteral("c01-manzana.jpg")), QStringLiteral("manzana"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral("c12-casa_de-campo.EMF")), QStringLiteral("casa de campo"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral("/fotos/07-playa.jpeg")), QStringLiteral("playa"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral("abuela_en_1990.jpg")), QStringLiteral("abuela en 1990"));
  // Words before a hyphen are no sorting prefix without a digit among them.
  EXPECT_EQ(PictureSpokenName(QStringLiteral("manzana-roja.bmp")), QStringLiteral("manzana roja"));
  // Only the last extension goes, and only the first prefix.
  EXPECT_EQ(PictureSpokenName(QStringLiteral("a1-b2-foto.final.wmf")), QStringLiteral("b2 foto.final"));
  // A name that is all prefix or all extension keeps what there is.
  EXPECT_EQ(PictureSpokenName(QStringLiteral("c03-.ico")), QStringLiteral("c03"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral("2024.jpg")), QStringLiteral("2024"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral(".jpg")), QStringLiteral(".jpg"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral("__.jpg")), QStringLiteral("sin imagen"));
  EXPECT_EQ(PictureSpokenName(QStringLiteral("año-nuevo.jpg")), QStringLiteral("año nuevo"));
}

TEST(TileAccessibility, MenuBarInitialsLeaveOutSharedLetters) {
  QAction juego(QStringLiteral("Juego")), dificultad(QStringLiteral("Dificultad")),
      acerca(QStringLiteral("Acerca de...")), x(QStringLiteral("x")), dos(QStringLiteral("Dos")),
      dots(QStringLiteral("..."));
  EXPECT_EQ(MenuBarInitials({&juego, &dificultad, &acerca, &x}),
            (QList<QChar>{QLatin1Char('J'), QLatin1Char('D'), QLatin1Char('A'), QLatin1Char('X')}));
  EXPECT_EQ(MenuBarInitials({&juego, &dificultad, &dos, &dots}),
            (QList<QChar>{QLatin1Char('J'), QChar(), QChar(), QChar()}));
}

TEST(Accessibility, TilesAreFocusableButtonsThatPress) {
  Program p;
  p.f1().Nuevapartida1->trigger();
  for (int n = 1; n <= 20; ++n) {
    QAccessibleInterface* tile = Interface(p.f1().Image[static_cast<std::size_t>(n)]);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->role(), QAccessible::Button);
    EXPECT_TRUE(tile->state().focusable);
    EXPECT_FALSE(tile->state().checked);
    ASSERT_NE(tile->actionInterface(), nullptr);
    EXPECT_TRUE(tile->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
  }
  QAccessibleInterface* seven = Interface(p.f1().Image[7]);
  seven->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(p.f1().State().casillas[7].destapada);
  EXPECT_EQ(p.f1().State().pulsaciones, 1);
  EXPECT_TRUE(seven->state().checked);
  EXPECT_EQ(seven->text(QAccessible::Name), QStringLiteral("Casilla 7, boca arriba: ") + FaceName(p, 7));
  EXPECT_FALSE(FaceName(p, 7).contains(QLatin1Char('-')));
  EXPECT_FALSE(FaceName(p, 7).contains(QLatin1Char('.')));

  // Focusing through assistive technology rings the tile, as the keyboard does.
  p.f1().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p.f1()));
  seven->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
  EXPECT_EQ(p.f1().Panel1->FocusRing(), p.f1().Image[7]->geometry());

  // Where a mouse cannot click, pressing does nothing either.
  p.f1().Abortar1->trigger();
  ASSERT_FALSE(p.f1().Image[7]->isVisible());
  const int clicks = p.f1().State().pulsaciones;
  Interface(p.f1().Image[3])->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(p.f1().State().pulsaciones, clicks);
  EXPECT_FALSE(p.f1().State().casillas[3].destapada);
}

TEST(Accessibility, NamesFollowTheTurnsOfAPlayedLevel) {
  Program p;
  p.f1().Nuevapartida1->trigger();
  for (int n = 1; n <= 20; ++n)
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(n)]), Name(n, "boca abajo"));

  auto press = [&](int n) {
    Interface(p.f1().Image[static_cast<std::size_t>(n)])
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
  };
  // A wrong pair first: both say their faces until the third press covers them.
  int a = 1, b = 2;
  while (p.f1().State().casillas[static_cast<std::size_t>(a)].pareja == b) ++b;
  press(a);
  press(b);
  EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(a)]), Name(a, "boca arriba: " + FaceName(p, a)));
  EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(b)]), Name(b, "boca arriba: " + FaceName(p, b)));
  EXPECT_NE(FaceName(p, a), FaceName(p, b));
  press(b);
  EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(a)]), Name(a, "boca abajo"));
  EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(b)]), Name(b, "boca abajo"));

  // Then every pair, each found tile naming its face until the next level is dealt.
  for (int n = 1; n <= 20 && p.f1().State().nivel == 1; ++n) {
    const int partner = p.f1().State().casillas[static_cast<std::size_t>(n)].pareja;
    if (p.f1().State().casillas[static_cast<std::size_t>(n)].acertada) continue;
    const QString face = FaceName(p, n);
    press(n);
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(n)]), Name(n, "boca arriba: " + face));
    press(partner);
    if (p.f1().State().nivel != 1) break;
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(n)]), Name(n, "pareja encontrada: " + face));
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(partner)]),
              Name(partner, "pareja encontrada: " + face));
  }
  EXPECT_EQ(p.f1().State().nivel, 2);
  for (int n = 1; n <= 20; ++n)
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(n)]), Name(n, "boca abajo"));

  // The right button beside the tiles covers a turned tile again.
  press(4);
  p.f1().Panel1MouseDown(Qt::RightButton);
  EXPECT_EQ(SpokenName(p.f1().Image[4]), Name(4, "boca abajo"));

  // The next game deals afresh: every tile is face down again.
  p.f1().ResetGame();
  p.f1().Nuevapartida1->trigger();
  EXPECT_EQ(SpokenName(p.f1().Image[7]), QStringLiteral("Casilla 7, boca abajo"));
}

TEST(Accessibility, AFaceThatCannotBeShownSaysSo) {
  ErrorBoxRecorder errors;
  SampleCopy copy;
  Program p(copy.Path());
  p.f1().Nuevapartida1->trigger();
  GameState& s = p.f1().State();
  const auto pair7 = static_cast<std::size_t>(s.casillas[7].foto);
  const auto pair1 = static_cast<std::size_t>(s.casillas[s.casillas[7].pareja == 1 ? 2 : 1].foto);
  // A face that is no picture shows an empty tile; one that fails to decode keeps the card back.
  QFile text(copy.F(QStringLiteral("nota.txt")));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("no es una imagen");
  text.close();
  s.fotos[pair7] = "nota.txt";
  QFile broken(copy.F(QStringLiteral("rota.jpg")));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write(
      QByteArray("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x10\x00\x10\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"
                 "\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00\xFF\xD9",
                 37));
  broken.close();
  s.fotos[pair1] = "rota.jpg";
  const int one = s.casillas[7].pareja == 1 ? 2 : 1;

  p.Click(7);
  EXPECT_EQ(SpokenName(p.f1().Image[7]), QStringLiteral("Casilla 7, boca arriba: sin imagen"));
  p.Click(one);
  EXPECT_EQ(errors.messages.size(), 1) << qPrintable(errors.messages.join(QLatin1Char('\n')));
  EXPECT_TRUE(s.casillas[static_cast<std::size_t>(one)].destapada);
  EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(one)]),
            QStringLiteral("Casilla %1, boca arriba: sin imagen").arg(one));
}

// Qt hands accessibility events to a platform bridge only while a screen reader listens, which the
// offscreen platform never has; scripts/a11y-check sees them arrive over AT-SPI. Here: which are sent.
TEST(TileAccessibility, AnnouncesOnlyWhatChanged) {
  QWidget tile;
  const QString down = QStringLiteral("Casilla 7, boca abajo"),
                up = QStringLiteral("Casilla 7, boca arriba: gato");
  EXPECT_EQ(SetTileAccessibleState(tile, down, QStringLiteral("boca abajo"), false),
            (TTileChanges{true, true, false}));
  EXPECT_EQ(SetTileAccessibleState(tile, down, QStringLiteral("boca abajo"), false), TTileChanges{});
  EXPECT_EQ(SetTileAccessibleState(tile, up, QStringLiteral("boca arriba"), true),
            (TTileChanges{true, true, true}));
  EXPECT_TRUE(TileShowsFace(tile));
  EXPECT_EQ(tile.accessibleName(), up);
  EXPECT_EQ(tile.accessibleDescription(), QStringLiteral("boca arriba"));
  // A found pair keeps showing its face under a new name.
  EXPECT_EQ(SetTileAccessibleState(tile, QStringLiteral("Casilla 7, pareja encontrada: gato"),
                                   QStringLiteral("pareja encontrada"), true),
            (TTileChanges{true, true, false}));
}

TEST(Accessibility, AClickRenamesOnlyTheTilesItChanges) {
  Program p;
  p.f1().Nuevapartida1->trigger();
  QStringList before;
  for (int n = 1; n <= 20; ++n) before << SpokenName(p.f1().Image[static_cast<std::size_t>(n)]);
  p.Click(7);
  for (int n = 1; n <= 20; ++n) {
    const bool renamed = SpokenName(p.f1().Image[static_cast<std::size_t>(n)]) != before[n - 1];
    EXPECT_EQ(renamed, n == 7) << n;
  }
  EXPECT_TRUE(Interface(p.f1().Image[7])->state().checked);
  p.f1().Panel1MouseDown(Qt::RightButton);
  EXPECT_EQ(SpokenName(p.f1().Image[7]), before[6]);
  EXPECT_FALSE(Interface(p.f1().Image[7])->state().checked);
}

TEST(Accessibility, TheGameOverWindowReadsAsOneSentenceWithItsOk) {
  Program p;
  p.f1().Nuevapartida1->trigger();
  p.f1().Abortar1->trigger();
  TForm3& over = *p.forms.Form3;
  ASSERT_TRUE(over.isVisible());
  const QString sentence = QStringLiteral("¡Fin de Juego! Puntos: 50, Nivel: 1.");
  EXPECT_EQ(Interface(over.BitBtn1)->text(QAccessible::Name), QStringLiteral("Ok"));
  EXPECT_EQ(Interface(over.BitBtn1)->text(QAccessible::Description), sentence);
  EXPECT_EQ(Interface(&over)->text(QAccessible::Description), sentence);
  EXPECT_EQ(Interface(&over)->text(QAccessible::Name), QStringLiteral("¡Fin de Juego!"));
  EXPECT_EQ(over.focusWidget(), over.BitBtn1);
  EXPECT_EQ(
      GameOverSentence(QStringLiteral("  ¡Fin!"), QStringLiteral("Puntos: 7"), QStringLiteral("Nivel: 3")),
      QStringLiteral("¡Fin! Puntos: 7, Nivel: 3."));
}

TEST(Accessibility, DisplaysReadTheirValues) {
  Program p;
  EXPECT_EQ(SpokenName(p.f1().marcadorpuntos), QStringLiteral("Puntos 0"));
  p.f1().Nuevapartida1->trigger();
  EXPECT_EQ(SpokenName(p.f1().marcadornivel), QStringLiteral("Nivel 1"));
  EXPECT_EQ(SpokenName(p.f1().marcadorpuntos), QStringLiteral("Puntos 50"));
  const int partner = p.f1().State().casillas[7].pareja;
  p.Click(7);
  p.Click(partner);
  p.f1().Timer1Timer();
  EXPECT_EQ(SpokenName(p.f1().marcadorpuntos), QStringLiteral("Puntos 150"));
  EXPECT_EQ(SpokenName(p.f1().marcadortiempo), QStringLiteral("Tiempo %1").arg(p.f1().State().tiempo));

  TLcdDisplay bare;
  bare.SetValue(-42);
  EXPECT_EQ(SpokenName(&bare), QStringLiteral("-42"));
}

TEST(Accessibility, MenuCommandsHaveNamesAndStates) {
  Program p;
  QAccessibleInterface* nueva = MenuItem(p.f1().Juego1, QStringLiteral("Nueva partida"));
  QAccessibleInterface* abortar = MenuItem(p.f1().Juego1, QStringLiteral("Abortar"));
  ASSERT_NE(nueva, nullptr);
  ASSERT_NE(abortar, nullptr);
  EXPECT_FALSE(nueva->state().disabled);
  EXPECT_TRUE(abortar->state().disabled);
  p.f1().Nuevapartida1->trigger();
  EXPECT_TRUE(nueva->state().disabled);
  EXPECT_FALSE(abortar->state().disabled);

  QAccessibleInterface* first = MenuItem(p.f1().Dificultad1, QStringLiteral("1 (fácil)"));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->state().checked);

  EXPECT_NE(MenuItem(p.f1().menuBar(), QStringLiteral("X")), nullptr);
  EXPECT_NE(MenuItem(p.f1().menuBar(), QStringLiteral("Acerca de...")), nullptr);
}
