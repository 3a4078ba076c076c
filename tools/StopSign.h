#pragma once

#include "MetaShape.h"

// The game-over picture: a 245 x 205 stop sign shaped as an inverted triangle in orange-red
// (255, 53, 15), with "ALTO" in white polygon letters across its upper part. Everything is a filled
// polygon or poly-polygon without outline; the band inside the rim and the corners stay unpainted.
TMetaDrawing BuildStopSign();
