#pragma once

#include <QFont>

// InstallFontSubstitutes maps the font names the windows ask for; the pictures share its table.
#include "FontSubstitutions.h"

// A font of the window layouts: a family name and a character height in pixels.
QFont LayoutFont(const QString& family, int pixelSize, QFont::Weight weight = QFont::Normal);
