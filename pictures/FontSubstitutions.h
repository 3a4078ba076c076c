// Maps the Windows font names that the windows and metafiles ask for onto fonts installed on Debian.
#pragma once

// Substitutions are process-wide: call once after the GUI application exists.
void InstallFontSubstitutes();
