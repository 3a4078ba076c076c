#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "DecodeAhead.h"
#include "Juego.h"
#include "PreparedPictures.h"
#include "SystemClock.h"
#include "Tiles.h"
#include "jpeg/JpegCache.h"

class QAction;
class QActionGroup;
class QDialog;
class QLabel;
class QMenu;
class QTimer;
class TCBImage;
class TFileListBox;
class TLcdDisplay;
class TMediaPlayer;
class TPanel;

// The main window: header with the three counters, the board of twenty tiles,
// the menu bar and the one-second countdown. Its handlers only forward to the
// game core and switch the commands.
class TForm1 : public QMainWindow, private ITiles {
  Q_OBJECT
 public:
  // dataFolder holds the folder "f" with the pictures and the sound: the program's own folder or
  // the player's.
  explicit TForm1(const QString& dataFolder, QWidget* parent = nullptr);
  ~TForm1() override;

  // The windows this one opens modally.
  void SetAboutBox(QDialog* form2) { form2_ = form2; }
  void SetGameOverWindow(QDialog* form3) { form3_ = form3; }
  // How a modal window is shown; tests replace it so that nothing blocks.
  void SetShowModal(std::function<void(QDialog&)> showModal) { showModal_ = std::move(showModal); }

  TJuego& Juego() { return *juego_; }
  // The tiles' decoded and prepared pictures and the workers that fill them with a level's pictures
  // right after dealing.
  TJpegCache& JpegCache() { return jpegCache_; }
  TPreparedPictures& PreparedPictures() { return preparedPictures_; }
  TDecodeAhead& DecodeAhead() { return decodeAhead_; }
  GameState& State() { return juego_->State(); }

  // The handlers, named after component and event.
  void FormCreate();
  void Nuevapartida1Click();
  void Pausa1Click();
  void Abortar1Click();
  void DificultadClick(int setting);  // N11Click .. N101Click
  void Acercade1Click();
  void X1Click();
  void Timer1Timer();
  void ImageClick(int tile);  // Image1Click .. Image20Click
  void Panel1MouseDown(Qt::MouseButton button);

  // The game reset run when the game-over window closes.
  void ResetGame();

  // Components, under their own names.
  TPanel* Panel1 = nullptr;
  std::array<TCBImage*, 21> Image{};  // Image[1] .. Image[20]
  TFileListBox* ficheros = nullptr;
  TMediaPlayer* musica = nullptr;
  TPanel* Panel3 = nullptr;
  TPanel* Panel2 = nullptr;
  TLcdDisplay* marcadornivel = nullptr;
  TLcdDisplay* marcadortiempo = nullptr;
  TLcdDisplay* marcadorpuntos = nullptr;
  QLabel* StaticText1 = nullptr;
  QLabel* StaticText2 = nullptr;
  QLabel* StaticText3 = nullptr;
  QMenu* Juego1 = nullptr;
  QAction* Nuevapartida1 = nullptr;
  QAction* Pausa1 = nullptr;
  QAction* Abortar1 = nullptr;
  QMenu* Dificultad1 = nullptr;
  std::array<QAction*, 11> N{};  // N[1] = N11 .. N[10] = N101
  QAction* Acercade1 = nullptr;
  QAction* X1 = nullptr;
  QTimer* Timer1 = nullptr;

 private:
  void LoadImage(int tile, const std::string& fileName) override;
  void CreateHeader(QWidget* client);
  void CreateBoard(QWidget* client);
  void CreateMenu();
  void ShowModal(QDialog* dialog);
  void DecodeLevelAhead(const TCBImage& tile);
  // Names every tile after its number and state, for screen readers.
  void UpdateAccessibleName(int tile);
  void UpdateAccessibleNames();

  QString dataFolder_;
  // Before the tiles, which only point at them, and before the workers, which fill them.
  TJpegCache jpegCache_;
  TPreparedPictures preparedPictures_;
  TDecodeAhead decodeAhead_{jpegCache_, &preparedPictures_};
  std::array<std::string, 11> fotosAhead_{};
  // The file whose picture each tile shows; empty while it shows none.
  std::array<std::string, 21> shownPicture_{};
  SystemClock clock_;
  std::unique_ptr<TJuego> juego_;
  QDialog* form2_ = nullptr;
  QDialog* form3_ = nullptr;
  std::function<void(QDialog&)> showModal_;
};
