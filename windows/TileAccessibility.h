#pragma once

#include <QString>

#include "GameState.h"

class QWidget;

// What a screen reader says of a tile's state: "pareja encontrada" once its pair is found in this level,
// "boca arriba" while it is turned in the current turn, "boca abajo" otherwise.
QString CasillaAccessibleState(const TCasilla& casilla);

// Whether the tile shows the picture of its pair rather than the card back.
bool CasillaShowsFace(const TCasilla& casilla);

// What a screen reader calls a picture file: its name without folder and extension, with '-' and '_'
// read as spaces and a leading sorting prefix such as "c01-" left out. A prefix is letters and digits
// with at least one digit, so that "manzana-roja" keeps its first word.
QString PictureSpokenName(const QString& fileName);

// Said of a face that cannot be shown (a missing file, an unknown kind, a picture that failed to load).
QString NoPictureSpokenName();

// A tile's accessible name: "Casilla 7, boca abajo", or with the face it shows,
// "Casilla 7, boca arriba: manzana". face is ignored while the tile is face down.
QString CasillaAccessibleName(int tile, const TCasilla& casilla, const QString& face = {});

// Which of a tile's accessible properties changed, each announced to assistive technology.
struct TTileChanges {
  bool name = false;
  bool state = false;
  bool showsFace = false;
  bool operator==(const TTileChanges&) const = default;
};

// Gives a tile its name, its state text and its checked state (showing a face); assistive technology
// hears of each one that changes, and only of those, so a screen reader speaks the focused tile again.
TTileChanges SetTileAccessibleState(QWidget& tile, const QString& name, const QString& state, bool showsFace);

// The checked state last given by SetTileAccessibleState.
bool TileShowsFace(const QWidget& tile);
