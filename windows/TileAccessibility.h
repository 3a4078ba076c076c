#pragma once

#include <QString>

#include "GameState.h"

// What a screen reader says of a tile's state: "pareja encontrada" once its pair is found in this level,
// "boca arriba" while it is turned in the current turn, "boca abajo" otherwise.
QString CasillaAccessibleState(const TCasilla& casilla);

// A tile's accessible name, such as "Casilla 7, boca abajo".
QString CasillaAccessibleName(int tile, const TCasilla& casilla);
