#pragma once

// Maps the font names the windows ask for onto fonts installed on Debian.
void InstallFontSubstitutes();
