#include "BenchGame.h"

#include <sys/resource.h>

#include <QTimer>

#include "CBImage.h"
#include "Unit1.h"

void UseCache(TForm1& form, bool on) {
  for (int n = 1; n <= kTileCount; ++n)
    form.Image[static_cast<std::size_t>(n)]->SetPictureCache(on ? &form.PictureCache() : nullptr);
}

void StartGame(TForm1& form) {
  form.Nuevapartida1Click();
  form.Timer1->stop();
}

void FinishLevel(TForm1& form) {
  GameState& s = form.State();
  const int level = s.nivel;
  s.pulsaciones = 0;
  for (int n = 1; n <= kTileCount && s.nivel == level; ++n) {
    if (s.casillas[n].acertada) continue;
    form.ImageClick(n);
    form.ImageClick(s.casillas[n].pareja);
  }
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
