#include "TileAccessibility.h"

QString CasillaAccessibleState(const TCasilla& casilla) {
  if (casilla.acertada) return QStringLiteral("pareja encontrada");
  if (casilla.destapada) return QStringLiteral("boca arriba");
  return QStringLiteral("boca abajo");
}

QString CasillaAccessibleName(int tile, const TCasilla& casilla) {
  return QStringLiteral("Casilla %1, %2").arg(tile).arg(CasillaAccessibleState(casilla));
}
