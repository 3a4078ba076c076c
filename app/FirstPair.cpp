#include "FirstPair.h"

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <cstdio>

#include "CBImage.h"
#include "MediaPlayer.h"
#include "Unit1.h"

namespace {
void ClickTile(TCBImage& tile) {
  const QPointF centre(tile.width() / 2, tile.height() / 2);
  const QPointF global = tile.mapToGlobal(centre);
  QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&tile, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&tile, &release);
}
}  // namespace

void PlayFirstPair(TForm1& form) {
  form.Nuevapartida1->trigger();
  const int partner = form.State().casillas[1].pareja;
  ClickTile(*form.Image[1]);
  ClickTile(*form.Image[static_cast<std::size_t>(partner)]);
  const bool found = form.State().casillas[1].acertada;
  std::printf("first pair %s, sound device %s\n", found ? "found" : "not found",
              form.musica->IsOpen() ? "open" : "closed");
  std::fflush(stdout);
}
