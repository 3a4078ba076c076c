#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// A picture file drawn the way a tile draws it: its natural size, and the whole picture scaled
// into a square of a given side. A null image means the tile would show no picture at all.
struct TRenderedPicture {
  QSize natural;
  QImage image;
};

// The largest size of the picture's own proportions that fits side x side, scaling up or down;
// neither side is ever below 1.
QSize FitIntoSquare(const QSize& picture, int side);

// Loads the file through the picture holder with the tile's checks and limits: a name the tile
// does not accept, an unknown kind or content its kind rejects give a null image. Any other failure
// (unreadable file, decoding error while drawing, memory) throws, as it reaches the tile's caller.
TRenderedPicture RenderPictureFile(const QString& path, int side);
