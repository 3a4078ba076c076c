// Where the game finds its folder f: in the player's own data folder, or beside the program.
#pragma once

#include <QString>

class QProcessEnvironment;

// The folder that holds the folder f the game plays with. The player's is $XDG_DATA_HOME/zum, or
// $HOME/.local/share/zum when that variable is unset, empty or not an absolute path (as the XDG base
// directory rules say); it is chosen when its f exists and is a folder, or a link to one. Otherwise
// the program's own folder, so an installed game plays with the pictures it ships.
QString DataFolder(const QProcessEnvironment& environment, const QString& programFolder);
