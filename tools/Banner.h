#pragma once

#include <QImage>

// The About box banner: 255 x 108 pixels with the game's name "ZUM" in large gold letters over a
// night-blue band with a few cards fanned out behind it.
QImage RenderBanner();
