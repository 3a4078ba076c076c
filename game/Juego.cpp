#include "Juego.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "Difficulty.h"

namespace {
constexpr char kCardBack[] = "base.jpg";
}

TJuego::TJuego(GamePorts ports, std::string programFolder)
    : ports_(ports), programFolder_(std::move(programFolder)) {
  if (programFolder_.empty() || programFolder_.back() != '/') programFolder_ += '/';
}

int TJuego::DameNumero(int n) {
  if (n < 1 || n > kMaxDraw) throw std::logic_error("DameNumero: range must be 1 to 300");
  // With every number marked the draw below could never end.
  bool anyFree = false;
  for (int i = 1; i <= n && !anyFree; ++i) anyFree = !state_.usados[i];
  if (!anyFree)
    throw std::logic_error("DameNumero: every number from 1 to " + std::to_string(n) + " is drawn");

  std::uint32_t seed = ports_.clock.MillisecondsOfDayUtc();
  for (;;) {
    seed = seed * 134775813u + 1u;
    const int k =
        static_cast<int>((static_cast<std::uint64_t>(seed) * static_cast<std::uint64_t>(n)) >> 32) + 1;
    if (!state_.usados[k]) {
      state_.usados[k] = true;
      return k;
    }
  }
}

void TJuego::NuevoNivel() {
  GameState& s = state_;
  s.nivel += 1;
  s.aciertos = 0;
  if (s.nivel <= 1)
    s.tiempo = s.tiempoinicial;
  else
    s.puntos += 2 * s.tiempo;
  s.puntos += 50 * s.nivel;

  for (int n = 1; n <= kTileCount; ++n) s.casillas[n].destapada = false;
  for (int n = 1; n <= kTileCount; ++n) s.casillas[n].acertada = false;

  s.usados.fill(false);
  for (int l = 1; l <= kPairCount; ++l) {
    const int a = DameNumero(kTileCount);
    const int b = DameNumero(kTileCount);
    s.casillas[a].foto = l;
    s.casillas[a].pareja = b;
    s.casillas[b].pareja = a;
    s.casillas[b].foto = l;
  }
  s.usados.fill(false);

  ports_.ficheros.SetDirectory(PictureFolder());
  for (int p = 1; p <= kPairCount; ++p) {
    const std::string folder = ports_.ficheros.Directory();
    const int k = DameNumero(kPoolSize);
    s.fotos[p] = folder + "/" + ports_.ficheros.Item(k);
  }

  Borra();
  Marcadores();
}

void TJuego::Marcadores() {
  ports_.marcadorpuntos.SetValue(state_.puntos);
  ports_.marcadornivel.SetValue(state_.nivel);
  ports_.marcadortiempo.SetValue(state_.tiempo);
}

void TJuego::Pulsado(int n) {
  if (n < 1 || n > kTileCount) throw std::out_of_range("Pulsado: tile number must be 1 to 20");
  GameState& s = state_;
  TCasilla& tile = s.casillas[n];
  // A tile of a found pair keeps its picture and takes no part in turns.
  if (tile.acertada) return;

  s.pulsaciones += 1;
  if (s.pulsaciones == 3) {
    Borra();
    s.pulsaciones = 0;
    return;
  }

  tile.destapada = true;
  ports_.tiles.LoadImage(n, s.fotos[tile.foto]);

  std::exception_ptr soundError;
  TCasilla& partner = s.casillas[tile.pareja];
  if (partner.destapada) {
    tile.acertada = true;
    partner.acertada = true;
    s.pulsaciones = 0;
    Borra();
    s.puntos += 100;
    s.aciertos += 1;
    try {
      ports_.musica.Open();
      ports_.musica.Play();
    } catch (...) {
      // The error is still shown, but the level must not end a click late.
      soundError = std::current_exception();
    }
  }

  if (s.aciertos == kPairCount) NuevoNivel();
  if (soundError) std::rethrow_exception(soundError);
}

void TJuego::Borra() {
  for (int n = 1; n <= kTileCount; ++n) {
    state_.casillas[n].destapada = false;
    if (!state_.casillas[n].acertada) ports_.tiles.LoadImage(n, kCardBack);
  }
}

void TJuego::CubrirTablero() {
  Borra();
  state_.pulsaciones = 0;
}

void TJuego::ElegirDificultad(int setting) {
  if (setting < 1 || setting > static_cast<int>(kDifficulties.size()))
    throw std::out_of_range("ElegirDificultad: setting must be 1 to 10");
  state_.tiempoinicial = kDifficulties[static_cast<std::size_t>(setting - 1)].seconds;
}

bool TJuego::CuentaAtras() {
  state_.tiempo -= 1;
  Marcadores();
  return state_.tiempo == 0;
}

void TJuego::ReiniciarPartida() {
  state_.puntos = 0;
  state_.tiempo = 0;
  state_.nivel = 0;
  Marcadores();
}
