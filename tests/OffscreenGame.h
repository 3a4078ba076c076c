#pragma once

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "CBImage.h"
#include "Forms.h"
#include "LcdDisplay.h"
#include "Panel.h"

// The five windows of a run driven offscreen: modal windows are shown without blocking, so a
// test answers them itself, and the current directory the game moves into is given back.
struct OffscreenGame {
  explicit OffscreenGame(const QString& programFolder = QStringLiteral(ZUM_APP_DIR)) : forms(programFolder) {
    forms.Form1->SetShowModal([this](QDialog& dialog) {
      ++modalShowings;
      dialog.show();
    });
    forms.Form1->show();
  }
  ~OffscreenGame() { std::filesystem::current_path(saved); }
  OffscreenGame(const OffscreenGame&) = delete;
  OffscreenGame& operator=(const OffscreenGame&) = delete;

  TForm1& f1() { return *forms.Form1; }
  TForm3& f3() { return *forms.Form3; }
  GameState& State() { return forms.Form1->State(); }
  TCBImage& Tile(int n) { return *forms.Form1->Image[static_cast<std::size_t>(n)]; }
  const TCasilla& Casilla(int n) { return State().casillas[static_cast<std::size_t>(n)]; }
  std::string Foto(int n) { return State().fotos[static_cast<std::size_t>(Casilla(n).foto)]; }

  void NewGame() { f1().Nuevapartida1->trigger(); }
  void Click(int tile, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(&Tile(tile), button, {}, QPoint(47, 47));
  }
  // A press on the board itself, where no tile lies.
  void ClickBoard(const QPoint& at, Qt::MouseButton button = Qt::RightButton) {
    QTest::mouseClick(f1().Panel1, button, {}, at);
  }
  void CloseGameOver() { QTest::mouseClick(f3().BitBtn1, Qt::LeftButton); }
  void Abort() {
    f1().Abortar1->trigger();
    CloseGameOver();
  }
  // Finds every pair still hidden, each in one turn that starts with no tile face up.
  void PlayLevel() {
    const int level = State().nivel;
    for (int n = 1; n <= 20 && State().nivel == level; ++n) {
      if (Casilla(n).acertada) continue;
      Click(n);
      Click(Casilla(n).pareja);
    }
  }

  std::filesystem::path saved = std::filesystem::current_path();
  TForms forms;
  int modalShowings = 0;
};

// A program folder in a temporary place whose f is a copy of the generated sample folder, so a
// test may break it while the game runs.
class SampleCopy {
 public:
  SampleCopy() {
    QDir(dir_.path()).mkdir(QStringLiteral("f"));
    const QDir sample(QStringLiteral(ZUM_APP_DIR "/f"));
    for (const QString& name : sample.entryList(QDir::Files)) QFile::copy(sample.filePath(name), F(name));
  }
  QString Path() const { return dir_.path(); }
  QString F(const QString& name = {}) const {
    return name.isEmpty() ? dir_.filePath(QStringLiteral("f")) : dir_.filePath(QStringLiteral("f/") + name);
  }
  QTemporaryDir& Dir() { return dir_; }

 private:
  QTemporaryDir dir_;
};
