#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>

#include "CBImage.h"
#include "Forms.h"
#include "LcdDisplay.h"
#include "TileAccessibility.h"

namespace {

struct Program {
  Program() : forms(QStringLiteral(ZUM_APP_DIR)) {
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
  casilla.destapada = true;
  EXPECT_EQ(CasillaAccessibleName(7, casilla), QStringLiteral("Casilla 7, boca arriba"));
  // A found pair has been covered and uncovered again; being found is what counts.
  casilla.destapada = false;
  casilla.acertada = true;
  EXPECT_EQ(CasillaAccessibleName(20, casilla), QStringLiteral("Casilla 20, pareja encontrada"));
}

TEST(Accessibility, TilesFollowTheGame) {
  Program p;
  p.f1().Nuevapartida1->trigger();
  for (int n = 1; n <= 20; ++n)
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(n)]),
              QStringLiteral("Casilla %1, boca abajo").arg(n));

  const int partner = p.f1().State().casillas[7].pareja;
  const int other = partner == 1 ? 2 : 1;
  const int otherPartner = p.f1().State().casillas[static_cast<std::size_t>(other)].pareja;
  ASSERT_NE(other, 7);
  p.Click(7);
  EXPECT_EQ(SpokenName(p.f1().Image[7]), QStringLiteral("Casilla 7, boca arriba"));
  EXPECT_EQ(p.f1().Image[7]->accessibleDescription(), QStringLiteral("boca arriba"));
  p.Click(partner);
  EXPECT_EQ(SpokenName(p.f1().Image[7]), QStringLiteral("Casilla 7, pareja encontrada"));
  EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(partner)]),
            QStringLiteral("Casilla %1, pareja encontrada").arg(partner));

  // A wrong second tile leaves both face up until the right button covers them.
  if (otherPartner != 7 && otherPartner != partner) {
    const int wrong = [&] {
      for (int n = 1; n <= 20; ++n)
        if (n != 7 && n != partner && n != other && n != otherPartner) return n;
      return 0;
    }();
    p.Click(other);
    p.Click(wrong);
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(wrong)]),
              QStringLiteral("Casilla %1, boca arriba").arg(wrong));
    p.f1().Panel1MouseDown(Qt::RightButton);
    EXPECT_EQ(SpokenName(p.f1().Image[static_cast<std::size_t>(wrong)]),
              QStringLiteral("Casilla %1, boca abajo").arg(wrong));
    EXPECT_EQ(SpokenName(p.f1().Image[7]), QStringLiteral("Casilla 7, pareja encontrada"));
  }

  // The next game deals afresh: every tile is face down again.
  p.f1().ResetGame();
  p.f1().Nuevapartida1->trigger();
  EXPECT_EQ(SpokenName(p.f1().Image[7]), QStringLiteral("Casilla 7, boca abajo"));
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
