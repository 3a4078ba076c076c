#pragma once

#include <QFont>

// Maps the font names the windows ask for onto fonts installed on Debian.
void InstallFontSubstitutes();

// A font of the window layouts: a family name and a character height in pixels.
QFont LayoutFont(const QString& family, int pixelSize, QFont::Weight weight = QFont::Normal);
