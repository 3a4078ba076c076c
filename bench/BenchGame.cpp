#include "BenchGame.h"

#include <fstream>
#include <string>

#include <QTimer>

#include "CBImage.h"
#include "Unit1.h"

void UseCache(TForm1& form, bool on) {
  for (int n = 1; n <= kTileCount; ++n)
    form.Image[static_cast<std::size_t>(n)]->SetJpegCache(on ? &form.JpegCache() : nullptr);
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
  // VmHWM belongs to this program's own address space. getrusage's ru_maxrss would not do: Linux
  // carries it over from the parent across fork and exec, so a child started by the benchmark would
  // report the benchmark's own peak.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return -1;
}
