#include "Unit1.h"

#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTimer>

#include "BoardGrid.h"
#include "BoardKeyboard.h"
#include "CBImage.h"
#include "Difficulty.h"
#include "ExceptionHandler.h"
#include "FileListBox.h"
#include "Fonts.h"
#include "LcdDisplay.h"
#include "MediaPlayer.h"
#include "MenuCheckStyle.h"
#include "MenuKeyboard.h"
#include "Panel.h"
#include "TileAccessibility.h"
#include "TileAccessibleInterface.h"

namespace {
constexpr int kClientWidth = 595;
constexpr int kClientHeight = 495;

QLabel* CreateStaticText(QWidget* parent, const char* name, const QString& caption, int left, int width) {
  auto* text = new QLabel(caption, parent);
  text->setObjectName(QString::fromLatin1(name));
  text->setAlignment(Qt::AlignCenter);
  text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  text->setLineWidth(1);
  text->setFont(LayoutFont(QStringLiteral("Arial Narrow"), 24));
  text->setFocusPolicy(Qt::NoFocus);
  text->setGeometry(left, 1, width, 39);
  return text;
}

TLcdDisplay* CreateDisplay(QWidget* parent, const char* name, const QString& label, int left, int width,
                           int digits) {
  auto* display = new TLcdDisplay(parent);
  display->setObjectName(QString::fromLatin1(name));
  display->SetAccessibleLabel(label);
  display->setGeometry(left, 1, width, 39);
  display->SetAlign(TAlign::alLeft);
  display->SetNumDigits(digits);
  return display;
}
}  // namespace

TForm1::TForm1(const QString& dataFolder, QWidget* parent) : QMainWindow(parent), dataFolder_(dataFolder) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("ZUM"));
  setWindowIcon(QIcon(QStringLiteral(":/zum/icon.ico")));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(LayoutFont(QStringLiteral("MS Sans Serif"), 11));

  auto* client = new TPanel(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  client->SetBevelRaised(false);
  client->SetColor(clBtnFace);
  setCentralWidget(client);

  CreateBoard(client);
  CreateHeader(client);
  CreateMenu();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { RunGuarded([this] { Timer1Timer(); }); });

  juego_ = std::make_unique<TJuego>(
      GamePorts{*this, *marcadorpuntos, *marcadornivel, *marcadortiempo, *ficheros, *musica, clock_},
      dataFolder_.toStdString());

  client->resize(kClientWidth, kClientHeight);
  resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
  move(99, 13);

  UpdateAccessibleNames();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateBoard(QWidget* client) {
  auto* clientPanel = static_cast<TPanel*>(client);
  Panel1 = new TPanel(client);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->SetColor(clBtnShadow);
  Panel1->setGeometry(0, 41, kClientWidth, 454);
  Panel1->hide();
  connect(Panel1, &TPanel::mousePressed, this,
          [this](Qt::MouseButton button) { RunGuarded([this, button] { Panel1MouseDown(button); }); });

  InstallTileAccessibleInterface();
  for (int n = 1; n <= kTileCount; ++n) {
    auto* tile = new TCBImage(Panel1);
    tile->setObjectName(QStringLiteral("Image%1").arg(n));
    tile->setGeometry(TileRect(n));
    tile->setCursor(Qt::PointingHandCursor);
    tile->SetBevelWidth(1);
    tile->SetShowFrame3D(false);
    tile->SetStretchRatio(true);
    tile->SetCenterView(false);
    tile->SetShowEmptyLabel(false);
    tile->SetCheckColor(clRed);
    tile->SetEmptyLabel(QStringLiteral("Empty"));
    tile->SetJpegCache(&jpegCache_);
    tile->SetPreparedPictures(&preparedPictures_);
    connect(tile, &TCBImage::clicked, this, [this, n] { RunGuarded([this, n] { ImageClick(n); }); });
    Image[static_cast<std::size_t>(n)] = tile;
  }

  ficheros = new TFileListBox(Panel1);
  musica = new TMediaPlayer(Panel1);

  Panel3 = new TPanel(Panel1);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->SetCaption(QStringLiteral("Cambiar Puntos/Tiempo"));
  Panel3->SetColor(clBtnFace);
  Panel3->setCursor(Qt::CrossCursor);
  Panel3->setGeometry(1, 427, 593, 26);
  Panel1->AddAligned(Panel3, TAlign::alBottom);
  clientPanel->AddAligned(Panel1, TAlign::alClient);

  auto* keyboard = new TBoardKeyboard(
      *this, *Panel1, Image, [this] { RunGuarded([this] { Panel1MouseDown(Qt::RightButton); }); }, this);
  keyboard->setObjectName(QStringLiteral("BoardKeyboard"));
}

void TForm1::CreateHeader(QWidget* client) {
  Panel2 = new TPanel(client);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setGeometry(0, 0, kClientWidth, 41);
  // The three captions and counters, packed from the left at their stored
  // widths.
  marcadornivel = CreateDisplay(Panel2, "marcadornivel", QStringLiteral("Nivel"), 431, 58, 2);
  marcadortiempo = CreateDisplay(Panel2, "marcadortiempo", QStringLiteral("Tiempo"), 303, 82, 3);
  marcadorpuntos = CreateDisplay(Panel2, "marcadorpuntos", QStringLiteral("Puntos"), 66, 168, 6);
  StaticText1 = CreateStaticText(Panel2, "StaticText1", QStringLiteral("Nivel"), 385, 46);
  StaticText2 = CreateStaticText(Panel2, "StaticText2", QStringLiteral("Tiempo"), 234, 69);
  StaticText3 = CreateStaticText(Panel2, "StaticText3", QStringLiteral("Puntos"), 1, 65);
  for (QWidget* w : std::initializer_list<QWidget*>{StaticText3, marcadorpuntos, StaticText2, marcadortiempo,
                                                    StaticText1, marcadornivel})
    Panel2->AddAligned(w, TAlign::alLeft);
  auto* clientPanel = static_cast<TPanel*>(client);
  clientPanel->AddAligned(Panel2, TAlign::alTop);
  clientPanel->Realign();
}

void TForm1::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  bar->setNativeMenuBar(false);

  Juego1 = bar->addMenu(QStringLiteral("Juego"));
  Juego1->setObjectName(QStringLiteral("Juego1"));
  // "Pausa" shows a tick while marked and nothing while not, not an empty check box.
  auto* checkStyle = new TMenuCheckStyle(QApplication::style()->name());
  checkStyle->setParent(Juego1);
  Juego1->setStyle(checkStyle);
  Nuevapartida1 = Juego1->addAction(QStringLiteral("Nueva partida"));
  Nuevapartida1->setObjectName(QStringLiteral("Nuevapartida1"));
  Pausa1 = Juego1->addAction(QStringLiteral("Pausa"));
  Pausa1->setObjectName(QStringLiteral("Pausa1"));
  Pausa1->setCheckable(true);
  Pausa1->setEnabled(false);
  Abortar1 = Juego1->addAction(QStringLiteral("Abortar"));
  Abortar1->setObjectName(QStringLiteral("Abortar1"));
  Abortar1->setEnabled(false);
  connect(Nuevapartida1, &QAction::triggered, this, [this] { RunGuarded([this] { Nuevapartida1Click(); }); });
  connect(Pausa1, &QAction::triggered, this, [this] { RunGuarded([this] { Pausa1Click(); }); });
  connect(Abortar1, &QAction::triggered, this, [this] { RunGuarded([this] { Abortar1Click(); }); });

  Dificultad1 = bar->addMenu(QStringLiteral("Dificultad"));
  Dificultad1->setObjectName(QStringLiteral("Dificultad1"));
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (int setting = 1; setting <= static_cast<int>(kDifficulties.size()); ++setting) {
    const auto& d = kDifficulties[static_cast<std::size_t>(setting - 1)];
    QAction* item =
        Dificultad1->addAction(QString::fromUtf8(d.caption.data(), static_cast<qsizetype>(d.caption.size())));
    item->setObjectName(QStringLiteral("N%11").arg(setting));
    item->setCheckable(true);
    group->addAction(item);
    connect(item, &QAction::triggered, this,
            [this, setting] { RunGuarded([this, setting] { DificultadClick(setting); }); });
    N[static_cast<std::size_t>(setting)] = item;
  }

  Acercade1 = bar->addAction(QStringLiteral("Acerca de..."));
  Acercade1->setObjectName(QStringLiteral("Acercade1"));
  connect(Acercade1, &QAction::triggered, this, [this] { RunGuarded([this] { Acercade1Click(); }); });
  X1 = bar->addAction(QStringLiteral("X"));
  X1->setObjectName(QStringLiteral("X1"));
  connect(X1, &QAction::triggered, this, [this] { RunGuarded([this] { X1Click(); }); });

  AddMenuBarKeys(*this, *bar);
}

void TForm1::LoadImage(int tile, const std::string& fileName) {
  TCBImage& image = *Image[static_cast<std::size_t>(tile)];
  std::string& shown = shownPicture_[static_cast<std::size_t>(tile)];
  shown.clear();
  image.LoadImage(QString::fromLocal8Bit(fileName.c_str()));
  if (image.Picture().Width() > 0) shown = fileName;
  UpdateAccessibleName(tile);
  // A deal draws new pictures before covering the board, so the first load after it sees them, and
  // its tile then shows what the faces will be turned over: the card back.
  if (State().fotos != fotosAhead_) DecodeLevelAhead(image);
}

void TForm1::DecodeLevelAhead(const TCBImage& tile) {
  fotosAhead_ = State().fotos;
  // Each kind only for a tile that takes it from its store; progressive JPEGs load without the cache.
  const bool jpegs = tile.JpegCache() && !tile.JPEGProgressiveDisplay();
  const bool others = tile.PreparedPictures() != nullptr;
  std::vector<TDecodeRequest> requests;
  TJpegDecodeOptions options;
  options.pixelFormat = tile.JPEGPixelFormat();
  options.scale = tile.JPEGScale();
  options.grayscale = tile.JPEGGrayscale();
  options.performance = tile.JPEGPerformance();
  const TDrawArea area = tile.DrawArea();
  const QImage ground = tile.Ground();
  for (std::size_t n = 1; n < fotosAhead_.size(); ++n) {
    const QString name = QString::fromLocal8Bit(fotosAhead_[n].c_str());
    if (name.isEmpty()) continue;
    const bool wanted = TJpegCache::Decodes(name) ? jpegs : others && TPreparedPictures::Prepares(name);
    if (!wanted) continue;
    // Resolved now: the workers must not depend on the current directory.
    requests.push_back({QFileInfo(name).absoluteFilePath(), options, area, ground});
  }
  decodeAhead_.Request(std::move(requests));
}

void TForm1::UpdateAccessibleName(int n) {
  const auto index = static_cast<std::size_t>(n);
  const TCasilla& casilla = State().casillas[index];
  const std::string& face = State().fotos.at(static_cast<std::size_t>(casilla.foto));
  const bool faceShown = !face.empty() && shownPicture_[index] == face;
  const QString faceName =
      faceShown ? PictureSpokenName(QString::fromLocal8Bit(face.c_str())) : NoPictureSpokenName();
  SetTileAccessibleState(*Image[index], CasillaAccessibleName(n, casilla, faceName),
                         CasillaAccessibleState(casilla), CasillaShowsFace(casilla));
}

void TForm1::UpdateAccessibleNames() {
  for (int n = 1; n <= kTileCount; ++n) UpdateAccessibleName(n);
}

void TForm1::ShowModal(QDialog* dialog) {
  if (!dialog) return;
  if (showModal_)
    showModal_(*dialog);
  else
    dialog->exec();
}

void TForm1::FormCreate() {
  DificultadClick(1);
  musica->SetFileName(dataFolder_ + QStringLiteral("/f/ok.wav"));
}

void TForm1::Nuevapartida1Click() {
  Panel1->show();
  State().puntos = 0;
  Timer1->start();
  Nuevapartida1->setEnabled(false);
  Pausa1->setEnabled(true);
  Abortar1->setEnabled(true);
  juego_->NuevoNivel();
}

void TForm1::Pausa1Click() {
  if (Timer1->isActive()) {
    Timer1->stop();
    Pausa1->setChecked(true);
  } else {
    Timer1->start();
    Pausa1->setChecked(false);
  }
}

void TForm1::Abortar1Click() {
  ShowModal(form3_);
}

void TForm1::DificultadClick(int setting) {
  N[static_cast<std::size_t>(setting)]->setChecked(true);
  juego_->ElegirDificultad(setting);
}

void TForm1::Acercade1Click() {
  ShowModal(form2_);
}

void TForm1::X1Click() {
  close();
}

void TForm1::Timer1Timer() {
  if (juego_->CuentaAtras()) {
    Timer1->stop();
    ShowModal(form3_);
  }
}

void TForm1::ImageClick(int tile) {
  // A found pair changes the state of tiles that load no picture, and a picture that fails to load
  // stops the click halfway; the names follow the state either way.
  const auto updateNames = qScopeGuard([this] { UpdateAccessibleNames(); });
  juego_->Pulsado(tile);
}

void TForm1::Panel1MouseDown(Qt::MouseButton button) {
  const auto updateNames = qScopeGuard([this] { UpdateAccessibleNames(); });
  if (button == Qt::RightButton) juego_->CubrirTablero();
}

void TForm1::ResetGame() {
  juego_->ReiniciarPartida();
  UpdateAccessibleNames();
  Nuevapartida1->setEnabled(true);
  Pausa1->setEnabled(false);
  Abortar1->setEnabled(false);
}
