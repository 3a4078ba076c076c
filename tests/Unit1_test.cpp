#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "CBImage.h"
#include "ErrorBoxRecorder.h"
#include "FileListBox.h"
#include "Forms.h"
#include "LcdDisplay.h"
#include "MediaPlayer.h"
#include "Panel.h"

namespace {

// The five windows of a run, with modal windows shown without blocking.
struct Program {
  explicit Program(const QString& folder = QStringLiteral(ZUM_APP_DIR)) : forms(folder) {
    forms.Form1->SetShowModal([this](QDialog& dialog) {
      ++modalShowings;
      dialog.show();
    });
    forms.Form1->show();
  }
  ~Program() { std::filesystem::current_path(saved); }

  TForm1& f1() { return *forms.Form1; }
  TForm3& f3() { return *forms.Form3; }
  int Shown(TLcdDisplay* d) const { return d->Value(); }
  void NewGame() { f1().Nuevapartida1->trigger(); }
  void Click(int tile, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(f1().Image[static_cast<std::size_t>(tile)], button, {}, QPoint(47, 47));
  }

  std::filesystem::path saved = std::filesystem::current_path();
  TForms forms;
  int modalShowings = 0;
};

void ExpectCommands(Program& p, bool nueva, bool pausa, bool abortar) {
  EXPECT_EQ(p.f1().Nuevapartida1->isEnabled(), nueva);
  EXPECT_EQ(p.f1().Pausa1->isEnabled(), pausa);
  EXPECT_EQ(p.f1().Abortar1->isEnabled(), abortar);
}

// A program folder whose f holds count small files.
QString FolderWithFiles(QTemporaryDir& dir, int count) {
  QDir(dir.path()).mkdir(QStringLiteral("f"));
  for (int i = 0; i < count; ++i) {
    QFile file(dir.filePath(QStringLiteral("f/p%1.txt").arg(i, 3, 10, QLatin1Char('0'))));
    file.open(QIODevice::WriteOnly);
  }
  return dir.path();
}

}  // namespace

TEST(MainWindow, StartsWithNoGameAndDifficultyOne) {
  Program p;
  TForm1& f = p.f1();
  EXPECT_EQ(f.windowTitle(), QStringLiteral("ZUM"));
  EXPECT_EQ(f.centralWidget()->size(), QSize(595, 495));
  EXPECT_EQ(f.pos(), QPoint(99, 13));
  EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(f.Panel1->isVisible());
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(f.Timer1->interval(), 1000);
  ExpectCommands(p, true, false, false);
  EXPECT_TRUE(f.N[1]->isChecked());
  EXPECT_EQ(f.State().tiempoinicial, 220);
  EXPECT_EQ(f.musica->FileName(), QStringLiteral(ZUM_APP_DIR "/f/ok.wav"));
  EXPECT_FALSE(f.ficheros->isVisible());
  EXPECT_FALSE(f.musica->isVisible());
  EXPECT_EQ(p.Shown(f.marcadorpuntos), 0);
}

TEST(MainWindow, LaysOutTheHeaderAndTheBoard) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  EXPECT_EQ(f.Panel2->geometry(), QRect(0, 0, 595, 41));
  EXPECT_EQ(f.StaticText3->geometry(), QRect(1, 1, 65, 39));
  EXPECT_EQ(f.marcadorpuntos->geometry(), QRect(66, 1, 168, 39));
  EXPECT_EQ(f.marcadortiempo->geometry(), QRect(303, 1, 82, 39));
  EXPECT_EQ(f.marcadornivel->geometry(), QRect(431, 1, 58, 39));
  EXPECT_EQ(f.marcadortiempo->NumDigits(), 3);
  EXPECT_EQ(f.marcadornivel->NumDigits(), 2);
  EXPECT_EQ(f.Panel1->geometry(), QRect(0, 41, 595, 454));
  EXPECT_EQ(f.Panel3->geometry(), QRect(1, 427, 593, 26));
  EXPECT_EQ(f.Image[1]->geometry(), QRect(40, 8, 95, 95));
  EXPECT_EQ(f.Image[7]->geometry(), QRect(146, 112, 95, 95));
  EXPECT_EQ(f.Image[20]->geometry(), QRect(464, 320, 95, 95));
  EXPECT_EQ(f.Image[9]->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(f.Panel3->cursor().shape(), Qt::CrossCursor);

  // Resizing stretches the strips and the board, not the tiles.
  f.resize(700, f.height() + 100);
  EXPECT_EQ(f.Panel2->width(), 700);
  EXPECT_EQ(f.Panel1->geometry(), QRect(0, 41, 700, 554));
  EXPECT_EQ(f.Panel3->geometry(), QRect(1, 527, 698, 26));
  EXPECT_EQ(f.Image[20]->geometry(), QRect(464, 320, 95, 95));
}

TEST(MainWindow, NewGameDealsLevelOneAndTicksCountDown) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  EXPECT_TRUE(f.Panel1->isVisible());
  EXPECT_TRUE(f.Timer1->isActive());
  ExpectCommands(p, false, true, true);
  EXPECT_EQ(p.Shown(f.marcadorpuntos), 50);
  EXPECT_EQ(p.Shown(f.marcadornivel), 1);
  EXPECT_EQ(p.Shown(f.marcadortiempo), 220);

  // Find a pair by clicking the real tiles: the points show at the next tick.
  const int partner = f.State().casillas[3].pareja;
  p.Click(3);
  p.Click(partner);
  EXPECT_EQ(f.State().puntos, 150);
  EXPECT_EQ(p.Shown(f.marcadorpuntos), 50);
  f.Timer1Timer();
  EXPECT_EQ(p.Shown(f.marcadortiempo), 219);
  EXPECT_EQ(p.Shown(f.marcadorpuntos), 150);
}

TEST(MainWindow, TimeRunningOutOpensGameOverAndClosingItResets) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  f.State().tiempo = 1;
  f.Timer1Timer();
  EXPECT_EQ(p.Shown(f.marcadortiempo), 0);
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(p.modalShowings, 1);
  EXPECT_TRUE(p.f3().isVisible());
  EXPECT_FALSE(f.Panel1->isVisible());
  EXPECT_EQ(p.f3().Label1->text(), QStringLiteral("Puntos: 50"));
  EXPECT_EQ(p.f3().Label2->text(), QStringLiteral("Nivel: 1"));
  ExpectCommands(p, false, true, true);

  QTest::mouseClick(p.f3().BitBtn1, Qt::LeftButton);
  EXPECT_FALSE(p.f3().isVisible());
  EXPECT_EQ(p.Shown(f.marcadorpuntos), 0);
  EXPECT_EQ(p.Shown(f.marcadornivel), 0);
  EXPECT_EQ(p.Shown(f.marcadortiempo), 0);
  ExpectCommands(p, true, false, false);

  // The next game starts again at level 1 with the full time.
  p.NewGame();
  EXPECT_EQ(f.State().nivel, 1);
  EXPECT_EQ(p.Shown(f.marcadortiempo), 220);
}

TEST(MainWindow, EveryWayOfClosingGameOverRunsTheReset) {
  Program p;
  TForm1& f = p.f1();
  for (int way = 0; way < 2; ++way) {
    p.NewGame();
    f.Abortar1->trigger();
    ASSERT_TRUE(p.f3().isVisible());
    if (way == 0)
      QTest::keyClick(&p.f3(), Qt::Key_Escape);
    else
      p.f3().close();
    EXPECT_FALSE(p.f3().isVisible());
    EXPECT_EQ(f.State().puntos, 0);
    ExpectCommands(p, true, false, false);
  }
}

TEST(MainWindow, PauseTwiceResumesWithTheSameSeconds) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  f.Timer1Timer();
  f.Pausa1->trigger();
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_TRUE(f.Pausa1->isChecked());
  f.Pausa1->trigger();
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_FALSE(f.Pausa1->isChecked());
  EXPECT_EQ(f.State().tiempo, 219);
}

TEST(MainWindow, AbortWhilePausedKeepsThePauseMark) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  f.Pausa1->trigger();
  f.Abortar1->trigger();
  EXPECT_EQ(p.f3().Label1->text(), QStringLiteral("Puntos: 50"));
  p.f3().close();
  EXPECT_TRUE(f.Pausa1->isChecked());
  p.NewGame();
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_TRUE(f.Pausa1->isChecked());
  f.Pausa1->trigger();
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_TRUE(f.Pausa1->isChecked());
  f.Pausa1->trigger();
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_FALSE(f.Pausa1->isChecked());
}

TEST(MainWindow, DifficultyChosenMidGameAppliesToTheNextGame) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  f.N[10]->trigger();
  EXPECT_TRUE(f.N[10]->isChecked());
  EXPECT_FALSE(f.N[1]->isChecked());
  EXPECT_EQ(f.State().tiempo, 220);
  f.Abortar1->trigger();
  p.f3().close();
  p.NewGame();
  EXPECT_EQ(p.Shown(f.marcadortiempo), 20);
}

TEST(MainWindow, MissingFolderShowsTheErrorAndLeavesAnAbortableGame) {
  ErrorBoxRecorder errors;
  QTemporaryDir empty;
  Program p(empty.path());
  TForm1& f = p.f1();
  p.NewGame();
  ASSERT_EQ(errors.messages.size(), 1);
  EXPECT_EQ(errors.messages[0], QStringLiteral("No such file or directory"));
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_TRUE(f.Panel1->isVisible());
  ExpectCommands(p, false, true, true);
  f.Abortar1->trigger();
  EXPECT_TRUE(p.f3().isVisible());
  p.f3().close();
  ExpectCommands(p, true, false, false);
}

TEST(MainWindow, ShortListingShowsTheListError) {
  ErrorBoxRecorder errors;
  QTemporaryDir dir;
  Program p(FolderWithFiles(dir, 5));
  p.NewGame();
  ASSERT_EQ(errors.messages.size(), 1);
  EXPECT_TRUE(errors.messages[0].startsWith(QStringLiteral("List index out of bounds (")));
  EXPECT_TRUE(p.f1().Abortar1->isEnabled());
}

TEST(MainWindow, RightClickBetweenTilesCoversOnATileDoesNothing) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  p.Click(1);
  p.Click(f.State().casillas[1].pareja == 2 ? 3 : 2);
  EXPECT_EQ(f.State().pulsaciones, 2);
  p.Click(5, Qt::RightButton);
  EXPECT_EQ(f.State().pulsaciones, 2) << "a right press on a tile is the tile's own";
  QTest::mouseClick(f.Panel3, Qt::RightButton, {}, QPoint(10, 10));
  EXPECT_EQ(f.State().pulsaciones, 2) << "the caption strip does nothing";
  QTest::mouseClick(f.Panel1, Qt::RightButton, {}, QPoint(140, 50));
  EXPECT_EQ(f.State().pulsaciones, 0);
  EXPECT_FALSE(f.State().casillas[1].destapada);
  QTest::mouseClick(f.Panel1, Qt::LeftButton, {}, QPoint(140, 50));
  EXPECT_EQ(f.State().pulsaciones, 0);
}

TEST(MainWindow, AWholeLevelPlayedByClickingDealsLevelTwo) {
  Program p;
  TForm1& f = p.f1();
  p.NewGame();
  f.State().tiempo = 200;
  for (int n = 1; n <= 20 && f.State().nivel == 1; ++n) {
    if (f.State().casillas[n].acertada) continue;
    p.Click(n);
    p.Click(f.State().casillas[n].pareja);
  }
  EXPECT_EQ(f.State().nivel, 2);
  EXPECT_EQ(p.Shown(f.marcadornivel), 2);
  EXPECT_EQ(p.Shown(f.marcadorpuntos), 50 + 1000 + 400 + 100);
  EXPECT_EQ(p.Shown(f.marcadortiempo), 200);
}

TEST(AboutBox, KeepsTypedTextAndHoldsSeventeenShortLines) {
  Program p;
  TForm2& about = *p.forms.Form2;
  EXPECT_EQ(about.size(), QSize(411, 435));
  EXPECT_EQ(about.Label2->text(), QStringLiteral("www.zum.example"));
  const QStringList lines = about.Memo1->toPlainText().split(QLatin1Char('\n'));
  EXPECT_EQ(lines.size(), 17);
  for (const QString& line : lines) EXPECT_LE(line.size(), 76) << line.toStdString();
  p.f1().Acercade1->trigger();
  EXPECT_TRUE(about.isVisible());
  about.Memo1->appendPlainText(QStringLiteral("nota"));
  QTest::mouseClick(about.Button1, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  p.f1().Acercade1->trigger();
  EXPECT_TRUE(about.Memo1->toPlainText().endsWith(QStringLiteral("nota")));
  about.close();
}

TEST(GameOverWindow, ShowsTheStopSignCentredOnRed) {
  Program p;
  TForm3& over = *p.forms.Form3;
  EXPECT_EQ(over.size(), QSize(618, 332));
  EXPECT_TRUE(over.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(over.StaticText1->text(), QStringLiteral("   ¡Fin de Juego!"));
  const QImage shot = over.grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 300), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(180, 140), QColor(255, 0, 0)) << "left of the picture";
  bool orange = false;
  for (int x = 186; x < 431 && !orange; ++x) orange = shot.pixelColor(x, 60) == QColor(255, 53, 15);
  EXPECT_TRUE(orange) << "the sign is drawn in orange-red";
}
