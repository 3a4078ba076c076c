#pragma once

#include <QString>

// Writes the pictures compiled into the program into folder: "banner.jpg" (255 x 108 progressive
// JPEG), "stop.wmf" (the game-over stop sign), "icon.ico" (32 x 32, 16 colours) and the desktop
// icons "icon-32.png" to "icon-256.png"; plus "stop.png", a raster preview of the stop sign, when
// withPreview is set. Throws std::runtime_error when a file cannot be written.
void WriteEmbeddedMedia(const QString& folder, bool withPreview);
