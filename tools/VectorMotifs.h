#pragma once

#include <QColor>
#include <string>

#include "MetaShape.h"

// The drawn motifs of the metafile faces ("estrella", "casa", "sol", "luna", "arbol", "semaforo",
// "diana", "cometa"), size x size units on the given pastel background. Throws std::invalid_argument
// for a word without a motif.
TMetaDrawing DrawMotif(const std::string& word, const QColor& background, int size);
