#pragma once

#include <QImage>

// The application icon's picture: a night-time city skyline of black buildings with lit windows
// against a blue starry sky, inside a red border. With smooth off it uses only the 16 standard
// colours and lands on whole pixels; smooth adds antialiasing and a sky gradient for large sizes.
QImage RenderSkyline(int size, bool smooth);

// The 32 x 32 icon as a 16-colour indexed image with the standard Windows 16-colour palette.
QImage SkylineIcon16();
