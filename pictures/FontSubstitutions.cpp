// The Windows font names the windows and metafiles ask for, each with the installed fonts that stand in.
#include "FontSubstitutions.h"

#include <QFont>
#include <QStringList>

namespace {

void Substitute(const char* family, std::initializer_list<const char*> substitutes) {
  QStringList names;
  for (const char* name : substitutes) names << QString::fromLatin1(name);
  QFont::insertSubstitutions(QString::fromLatin1(family), names);
}

}  // namespace

void InstallFontSubstitutes() {
  Substitute("MS Sans Serif", {"Liberation Sans", "DejaVu Sans"});
  Substitute("Arial Narrow", {"Liberation Sans Narrow", "DejaVu Sans Condensed"});
  Substitute("Arial Black", {"DejaVu Sans", "Liberation Sans"});
  // Faces of the metric-compatible families, and the commonest other faces of office drawings.
  Substitute("Arial", {"Liberation Sans", "DejaVu Sans"});
  Substitute("Helvetica", {"Liberation Sans", "DejaVu Sans"});
  Substitute("Tahoma", {"DejaVu Sans", "Liberation Sans"});
  Substitute("Verdana", {"DejaVu Sans", "Liberation Sans"});
  Substitute("MS Shell Dlg", {"Liberation Sans", "DejaVu Sans"});
  Substitute("Times New Roman", {"Liberation Serif", "DejaVu Serif"});
  Substitute("Times", {"Liberation Serif", "DejaVu Serif"});
  Substitute("MS Serif", {"Liberation Serif", "DejaVu Serif"});
  Substitute("Courier New", {"Liberation Mono", "DejaVu Sans Mono"});
  Substitute("Courier", {"Liberation Mono", "DejaVu Sans Mono"});
  Substitute("Symbol", {"Standard Symbols PS", "OpenSymbol", "DejaVu Sans"});
  Substitute("Wingdings", {"OpenSymbol", "DejaVu Sans"});
}
