#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include "BoardGrid.h"
#include "BoardKeyboard.h"
#include "FocusRing.h"
#include "OffscreenGame.h"
#include "TColor.h"
#include "Unit2.h"

namespace {

// A game driven through the window system's key events, as a keyboard reaches the program.
struct KeyboardGame : OffscreenGame {
  KeyboardGame() {
    f1().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&f1()));
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(f1().windowHandle(), key, modifiers);
  }
  // The number of the tile with the focus, 0 for none.
  int Focused() {
    for (int n = 1; n <= 20; ++n)
      if (Tile(n).hasFocus()) return n;
    return 0;
  }
  // Moves the focus to the tile with the arrow keys only.
  void MoveTo(int target) {
    for (int guard = 0; Focused() != target && guard < 10; ++guard) {
      const int at = Focused();
      ASSERT_NE(at, 0);
      Key((at - 1) / 5 != (target - 1) / 5 ? Qt::Key_Down : Qt::Key_Right);
    }
    ASSERT_EQ(Focused(), target);
  }
  QImage Screen() { return f1().screen()->grabWindow(f1().winId()).toImage(); }
  QRect OnScreen(const QRect& boardRect) {
    return QRect(f1().Panel1->mapTo(&f1(), boardRect.topLeft()), boardRect.size());
  }
  QRgb ScreenAt(const QImage& screen, const QPoint& onBoard) {
    return screen.pixel(f1().Panel1->mapTo(&f1(), onBoard)) & 0xFFFFFF;
  }
};

QRgb Rgb(TColor color) {
  return ToQColor(color).rgb() & 0xFFFFFF;
}

}  // namespace

TEST(Keyboard, TabEntersTheBoardAndWrapsAtBothEnds) {
  KeyboardGame g;
  g.Key(Qt::Key_Tab);
  EXPECT_EQ(g.Focused(), 0) << "no tile takes the focus on a hidden board";
  g.NewGame();
  g.Key(Qt::Key_Tab);
  EXPECT_EQ(g.Focused(), 1);
  g.Key(Qt::Key_Tab);
  EXPECT_EQ(g.Focused(), 2);
  g.Key(Qt::Key_Tab, Qt::ShiftModifier);
  g.Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(g.Focused(), 20);
  g.Key(Qt::Key_Tab);
  EXPECT_EQ(g.Focused(), 1);
  g.Key(Qt::Key_Backtab);
  EXPECT_EQ(g.Focused(), 20);
}

TEST(Keyboard, ArrowsMoveAcrossTheGridWrappingAtTheEdges) {
  KeyboardGame g;
  g.NewGame();
  g.Key(Qt::Key_Right);
  ASSERT_EQ(g.Focused(), 1);
  g.Key(Qt::Key_Left);
  EXPECT_EQ(g.Focused(), 5);
  g.Key(Qt::Key_Up);
  EXPECT_EQ(g.Focused(), 20);
  g.Key(Qt::Key_Right);
  EXPECT_EQ(g.Focused(), 16);
  g.Key(Qt::Key_Down);
  EXPECT_EQ(g.Focused(), 1);
}

TEST(Keyboard, SpaceAndEnterClickTheFocusedTile) {
  KeyboardGame g;
  g.NewGame();
  g.Key(Qt::Key_Tab);
  g.MoveTo(7);
  g.Key(Qt::Key_Space);
  EXPECT_TRUE(g.Casilla(7).destapada);
  EXPECT_EQ(g.State().pulsaciones, 1);
  const int partner = g.Casilla(7).pareja;
  g.MoveTo(partner);
  g.Key(Qt::Key_Return);
  EXPECT_TRUE(g.Casilla(7).acertada);
  EXPECT_TRUE(g.Casilla(partner).acertada);
  EXPECT_EQ(g.State().puntos, 150);
  // The keypad's Enter is a click too.
  const int next = g.Casilla(1).acertada ? 2 : 1;
  g.MoveTo(next);
  g.Key(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(g.Casilla(next).destapada || g.Casilla(next).acertada);
}

TEST(Keyboard, EscapeCoversTheBoardLikeARightPressBesideTheTiles) {
  KeyboardGame g;
  g.NewGame();
  g.Key(Qt::Key_Tab);
  const int a = 1;
  int b = 2;
  while (g.Casilla(a).pareja == b) ++b;
  g.MoveTo(a);
  g.Key(Qt::Key_Space);
  g.MoveTo(b);
  g.Key(Qt::Key_Space);
  ASSERT_TRUE(g.Casilla(a).destapada && g.Casilla(b).destapada);
  ASSERT_EQ(g.State().pulsaciones, 2);
  g.Key(Qt::Key_Escape);
  EXPECT_FALSE(g.Casilla(a).destapada);
  EXPECT_FALSE(g.Casilla(b).destapada);
  EXPECT_EQ(g.State().pulsaciones, 0);
  EXPECT_EQ(g.Tile(a).Picture().Width(), g.Tile(b).Picture().Width()) << "both show the card back again";
}

TEST(Keyboard, PlaysAWholeLevelToLevelTwo) {
  KeyboardGame g;
  g.Key(Qt::Key_F10);
  ASSERT_EQ(QApplication::activePopupWidget(), g.f1().Juego1);
  g.Key(Qt::Key_Return);
  ASSERT_TRUE(g.f1().Panel1->isVisible()) << "Nueva partida from the keyboard";
  g.Key(Qt::Key_Tab);
  for (int n = 1; n <= 20 && g.State().nivel == 1; ++n) {
    if (g.Casilla(n).acertada) continue;
    const int partner = g.Casilla(n).pareja;
    g.MoveTo(n);
    g.Key(Qt::Key_Space);
    g.MoveTo(partner);
    g.Key(Qt::Key_Space);
    if (g.State().nivel == 1) {
      EXPECT_TRUE(g.Casilla(n).acertada) << n;
    }
  }
  EXPECT_EQ(g.State().nivel, 2);
  EXPECT_EQ(g.State().aciertos, 0);
  EXPECT_NE(g.Focused(), 0);
}

TEST(Keyboard, TheFocusedTileIsRingedOnTheBoardWithItsPixelsUntouched) {
  KeyboardGame g;
  g.NewGame();
  const QImage before = g.Screen();
  EXPECT_TRUE(g.f1().Panel1->FocusRing().isNull()) << "no ring before the keyboard is used";
  g.Key(Qt::Key_Tab);
  g.Key(Qt::Key_Down);
  ASSERT_EQ(g.Focused(), 6);
  QApplication::processEvents();
  const QImage after = g.Screen();
  const QRect tile = TileRect(6);
  EXPECT_EQ(g.f1().Panel1->FocusRing(), tile);
  EXPECT_EQ(after.copy(g.OnScreen(tile)), before.copy(g.OnScreen(tile)));
  const QPoint above(tile.center().x(), tile.top());
  EXPECT_EQ(g.ScreenAt(after, above - QPoint(0, 2)), Rgb(clBtnHighlight));
  EXPECT_EQ(g.ScreenAt(after, above - QPoint(0, 4)), Rgb(clWindowText));
  EXPECT_EQ(g.ScreenAt(after, above - QPoint(0, 1)), Rgb(clBtnShadow));
  const QPoint left(tile.left() - 3, tile.center().y());
  EXPECT_EQ(g.ScreenAt(after, left), Rgb(clWindowText));
  // The ring follows the focus and leaves nothing behind.
  g.Key(Qt::Key_Right);
  QApplication::processEvents();
  const QImage moved = g.Screen();
  EXPECT_EQ(g.ScreenAt(moved, left), Rgb(clBtnShadow));
  EXPECT_EQ(g.ScreenAt(moved, QPoint(TileRect(7).left() - 3, tile.center().y())), Rgb(clWindowText));
  // The game ends: the board and its ring go.
  g.Abort();
  EXPECT_TRUE(g.f1().Panel1->FocusRing().isNull());
  // The next game rings the tile that kept the focus, if any, once the board shows again.
  g.NewGame();
  const int kept = g.Focused();
  EXPECT_EQ(g.f1().Panel1->FocusRing(), kept ? TileRect(kept) : QRect());
}

TEST(Keyboard, KeysDoNothingOnAHiddenBoard) {
  KeyboardGame g;
  g.NewGame();
  g.Key(Qt::Key_Tab);
  g.MoveTo(8);
  g.Key(Qt::Key_Space);
  ASSERT_TRUE(g.Casilla(8).destapada);
  g.f1().Abortar1->trigger();
  ASSERT_FALSE(g.f1().Panel1->isVisible());
  // Straight to the tile, which may keep the focus while hidden: no click, no cover, no ring.
  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Right, Qt::Key_Tab}) {
    QTest::keyClick(&g.Tile(8), key);
    EXPECT_EQ(g.State().pulsaciones, 1) << key;
    EXPECT_TRUE(g.Casilla(8).destapada) << key;
    EXPECT_TRUE(g.f1().Panel1->FocusRing().isNull()) << key;
  }
  g.CloseGameOver();
}

TEST(Keyboard, AMouseClickNeverMovesTheFocus) {
  KeyboardGame g;
  g.NewGame();
  g.Click(3);
  EXPECT_EQ(g.Focused(), 0);
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
  g.ClickBoard(QPoint(20, 20));
  g.Key(Qt::Key_Tab);
  g.MoveTo(9);
  g.Click(14);
  g.Click(2);
  g.ClickBoard(QPoint(20, 20));
  EXPECT_EQ(g.Focused(), 9);
  EXPECT_EQ(g.f1().Panel1->FocusRing(), TileRect(9));
}

TEST(Keyboard, ReactivatingTheWindowGivesAMousePlayerNoRing) {
  KeyboardGame g;
  g.NewGame();
  g.Click(1);
  g.f1().Acercade1->trigger();
  ASSERT_TRUE(g.forms.Form2->isVisible());
  g.forms.Form2->close();
  g.f1().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&g.f1()));
  EXPECT_EQ(g.Focused(), 0);
  EXPECT_TRUE(g.f1().Panel1->FocusRing().isNull());
}

TEST(Keyboard, MenusOpenFromTheKeyboardWithoutAccessKeyMarkers) {
  KeyboardGame g;
  for (QAction* entry : g.f1().menuBar()->actions()) EXPECT_FALSE(entry->text().contains(QLatin1Char('&')));
  g.Key(Qt::Key_F10);
  ASSERT_EQ(QApplication::activePopupWidget(), g.f1().Juego1);
  EXPECT_EQ(g.f1().Juego1->activeAction(), g.f1().Nuevapartida1);
  g.Key(Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  g.Key(Qt::Key_D, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), g.f1().Dificultad1);
  g.Key(Qt::Key_Down);
  g.Key(Qt::Key_Down);
  g.Key(Qt::Key_Return);
  EXPECT_TRUE(g.f1().N[3]->isChecked());
  EXPECT_EQ(g.State().tiempoinicial, 190);
  EXPECT_FALSE(g.f1().N[1]->isChecked());

  g.Key(Qt::Key_J, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), g.f1().Juego1);
  g.Key(Qt::Key_Return);
  EXPECT_TRUE(g.f1().Panel1->isVisible());
  // Pausa is the first command that can be chosen now.
  g.Key(Qt::Key_J, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), g.f1().Juego1);
  EXPECT_EQ(g.f1().Juego1->activeAction(), g.f1().Pausa1);
  g.Key(Qt::Key_Escape);
  QApplication::processEvents();

  g.Key(Qt::Key_A, Qt::AltModifier);
  EXPECT_EQ(g.modalShowings, 1);
  EXPECT_TRUE(g.forms.Form2->isVisible());
  g.forms.Form2->close();
}

TEST(Keyboard, TheGameOverWindowKeepsItsOkFocused) {
  KeyboardGame g;
  g.NewGame();
  g.Key(Qt::Key_Tab);
  ASSERT_EQ(g.Focused(), 1);
  g.f1().Abortar1->trigger();
  ASSERT_TRUE(g.f3().isVisible());
  g.f3().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&g.f3()));
  EXPECT_EQ(QApplication::focusWidget(), g.f3().BitBtn1);
  EXPECT_TRUE(g.f1().Panel1->FocusRing().isNull());
  g.CloseGameOver();
}

// Two runs of the same mouse-only game, one without the keyboard's code and one that is also read
// through the accessibility interfaces at every step: every pixel of the board must agree.
TEST(Keyboard, AMouseOnlyGameLooksTheSameWithoutTheKeyboardCode) {
  OffscreenGame plain;
  delete plain.f1().findChild<TBoardKeyboard*>(QStringLiteral("BoardKeyboard"));
  ASSERT_EQ(plain.f1().findChild<TBoardKeyboard*>(), nullptr);
  OffscreenGame game;
  ASSERT_NE(game.f1().findChild<TBoardKeyboard*>(), nullptr);
  auto board = [](OffscreenGame& g) {
    QApplication::processEvents();
    const QImage screen = g.f1().screen()->grabWindow(g.f1().winId()).toImage();
    return screen.copy(QRect(g.f1().Panel1->mapTo(&g.f1(), QPoint(0, 0)), g.f1().Panel1->size()));
  };
  auto speak = [](OffscreenGame& g) {
    QStringList names;
    for (int n = 1; n <= 20; ++n)
      names << QAccessible::queryAccessibleInterface(&g.Tile(n))->text(QAccessible::Name);
    return names;
  };
  // The same deal in both.
  auto deal = [&] {
    game.State().casillas = plain.State().casillas;
    game.State().fotos = plain.State().fotos;
  };
  int steps = 0;
  auto both = [&](const std::function<void(OffscreenGame&)>& step) {
    step(plain);
    step(game);
    speak(game);
    ++steps;
    ASSERT_EQ(board(plain), board(game)) << "step " << steps;
  };

  both([](OffscreenGame& g) {
    g.NewGame();
    g.f1().Timer1->stop();
    g.f1().activateWindow();
  });
  deal();
  const int partner = plain.Casilla(1).pareja;
  int wrong = 2;
  while (wrong == partner || plain.Casilla(wrong).pareja == partner) ++wrong;
  both([](OffscreenGame& g) { g.Click(1); });
  both([&](OffscreenGame& g) { g.Click(partner); });
  both([&](OffscreenGame& g) { g.Click(wrong); });
  both([&](OffscreenGame& g) { g.Click(wrong == 3 ? 4 : 3); });
  both([](OffscreenGame& g) { g.Click(5); });
  both([&](OffscreenGame& g) { g.Click(wrong); });
  both([](OffscreenGame& g) { g.ClickBoard(QPoint(20, 200)); });
  both([](OffscreenGame& g) {
    g.f1().Acercade1->trigger();
    g.forms.Form2->close();
    g.f1().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&g.f1()));
  });
  both([](OffscreenGame& g) { g.PlayLevel(); });
  EXPECT_EQ(plain.State().nivel, 2);
  deal();
  both([](OffscreenGame& g) { g.Click(20); });
  both([](OffscreenGame& g) { g.Click(g.Casilla(20).pareja); });
  for (int n = 1; n <= 20; ++n) EXPECT_FALSE(game.Tile(n).hasFocus());
}
